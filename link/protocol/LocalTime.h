#pragma once

#include <functional>

// One reading of the PC's local date and time. Everything that needs both date and time takes them from one
// reading, so a click at midnight never pairs one day's date with the next day's time.
struct LocalTime {
    int Year = 2000;
    int Month = 1;
    int Day = 1;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Hundredths = 0;

    bool SameDate(const LocalTime& other) const
    {
        return Year == other.Year && Month == other.Month && Day == other.Day;
    }
    bool SameSecond(const LocalTime& other) const
    {
        return Hour == other.Hour && Minute == other.Minute && Second == other.Second;
    }
};

LocalTime LocalTimeNow();

// Where the terminal page, the scripts and the direct commands read the time; tests put a clock of their own.
using LocalClock = std::function<LocalTime()>;
