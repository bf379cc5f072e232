#pragma once

#include "cport/ComAsync.h"
#include "cport/ComBackend.h"
#include "cport/ComTimeouts.h"
#include "cport/CportTypes.h"
#include "cport/RxDecoder.h"
#include "cport/RxQueue.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// The I/O core of one open port. Its thread drains the device into the receive queue (as large as the input
// buffer setting), feeds queued writes to the device, watches the modem lines and keeps the event history
// that the event thread and WaitForEvent take from. Everything here is guarded by one lock, which the
// operations in flight share.
class TComIo
{
  public:
    TComIo(TComBackend& Backend, std::size_t InputSize);
    ~TComIo();
    TComIo(const TComIo&) = delete;
    TComIo& operator=(const TComIo&) = delete;

    void Start();
    void Stop();

    void SetInputSize(std::size_t InputSize);
    void SetReaderOptions(const TRxReaderOptions& Options);
    // RTS toggle: the line rises for each write and drops once the bytes have left the device. The line
    // settings have just put it down.
    void SetRtsToggle(bool On);
    void SetTimeouts(const TComTimeoutValues& Timeouts);

    int InputCount();
    int PendingOutput(); // bytes of writes the device has not taken yet
    int Purge(bool Input, bool Output);

    void StartRead(const std::shared_ptr<TComOp>& Op, void* Buffer, int Count);
    int StartWrite(const std::shared_ptr<TComOp>& Op); // errno when the write could not start
    void WaitDone(TComOp& Op);
    bool IsDone(TComOp& Op);
    void AbortAll();
    int SendNow(char c); // one byte straight to the device, ahead of the queued writes

    void SetMask(TComEvents Mask);
    bool WaitBatch(TComEvents& Batch); // false once StopBatches ran
    void StopBatches();
    TComEvents WaitEvents(int TimeoutMs, TComStopEvent* StopEvent);

    TComErrors TakeErrors();

  private:
    using TLock = std::unique_lock<std::mutex>;

    void Run();
    int WaitTimeout(TComClock::time_point Now) const;
    void DrainDevice();
    void Accept(const TRxFindings& Found);
    void ServeReads(TComClock::time_point Now);
    void PushWrites();
    int WriteSome(TComOp& Op); // 0, or errno; EAGAIN when the device takes no more now
    long WriteOut(const void* Buffer, std::size_t Count);
    void DropRtsWhenSent(TLock& Lock);
    void FinishWrites();
    void CheckLimits(TComClock::time_point Now);
    void CheckTxEmpty();
    void PollLines();
    TComErrors PollCounters();
    void HangUp(int Error);
    void EndReadsAfterHangUp();
    void Record(TComEvents Events);
    void Finish(TComOp& Op, int Error);
    void WakeIfStalled();
    TComClock::time_point NextLimit(const TComOp& Op) const;

    TComBackend& FBackend;
    std::shared_ptr<std::mutex> FLock = std::make_shared<std::mutex>();
    std::condition_variable FCv;
    std::thread FThread;
    bool FStop = false;

    TRxQueue FQueue;
    TRxDecoder FDecoder;
    char FRaw[4096];
    std::string FDecoded;
    bool FReadStalled = false;

    TComTimeoutValues FTimeouts;
    std::deque<std::shared_ptr<TComOp>> FReads;
    std::deque<std::shared_ptr<TComOp>> FWrites;
    bool FDrainPending = false;

    bool FRtsToggle = false;
    bool FRtsUp = false;
    bool FDraining = false;
    std::uint64_t FWriteCalls = 0;

    TComEvents FMask;
    TComEvents FHistory;
    bool FBatchStop = false;
    TComErrors FErrors;
    bool FHungUp = false;
    int FHangupError = 0;

    unsigned FLines = 0;
    bool FHasCounters = false;
    TLineCounters FCounters;
    TComClock::time_point FNextPoll{};
};
