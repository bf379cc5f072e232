// The flow control the driver cannot do: writes held by the lines or by the port's own XOFF, bytes dropped that
// came while DSR was low, and input stopped and resumed at the limits of the port's receive queue.
#include "cport/port/ComIo.h"

#include <algorithm>

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
    return OutputFlowHeld();
}

bool TComIo::OutputFlowHeld()
{
    return (FLine.OutCTSFlow && LineHolds(mlCTS)) || (FLine.OutDSRFlow && LineHolds(mlDSR));
}

// The driver holds output on CTS itself only with RTS handshake (its CRTSCTS); any other hold is the port's own,
// and the driver would send whatever it has been given after the line fell.
bool TComIo::HandsOverInChunks()
{
    const bool ownCts = FLine.OutCTSFlow && FLine.ControlRTS != rtsHandshake;
    return FBackend.HasModemLines() && (ownCts || FLine.OutDSRFlow);
}

std::size_t TComIo::ChunkRoom(std::size_t Want)
{
    int queued = 0;
    if (FBackend.OutputQueued(queued) != 0)
        queued = 0;
    if (queued < HeldOutputChunk) {
        FTopUpAt = {};
        return std::min<std::size_t>(Want, std::size_t(HeldOutputChunk - queued));
    }
    const auto wait =
        std::max<TComClock::duration>(LineTime(FLine, queued - HeldOutputChunk / 2), std::chrono::milliseconds(1));
    FTopUpAt = TComClock::now() + wait;
    return 0;
}

TComIo::TDsrLook TComIo::LookAtDsr()
{
    TDsrLook look;
    unsigned lines = 0;
    if (FBackend.GetModemLines(lines) != 0)
        return look;
    TLineCounters c;
    look.Valid = true;
    look.High = lines & mlDSR;
    look.Changes = FDsrSeen + (FHasCounters && FBackend.GetCounters(c) ? c.Dsr : 0);
    return look;
}

// Bytes just read came after the mark and before now. They surely came while DSR was low only when it was low at
// both looks and no change of it was counted or seen in between; otherwise they may have preceded the change,
// and they are kept.
bool TComIo::CameWhileDsrLow()
{
    const TDsrLook now = LookAtDsr();
    return FDsrMark.Valid && now.Valid && !FDsrMark.High && !now.High && FDsrMark.Changes == now.Changes;
}

// The driver sends the line's own XON or XOFF ahead of what it holds, but takes a character of 0 as "disabled"
// and sends nothing: that one the port writes itself, ahead of the writes queued here. Either way the character
// counts as sent only once it went to the device.
int TComIo::SendFlowChar(bool Xon)
{
    if ((Xon ? FLine.XonChar : FLine.XoffChar) != 0)
        return FBackend.SendFlowChar(Xon);
    return PutAhead(0);
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
        if (FLine.XonXoffIn && !FXoffSent && SendFlowChar(false) == 0)
            FXoffSent = true;
        if (FLine.ControlRTS == rtsHandshake && !FRtsLowered && FBackend.SetModemLines(mlRTS, false) == 0)
            FRtsLowered = true;
        if (FLine.ControlDTR == dtrHandshake && !FDtrLowered && FBackend.SetModemLines(mlDTR, false) == 0)
            FDtrLowered = true;
    }
    if ((resume || !FLine.XonXoffIn) && FXoffSent && SendFlowChar(true) == 0)
        FXoffSent = false;
    if (resume && FRtsLowered && FBackend.SetModemLines(mlRTS, true) == 0)
        FRtsLowered = false;
    if (resume && FDtrLowered && FBackend.SetModemLines(mlDTR, true) == 0)
        FDtrLowered = false;
    if (wasHolding && !FXoffSent)
        WakeIfWaiting();
}
