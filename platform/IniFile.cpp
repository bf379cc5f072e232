#include "platform/IniFile.h"

#include "platform/Convert.h"
#include "platform/FileIO.h"
#include "platform/FileReplace.h"

#include <cerrno>
#include <optional>

namespace
{

constexpr size_t kNone = std::string::npos;
constexpr size_t kMaxValue = 2047;
constexpr std::string_view kBlanks = " \t\r\v\f";
constexpr std::string_view kCrLf = "\r\n";

std::string_view Trim(std::string_view s)
{
    size_t first = s.find_first_not_of(kBlanks);
    if (first == kNone)
        return {};
    return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

// A line break inside a name or value would split its line in two and corrupt the file.
std::string_view OneLine(std::string_view s)
{
    return s.substr(0, s.find_first_of("\r\n"));
}

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix)
{
    if (s.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Lower(s[i]) != Lower(prefix[i]))
            return false;
    return true;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && StartsWithNoCase(a, b);
}

std::optional<std::string_view> SectionName(std::string_view line)
{
    line = Trim(line);
    size_t close = line.find(']');
    if (line.empty() || line[0] != '[' || close == kNone)
        return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

// Where the value of key starts in line (just after its "="), or kNone when the line does not hold key.
size_t ValueStart(std::string_view line, std::string_view key)
{
    size_t pos = line.find_first_not_of(kBlanks);
    if (pos == kNone || !StartsWithNoCase(line.substr(pos), key))
        return kNone;
    pos = line.find_first_not_of(kBlanks, pos + key.size());
    if (pos == kNone || line[pos] != '=')
        return kNone;
    return pos + 1;
}

} // namespace

IniFile::IniFile(std::string fileName) : fileName_(std::move(fileName))
{
    std::string text;
    // A missing file reads as empty; one that exists but cannot be read must not be overwritten.
    if (int error = ReadWholeFile(fileName_, text)) {
        readError_ = error == ENOENT || error == ENOTDIR ? 0 : error;
        return;
    }
    for (size_t pos = 0; pos < text.size();) {
        size_t lf = text.find('\n', pos);
        if (lf == kNone) {
            lines_.push_back({text.substr(pos), ""});
            break;
        }
        bool cr = lf > pos && text[lf - 1] == '\r';
        size_t end = cr ? lf - 1 : lf;
        lines_.push_back({text.substr(pos, end - pos), cr ? "\r\n" : "\n"});
        pos = lf + 1;
    }
}

IniFile::Found IniFile::Locate(std::string_view section, std::string_view key) const
{
    Found found;
    size_t i = 0;
    while (i < lines_.size()) {
        auto name = SectionName(lines_[i].text);
        if (name && EqualNoCase(*name, section))
            break;
        ++i;
    }
    if (i == lines_.size())
        return found;
    found.header = i;
    found.insertAt = i + 1;
    for (++i; i < lines_.size() && !SectionName(lines_[i].text); ++i) {
        if (lines_[i].text.find('=') == kNone)
            continue;
        found.insertAt = i + 1;
        if (found.key == kNone && ValueStart(lines_[i].text, key) != kNone)
            found.key = i;
    }
    return found;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, const std::string& fallback) const
{
    key = Trim(OneLine(key));
    Found found = Locate(Trim(OneLine(section)), key);
    if (found.key == kNone)
        return fallback;
    std::string_view line = lines_[found.key].text;
    return std::string(Trim(line.substr(ValueStart(line, key))).substr(0, kMaxValue));
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int fallback) const
{
    return StrToIntDef(ReadString(section, key, ""), fallback);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const
{
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

template <class Change> void IniFile::Edit(Change change)
{
    if (readError_ != 0)
        throw EIniFileException("Unable to write to " + fileName_ + ": it could not be read (" +
                                SystemErrorText(readError_) + ")");
    if (inBatch_) {
        dirty_ = change() || dirty_;
        return;
    }
    std::vector<Line> before = lines_;
    if (!change())
        return;
    try {
        Save();
    } catch (...) {
        lines_ = std::move(before);
        throw;
    }
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    section = Trim(OneLine(section));
    key = Trim(OneLine(key));
    value = OneLine(value);
    Edit([&] {
        Found found = Locate(section, key);
        if (found.key != kNone) {
            Line& line = lines_[found.key];
            size_t start = ValueStart(line.text, key);
            // A value that already reads back as asked keeps its line as it is, blanks and all.
            if (Trim(std::string_view(line.text).substr(start)) == value)
                return false;
            line = {line.text.substr(0, start).append(value), std::string(kCrLf)};
            return true;
        }
        std::string text = std::string(key).append("=").append(value);
        if (found.header == kNone) {
            TerminateLastLine();
            lines_.push_back({std::string("[").append(section).append("]"), std::string(kCrLf)});
            found.insertAt = lines_.size();
        } else if (found.insertAt == lines_.size()) {
            TerminateLastLine();
        }
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(found.insertAt), {text, std::string(kCrLf)});
        return true;
    });
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value)
{
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

void IniFile::DeleteKey(std::string_view section, std::string_view key)
{
    section = Trim(OneLine(section));
    key = Trim(OneLine(key));
    Edit([&] {
        Found found = Locate(section, key);
        if (found.key == kNone)
            return false;
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(found.key));
        return true;
    });
}

void IniFile::TerminateLastLine()
{
    if (!lines_.empty() && lines_.back().end.empty())
        lines_.back().end = kCrLf;
}

void IniFile::Save() const
{
    std::string text;
    for (const Line& line : lines_)
        text.append(line.text).append(line.end);
    if (SaveResult saved = ReplaceFile(fileName_, text); saved.Failed())
        throw EIniFileException("Unable to write to " + fileName_ + ": " + saved.reason);
}

IniFile::Batch::Batch(IniFile& ini) : ini_(ini), outer_(!ini.inBatch_)
{
    if (!outer_)
        return;
    ini_.inBatch_ = true;
    ini_.dirty_ = false;
    ini_.batchStart_ = ini_.lines_;
}

IniFile::Batch::~Batch()
{
    if (outer_ && !done_) {
        ini_.lines_ = std::move(ini_.batchStart_);
        ini_.inBatch_ = false;
    }
}

void IniFile::Batch::Commit()
{
    if (done_)
        return;
    done_ = true;
    if (!outer_)
        return;
    ini_.inBatch_ = false;
    std::vector<Line> start = std::move(ini_.batchStart_);
    if (!ini_.dirty_)
        return;
    ini_.dirty_ = false;
    try {
        ini_.Save();
    } catch (...) {
        ini_.lines_ = std::move(start);
        throw;
    }
}
