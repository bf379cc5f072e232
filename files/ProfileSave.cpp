#include "files/ProfileSave.h"

#include "files/ProfileKeys.h"
#include "platform/Convert.h"
#include "platform/IniFile.h"

#include <cmath>
#include <stdexcept>

namespace
{

constexpr int kMaxMillivolts = 2500;
constexpr double kMaxVolts = 25;

// An empty level counts as 0; a level above the limit is recorded as the limit.
std::string CheckedLevel(const std::string& text, ProfileLevel level)
{
    if (text.empty())
        return "0";
    if (level == ProfileLevel::Millivolts)
        return StrToInt(text) > kMaxMillivolts ? std::to_string(kMaxMillivolts) : text;
    const double volts = StrToFloat(text);
    if (!std::isfinite(volts))
        throw EConvertError("'" + text + "' is not a valid floating point value");
    return volts > kMaxVolts ? FloatToStr(kMaxVolts) : text;
}

struct TProfileBuilder {
    const IProfileValues& values;
    const std::string& versionTag;
    const std::string& date;
    TProfileSave& save;

    std::string Value(const TProfileKey& key) const
    {
        switch (key.Form) {
        case ProfileForm::Text:
            return values.Text(key.Control);
        case ProfileForm::Check:
            return values.Checked(key.Control) ? "1" : "0";
        case ProfileForm::Index:
            return std::to_string(values.Index(key.Control));
        case ProfileForm::Version:
            return versionTag;
        case ProfileForm::Date:
            return date;
        case ProfileForm::Empty:
            return "";
        case ProfileForm::Closing:
            return kProfileClosingKey;
        }
        return "";
    }

    std::string CheckedValue(const TProfileKey& key)
    {
        std::string value = Value(key);
        // The value's line would end there: the file would keep only the text before it, and a read-back
        // would store that part in the image.
        if (value.find_first_of("\r\n") != std::string::npos)
            throw std::runtime_error("holds a line break, which a profile cannot keep");
        if (key.Level == ProfileLevel::None)
            return value;
        std::string checked = CheckedLevel(value, key.Level);
        if (checked != value)
            save.Corrections.emplace_back(key.Control, checked);
        return checked;
    }
};

} // namespace

TProfileSave BuildProfile(const IProfileValues& values, const std::string& versionTag, const std::string& date)
{
    TProfileSave save;
    TProfileBuilder builder{values, versionTag, date, save};
    for (const TProfileSection& section : ProfileSections()) {
        for (const TProfileKey& key : section.Keys) {
            try {
                save.Entries.push_back({section.Name, key.Key, builder.CheckedValue(key)});
            } catch (const std::runtime_error& error) { // EConvertError among them
                return {{}, {}, TProfileFault{section.Name, key.Key, error.what()}};
            }
        }
    }
    return save;
}

void WriteProfile(IniFile& ini, const std::vector<TProfileEntry>& entries)
{
    // A value never holds a line end, so this fallback tells a missing key from any stored value.
    const std::string absent = "\n";
    IniFile::Batch batch(ini);
    const std::string* section = nullptr;
    for (const TProfileEntry& entry : entries) {
        if (!section || *section != entry.Section) {
            section = &entry.Section;
            // Keys the file lacks are added behind the section's last key: the closing line goes first
            // and is written again as the section's last key, so it stays last.
            while (ini.ReadString(*section, kProfileClosingKey, absent) != absent)
                ini.DeleteKey(*section, kProfileClosingKey);
        }
        ini.WriteString(entry.Section, entry.Key, entry.Value);
    }
    batch.Commit();
}
