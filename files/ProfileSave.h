#pragma once

#include "files/ProfileFault.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

class IniFile;

// What the save records of the controls, by control name: an edit's or pick list's text, whether a box
// is ticked, which item of a group is chosen (-1 for none). Single-byte text.
class IProfileValues
{
  public:
    virtual ~IProfileValues() = default;
    virtual std::string Text(const std::string& control) const = 0;
    virtual bool Checked(const std::string& control) const = 0;
    virtual int Index(const std::string& control) const = 0;
};

struct TProfileEntry {
    std::string Section;
    std::string Key;
    std::string Value;
};

// The whole profile, every value checked, before a byte of the file is touched.
struct TProfileSave {
    std::vector<TProfileEntry> Entries; // every key, in file order
    // Level edits whose text the checks changed (control, text): the edit is to show what the file holds.
    std::vector<std::pair<std::string, std::string>> Corrections;
    std::optional<TProfileFault> Fault; // set: nothing else is
};

TProfileSave BuildProfile(const IProfileValues& values, const std::string& versionTag, const std::string& date);

// Writes every entry into the file at path with one replacement of the whole file: a new file gets the
// sections and keys in order; an existing one keeps every line the profile does not write, and each
// section's closing line moves behind the keys added to it. Raises EIniFileException when the file cannot
// be written; the file then stays as it was.
void WriteProfile(IniFile& ini, const std::vector<TProfileEntry>& entries);
