#include "cport/port/ComIo.h"

#include <algorithm>

void TComIo::SetMask(TComEvents Mask)
{
    TLock lk(*FLock);
    TakeMask(Mask);
    FBatchStop = false;
    // Bytes that came before anyone listened must not sit unannounced until the next byte.
    if (FQueue.Size() > 0)
        Record(TComEvents{evRxChar});
}

void TComIo::TakeMask(TComEvents Mask)
{
    FMask = Mask;
    FHistory = {};
    FLineSteps.clear();
    FNextPoll = std::min(FNextPoll, TComClock::now() + LookPeriod()); // errors now wanted are looked at soon
    FBackend.Wake();                                                  // the I/O thread may have to watch the lines now
}

// What happened until now, taken under the mask in force: the bytes the device holds, the lines and the counts as
// they stand (nothing may have looked at them for long), an output that has emptied. A new mask then hears only
// what comes after it.
void TComIo::CatchUp()
{
    DrainDevice();
    TakeLineChanges();
    PollCounters();
    CheckTxEmpty();
}

bool TComIo::WaitBatch(TComBatch& Batch)
{
    TLock lk(*FLock);
    FCv.wait(lk, [&] { return FBatchStop || !FHistory.Empty() || !FLineSteps.empty(); });
    if (FBatchStop)
        return false;
    // Line changes go one step a batch, each with its own levels.
    Batch = {};
    if (!FLineSteps.empty()) {
        Batch = FLineSteps.front();
        FLineSteps.pop_front();
    }
    Batch.Events += FHistory;
    FHistory = {};
    return true;
}

void TComIo::StopBatches()
{
    TLock lk(*FLock);
    FBatchStop = true;
    FCv.notify_all();
}

TComEvents TComIo::WaitEvents(TComEvents Mask, int TimeoutMs, TComStopEvent* StopEvent)
{
    bool stopped = false; // guarded by the lock
    if (StopEvent)
        StopEvent->Attach([&] {
            TLock lk(*FLock);
            stopped = true;
            FCv.notify_all();
        });
    const bool stoppedBefore = StopEvent && StopEvent->IsSet();
    TComEvents got;
    {
        TLock lk(*FLock);
        CatchUp();
        TakeMask(Mask);
        stopped = stopped || stoppedBefore;
        auto ready = [&] { return !FHistory.Empty() || !FLineSteps.empty() || stopped; };
        if (TimeoutMs < 0)
            FCv.wait(lk, ready);
        else
            FCv.wait_for(lk, std::chrono::milliseconds(TimeoutMs), ready);
        got = FHistory;
        FHistory = {};
        for (const TComBatch& step : FLineSteps)
            got += step.Events;
        FLineSteps.clear();
        FMask = {};
    }
    if (StopEvent)
        StopEvent->Attach(nullptr); // waits for a Set that is telling us right now
    return got;
}

TComErrors TComIo::TakeErrors()
{
    TLock lk(*FLock);
    PollCounters();
    const TComErrors e = FErrors;
    FErrors = {};
    return e;
}
