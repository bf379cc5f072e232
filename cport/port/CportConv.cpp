#include "cport/port/CportConv.h"

#include <array>
#include <cctype>

namespace
{
constexpr std::array<const char*, 16> BaudTexts = {"Custom", "110",    "300",    "600",   "1200",  "2400",
                                                   "4800",   "9600",   "14400",  "19200", "38400", "56000",
                                                   "57600",  "115200", "128000", "256000"};
constexpr std::array<const char*, 3> StopTexts = {"1", "1.5", "2"};
constexpr std::array<const char*, 4> DataTexts = {"5", "6", "7", "8"};
constexpr std::array<const char*, 5> ParityTexts = {"None", "Odd", "Even", "Mark", "Space"};
constexpr std::array<const char*, 4> FlowTexts = {"Hardware", "Software", "None", "Custom"};
constexpr std::array<const char*, 3> DtrTexts = {"Disable", "Enable", "Handshake"};
constexpr std::array<const char*, 4> RtsTexts = {"Disable", "Enable", "Handshake", "Toggle"};
constexpr std::array<int, 16> BaudValues = {0,     110,   300,   600,   1200,  2400,   4800,   9600,
                                            14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};

template <std::size_t N> std::string TextOf(const std::array<const char*, N>& Table, int Ordinal)
{
    if (Ordinal < 0 || Ordinal >= int(N))
        return {};
    return Table[Ordinal];
}

std::string Upper(const std::string& s)
{
    std::string r = s;
    for (char& c : r)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

template <std::size_t N> int OrdinalOf(const std::array<const char*, N>& Table, const std::string& Str, int Default)
{
    const std::string key = Upper(Str);
    for (std::size_t i = 0; i < N; ++i)
        if (Upper(Table[i]) == key)
            return int(i);
    return Default;
}
} // namespace

std::string BaudRateToStr(TBaudRate BaudRate)
{
    return TextOf(BaudTexts, BaudRate);
}
std::string StopBitsToStr(TStopBits StopBits)
{
    return TextOf(StopTexts, StopBits);
}
std::string DataBitsToStr(TDataBits DataBits)
{
    return TextOf(DataTexts, DataBits);
}
std::string ParityToStr(TParityBits Parity)
{
    return TextOf(ParityTexts, Parity);
}
std::string FlowControlToStr(TFlowControl FlowControl)
{
    return TextOf(FlowTexts, FlowControl);
}
std::string DTRFlowControlToStr(TDTRFlowControl Value)
{
    return TextOf(DtrTexts, Value);
}
std::string RTSFlowControlToStr(TRTSFlowControl Value)
{
    return TextOf(RtsTexts, Value);
}

TBaudRate StrToBaudRate(const std::string& Str)
{
    return TBaudRate(OrdinalOf(BaudTexts, Str, br9600));
}
TStopBits StrToStopBits(const std::string& Str)
{
    return TStopBits(OrdinalOf(StopTexts, Str, sbOneStopBit));
}
TDataBits StrToDataBits(const std::string& Str)
{
    return TDataBits(OrdinalOf(DataTexts, Str, dbEight));
}
TParityBits StrToParity(const std::string& Str)
{
    return TParityBits(OrdinalOf(ParityTexts, Str, prNone));
}
TFlowControl StrToFlowControl(const std::string& Str)
{
    return TFlowControl(OrdinalOf(FlowTexts, Str, fcCustom));
}

int BaudRateValue(TBaudRate BaudRate)
{
    if (BaudRate < 0 || BaudRate >= int(BaudValues.size()))
        return 0;
    return BaudValues[BaudRate];
}
