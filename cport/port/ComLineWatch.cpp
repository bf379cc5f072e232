// The line watcher: modem line changes as the driver gives notice of them or as looks find them, and the line
// errors the driver counts.
#include "cport/port/ComIo.h"

#include "cport/port/ComIoPeriods.h"
#include "cport/port/ThreadPriority.h"

#include <vector>

using namespace ComIoPeriods;

namespace
{
// A line that chatters faster than the window thread takes its changes is reported in at most this many steps
// (the last level always right), and at most this many steps wait.
constexpr std::uint32_t MaxStepsPerLook = 64;
constexpr std::size_t MaxWaitingSteps = 1024;

struct TLineKind {
    std::uint32_t TLineCounters::*Count;
    unsigned Line;
    TComEvent Event;
};
constexpr TLineKind LevelLines[] = {
    {&TLineCounters::Cts, mlCTS, evCTS},
    {&TLineCounters::Dsr, mlDSR, evDSR},
    {&TLineCounters::Rlsd, mlRLSD, evRLSD},
};

// Changes counted since the last look, cut to the step limit with the parity kept, so the level still ends right.
std::uint32_t Changes(std::uint32_t Now, std::uint32_t Before)
{
    const std::uint32_t n = Now - Before;
    if (n <= MaxStepsPerLook)
        return n;
    return MaxStepsPerLook - ((n ^ MaxStepsPerLook) & 1);
}
} // namespace

// The driver's wait has no time limit: it is interrupted, again until Out holds, since an interruption that
// comes before the wait has begun is lost.
template <class F> void TComIo::InterruptLineWait(TLock& Lock, F Out)
{
    while (!Out()) {
        Lock.unlock();
        FBackend.CancelLineWait();
        Lock.lock();
        FCv.wait_for(Lock, LineStopRetry, Out);
    }
}

void TComIo::StopLineWatch(TLock& Lock)
{
    InterruptLineWait(Lock, [&] { return FLineWatchEnded; });
    if (FLineThread.joinable()) {
        Lock.unlock();
        FLineThread.join();
        Lock.lock();
    }
}

// Line errors the driver counted since the last look; with an error event wanted, also the event.
TComErrors TComIo::PollCounters()
{
    TLineCounters c;
    if (!FHasCounters || !FBackend.GetCounters(c))
        return {};
    TComErrors e;
    if (c.Frame != FCounters.Frame)
        e.Include(ceFrame);
    if (c.Parity != FCounters.Parity)
        e.Include(ceRxParity);
    if (c.Overrun != FCounters.Overrun)
        e.Include(ceOverrun);
    if (c.BufOverrun != FCounters.BufOverrun)
        e.Include(ceRxOver);
    FCounters = c;
    FBadBytesCounted = FBadBytesCounted || !(e * TComErrors{ceFrame, ceRxParity}).Empty();
    FErrors += e;
    if (!(e * TComErrors{ceFrame, ceRxParity, ceOverrun}).Empty())
        Record(TComEvents{evError});
    return e;
}

// New levels and counts of the modem lines, as steps in the order they came: each counted change is a step of its
// own, so a pulse between two looks is still on and then off. Lines whose counts did not move but whose levels
// did (a device that counts nothing) make one step more. A ring is reported when the line rises, or when a whole
// ring came and went between two looks (drivers count the ends of rings, or both edges: the count alone cannot
// tell).
void TComIo::TakeLineChanges()
{
    unsigned now = 0;
    if (!FBackend.HasModemLines() || FBackend.GetModemLines(now) != 0)
        return;
    TLineCounters c;
    const bool counted = FHasCounters && FBackend.GetCounters(c);
    std::uint32_t changes[std::size(LevelLines)] = {};
    std::uint32_t steps = 0;
    for (std::size_t k = 0; counted && k < std::size(LevelLines); ++k) {
        changes[k] = Changes(c.*LevelLines[k].Count, FLineCounters.*LevelLines[k].Count);
        steps = std::max(steps, changes[k]);
    }
    std::vector<TComBatch> found(std::max<std::uint32_t>(steps, 1));
    unsigned lines = FLines;
    for (std::uint32_t i = 0; i < steps; ++i) {
        for (std::size_t k = 0; k < std::size(LevelLines); ++k)
            if (changes[k] > i) {
                lines ^= LevelLines[k].Line;
                found[i].Events.Include(LevelLines[k].Event);
            }
        found[i].Lines = lines;
    }
    // What the counts did not show goes with the last step of this look, so it reaches the handlers together.
    TComBatch& last = found.back();
    for (std::size_t k = 0; k < std::size(LevelLines); ++k)
        if (((now ^ lines) & LevelLines[k].Line) && changes[k] == 0) {
            lines ^= LevelLines[k].Line;
            last.Events.Include(LevelLines[k].Event);
        }
    const bool ringRose = (now & mlRing) && !(FLines & mlRing);
    const bool ringBetween = counted && c.Ring != FLineCounters.Ring && !((now | FLines) & mlRing);
    if (ringRose || ringBetween)
        last.Events.Include(evRing);
    last.Lines = lines;
    for (TComBatch& step : found) {
        step.Lines = (step.Lines & ~mlRing) | (now & mlRing);
        PushLineStep(step);
    }
    if (counted)
        FLineCounters = c;
    FLines = (lines & ~mlRing) | (now & mlRing);
}

// Lines without the driver's notice are looked at every PollPeriod, and so are the error counts while error
// events are wanted (only the counts show an overrun); lines with the notice need only the backstop.
TComClock::duration TComIo::LookPeriod() const
{
    const bool watchErrors = FHasCounters && FMask.Contains(evError);
    return !FLineNotice || watchErrors ? TComClock::duration(PollPeriod) : TComClock::duration(BackstopPeriod);
}

void TComIo::LookIfDue(TComClock::time_point Now)
{
    if (Now < FNextPoll)
        return;
    TakeLineChanges();
    PollCounters();
    FNextPoll = Now + LookPeriod();
}

void TComIo::PushLineStep(TComBatch Step)
{
    if (Step.Events.Empty())
        return;
    FDsrSeen += Step.Events.Contains(evDSR);
    // Writes held by a line may go now, and bytes judged by DSR want a fresh look: the I/O thread looks again.
    if (!FWrites.empty() || FLine.DSRSensitivity)
        FBackend.Wake();
    Step.Events = Step.Events * FMask;
    if (Step.Events.Empty())
        return;
    if (FLineSteps.size() >= MaxWaitingSteps)
        FLineSteps.pop_front();
    FLineSteps.push_back(Step);
    FCv.notify_all();
}

// A 16550's driver turns the UART's modem status interrupt off at each new line setting (unless its own CTS flow
// or modem control needs it), and only a line wait that starts turns it on again: a wait that began before the
// setting would never end, and the changes after it would be lost. That wait is ended; the line thread takes
// what changed meanwhile and starts another.
void TComIo::RestartLineWait()
{
    TLock lk(*FLock);
    const std::uint64_t started = FLineWaitStarts;
    InterruptLineWait(lk, [&] { return FLineWatchEnded || !FLineWaiting || FLineWaitStarts != started; });
}

void TComIo::WatchLines()
{
    NameThisThread("com-lines");
    TLock lk(*FLock);
    while (!FStop) {
        TakeLineChanges(); // also what changed since the last wait ended
        FLineWaiting = true;
        ++FLineWaitStarts;
        lk.unlock();
        const int e = FBackend.WaitLineChange();
        lk.lock();
        FLineWaiting = false;
        FCv.notify_all(); // a restart of the wait may be waiting for this one to end
        if (e && e != EINTR) {
            // No notice from this device (or it is gone): the I/O thread looks at the lines instead.
            FLineNotice = false;
            FNextPoll = TComClock::now();
            FBackend.Wake();
            break;
        }
    }
    FLineWatchEnded = true;
    FCv.notify_all();
}
