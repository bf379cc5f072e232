#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The byte a "[n]" group stands for, read from the text after "[" by the C atoi rule (blanks, a sign,
// digits up to the first other character; none gives 0), saturated to 32 bits, low 8 bits kept.
uint8_t ByteCodeValue(const std::string& text, size_t from);

// How the Server page writes the traffic it shows, and how a typed line becomes bytes. Plain logic.
namespace TrafficText
{

// "TS:hh:mm:ss.cc  : " (two blanks before the colon), hundredths of a second.
std::string TimeStamp(int hour, int minute, int second, int hundredths);
// The same for the local time now.
std::string TimeStampNow();

// Each byte shown as a code: "[4F]" in hex mode; otherwise bytes 0..32 and 128..255 as "[13]" and the
// rest as they are.
std::string RenderBytes(std::string_view bytes, bool hex);

// A typed line made bytes: "[" + decimal + "]" becomes the one byte of that value (low 8 bits); a "[" that
// is never closed ends the line after its byte.
std::string ExpandByteCodes(std::string_view line);

// The text as a C string sees it: up to its first zero byte.
std::string_view UpToNul(std::string_view bytes);

} // namespace TrafficText
