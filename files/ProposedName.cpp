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

} // namespace

std::string FileNameSafe(std::string name)
{
    for (char& c : name)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '_';
    return name;
}

std::string KvxProposedName(const TKvxNameParts& parts)
{
    char date[32];
    std::snprintf(date, sizeof date, "%02d%02d%02d", parts.Year, parts.Month, parts.Day);
    const bool hasUserId = !parts.UserId.empty() && static_cast<unsigned char>(parts.UserId[0]) != 0xFF;
    std::string name = "KIV-" + Upper(parts.ModemType) + "_7" + parts.HwNumber + "_" + parts.ConfigId + "_";
    if (hasUserId)
        name += parts.UserId;
    name += std::string("_") + date + " " + parts.VersionTag + ".kvx";
    return FileNameSafe(name);
}
