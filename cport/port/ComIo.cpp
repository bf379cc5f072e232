#include "cport/port/ComIo.h"

#include "cport/port/ThreadPriority.h"

#include <algorithm>
#include <cerrno>
#include <vector>

namespace
{
// Lines of a device that gives no notice of their changes are looked at this often. With the notice, a look
// now and then still catches a change that came in the instant before the driver's wait began (the wait only
// counts changes from its own start).
constexpr auto PollPeriod = std::chrono::milliseconds(50);
constexpr auto BackstopPeriod = std::chrono::milliseconds(500);
constexpr int DrainPollMs = 10;
constexpr auto LineStopRetry = std::chrono::milliseconds(2);
// A line that chatters faster than the window thread takes its changes is reported in at most this many steps
// (the last level always right), and at most this many steps wait.
constexpr std::uint32_t MaxStepsPerLook = 64;
constexpr std::size_t MaxWaitingSteps = 1024;

const TComEvents LineEvents{evCTS, evDSR, evRing, evRLSD};

struct TLineKind {
    std::uint32_t TLineCounters::*Count;
    unsigned Line;
    TComEvent Event;
};
constexpr TLineKind LevelLines[] = {
    {&TLineCounters::Cts, mlCTS, evCTS},
    {&TLineCounters::Dsr, mlDSR, evDSR},
    {&TLineCounters::Rlsd, mlRLSD, evRLSD},
};

// Changes counted since the last look, cut to the step limit with the parity kept, so the level still ends right.
std::uint32_t Changes(std::uint32_t Now, std::uint32_t Before)
{
    const std::uint32_t n = Now - Before;
    if (n <= MaxStepsPerLook)
        return n;
    return MaxStepsPerLook - ((n ^ MaxStepsPerLook) & 1);
}
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
    FThread = std::thread([this] { Run(); });
    if (FLineNotice)
        FLineThread = std::thread([this] { WatchLines(); });
}

void TComIo::Stop()
{
    TLock lk(*FLock);
    FStop = true;
    // A drain held up by flow control would keep the thread from ending: what the line cannot send goes.
    if (FDraining)
        FBackend.Flush(false, true);
    StopLineWatch(lk);
    lk.unlock();
    FBackend.Wake();
    if (FThread.joinable())
        FThread.join();
}

void TComIo::StopLineWatch(TLock& Lock)
{
    // The driver's wait has no time limit: it is interrupted, again until the thread has seen it, since an
    // interruption that comes before the wait has begun is lost.
    while (!FLineWatchEnded) {
        Lock.unlock();
        FBackend.CancelLineWait();
        Lock.lock();
        FCv.wait_for(Lock, LineStopRetry, [&] { return FLineWatchEnded; });
    }
    if (FLineThread.joinable()) {
        Lock.unlock();
        FLineThread.join();
        Lock.lock();
    }
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
    FLine = s;
    FRtsUp = false;
    // The lines start over as the settings have them; the limits then decide again whether input stays stopped.
    FRtsLowered = FDtrLowered = false;
    if (int e = FBackend.SetModemLines(mlDTR, s.ControlDTR != dtrDisable))
        return e;
    if (int e = FBackend.SetModemLines(mlRTS, s.ControlRTS == rtsEnable || s.ControlRTS == rtsHandshake))
        return e;
    CheckInputFlow();
    WakeIfWaiting(); // writes held by a rule that is gone may go now
    return 0;
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
    if (Input) {
        FQueue.Clear();
        FDecoder.Reset();
        CheckInputFlow();
        WakeIfStalled();
    }
    if (Output) {
        // Our own write queue is part of the transmit buffer: what it still holds goes too.
        while (!FWrites.empty()) {
            const auto op = FWrites.front();
            FWrites.pop_front();
            Finish(*op, 0);
        }
        FDrainPending = false;
        if (FRtsUp)
            FBackend.Wake(); // nothing is left to send: the toggled line can drop
    }
    return FBackend.Flush(Input, Output);
}

// --- the I/O thread ---------------------------------------------------------------------------------------

void TComIo::Run()
{
    NameThisThread("com-io");
    TLock lk(*FLock);
    while (!FStop) {
        const bool wantRead = !FHungUp && FQueue.Free() > 0;
        const bool wantWrite = !FHungUp && !FWrites.empty() && !WritesHeld();
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
        if (ready & (wrReadable | wrHangup))
            DrainDevice();
        if ((ready & wrHangup) && !FHungUp)
            HangUp(EIO);
        if (ready & wrWritable)
            PushWrites();
        const auto now = TComClock::now();
        if ((ready & wrLines) || now >= FNextPoll) {
            TakeLineChanges();
            PollCounters();
            FNextPoll = now + (FLineNotice ? BackstopPeriod : PollPeriod);
        }
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
    const bool watchLines = FBackend.HasModemLines() && (!(FMask * LineEvents).Empty() || linesHold);
    const bool watchErrors = FHasCounters && FMask.Contains(evError);
    if (watchLines || watchErrors)
        until = FNextPoll;
    for (const auto& op : FWrites)
        if (op->HasLimit)
            until = std::min(until, op->Limit);
    if (until == TComClock::time_point::max())
        return FDrainPending ? DrainPollMs : -1;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(until - Now).count();
    const int t = int(std::clamp<long long>(ms, 0, 60000));
    return FDrainPending ? std::min(t, DrainPollMs) : t;
}

void TComIo::DrainDevice()
{
    while (!FHungUp) {
        const std::size_t room = std::min(FQueue.Free(), sizeof FRaw);
        if (room == 0)
            break;
        const long n = FBackend.Read(FRaw, room);
        if (n == -EAGAIN || n == -EINTR)
            break;
        if (n <= 0) {
            HangUp(n == 0 ? EIO : int(-n));
            break;
        }
        FDecoded.clear();
        TRxFindings found;
        FDecoder.Decode(FRaw, std::size_t(n), FDecoded, found);
        if (DsrDropping())
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
        if ((found * TComErrors{ceFrame, ceRxParity}).Empty())
            found.Include(ceRxParity);
        FErrors += found;
        events.Include(evError);
    }
    CheckInputFlow();
    ServeReads(TComClock::now());
    Record(events);
}

// Line errors the driver counted since the last look; with an error event wanted, also the event.
TComErrors TComIo::PollCounters()
{
    TLineCounters c;
    if (!FHasCounters || !FBackend.GetCounters(c))
        return {};
    TComErrors e;
    if (c.Frame != FCounters.Frame)
        e.Include(ceFrame);
    if (c.Parity != FCounters.Parity)
        e.Include(ceRxParity);
    if (c.Overrun != FCounters.Overrun)
        e.Include(ceOverrun);
    if (c.BufOverrun != FCounters.BufOverrun)
        e.Include(ceRxOver);
    FCounters = c;
    FErrors += e;
    if (!(e * TComErrors{ceFrame, ceRxParity, ceOverrun}).Empty())
        Record(TComEvents{evError});
    return e;
}

// New levels and counts of the modem lines, as steps in the order they came: each counted change is a step of its
// own, so a pulse between two looks is still on and then off. Lines whose counts did not move but whose levels
// did (a device that counts nothing) make one step more. A ring is reported when the line rises, or when a whole
// ring came and went between two looks (drivers count the ends of rings, or both edges: the count alone cannot
// tell).
void TComIo::TakeLineChanges()
{
    unsigned now = 0;
    if (!FBackend.HasModemLines() || FBackend.GetModemLines(now) != 0)
        return;
    TLineCounters c;
    const bool counted = FHasCounters && FBackend.GetCounters(c);
    std::uint32_t changes[std::size(LevelLines)] = {};
    std::uint32_t steps = 0;
    for (std::size_t k = 0; counted && k < std::size(LevelLines); ++k) {
        changes[k] = Changes(c.*LevelLines[k].Count, FLineCounters.*LevelLines[k].Count);
        steps = std::max(steps, changes[k]);
    }
    std::vector<TComBatch> found(std::max<std::uint32_t>(steps, 1));
    unsigned lines = FLines;
    for (std::uint32_t i = 0; i < steps; ++i) {
        for (std::size_t k = 0; k < std::size(LevelLines); ++k)
            if (changes[k] > i) {
                lines ^= LevelLines[k].Line;
                found[i].Events.Include(LevelLines[k].Event);
            }
        found[i].Lines = lines;
    }
    // What the counts did not show goes with the last step of this look, so it reaches the handlers together.
    TComBatch& last = found.back();
    for (std::size_t k = 0; k < std::size(LevelLines); ++k)
        if (((now ^ lines) & LevelLines[k].Line) && changes[k] == 0) {
            lines ^= LevelLines[k].Line;
            last.Events.Include(LevelLines[k].Event);
        }
    const bool ringRose = (now & mlRing) && !(FLines & mlRing);
    const bool ringBetween = counted && c.Ring != FLineCounters.Ring && !((now | FLines) & mlRing);
    if (ringRose || ringBetween)
        last.Events.Include(evRing);
    last.Lines = lines;
    for (TComBatch& step : found) {
        step.Lines = (step.Lines & ~mlRing) | (now & mlRing);
        PushLineStep(step);
    }
    if (counted)
        FLineCounters = c;
    FLines = (lines & ~mlRing) | (now & mlRing);
}

void TComIo::PushLineStep(TComBatch Step)
{
    if (Step.Events.Empty())
        return;
    // Writes held by a line may go now; the I/O thread looks again.
    WakeIfWaiting();
    Step.Events = Step.Events * FMask;
    if (Step.Events.Empty())
        return;
    if (FLineSteps.size() >= MaxWaitingSteps)
        FLineSteps.pop_front();
    FLineSteps.push_back(Step);
    FCv.notify_all();
}

void TComIo::WatchLines()
{
    NameThisThread("com-lines");
    TLock lk(*FLock);
    while (!FStop) {
        TakeLineChanges(); // also what changed since the last wait ended
        lk.unlock();
        const int e = FBackend.WaitLineChange();
        lk.lock();
        if (e && e != EINTR) {
            // No notice from this device (or it is gone): the I/O thread looks at the lines instead.
            FLineNotice = false;
            FNextPoll = TComClock::now();
            FBackend.Wake();
            break;
        }
    }
    FLineWatchEnded = true;
    FCv.notify_all();
}

// Whether the line is low on a device that has the line; a device without modem lines holds nothing.
bool TComIo::LineHolds(unsigned Line)
{
    unsigned lines = 0;
    return FBackend.HasModemLines() && FBackend.GetModemLines(lines) == 0 && !(lines & Line);
}

bool TComIo::WritesHeld()
{
    if (FXoffSent && !FLine.TxContinueOnXoff)
        return true;
    return (FLine.OutCTSFlow && LineHolds(mlCTS)) || (FLine.OutDSRFlow && LineHolds(mlDSR));
}

bool TComIo::DsrDropping()
{
    return FLine.DSRSensitivity && LineHolds(mlDSR);
}

// Input stops once more than InputSize - XoffLim bytes wait and resumes once fewer than XonLim do; each way is
// taken once. An XOFF whose rule was switched off is taken back at once.
void TComIo::CheckInputFlow()
{
    // The limits follow the queue as it is now: a buffer resized without new line settings has its own.
    const long size = long(FQueue.Size());
    const long limit = std::min<long>(long(FQueue.Limit()), 0x7FFFFFFF);
    const long flowLimit = FlowLimit(int(limit));
    const bool stop = size > limit - flowLimit;
    const bool resume = !stop && size < flowLimit;
    const bool wasHolding = FXoffSent && !FLine.TxContinueOnXoff;
    if (stop) {
        if (FLine.XonXoffIn && !FXoffSent && FBackend.SendFlowChar(false) == 0)
            FXoffSent = true;
        if (FLine.ControlRTS == rtsHandshake && !FRtsLowered && FBackend.SetModemLines(mlRTS, false) == 0)
            FRtsLowered = true;
        if (FLine.ControlDTR == dtrHandshake && !FDtrLowered && FBackend.SetModemLines(mlDTR, false) == 0)
            FDtrLowered = true;
    }
    if ((resume || !FLine.XonXoffIn) && FXoffSent && FBackend.SendFlowChar(true) == 0)
        FXoffSent = false;
    if (resume && FRtsLowered && FBackend.SetModemLines(mlRTS, true) == 0)
        FRtsLowered = false;
    if (resume && FDtrLowered && FBackend.SetModemLines(mlDTR, true) == 0)
        FDtrLowered = false;
    if (wasHolding && !FXoffSent)
        WakeIfWaiting();
}

void TComIo::HangUp(int Error)
{
    if (FHungUp)
        return;
    // An unplugged device: report it once and stop reading, rather than spin on a dead descriptor.
    FHungUp = true;
    FHangupError = Error ? Error : EIO;
    FErrors.Include(ceIO);
    while (!FWrites.empty()) {
        const auto op = FWrites.front();
        FWrites.pop_front();
        Finish(*op, FHangupError);
    }
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
    for (auto* list : {&FReads, &FWrites}) {
        while (!list->empty()) {
            auto op = list->front();
            list->pop_front();
            Finish(*op, ECANCELED);
        }
    }
}

// --- writes ------------------------------------------------------------------------------------------------

int TComIo::WriteSome(TComOp& Op)
{
    const std::string& data = *Op.Data;
    while (Op.Count < int(data.size())) {
        const std::size_t chunk = std::min<std::size_t>(data.size() - std::size_t(Op.Count), 65536);
        const long n = WriteOut(data.data() + Op.Count, chunk);
        if (n < 0)
            return n == -EINTR ? EAGAIN : int(-n);
        Op.Count += int(n);
    }
    return 0;
}

long TComIo::WriteOut(const void* Buffer, std::size_t Count)
{
    if (FLine.ControlRTS == rtsToggle && !FRtsUp && FBackend.SetModemLines(mlRTS, true) == 0)
        FRtsUp = true;
    ++FWriteCalls;
    return FBackend.Write(Buffer, Count);
}

// On the I/O thread, which every write wakes: the drain waits for the line, so it runs without the lock, and a
// write made meanwhile keeps the line up until that one has left in turn.
void TComIo::DropRtsWhenSent(TLock& Lock)
{
    if (!FRtsUp || !FWrites.empty() || FHungUp)
        return;
    const std::uint64_t calls = FWriteCalls;
    FDraining = true;
    Lock.unlock();
    FBackend.Drain();
    Lock.lock();
    FDraining = false;
    if (FRtsUp && calls == FWriteCalls && FWrites.empty() && FBackend.SetModemLines(mlRTS, false) == 0)
        FRtsUp = false;
}

int TComIo::StartWrite(const std::shared_ptr<TComOp>& Op)
{
    TLock lk(*FLock);
    if (FHungUp)
        return FHangupError;
    TComOp& op = *Op;
    op.Kind = okWrite;
    op.Lock = FLock;
    op.Start = TComClock::now();
    std::uint64_t ms = 0;
    op.HasLimit = WriteLimit(FTimeouts, int(op.Data->size()), ms);
    op.Limit = LimitAfter(op.Start, ms);
    if (FWrites.empty() && !WritesHeld()) {
        // The device usually takes a short write at once: no trip through the I/O thread.
        const int e = WriteSome(op);
        if (e && e != EAGAIN) {
            if (e == EIO)
                HangUp(e);
            return e;
        }
        if (op.Count == int(op.Data->size())) {
            Finish(op, 0);
            FDrainPending = true;
            FBackend.Wake();
            return 0;
        }
    }
    FWrites.push_back(Op);
    FBackend.Wake();
    return 0;
}

void TComIo::PushWrites()
{
    if (WritesHeld())
        return;
    while (!FWrites.empty()) {
        const std::shared_ptr<TComOp> held = FWrites.front();
        TComOp& op = *held;
        const int e = WriteSome(op);
        if (e == EAGAIN)
            return;
        FWrites.pop_front();
        Finish(op, e);
        if (e == EIO) {
            HangUp(e);
            return;
        }
    }
    FDrainPending = true;
}

void TComIo::CheckTxEmpty()
{
    if (!FDrainPending || !FWrites.empty() || FHungUp)
        return;
    int queued = 0;
    if (FBackend.OutputQueued(queued) == 0 && queued > 0)
        return;
    FDrainPending = false;
    Record(TComEvents{evTxEmpty});
}

int TComIo::SendNow(char c)
{
    TLock lk(*FLock);
    if (FHungUp)
        return FHangupError;
    const long n = WriteOut(&c, 1);
    if (n == 1) {
        FDrainPending = true;
        FBackend.Wake();
        return 0;
    }
    return n < 0 ? int(-n) : EAGAIN;
}

// --- events ------------------------------------------------------------------------------------------------

void TComIo::SetMask(TComEvents Mask)
{
    {
        TLock lk(*FLock);
        FMask = Mask;
        FHistory = {};
        FLineSteps.clear();
        FBatchStop = false;
        // Bytes that came before anyone listened must not sit unannounced until the next byte.
        if (FQueue.Size() > 0)
            Record(TComEvents{evRxChar});
    }
    FBackend.Wake(); // the I/O thread may have to watch the lines now
}

bool TComIo::WaitBatch(TComBatch& Batch)
{
    TLock lk(*FLock);
    FCv.wait(lk, [&] { return FBatchStop || !FHistory.Empty() || !FLineSteps.empty(); });
    if (FBatchStop)
        return false;
    // Line changes go one step a batch, each with its own levels.
    Batch = {};
    if (!FLineSteps.empty()) {
        Batch = FLineSteps.front();
        FLineSteps.pop_front();
    }
    Batch.Events += FHistory;
    FHistory = {};
    return true;
}

void TComIo::StopBatches()
{
    TLock lk(*FLock);
    FBatchStop = true;
    FCv.notify_all();
}

TComEvents TComIo::WaitEvents(int TimeoutMs, TComStopEvent* StopEvent)
{
    bool stopped = false; // guarded by the lock
    if (StopEvent)
        StopEvent->Attach([&] {
            TLock lk(*FLock);
            stopped = true;
            FCv.notify_all();
        });
    const bool stoppedBefore = StopEvent && StopEvent->IsSet();
    TComEvents got;
    {
        TLock lk(*FLock);
        stopped = stopped || stoppedBefore;
        auto ready = [&] { return !FHistory.Empty() || !FLineSteps.empty() || stopped; };
        if (TimeoutMs < 0)
            FCv.wait(lk, ready);
        else
            FCv.wait_for(lk, std::chrono::milliseconds(TimeoutMs), ready);
        got = FHistory;
        FHistory = {};
        for (const TComBatch& step : FLineSteps)
            got += step.Events;
        FLineSteps.clear();
        FMask = {};
    }
    if (StopEvent)
        StopEvent->Attach(nullptr); // waits for a Set that is telling us right now
    return got;
}

TComErrors TComIo::TakeErrors()
{
    TLock lk(*FLock);
    PollCounters();
    const TComErrors e = FErrors;
    FErrors = {};
    return e;
}
