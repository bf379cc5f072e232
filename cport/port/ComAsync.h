#pragma once

#include "cport/port/ComTimeouts.h"
#include "cport/port/CportTypes.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>

// One read or write in flight. The port's I/O core fills it under the core's lock, which the operation
// shares so that a record can be dropped safely while its operation is still pending.
struct TComOp {
    TOperationKind Kind = okRead;
    bool Done = false;
    int Error = 0; // errno of a failed or aborted operation
    int Count = 0; // bytes moved so far
    char* Target = nullptr;
    int Want = 0;
    TReadRule Rule;
    std::shared_ptr<const std::string> Data;
    bool HasLimit = false;
    TComClock::time_point Start{}, LastByte{}, Limit{};
    bool Reported = false; // the link notices of its end have gone out
    std::shared_ptr<std::mutex> Lock;
};

// The record of one asynchronous operation, owned by the caller (InitAsync / DoneAsync).
struct TAsync {
    TOperationKind Kind = okWrite;
    std::shared_ptr<const std::string> Data; // a copy of the bytes of the last write; none for reads
    int Size = 0;
    std::shared_ptr<TComOp> Op; // none until an operation starts on the record
};

void InitAsync(TAsync*& AsyncPtr);
// Frees the record; an operation still pending no longer writes into the caller's buffer.
void DoneAsync(TAsync*& AsyncPtr);

// A stop signal for WaitForEvent, set from any thread.
class TComStopEvent
{
  public:
    void Set();
    void Reset();
    bool IsSet() const;

  private:
    friend class TComIo;
    void Attach(std::function<void()> Waiter);

    mutable std::mutex FLock;
    bool FSet = false;
    std::function<void()> FWaiter;
};
