#pragma once

#include "cport/port/ComSettings.h"

#include <chrono>
#include <cstdint>

using TComClock = std::chrono::steady_clock;

// How a read of Count bytes ends under the time-outs:
//  - interval "no limit" with both totals 0: at once, with whatever is queued (possibly nothing);
//  - interval and multiplier "no limit", a constant between: at once when bytes are queued, else with the
//    first byte that arrives, or empty after the constant;
//  - otherwise: with Count bytes, or when the total (multiplier * Count + constant, unless both are 0) runs
//    out, or when the interval (unless 0 or "no limit") passes between two bytes after the first.
struct TReadRule {
    bool AtOnce = false;
    bool FirstByte = false;
    bool HasTotal = false;
    std::uint64_t TotalMs = 0;
    bool HasInterval = false;
    std::uint64_t IntervalMs = 0;
};

TReadRule MakeReadRule(const TComTimeoutValues& Timeouts, int Count);

// Whether a read that has Got of Want bytes is over at Now; Start is when it began, LastByte when its
// latest byte came (meaningful once Got > 0).
// t + Ms, held at the clock's end: the settings allow limits far beyond what the clock can count.
TComClock::time_point LimitAfter(TComClock::time_point t, std::uint64_t Ms);

bool ReadOver(const TReadRule& Rule, int Got, int Want, TComClock::time_point Start, TComClock::time_point LastByte,
              TComClock::time_point Now);

// The next moment at which ReadOver could turn true without a byte arriving; max() when none.
TComClock::time_point ReadDeadline(const TReadRule& Rule, int Got, TComClock::time_point Start,
                                   TComClock::time_point LastByte);

// A write of Count bytes may take multiplier * Count + constant milliseconds; none when both are 0.
bool WriteLimit(const TComTimeoutValues& Timeouts, int Count, std::uint64_t& LimitMs);
