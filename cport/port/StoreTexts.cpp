#include "cport/port/StoreTexts.h"

#include "cport/port/AsciiCase.h"
#include "platform/Convert.h"

std::string BoolToYesNo(bool Value)
{
    return Value ? "Yes" : "No";
}

bool YesNoToBool(const std::string& Str)
{
    return UpperAscii(Str) == "YES";
}

std::string CharToStr(char Ch)
{
    const int Code = static_cast<unsigned char>(Ch);
    if (Code >= 33 && Code <= 127)
        return std::string(1, Ch);
    return std::string("#").append(std::to_string(Code));
}

char StrToChar(const std::string& Str)
{
    if (Str.empty())
        return 0;
    if (Str[0] == '#' && Str.size() > 1)
        return char(StrToIntDef(Str.substr(1), 0) & 0xFF);
    return Str[0];
}

TDTRFlowControl StrToDTR(const std::string& Str)
{
    const std::string u = UpperAscii(Str);
    for (TDTRFlowControl v : {dtrDisable, dtrEnable, dtrHandshake})
        if (UpperAscii(DTRToStr(v)) == u)
            return v;
    return dtrDisable;
}

TRTSFlowControl StrToRTS(const std::string& Str)
{
    const std::string u = UpperAscii(Str);
    for (TRTSFlowControl v : {rtsDisable, rtsEnable, rtsHandshake, rtsToggle})
        if (UpperAscii(RTSToStr(v)) == u)
            return v;
    return rtsDisable;
}
