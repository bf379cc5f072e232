#include "cport/port/ComAsync.h"

void InitAsync(TAsync*& AsyncPtr)
{
    AsyncPtr = new TAsync;
}

void DoneAsync(TAsync*& AsyncPtr)
{
    if (!AsyncPtr)
        return;
    if (const std::shared_ptr<TComOp>& op = AsyncPtr->Op; op && op->Lock) {
        std::lock_guard<std::mutex> g(*op->Lock);
        op->Target = nullptr;
    }
    delete AsyncPtr;
    AsyncPtr = nullptr;
}

void TComStopEvent::Set()
{
    // The waiter is told under the lock, so that it cannot go away while it is being told.
    std::lock_guard<std::mutex> g(FLock);
    FSet = true;
    if (FWaiter)
        FWaiter();
}

void TComStopEvent::Reset()
{
    std::lock_guard<std::mutex> g(FLock);
    FSet = false;
}

bool TComStopEvent::IsSet() const
{
    std::lock_guard<std::mutex> g(FLock);
    return FSet;
}

void TComStopEvent::Attach(std::function<void()> Waiter)
{
    std::lock_guard<std::mutex> g(FLock);
    FWaiter = std::move(Waiter);
}
