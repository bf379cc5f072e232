#include "cport/port/ComIo.h"

#include <algorithm>
#include <cerrno>

int TComIo::WriteSome(TComOp& Op)
{
    const std::string& data = *Op.Data;
    const bool chunks = HandsOverInChunks();
    while (Op.Count < int(data.size())) {
        std::size_t chunk = std::min<std::size_t>(data.size() - std::size_t(Op.Count), 65536);
        if (chunks && (chunk = ChunkRoom(chunk)) == 0)
            return EAGAIN;
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
    CheckInputFlow(); // a flow character the device could not take before goes ahead of the writes
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
    return PutAhead(c);
}

int TComIo::PutAhead(char c)
{
    const long n = WriteOut(&c, 1);
    if (n == 1) {
        FDrainPending = true;
        FBackend.Wake();
        return 0;
    }
    return n < 0 ? int(-n) : EAGAIN;
}
