#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

// A text that is no number. The message is the one the user sees in the message box or status bar.
class EConvertError : public std::runtime_error
{
  public:
    using std::runtime_error::runtime_error;
};

// Decimal with an optional sign, or hexadecimal after "$" or "0x"; leading blanks allowed.
// Raises EConvertError "'<text>' is not a valid integer value" otherwise, also on overflow of 32 bits.
int StrToInt(const std::string& text);

// As StrToInt, but a text that is no number gives fallback instead of raising.
int StrToIntDef(const std::string& text, int fallback);

// The C atoi rule (leading blanks, a sign, the digits that follow, 0 when none), saturated at the int range
// instead of overflowing. Typed byte codes and script pauses are read this way.
int AtoiSaturated(std::string_view text);

// Reads text as hexadecimal digits only (no prefix), as "0x" + text would be read.
int HexToInt(const std::string& text);

// A decimal fraction in the system's notation; raises EConvertError
// "'<text>' is not a valid floating point value" for a text that is none.
double StrToFloat(const std::string& text);
// The shortest text of value in the system's notation.
std::string FloatToStr(double value);
// value with that many decimals, in the system's notation.
std::string FloatToStrF(double value, int decimals);
