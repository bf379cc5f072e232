#include "pages/TimeText.h"

std::string TwoDigit(unsigned value)
{
    if (value >= 100)
        return "00";
    return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

std::string HourMinuteText(unsigned hour, unsigned minute)
{
    return TwoDigit(hour) + ":" + TwoDigit(minute);
}

std::string ClockText(unsigned hour, unsigned minute, unsigned second)
{
    return HourMinuteText(hour, minute) + ":" + TwoDigit(second);
}
