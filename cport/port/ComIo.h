#pragma once

#include "cport/port/ComAsync.h"
#include "cport/port/ComBackend.h"
#include "cport/port/ComBatch.h"
#include "cport/port/ComSettings.h"
#include "cport/port/ComTimeouts.h"
#include "cport/port/CportTypes.h"
#include "cport/port/RxDecoder.h"
#include "cport/port/RxQueue.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// The I/O core of one open port. Its thread drains the device into the receive queue (as large as the input
// buffer setting), feeds queued writes to the device and keeps the event history that the event thread and
// WaitForEvent take from. A second thread waits for the driver's notice of modem line changes, where the device
// gives one; otherwise the lines are looked at from time to time. The core also carries out the flow control
// the driver cannot: input stopped and resumed at the XON/XOFF limits of its own queue (XOFF, RTS and DTR),
// writes held by CTS, DSR or its own XOFF (handed to the driver a little at a time while CTS or DSR can hold
// them), bytes dropped that surely came while DSR was low, flow characters the driver cannot send. Everything
// here is guarded by one lock, which the operations in flight share.
// Its rooms: ComIo.cpp (life cycle, the I/O thread, reads), ComIoWrites.cpp, ComIoEvents.cpp, ComInputFlow.cpp
// (the flow control done here) and ComLineWatch.cpp (the line thread and the driver's counts).
class TComIo
{
  public:
    // While the port itself holds writes on CTS or DSR, the driver gets at most this many bytes at a time, so no
    // more than this (and the UART's own FIFO) leaves after the line falls.
    static constexpr int HeldOutputChunk = 64;

    TComIo(TComBackend& Backend, std::size_t InputSize);
    ~TComIo();
    TComIo(const TComIo&) = delete;
    TComIo& operator=(const TComIo&) = delete;

    void Start();
    // Bytes whose writes were reported done leave first, for as long as they need at the line's rate and a
    // second more, or until a hold the port sees (CTS or DSR under their output flow) kept them still for the
    // stall limit; what the line still holds back is discarded.
    void Stop();

    void SetInputSize(std::size_t InputSize);
    // The line settings the device has just taken: how bytes are read, the flow control done here, and DTR and
    // RTS set as the settings start them (a handshake line raised, a toggled RTS low). 0, or the errno of a line
    // the device refused to set.
    int SetLine(const TComLineSettings& Settings);
    void SetTimeouts(const TComTimeoutValues& Timeouts);
    // After any line setting the device was given while open, refused or not: the driver's line wait starts again.
    void RestartLineWait();

    int InputCount();
    int PendingOutput(); // bytes of writes the device has not taken yet
    // The hold bits of what waits here: CTS or DSR hold while HasPending and the line holds the writes, XOFF
    // sent while the port's XOFF stands.
    TComStateFlags StateFlags(bool HasPending);
    int Purge(bool Input, bool Output);
    int DiscardPending(); // unread input and the writes not yet done; the driver keeps what it took

    void StartRead(const std::shared_ptr<TComOp>& Op, void* Buffer, int Count);
    int StartWrite(const std::shared_ptr<TComOp>& Op); // errno when the write could not start
    void WaitDone(TComOp& Op);
    bool IsDone(TComOp& Op);
    void AbortAll();
    int SendNow(char c); // one byte straight to the device, ahead of the queued writes

    void SetMask(TComEvents Mask);
    bool WaitBatch(TComBatch& Batch); // false once StopBatches ran
    void StopBatches();
    // The events of Mask that happen from now on, within TimeoutMs (-1: no limit) or until StopEvent is set.
    TComEvents WaitEvents(TComEvents Mask, int TimeoutMs, TComStopEvent* StopEvent);

    TComErrors TakeErrors();

  private:
    using TLock = std::unique_lock<std::mutex>;

    void Run();
    void LetWrittenBytesLeave(TLock& Lock);
    int Discard(bool Input, bool Output, bool DriverOutput);
    void WatchLines();
    void StopLineWatch(TLock& Lock);
    template <class F> void InterruptLineWait(TLock& Lock, F Out);
    int WaitTimeout(TComClock::time_point Now) const;
    void DrainDevice();
    void Accept(const TRxFindings& Found);
    void ServeReads(TComClock::time_point Now);
    void PushWrites();
    int WriteSome(TComOp& Op); // 0, or errno; EAGAIN when the device takes no more now
    long WriteOut(const void* Buffer, std::size_t Count);
    bool HandsOverInChunks();
    std::size_t ChunkRoom(std::size_t Want); // 0 when the driver holds a chunk already
    int PutAhead(char c);
    int SendFlowChar(bool Xon);
    int SetLinesAsSettingsSay(const TComLineSettings& Old);
    bool OutputLeaving();
    void DropRtsWhenSent(TLock& Lock);
    void FinishWrites();
    void CheckLimits(TComClock::time_point Now);
    void CheckTxEmpty();
    bool WritesHeld();
    bool OutputFlowHeld(); // CTS or DSR low while its output flow is on
    bool LineHolds(unsigned Line);
    struct TDsrLook {
        bool Valid = false;
        bool High = false;
        std::uint64_t Changes = 0; // the driver's count and the changes seen here
    };
    TDsrLook LookAtDsr();
    bool CameWhileDsrLow();
    void CheckInputFlow();
    void TakeLineChanges();
    void LookIfDue(TComClock::time_point Now);
    TComClock::duration LookPeriod() const;
    void PushLineStep(TComBatch Step);
    TComErrors PollCounters();
    void HangUp(int Error);
    void EndReadsAfterHangUp();
    void Record(TComEvents Events);
    void TakeMask(TComEvents Mask);
    void CatchUp();
    void Finish(TComOp& Op, int Error);
    void FinishAll(std::deque<std::shared_ptr<TComOp>>& Ops, int Error); // each in turn, the list emptied
    void WakeIfStalled();
    void WakeIfWaiting();
    TComClock::time_point NextLimit(const TComOp& Op) const;

    TComBackend& FBackend;
    std::shared_ptr<std::mutex> FLock = std::make_shared<std::mutex>();
    std::condition_variable FCv;
    std::thread FThread;
    std::thread FLineThread;
    bool FStop = false;
    bool FLineNotice = false; // the line thread waits for the driver's notice
    bool FLineWatchEnded = true;
    bool FLineWaiting = false;         // the line thread is in (or about to enter) the driver's wait
    std::uint64_t FLineWaitStarts = 0; // the waits it began

    TRxQueue FQueue;
    TRxDecoder FDecoder;
    char FRaw[4096];
    std::string FDecoded;
    bool FReadStalled = false;

    TComTimeoutValues FTimeouts;
    std::deque<std::shared_ptr<TComOp>> FReads;
    std::deque<std::shared_ptr<TComOp>> FWrites;
    bool FDrainPending = false;
    TComClock::time_point FTopUpAt{}; // the next hand-over of a chunk, while one waits in the driver

    TComLineSettings FLine;
    bool FXoffSent = false;   // the port's XOFF stands: no XON yet
    bool FRtsLowered = false; // RTS or DTR handshake stopped the input
    bool FDtrLowered = false;
    bool FRtsUp = false;
    bool FDraining = false;
    std::uint64_t FWriteCalls = 0;

    TComEvents FMask;
    TComEvents FHistory;
    std::deque<TComBatch> FLineSteps; // line changes in the order they happened
    bool FBatchStop = false;
    TComErrors FErrors;
    bool FHungUp = false;
    int FHangupError = 0;

    unsigned FLines = 0; // the levels as last reported
    bool FHasCounters = false;
    TLineCounters FCounters;       // the error counts as last seen
    bool FBadBytesCounted = false; // the device counted a framing or parity error since the open
    TLineCounters FLineCounters;   // the line change counts as last seen
    TComClock::time_point FNextPoll{};
    TDsrLook FDsrMark;          // a look after which every byte not yet read came
    std::uint64_t FDsrSeen = 0; // DSR changes the line watcher reported
};
