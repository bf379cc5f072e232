#include "cport/port/ComIo.h"
#include "cport/port/Cport.h"

#include <algorithm>

int TCustomComPort::InputCount()
{
    return Io(ComErr::ClearError).InputCount();
}

int TCustomComPort::OutputCount()
{
    TComIo& io = Io(ComErr::ClearError);
    int queued = 0;
    if (int e = FBackend->OutputQueued(queued))
        throw EComPort(ComErr::ClearError, e);
    return io.PendingOutput() + std::max(queued, 0);
}

TComSignals TCustomComPort::Signals()
{
    unsigned lines = 0;
    if (int e = Device(ComErr::ModemStatus).GetModemLines(lines))
        throw EComPort(ComErr::ModemStatus, e);
    TComSignals s;
    if (lines & mlCTS)
        s.Include(csCTS);
    if (lines & mlDSR)
        s.Include(csDSR);
    if (lines & mlRing)
        s.Include(csRing);
    if (lines & mlRLSD)
        s.Include(csRLSD);
    return s;
}

TComStateFlags TCustomComPort::StateFlags()
{
    // What the port knows: writes held by CTS or DSR, and its own XOFF. The driver keeps whether the peer's XOFF
    // holds the output to itself.
    const int pending = OutputCount();
    return FIo->StateFlags(pending > 0);
}

TComErrors TCustomComPort::LastErrors()
{
    TComErrors e = Io(ComErr::ClearError).TakeErrors();
    if (!FParity.Check())
        e.Exclude(ceRxParity);
    return e;
}

void TCustomComPort::SetBreak(bool OnOff)
{
    if (int e = Device(ComErr::Escape).SetBreak(OnOff))
        throw EComPort(ComErr::Escape, e);
}

void TCustomComPort::SetDTR(bool OnOff)
{
    if (int e = Device(ComErr::Escape).SetModemLines(mlDTR, OnOff))
        throw EComPort(ComErr::Escape, e);
}

void TCustomComPort::SetRTS(bool OnOff)
{
    if (int e = Device(ComErr::Escape).SetModemLines(mlRTS, OnOff))
        throw EComPort(ComErr::Escape, e);
}

void TCustomComPort::SetXonXoff(bool OnOff)
{
    if (int e = Device(ComErr::Escape).SetOutputFlow(OnOff))
        throw EComPort(ComErr::Escape, e);
}

void TCustomComPort::ClearBuffer(bool Input, bool Output)
{
    if (int e = Io(ComErr::Purge).Purge(Input, Output))
        throw EComPort(ComErr::Purge, e);
}

void TCustomComPort::TransmitChar(char Ch)
{
    if (int e = Io(ComErr::Transmit).SendNow(Ch))
        throw EComPort(ComErr::Transmit, e);
}
