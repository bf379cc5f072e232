#include "files/ProfileRead.h"

#include "platform/Convert.h"
#include "platform/IniFile.h"

namespace
{

TProfileValue ReadValue(const IniFile& ini, const std::string& section, const TProfileKey& key)
{
    TProfileValue value;
    value.Control = key.Control;
    value.Form = key.Form;
    switch (key.Form) {
    case ProfileForm::Check:
        value.Checked = ini.ReadBool(section, key.Key, false);
        break;
    case ProfileForm::Index:
        value.Index = ini.ReadInteger(section, key.Key, 0);
        break;
    default:
        value.Text = ini.ReadString(section, key.Key, key.Read == ProfileRead::ZeroNumber ? "0" : "");
        // The edit's own Exit handling takes the number; checked here, so none fails half way.
        if (key.Read == ProfileRead::WholeNumber || key.Read == ProfileRead::ZeroNumber)
            StrToInt(value.Text);
        break;
    }
    return value;
}

} // namespace

TProfileRead ReadProfile(const IniFile& ini)
{
    TProfileRead read;
    for (const TProfileSection& section : ProfileSections()) {
        for (const TProfileKey& key : section.Keys) {
            if (key.Read == ProfileRead::No)
                continue;
            try {
                read.Values.push_back(ReadValue(ini, section.Name, key));
            } catch (const EConvertError& error) {
                return {{}, TProfileFault{section.Name, key.Key, error.what()}};
            }
        }
    }
    return read;
}
