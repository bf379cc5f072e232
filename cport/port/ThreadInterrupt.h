#pragma once

#include <cerrno>
#include <mutex>
#include <pthread.h>

// Lets another thread end a blocking system call of this one: the call fails with EINTR. Some waits of a serial
// driver (a modem line change) take no time limit and watch no descriptor, so a signal is the only way out.
class TThreadInterrupt
{
  public:
    TThreadInterrupt();

    // Runs Call (a system call returning -1 and errno on failure) where Interrupt reaches it; 0 or errno.
    template <class F> int Run(F&& Call)
    {
        Enter();
        const int result = Call() == -1 ? errno : 0;
        Leave();
        return result;
    }
    // Ends the call running inside Run, if any; a call that has not yet blocked may miss it, so a caller that
    // must see the call end repeats this until it has.
    void Interrupt();

  private:
    void Enter();
    void Leave();

    std::mutex FLock;
    pthread_t FThread{};
    bool FInside = false;
};
