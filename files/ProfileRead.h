#pragma once

#include "files/ProfileFault.h"
#include "files/ProfileKeys.h"

#include <optional>
#include <string>
#include <vector>

class IniFile;

// One control's value as the read-back restores it.
struct TProfileValue {
    std::string Control;
    ProfileForm Form; // Text, Check or Index
    std::string Text;
    bool Checked = false;
    int Index = 0;
};

struct TProfileRead {
    std::vector<TProfileValue> Values;  // in the order they are to be set
    std::optional<TProfileFault> Fault; // set: Values is empty
};

// Reads and checks every key the read-back restores before anything is set: a key that is absent gives its
// default; a check or index that is no number gives not ticked or the first item; a text that must be a
// whole number and is not is a fault naming its section and key. An index is passed on as it stands: the
// group it goes to keeps it in range.
TProfileRead ReadProfile(const IniFile& ini);
