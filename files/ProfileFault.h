#pragma once

#include <string>

// Why a profile was not saved or not read back: the section and key whose value is wrong, and what is wrong.
struct TProfileFault {
    std::string Section;
    std::string Key;
    std::string Message;

    // The line the user is shown: where, then what.
    std::string Text() const { return "[" + Section + "] " + Key + ": " + Message; }
};
