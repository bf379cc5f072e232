#pragma once

#include <chrono>

// How often the I/O core looks at what the device does not announce. Lines of a device that gives no notice of
// their changes, and the driver's error counts while error events are wanted, are looked at every PollPeriod.
// With the notice, a look now and then still catches a change that came in the instant before the driver's wait
// began (the wait only counts changes from its own start).
namespace ComIoPeriods
{
constexpr auto PollPeriod = std::chrono::milliseconds(50);
constexpr auto BackstopPeriod = std::chrono::milliseconds(500);
constexpr auto LineStopRetry = std::chrono::milliseconds(2);
} // namespace ComIoPeriods
