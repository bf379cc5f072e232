#pragma once

#include <string>
#include <vector>

// The ".kvp" settings profile as data: its sections and keys in the order the save writes them, each key
// with the form of its value and the control it records. The save and the read-back both walk these
// tables, so a key is spelt in one place.

// How a key's value stands in the file.
enum class ProfileForm {
    Text,    // the control's text as it is
    Check,   // "1" ticked, "0" not
    Index,   // the chosen item, "-1" for none
    Version, // the tool's release identifier
    Date,    // the date stamp of the save
    Empty,   // always empty
    Closing, // the key's own text: the section's closing line
};

// Which keys the read-back restores, and how strict it is about their value.
enum class ProfileRead {
    No,
    Yes,         // the form's default when absent: empty text, not ticked, first item
    WholeNumber, // a text that must be a whole number; absent counts as empty, so as a fault
    ZeroNumber,  // a whole number, "0" when absent
};

// The checks the save makes on a level edit before it records it; a corrected text goes back to the edit.
enum class ProfileLevel {
    None,
    Millivolts, // whole number; empty gives "0", above 2500 gives "2500"
    Volts,      // fraction; empty gives "0", above 25 gives "25"
};

struct TProfileKey {
    std::string Key;
    ProfileForm Form;
    std::string Control; // empty for the forms that record no control
    ProfileRead Read = ProfileRead::No;
    ProfileLevel Level = ProfileLevel::None;
};

struct TProfileSection {
    std::string Name;
    std::vector<TProfileKey> Keys; // the closing key included, last
};

// Every section ends with this key holding the same text, so its last line is 41 "=".
inline const std::string kProfileClosingKey(20, '=');

// The 16 sections in file order.
const std::vector<TProfileSection>& ProfileSections();

// Every control the save records, each once, in the order of first use.
std::vector<std::string> ProfileSaveControls();
// Every control the read-back sets, in the order it sets them.
std::vector<std::string> ProfileReadControls();
