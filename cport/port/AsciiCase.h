#pragma once

#include <string>

// Upper case for the ASCII letters only: texts of the port settings and byte strings from the line are
// single-byte, and bytes above 127 are no letters to us.
inline char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

inline std::string UpperAscii(std::string s)
{
    for (char& c : s)
        c = UpperAscii(c);
    return s;
}
