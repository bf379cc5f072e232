#pragma once

#include "cport/port/CportTypes.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

// Everything the device is told about the line, in one record (what the port pushes as one group).
struct TComLineSettings {
    int BaudRate = 9600; // bits per second
    int DataBits = 8;    // 5..8
    TStopBits StopBits = sbOneStopBit;
    TParityBits Parity = prNone;
    bool ParityCheck = false;
    bool ParityReplace = false;
    char ReplaceChar = 0;
    bool OutCTSFlow = false;
    bool OutDSRFlow = false;
    TDTRFlowControl ControlDTR = dtrDisable;
    TRTSFlowControl ControlRTS = rtsDisable;
    bool DSRSensitivity = false;
    bool TxContinueOnXoff = false;
    bool XonXoffOut = false;
    bool XonXoffIn = false;
    char XonChar = 17;
    char XoffChar = 19;
    bool DiscardNull = false;
    char EventChar = 0;
    int XonLim = 0;
    int XoffLim = 0;

    bool operator==(const TComLineSettings&) const = default;
};

// The XON and XOFF limits of an input buffer: a quarter of its size, kept to 16 bits as the line record has them.
inline int FlowLimit(int InputSize)
{
    return (InputSize / 4) & 0xFFFF;
}

// How long Bytes characters take on the line at its rate and framing: a start bit, the data bits, the parity
// bit and the stop bits (one and a half counted as two).
inline std::chrono::microseconds LineTime(const TComLineSettings& Line, long long Bytes)
{
    const long long bits = 1 + Line.DataBits + (Line.Parity != prNone) + (Line.StopBits == sbOneStopBit ? 1 : 2);
    return std::chrono::microseconds(Bytes * bits * 1000000 / std::max(Line.BaudRate, 1));
}

// Time-outs in milliseconds, each an unsigned 32-bit count where 0xFFFFFFFF is the "no limit" marker.
struct TComTimeoutValues {
    std::uint32_t ReadInterval = 0xFFFFFFFFu;
    std::uint32_t ReadTotalMultiplier = 0;
    std::uint32_t ReadTotalConstant = 0;
    std::uint32_t WriteTotalMultiplier = 100;
    std::uint32_t WriteTotalConstant = 1000;

    bool operator==(const TComTimeoutValues&) const = default;
};
