#include "cport/ComTimeouts.h"

#include <algorithm>

namespace
{
constexpr std::uint32_t NoLimit = 0xFFFFFFFFu;

TComClock::time_point After(TComClock::time_point t, std::uint64_t Ms)
{
    // A limit of some 49 days is the largest the settings can hold; it never overflows the clock.
    return t + std::chrono::milliseconds(static_cast<std::int64_t>(Ms));
}
} // namespace

TReadRule MakeReadRule(const TComTimeoutValues& t, int Count)
{
    TReadRule r;
    if (t.ReadInterval == NoLimit && t.ReadTotalMultiplier == 0 && t.ReadTotalConstant == 0) {
        r.AtOnce = true;
        return r;
    }
    if (t.ReadInterval == NoLimit && t.ReadTotalMultiplier == NoLimit && t.ReadTotalConstant > 0 &&
        t.ReadTotalConstant < NoLimit) {
        r.FirstByte = true;
        r.HasTotal = true;
        r.TotalMs = t.ReadTotalConstant;
        return r;
    }
    r.HasTotal = t.ReadTotalMultiplier != 0 || t.ReadTotalConstant != 0;
    r.TotalMs = std::uint64_t(t.ReadTotalMultiplier) * std::uint64_t(std::max(Count, 0)) + t.ReadTotalConstant;
    r.HasInterval = t.ReadInterval != 0 && t.ReadInterval != NoLimit;
    r.IntervalMs = t.ReadInterval;
    return r;
}

bool ReadOver(const TReadRule& Rule, int Got, int Want, TComClock::time_point Start, TComClock::time_point LastByte,
              TComClock::time_point Now)
{
    if (Got >= Want || Rule.AtOnce)
        return true;
    if (Rule.FirstByte && Got > 0)
        return true;
    return Now >= ReadDeadline(Rule, Got, Start, LastByte);
}

TComClock::time_point ReadDeadline(const TReadRule& Rule, int Got, TComClock::time_point Start,
                                   TComClock::time_point LastByte)
{
    TComClock::time_point d = TComClock::time_point::max();
    if (Rule.HasTotal)
        d = After(Start, Rule.TotalMs);
    if (Rule.HasInterval && Got > 0)
        d = std::min(d, After(LastByte, Rule.IntervalMs));
    return d;
}

bool WriteLimit(const TComTimeoutValues& t, int Count, std::uint64_t& LimitMs)
{
    if (t.WriteTotalMultiplier == 0 && t.WriteTotalConstant == 0)
        return false;
    LimitMs = std::uint64_t(t.WriteTotalMultiplier) * std::uint64_t(std::max(Count, 0)) + t.WriteTotalConstant;
    return true;
}
