#pragma once

#include <string>

// Times of day as the unit stores them, one byte per field: a byte below 10 gets a leading "0", 10 to 99
// shows its two digits, and 100 or more (an erased 0xFF among them) shows as "00".
std::string TwoDigit(unsigned value);
// "hh:mm" of two such bytes.
std::string HourMinuteText(unsigned hour, unsigned minute);
// "hh:mm:ss" of three such bytes.
std::string ClockText(unsigned hour, unsigned minute, unsigned second);
