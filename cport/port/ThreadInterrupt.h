#pragma once

#include <cerrno>
#include <csignal>
#include <mutex>
#include <pthread.h>

// Lets another thread end a blocking system call of this one: the call fails with EINTR. Some waits of a serial
// driver (a modem line change) take no time limit and watch no descriptor, so a signal is the only way out.
class TThreadInterrupt
{
  public:
    TThreadInterrupt();

    // Runs Call (a system call returning -1 and errno on failure) where Interrupt reaches it, whatever signal mask
    // the thread inherited from the thread that started it; 0 or errno.
    template <class F> int Run(F&& Call)
    {
        const sigset_t mask = Enter();
        const int result = Call() == -1 ? errno : 0;
        Leave(mask);
        return result;
    }
    // Ends the call running inside Run, if any; a call that has not yet blocked may miss it, so a caller that
    // must see the call end repeats this until it has.
    void Interrupt();

  private:
    sigset_t Enter(); // the thread's mask before
    void Leave(const sigset_t& Mask);

    std::mutex FLock;
    pthread_t FThread{};
    bool FInside = false;
};
