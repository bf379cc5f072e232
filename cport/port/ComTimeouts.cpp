#include "cport/port/ComTimeouts.h"

#include <algorithm>

namespace
{
constexpr std::uint32_t NoLimit = 0xFFFFFFFFu;

} // namespace

TComClock::time_point LimitAfter(TComClock::time_point t, std::uint64_t Ms)
{
    // A multiplier of MAXDWORD times a long read passes what the clock's nanoseconds can hold.
    constexpr std::uint64_t kLongest = std::uint64_t(1) << 40; // about 35 years
    if (Ms >= kLongest)
        return TComClock::time_point::max();
    return t + std::chrono::milliseconds(static_cast<std::int64_t>(Ms));
}

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
        d = LimitAfter(Start, Rule.TotalMs);
    if (Rule.HasInterval && Got > 0)
        d = std::min(d, LimitAfter(LastByte, Rule.IntervalMs));
    return d;
}

bool WriteLimit(const TComTimeoutValues& t, int Count, std::uint64_t& LimitMs)
{
    if (t.WriteTotalMultiplier == 0 && t.WriteTotalConstant == 0)
        return false;
    LimitMs = std::uint64_t(t.WriteTotalMultiplier) * std::uint64_t(std::max(Count, 0)) + t.WriteTotalConstant;
    return true;
}
