#pragma once

#include <string>

// What the ".kvx" save proposes as the file's name: the unit's variant, article number, Config ID and user ID,
// today's date and the tool's release identifier.
struct TKvxNameParts {
    std::string ModemType; // shown in upper case
    std::string HwNumber;
    std::string ConfigId;
    std::string UserId; // empty, or erased (first byte 0xFF): left out
    int Year = 2000;
    int Month = 1;
    int Day = 1;
    std::string VersionTag;
};

// "KIV-TARN_75318_1204_Tank3_20261205 <tag>.kvx"; "..._1204__20261205 <tag>.kvx" without a user ID. Characters
// that a file name cannot hold (a '/' typed into the user ID) are replaced, so the name stays one name.
std::string KvxProposedName(const TKvxNameParts& parts);

// name with path separators and control characters replaced by '_'.
std::string FileNameSafe(std::string name);
