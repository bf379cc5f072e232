#include "files/ProposedName.h"

#include <cstdio>

namespace
{

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// An erased user ID (first byte 0xFF) counts as none.
bool HasUserId(const std::string& userId)
{
    return !userId.empty() && static_cast<unsigned char>(userId[0]) != 0xFF;
}

} // namespace

std::string DateStamp(int year, int month, int day)
{
    char text[40];
    std::snprintf(text, sizeof text, "%02d%02d%02d", year, month, day);
    return text;
}

std::string FileNameSafe(std::string name)
{
    for (char& c : name)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '_';
    return name;
}

std::string KvxProposedName(const TKvxNameParts& parts)
{
    std::string name = "KIV-" + Upper(parts.ModemType) + "_7" + parts.HwNumber + "_" + parts.ConfigId + "_";
    if (HasUserId(parts.UserId))
        name += parts.UserId;
    name += "_" + DateStamp(parts.Year, parts.Month, parts.Day) + " " + parts.VersionTag + ".kvx";
    return FileNameSafe(name);
}

std::string ProposedProfileName(const std::string& configId, const std::string& userId, const std::string& date,
                                const std::string& versionTag)
{
    const std::string middle = HasUserId(userId) ? "_" + userId + "_" : "__";
    return FileNameSafe("KIV_" + configId + middle + date + " " + versionTag + ".kvp");
}
