#include "cport/StoreTexts.h"

#include "platform/Convert.h"

namespace
{
std::string Upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return s;
}
} // namespace

std::string BoolToYesNo(bool Value)
{
    return Value ? "Yes" : "No";
}

bool YesNoToBool(const std::string& Str)
{
    return Upper(Str) == "YES";
}

std::string CharToStr(char Ch)
{
    const int Code = static_cast<unsigned char>(Ch);
    if (Code >= 33 && Code <= 127)
        return std::string(1, Ch);
    return "#" + std::to_string(Code);
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
    const std::string u = Upper(Str);
    for (TDTRFlowControl v : {dtrDisable, dtrEnable, dtrHandshake})
        if (Upper(DTRToStr(v)) == u)
            return v;
    return dtrDisable;
}

TRTSFlowControl StrToRTS(const std::string& Str)
{
    const std::string u = Upper(Str);
    for (TRTSFlowControl v : {rtsDisable, rtsEnable, rtsHandshake, rtsToggle})
        if (Upper(RTSToStr(v)) == u)
            return v;
    return rtsDisable;
}
