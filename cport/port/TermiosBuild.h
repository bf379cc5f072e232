#pragma once

#include "cport/port/ComSettings.h"

#include <termios.h>

// A termios for the line settings, plus the rate when it has no speed constant of its own.
struct TTermiosPlan {
    termios Attr{};
    int Rate = 0;
    bool OtherRate = false; // the rate must go through termios2 (BOTHER)
};

// Builds a raw-mode termios from Base and the settings. Input is always marked (PARMRK), so breaks, bad
// characters and literal 0xFF bytes can be told apart by our reader. Returns 0, or EINVAL when the settings
// cannot be expressed (rate below 1, data bits out of 5..8, 1.5 stop bits with more than 5 data bits).
int BuildTermios(const termios& Base, const TComLineSettings& Settings, TTermiosPlan& Plan);

// The speed constant of a rate, when the system has one.
bool RateToSpeed(int Rate, speed_t& Speed);

// Whether the device kept every field that BuildTermios sets (the rate is compared apart).
bool TermiosKept(const termios& Wanted, const termios& Got);

// A driver may round an odd rate to the nearest it can make; within 2% the rate counts as kept.
bool RateKept(int Wanted, int Got);
