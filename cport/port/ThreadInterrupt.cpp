#include "cport/port/ThreadInterrupt.h"

#include <csignal>

namespace
{
int WakeSignal()
{
    return SIGRTMIN + 4;
}

void Ignore(int) {}

// Installed once without SA_RESTART, so the interrupted call returns instead of starting over.
void InstallHandler()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction sa {
        };
        sa.sa_handler = Ignore;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = 0;
        sigaction(WakeSignal(), &sa, nullptr);
    });
}
} // namespace

TThreadInterrupt::TThreadInterrupt()
{
    InstallHandler();
}

sigset_t TThreadInterrupt::Enter()
{
    // A thread inherits the mask of whoever started it; one that blocks the signal would never be reached.
    sigset_t wake, before;
    sigemptyset(&wake);
    sigaddset(&wake, WakeSignal());
    pthread_sigmask(SIG_UNBLOCK, &wake, &before);
    std::lock_guard<std::mutex> g(FLock);
    FThread = pthread_self();
    FInside = true;
    return before;
}

void TThreadInterrupt::Leave(const sigset_t& Mask)
{
    {
        std::lock_guard<std::mutex> g(FLock);
        FInside = false;
    }
    pthread_sigmask(SIG_SETMASK, &Mask, nullptr);
}

void TThreadInterrupt::Interrupt()
{
    // Under the lock the thread cannot leave Run and end, so the signal never reaches a thread that is gone.
    std::lock_guard<std::mutex> g(FLock);
    if (FInside)
        pthread_kill(FThread, WakeSignal());
}
