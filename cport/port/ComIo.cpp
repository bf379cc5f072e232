#include "cport/port/ComIo.h"

#include "cport/port/ComIoPeriods.h"
#include "cport/port/ThreadPriority.h"

#include <algorithm>
#include <cerrno>

using namespace ComIoPeriods;

namespace
{
constexpr int DrainPollMs = 10;
constexpr auto CloseGrace = std::chrono::seconds(1);
constexpr auto ClosePoll = std::chrono::milliseconds(5);
// Bytes that a hold the port sees (CTS or DSR low under their output flow) has kept still for this long, and for
// the time a UART's FIFO takes to empty on the line (what it has still leaves after the line falls), are taken
// as held: the close stops waiting for them.
constexpr auto CloseStall = std::chrono::milliseconds(500);
constexpr int UartFifo = 16;

const TComEvents LineEvents{evCTS, evDSR, evRing, evRLSD};
} // namespace

TComIo::TComIo(TComBackend& Backend, std::size_t InputSize) : FBackend(Backend), FQueue(InputSize) {}

TComIo::~TComIo()
{
    Stop();
}

void TComIo::Start()
{
    TLock lk(*FLock);
    // Levels first, counts second: a change in between is then counted, not reported twice.
    FBackend.GetModemLines(FLines);
    FHasCounters = FBackend.GetCounters(FCounters);
    FLineCounters = FCounters;
    FNextPoll = TComClock::now() + PollPeriod;
    FStop = false;
    FLineNotice = FBackend.HasModemLines();
    FLineWatchEnded = !FLineNotice;
    if (FLine.DSRSensitivity)
        DrainDevice(); // a first look at DSR, after which every byte came
    FThread = std::thread([this] { Run(); });
    if (FLineNotice)
        FLineThread = std::thread([this] { WatchLines(); });
}

void TComIo::Stop()
{
    TLock lk(*FLock);
    const bool running = FThread.joinable();
    if (running)
        LetWrittenBytesLeave(lk);
    FStop = true;
    StopLineWatch(lk);
    lk.unlock();
    FBackend.Wake();
    if (running)
        FThread.join();
    lk.lock();
    // Under RTS toggle the line drops once the last byte has left, or here, at the bound.
    if (FRtsUp && !FHungUp && FBackend.SetModemLines(mlRTS, false) == 0)
        FRtsUp = false;
}

// A write is reported done once the driver has its bytes, so at the close they may still wait there: the handle
// closes once they have left (and under RTS toggle the line dropped after them). Close waits no longer than those
// bytes need at the line's rate and a second more. Many drivers report bytes leaving only in large steps (a USB
// adapter's transfers, a DMA transfer counted at its end), so a count that stands still proves no hold: the close
// stops sooner only once a hold it sees has kept the bytes still for the stall limit. What a hold still keeps
// back then is discarded, which also ends a drain the hold keeps waiting, and the driver's own closing wait (30 s
// by default) finds nothing left to wait for. The peer's XOFF cannot be seen: it holds the close to the bound.
void TComIo::LetWrittenBytesLeave(TLock& Lock)
{
    int queued = 0;
    if (FHungUp || FBackend.OutputQueued(queued) != 0)
        return;
    auto still = TComClock::now(); // since when a hold is seen and the bytes stand still
    const auto bound = still + LineTime(FLine, std::max(queued, 0)) + CloseGrace;
    const auto stall = CloseStall + LineTime(FLine, UartFifo);
    FBackend.Wake(); // the I/O thread drops a toggled RTS after the drain
    for (auto now = still; (queued > 0 || FRtsUp) && now < bound && now - still < stall && !FHungUp;) {
        FCv.wait_for(Lock, ClosePoll);
        int left = 0;
        if (FBackend.OutputQueued(left) != 0)
            break;
        now = TComClock::now();
        if (left < queued || !OutputFlowHeld())
            still = now;
        queued = left;
    }
    if (queued > 0 || FDraining)
        FBackend.Flush(false, true);
}

void TComIo::SetInputSize(std::size_t InputSize)
{
    TLock lk(*FLock);
    FQueue.SetLimit(InputSize);
    CheckInputFlow();
    WakeIfStalled();
}

int TComIo::SetLine(const TComLineSettings& Settings)
{
    TLock lk(*FLock);
    const TComLineSettings& s = Settings;
    FDecoder.SetOptions({s.ParityCheck, s.ParityReplace, s.ReplaceChar, s.DiscardNull, s.EventChar});
    if (s.DSRSensitivity && !FLine.DSRSensitivity)
        FDsrMark = {}; // no look yet under the new rule
    const TComLineSettings old = FLine;
    FLine = s;
    if (int e = SetLinesAsSettingsSay(old))
        return e;
    CheckInputFlow();
    // Writes held by a rule that is gone may go now, a toggled RTS may drop, DSR needs a first look.
    FBackend.Wake();
    return 0;
}

// DTR and RTS as the new settings start them, without a blip: a handshake line that the limits lowered stays low
// while its rule stands (the limits raise it again), and a toggled RTS stays up while a write is still leaving
// (the I/O thread drops it after the drain), also when the line was raised by the settings before.
int TComIo::SetLinesAsSettingsSay(const TComLineSettings& Old)
{
    const TComLineSettings& s = FLine;
    const bool rtsWasUp = Old.ControlRTS == rtsToggle
                              ? FRtsUp
                              : (Old.ControlRTS == rtsEnable || Old.ControlRTS == rtsHandshake) && !FRtsLowered;
    FDtrLowered = FDtrLowered && s.ControlDTR == dtrHandshake;
    FRtsLowered = FRtsLowered && s.ControlRTS == rtsHandshake;
    FRtsUp = s.ControlRTS == rtsToggle && rtsWasUp && OutputLeaving();
    const bool dtr = s.ControlDTR != dtrDisable && !FDtrLowered;
    const bool rts = ((s.ControlRTS == rtsEnable || s.ControlRTS == rtsHandshake) && !FRtsLowered) || FRtsUp;
    if (int e = FBackend.SetModemLines(mlDTR, dtr))
        return e;
    return FBackend.SetModemLines(mlRTS, rts);
}

bool TComIo::OutputLeaving()
{
    int queued = 0;
    return !FWrites.empty() || FDraining || (FBackend.OutputQueued(queued) == 0 && queued > 0);
}

void TComIo::SetTimeouts(const TComTimeoutValues& Timeouts)
{
    TLock lk(*FLock);
    FTimeouts = Timeouts;
}

int TComIo::InputCount()
{
    TLock lk(*FLock);
    return int(FQueue.Size());
}

TComStateFlags TComIo::StateFlags(bool HasPending)
{
    TLock lk(*FLock);
    TComStateFlags f;
    if (HasPending && FLine.OutCTSFlow && LineHolds(mlCTS))
        f.Include(fCtlHold);
    if (HasPending && FLine.OutDSRFlow && LineHolds(mlDSR))
        f.Include(fDsrHold);
    if (FXoffSent)
        f.Include(fXOffSent);
    return f;
}

int TComIo::PendingOutput()
{
    TLock lk(*FLock);
    long n = 0;
    for (const auto& op : FWrites)
        n += long(op->Data->size()) - op->Count;
    return int(std::min<long>(n, 0x7FFFFFFF));
}

int TComIo::Purge(bool Input, bool Output)
{
    TLock lk(*FLock);
    // A device that reports nothing queued leaves nothing of ours to drop. A pseudo-terminal reports nothing
    // ever, and its flush would drop bytes written but not yet handed to the other side.
    int queued = 0;
    const bool driverOutput = Output && (FBackend.OutputQueued(queued) != 0 || queued > 0);
    return Discard(Input, Output, driverOutput);
}

int TComIo::DiscardPending()
{
    TLock lk(*FLock);
    return Discard(true, true, false);
}

int TComIo::Discard(bool Input, bool Output, bool DriverOutput)
{
    if (Input) {
        FQueue.Clear();
        FDecoder.Reset();
        CheckInputFlow();
        WakeIfStalled();
    }
    if (Output) {
        // Our own write queue is part of the transmit buffer: what it still holds goes too.
        FinishAll(FWrites, 0);
        FDrainPending = false;
        if (FRtsUp)
            FBackend.Wake(); // nothing is left to send: the toggled line can drop
    }
    return Input || DriverOutput ? FBackend.Flush(Input, DriverOutput) : 0;
}

// --- the I/O thread ---------------------------------------------------------------------------------------

void TComIo::Run()
{
    NameThisThread("com-io");
    TLock lk(*FLock);
    while (!FStop) {
        const bool wantRead = !FHungUp && FQueue.Free() > 0;
        // While a chunk waits in the driver, the next goes when the line has taken about half of it.
        const bool toppingUp = TComClock::now() < FTopUpAt;
        const bool wantWrite = !FHungUp && !FWrites.empty() && !toppingUp && !WritesHeld();
        FReadStalled = !FHungUp && !wantRead;
        const int timeout = WaitTimeout(TComClock::now());
        lk.unlock();
        unsigned ready = 0;
        const int err = FBackend.Wait(wantRead, wantWrite, timeout, ready);
        lk.lock();
        if (FStop)
            break;
        if (err) {
            HangUp(err);
            continue;
        }
        // Bytes judged by DSR's level need a look at every turn, so that the next bytes have a fresh one.
        if ((ready & (wrReadable | wrHangup)) || FLine.DSRSensitivity)
            DrainDevice();
        if ((ready & wrHangup) && !FHungUp)
            HangUp(EIO);
        const auto now = TComClock::now();
        if ((ready & wrWritable) || (toppingUp && now >= FTopUpAt))
            PushWrites();
        LookIfDue(now);
        CheckLimits(now);
        CheckTxEmpty();
        DropRtsWhenSent(lk);
    }
}

int TComIo::WaitTimeout(TComClock::time_point Now) const
{
    if (FHungUp)
        return -1;
    auto until = TComClock::time_point::max();
    const bool linesHold = !FWrites.empty() && (FLine.OutCTSFlow || FLine.OutDSRFlow);
    const bool watchLines =
        FBackend.HasModemLines() && (!(FMask * LineEvents).Empty() || linesHold || FLine.DSRSensitivity);
    const bool watchErrors = FHasCounters && FMask.Contains(evError);
    if (watchLines || watchErrors)
        until = FNextPoll;
    for (const auto& op : FWrites)
        if (op->HasLimit)
            until = std::min(until, op->Limit);
    if (!FWrites.empty() && FTopUpAt > Now)
        until = std::min(until, FTopUpAt);
    if (until == TComClock::time_point::max())
        return FDrainPending ? DrainPollMs : -1;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(until - Now).count();
    const int t = int(std::clamp<long long>(ms, 0, 60000));
    return FDrainPending ? std::min(t, DrainPollMs) : t;
}

void TComIo::DrainDevice()
{
    const bool judge = FLine.DSRSensitivity && FBackend.HasModemLines();
    while (!FHungUp) {
        const std::size_t room = std::min(FQueue.Free(), sizeof FRaw);
        if (room == 0)
            break;
        const TDsrLook before = judge ? LookAtDsr() : TDsrLook{};
        const long n = FBackend.Read(FRaw, room);
        if (n == -EAGAIN && judge)
            FDsrMark = before; // the device had nothing: what comes next came after this look
        if (n == -EAGAIN || n == -EINTR)
            break;
        if (n <= 0) {
            HangUp(n == 0 ? EIO : int(-n));
            break;
        }
        FDecoded.clear();
        TRxFindings found;
        FDecoder.Decode(FRaw, std::size_t(n), FDecoded, found);
        if (judge && CameWhileDsrLow())
            FDecoded.clear();
        Accept(found);
    }
}

void TComIo::Accept(const TRxFindings& Found)
{
    TComEvents events;
    if (!FDecoded.empty()) {
        const std::size_t before = FQueue.Size();
        if (FQueue.Push(FDecoded.data(), FDecoded.size()) < FDecoded.size())
            FErrors.Include(ceRxOver);
        const std::size_t limit = FQueue.Limit();
        if (before * 5 < limit * 4 && FQueue.Size() * 5 >= limit * 4)
            events.Include(evRx80Full);
        events.Include(evRxChar);
    }
    if (Found.EventChar)
        events.Include(evRxFlag);
    if (Found.Break) {
        FErrors.Include(ceBreak);
        events.Include(evBreak);
    }
    if (Found.LineError) {
        TComErrors found = PollCounters();
        // A device that counts bad bytes has counted this one, maybe already at a look before the byte was read;
        // one that does not is taken to have seen a parity error.
        if ((found * TComErrors{ceFrame, ceRxParity}).Empty() && !FBadBytesCounted)
            found.Include(ceRxParity);
        FErrors += found;
        events.Include(evError);
    }
    CheckInputFlow();
    ServeReads(TComClock::now());
    Record(events);
}

void TComIo::HangUp(int Error)
{
    if (FHungUp)
        return;
    // An unplugged device: report it once and stop reading, rather than spin on a dead descriptor.
    FHungUp = true;
    FHangupError = Error ? Error : EIO;
    FErrors.Include(ceIO);
    FinishAll(FWrites, FHangupError);
    EndReadsAfterHangUp();
    FDrainPending = false;
    Record(TComEvents{evError});
    FCv.notify_all();
}

void TComIo::EndReadsAfterHangUp()
{
    // Reads take what came before the device went; none waits for bytes that cannot come.
    ServeReads(TComClock::now());
    while (!FReads.empty()) {
        const auto op = FReads.front();
        FReads.pop_front();
        Finish(*op, op->Count > 0 ? 0 : FHangupError);
    }
}

void TComIo::Record(TComEvents Events)
{
    const TComEvents wanted = Events * FMask;
    if (wanted.Empty())
        return;
    FHistory += wanted;
    FCv.notify_all();
}

void TComIo::WakeIfWaiting()
{
    if (!FWrites.empty())
        FBackend.Wake();
}

void TComIo::WakeIfStalled()
{
    if (FReadStalled && FQueue.Free() > 0) {
        FReadStalled = false;
        FBackend.Wake();
    }
}

// --- reads -------------------------------------------------------------------------------------------------

void TComIo::Finish(TComOp& Op, int Error)
{
    Op.Done = true;
    Op.Error = Error;
    FCv.notify_all();
}

void TComIo::FinishAll(std::deque<std::shared_ptr<TComOp>>& Ops, int Error)
{
    while (!Ops.empty()) {
        const auto op = Ops.front();
        Ops.pop_front();
        Finish(*op, Error);
    }
}

void TComIo::ServeReads(TComClock::time_point Now)
{
    while (!FReads.empty()) {
        const std::shared_ptr<TComOp> held = FReads.front(); // the list may hold the last reference
        TComOp& op = *held;
        if (!op.Target) { // its record was dropped
            FReads.pop_front();
            Finish(op, ECANCELED);
            continue;
        }
        const std::size_t n = FQueue.Pop(op.Target + op.Count, std::size_t(op.Want - op.Count));
        if (n > 0) {
            op.Count += int(n);
            op.LastByte = Now;
            FCv.notify_all();
        }
        if (!ReadOver(op.Rule, op.Count, op.Want, op.Start, op.LastByte, Now))
            break;
        FReads.pop_front();
        Finish(op, 0);
    }
    CheckInputFlow();
    WakeIfStalled();
}

void TComIo::StartRead(const std::shared_ptr<TComOp>& Op, void* Buffer, int Count)
{
    TLock lk(*FLock);
    TComOp& op = *Op;
    op.Kind = okRead;
    op.Lock = FLock;
    op.Target = static_cast<char*>(Buffer);
    op.Want = std::max(Count, 0);
    op.Rule = MakeReadRule(FTimeouts, op.Want);
    op.Start = TComClock::now();
    FReads.push_back(Op);
    if (FHungUp)
        EndReadsAfterHangUp();
    else
        ServeReads(op.Start);
}

TComClock::time_point TComIo::NextLimit(const TComOp& Op) const
{
    if (Op.Kind == okWrite)
        return Op.HasLimit ? Op.Limit : TComClock::time_point::max();
    return ReadDeadline(Op.Rule, Op.Count, Op.Start, Op.LastByte);
}

void TComIo::CheckLimits(TComClock::time_point Now)
{
    for (auto it = FReads.begin(); it != FReads.end();) {
        const std::shared_ptr<TComOp> held = *it;
        TComOp& op = *held;
        if (op.Target && ReadOver(op.Rule, op.Count, op.Want, op.Start, op.LastByte, Now)) {
            it = FReads.erase(it);
            Finish(op, 0);
        } else {
            ++it;
        }
    }
    // A write that runs out of time ends short, with the bytes that went out.
    const bool hadWrites = !FWrites.empty();
    for (auto it = FWrites.begin(); it != FWrites.end();) {
        const std::shared_ptr<TComOp> held = *it;
        TComOp& op = *held;
        if (op.HasLimit && Now >= op.Limit) {
            it = FWrites.erase(it);
            Finish(op, 0);
        } else {
            ++it;
        }
    }
    if (hadWrites && FWrites.empty())
        FDrainPending = true;
}

void TComIo::WaitDone(TComOp& Op)
{
    TLock lk(*FLock);
    while (!Op.Done) {
        const auto now = TComClock::now();
        CheckLimits(now);
        if (Op.Done)
            break;
        const auto limit = NextLimit(Op);
        if (limit == TComClock::time_point::max())
            FCv.wait(lk);
        else
            FCv.wait_until(lk, limit);
    }
}

bool TComIo::IsDone(TComOp& Op)
{
    TLock lk(*FLock);
    if (!Op.Done)
        CheckLimits(TComClock::now());
    return Op.Done;
}

void TComIo::AbortAll()
{
    TLock lk(*FLock);
    FinishAll(FReads, ECANCELED);
    FinishAll(FWrites, ECANCELED);
}
