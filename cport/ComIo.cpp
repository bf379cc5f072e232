#include "cport/ComIo.h"

#include <algorithm>
#include <cerrno>

namespace
{
constexpr auto PollPeriod = std::chrono::milliseconds(50);
constexpr int DrainPollMs = 10;

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
    FBackend.GetModemLines(FLines);
    FHasCounters = FBackend.GetCounters(FCounters);
    FNextPoll = TComClock::now() + PollPeriod;
    FStop = false;
    FThread = std::thread([this] { Run(); });
}

void TComIo::Stop()
{
    {
        TLock lk(*FLock);
        FStop = true;
        // A drain held up by flow control would keep the thread from ending: what the line cannot send goes.
        if (FDraining)
            FBackend.Flush(false, true);
    }
    FBackend.Wake();
    if (FThread.joinable())
        FThread.join();
}

void TComIo::SetInputSize(std::size_t InputSize)
{
    TLock lk(*FLock);
    FQueue.SetLimit(InputSize);
    WakeIfStalled();
}

void TComIo::SetReaderOptions(const TRxReaderOptions& Options)
{
    TLock lk(*FLock);
    FDecoder.SetOptions(Options);
}

void TComIo::SetRtsToggle(bool On)
{
    TLock lk(*FLock);
    FRtsToggle = On;
    FRtsUp = false;
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
    TLock lk(*FLock);
    while (!FStop) {
        const bool wantRead = !FHungUp && FQueue.Free() > 0;
        const bool wantWrite = !FHungUp && !FWrites.empty();
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
            PollLines();
            PollCounters();
            FNextPoll = now + PollPeriod;
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
    const bool watchLines = FBackend.HasModemLines() && !(FMask * LineEvents).Empty();
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

void TComIo::PollLines()
{
    unsigned lines = 0;
    if (!FBackend.HasModemLines() || FBackend.GetModemLines(lines) != 0)
        return;
    const unsigned changed = lines ^ FLines;
    TComEvents events;
    if (changed & mlCTS)
        events.Include(evCTS);
    if (changed & mlDSR)
        events.Include(evDSR);
    if (changed & mlRLSD)
        events.Include(evRLSD);
    if ((changed & mlRing) && (lines & mlRing))
        events.Include(evRing);
    FLines = lines;
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
    if (FRtsToggle && !FRtsUp && FBackend.SetModemLines(mlRTS, true) == 0)
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
    if (FWrites.empty()) {
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
        FBatchStop = false;
        // Bytes that came before anyone listened must not sit unannounced until the next byte.
        if (FQueue.Size() > 0)
            Record(TComEvents{evRxChar});
    }
    FBackend.Wake(); // the I/O thread may have to watch the lines now
}

bool TComIo::WaitBatch(TComEvents& Batch)
{
    TLock lk(*FLock);
    FCv.wait(lk, [&] { return FBatchStop || !FHistory.Empty(); });
    if (FBatchStop)
        return false;
    Batch = FHistory;
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
        auto ready = [&] { return !FHistory.Empty() || stopped; };
        if (TimeoutMs < 0)
            FCv.wait(lk, ready);
        else
            FCv.wait_for(lk, std::chrono::milliseconds(TimeoutMs), ready);
        got = FHistory;
        FHistory = {};
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
