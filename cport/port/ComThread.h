#pragma once

#include "cport/port/ComBatch.h"
#include "cport/port/CportTypes.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

class QObject;
class TCustomComPort;
class TComIo;

// The event thread of an open port: takes each batch of events from the port's history and hands it to the
// window thread as queued calls (or runs it itself with smNone). Batches carry the port's open generation;
// one that arrives after the port closed (or closed and opened again) is dropped. Under smThreadSync the thread
// waits for its batch to be run, but gives up the wait as soon as it is told to stop, so closing the port,
// also from inside a handler, never waits on the window thread.
class TComThread
{
  public:
    TComThread(TCustomComPort& Port, TComIo& Io, QObject& Dispatcher, TSyncMethod Method, TThreadPriority Priority,
               unsigned Generation);
    ~TComThread(); // stops and joins
    TComThread(const TComThread&) = delete;
    TComThread& operator=(const TComThread&) = delete;

    void Stop();
    bool OnThisThread() const { return std::this_thread::get_id() == FThread.get_id(); }

  private:
    struct THandOff {
        std::mutex Lock;
        std::condition_variable Cv;
        bool Stopping = false;
        std::uint64_t Finished = 0;
    };

    void Execute();
    void Dispatch(const TComBatch& Batch);
    void HandOver(const TComBatch& Batch);
    bool Stopping();

    TCustomComPort& FPort;
    TComIo& FIo;
    QObject& FDispatcher;
    const TSyncMethod FMethod;
    const TThreadPriority FPriority;
    const unsigned FGeneration;
    std::shared_ptr<THandOff> FHandOff = std::make_shared<THandOff>();
    std::uint64_t FPosted = 0;
    std::thread FThread;
};
