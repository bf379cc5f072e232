#pragma once

#include "cport/port/CportConv.h"
#include "cport/port/CportTypes.h"

#include <string>

// Value texts of the stored port settings.

// "Yes" or "No"; only "YES" in any letter case reads as true.
std::string BoolToYesNo(bool Value);
bool YesNoToBool(const std::string& Str);

// Codes 33 to 127 as themselves, any other as "#" and the decimal code (17 is "#17", a space "#32").
// Reading: empty gives 0; "#" and more gives the rest as a number, low 8 bits (0 when no number);
// anything else its first character, so "#" alone is "#".
std::string CharToStr(char Ch);
char StrToChar(const std::string& Str);

// "Disable", "Enable", "Handshake" (and "Toggle" for RTS); read case-blind, any other text gives the disable value.
inline std::string DTRToStr(TDTRFlowControl Value)
{
    return DTRFlowControlToStr(Value);
}
inline std::string RTSToStr(TRTSFlowControl Value)
{
    return RTSFlowControlToStr(Value);
}
TDTRFlowControl StrToDTR(const std::string& Str);
TRTSFlowControl StrToRTS(const std::string& Str);
