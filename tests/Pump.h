#pragma once

#include <QCoreApplication>

#include <chrono>
#include <thread>

// Runs Step until Done (asked once a round: it may take what it looks at) or the safety limit passes.
template <class F, class S> bool Until(F Done, S Step, int LimitMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(LimitMs);
    for (bool done = Done(); !done; done = Done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        Step();
    }
    return true;
}
// Waits without pumping the window's events, as the transfers do.
template <class F> bool WaitWithoutPumping(F Done, int LimitMs = 20000)
{
    return Until(
        Done, [] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }, LimitMs);
}
// Runs the window's events until Done holds (true), or for LimitMs (false).
template <class F> bool PumpUntil(F Done, int LimitMs = 30000)
{
    return Until(
        Done,
        [] {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        },
        LimitMs);
}
// Pumps the window's events for a while, for what must NOT arrive.
inline void PumpFor(int Ms)
{
    PumpUntil([] { return false; }, Ms);
}
