#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

// Ends the test program when a scenario that could deadlock is not over within a generous limit.
class TWatchdog
{
  public:
    explicit TWatchdog(const char* What, int LimitMs = 20000)
        : FThread([this, What, LimitMs] {
              std::unique_lock<std::mutex> lk(FLock);
              if (!FCv.wait_for(lk, std::chrono::milliseconds(LimitMs), [&] { return FDone; })) {
                  std::fprintf(stderr, "deadlock: %s did not finish\n", What);
                  std::abort();
              }
          })
    {
    }
    ~TWatchdog()
    {
        {
            std::lock_guard<std::mutex> g(FLock);
            FDone = true;
        }
        FCv.notify_all();
        FThread.join();
    }

  private:
    std::mutex FLock;
    std::condition_variable FCv;
    bool FDone = false;
    std::thread FThread;
};
