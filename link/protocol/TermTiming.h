#pragma once

#include "platform/Clock.h"

#include <functional>

// The fixed pauses of the terminal page, the scripts, the direct commands and the service block writer, in
// milliseconds, and the one wait they all go through. The wait keeps the window running (received text shows
// during it); tests replace it to record the pauses between the bytes instead of sleeping them.
struct TermTiming {
    int SendCrPauseMs = 100;       // send box: between the line and its CR
    int RtcDateGapMs = 1000;       // "RTC": between the reference date and the clock
    int SmsModeSwitchMs = 1000;    // SMS: after switching the unit's serial line to its radio module
    int SmsStepMs = 500;           // SMS: after each module command and after the text
    int AltBlockPauseMs = 300;     // service writer: before each block
    int AltPasswordSettleMs = 800; // service writer: after the password's reply wait
    int AltDataGapMs = 2;          // service writer: after each data byte written
    int AltFillGapMs = 3;          // service writer: after each 0xFF fill byte (no value given)
    int AltAckLimitMs = 4000;      // service writer: acknowledgement of a block

    std::function<void(int ms)> Wait = [](int ms) { DelayMs(ms); };
};
