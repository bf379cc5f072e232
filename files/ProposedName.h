#pragma once

#include <string>

// The file names the saves propose. Each is built of the unit's texts and today's date; a character that a
// file name cannot hold (a '/' typed into the user ID) is replaced, so the name stays one name in the folder
// the dialog opens.

// Four digits of year, two of month, two of day: "20261205".
std::string DateStamp(int year, int month, int day);

// What the ".kvx" save proposes: the unit's variant, article number, Config ID and user ID, today's date and
// the tool's release identifier.
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

// "KIV-TARN_75318_1204_Tank3_20261205 <tag>.kvx"; "..._1204__20261205 <tag>.kvx" without a user ID.
std::string KvxProposedName(const TKvxNameParts& parts);

// What the profile save proposes: "KIV_" + config ID + "_" + user ID + "_" + date + " " + tag + ".kvp"; without
// a user ID (empty, or erased) the two underscores stand together.
std::string ProposedProfileName(const std::string& configId, const std::string& userId, const std::string& date,
                                const std::string& versionTag);

// name with path separators and control characters replaced by '_'.
std::string FileNameSafe(std::string name);
