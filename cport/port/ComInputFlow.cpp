// The flow control the driver cannot do: writes held by the lines or by the port's own XOFF, bytes dropped while
// DSR is low, and input stopped and resumed at the limits of the port's receive queue.
#include "cport/port/ComIo.h"

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
