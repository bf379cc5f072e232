#include "cport/port/ComGuard.h"
#include "cport/port/ComIo.h"
#include "cport/port/Cport.h"

#include <algorithm>
#include <string>

// --- links -------------------------------------------------------------------------------------------------

void TCustomComPort::RegisterLink(TComLink* AComLink)
{
    if (!AComLink || IsLinked(AComLink))
        throw EComPort(ComErr::Link);
    FLinks.push_back(AComLink);
    FHasLink = HasLink();
}

void TCustomComPort::UnRegisterLink(TComLink* AComLink)
{
    const auto it = std::find(FLinks.begin(), FLinks.end(), AComLink);
    if (it == FLinks.end())
        throw EComPort(ComErr::Link);
    FLinks.erase(it);
    FHasLink = HasLink();
}

bool TCustomComPort::HasLink() const
{
    return std::any_of(FLinks.begin(), FLinks.end(), [](const TComLink* l) { return bool(l->OnRxBuf); });
}

bool TCustomComPort::IsLinked(const TComLink* Link) const
{
    return std::find(FLinks.begin(), FLinks.end(), Link) != FLinks.end();
}

// Calls every link that is still registered when its turn comes: a handler may detach links, its own or
// another, while the list is being walked. A failing link does not keep the others from hearing.
template <class F> void TCustomComPort::ForEachLink(F&& Call)
{
    for (TComLink* link : LinkSnapshot())
        if (IsLinked(link))
            GuardComHandler([&] { Call(*link); });
}

void TCustomComPort::SendSignalToLink(TComLinkEvent Event, bool OnOff)
{
    ForEachLink([&](TComLink& l) {
        TComLink::TComSignalEvent* cb = nullptr;
        switch (Event) {
        case TComLinkEvent::leConn:
            cb = &l.OnConn;
            break;
        case TComLinkEvent::leCTS:
            cb = &l.OnCTSChange;
            break;
        case TComLinkEvent::leDSR:
            cb = &l.OnDSRChange;
            break;
        case TComLinkEvent::leRLSD:
            cb = &l.OnRLSDChange;
            break;
        case TComLinkEvent::leRx:
            cb = &l.OnRx;
            break;
        case TComLinkEvent::leTx:
            cb = &l.OnTx;
            break;
        default:
            break;
        }
        if (cb && *cb) {
            auto call = *cb; // the handler may clear its own callback
            call(this, OnOff);
        }
    });
}

void TCustomComPort::NotifyLink(TComLinkEvent Event)
{
    ForEachLink([&](TComLink& l) {
        TComLink::TNotifyEvent* cb = nullptr;
        switch (Event) {
        case TComLinkEvent::leRing:
            cb = &l.OnRingChange;
            break;
        case TComLinkEvent::leTxEmpty:
            cb = &l.OnTxEmpty;
            break;
        case TComLinkEvent::leRxFlag:
            cb = &l.OnRxFlag;
            break;
        default:
            break;
        }
        if (cb && *cb) {
            auto call = *cb;
            call(this);
        }
    });
}

void TCustomComPort::TxNotifyLink(const void* Buffer, int Count)
{
    ForEachLink([&](TComLink& l) {
        if (l.OnTxBuf) {
            auto call = l.OnTxBuf;
            call(this, Buffer, Count);
        }
    });
}

// --- published events --------------------------------------------------------------------------------------

namespace
{
template <class E, class... A> void Raise(const E& Event, A&&... Args)
{
    if (Event) {
        E call = Event; // the handler may replace itself
        call(std::forward<A>(Args)...);
    }
}
} // namespace

void TCustomComPort::DoAfterClose()
{
    Raise(OnAfterClose, this);
}
void TCustomComPort::DoAfterOpen()
{
    Raise(OnAfterOpen, this);
}
void TCustomComPort::DoBeforeClose()
{
    Raise(OnBeforeClose, this);
}
void TCustomComPort::DoBeforeOpen()
{
    Raise(OnBeforeOpen, this);
}
void TCustomComPort::DoRxChar(int Count)
{
    Raise(OnRxChar, this, Count);
}
void TCustomComPort::DoRxBuf(const void* Buffer, int Count)
{
    Raise(OnRxBuf, this, Buffer, Count);
}
void TCustomComPort::DoTxEmpty()
{
    Raise(OnTxEmpty, this);
}
void TCustomComPort::DoBreak()
{
    Raise(OnBreak, this);
}
void TCustomComPort::DoRing()
{
    Raise(OnRing, this);
}
void TCustomComPort::DoRxFlag()
{
    Raise(OnRxFlag, this);
}
void TCustomComPort::DoCTSChange(bool OnOff)
{
    Raise(OnCTSChange, this, OnOff);
}
void TCustomComPort::DoDSRChange(bool OnOff)
{
    Raise(OnDSRChange, this, OnOff);
}
void TCustomComPort::DoError(TComErrors Errors)
{
    Raise(OnError, this, Errors);
}
void TCustomComPort::DoRLSDChange(bool OnOff)
{
    Raise(OnRLSDChange, this, OnOff);
}
void TCustomComPort::DoRx80Full()
{
    Raise(OnRx80Full, this);
}

// --- open and close notices --------------------------------------------------------------------------------

void TCustomComPort::CheckSignals(bool Open)
{
    if (Open) {
        CallCTSChange();
        CallDSRChange();
        CallRLSDChange();
        return;
    }
    SendSignalToLink(TComLinkEvent::leCTS, false);
    SendSignalToLink(TComLinkEvent::leDSR, false);
    SendSignalToLink(TComLinkEvent::leRLSD, false);
    DoCTSChange(false);
    DoDSRChange(false);
    DoRLSDChange(false);
}

void TCustomComPort::CallBeforeOpen()
{
    DoBeforeOpen();
}

void TCustomComPort::CallAfterOpen()
{
    SendSignalToLink(TComLinkEvent::leConn, true);
    DoAfterOpen();
    CheckSignals(true);
}

void TCustomComPort::CallBeforeClose()
{
    CheckSignals(false);
    DoBeforeClose();
}

void TCustomComPort::CallAfterClose()
{
    SendSignalToLink(TComLinkEvent::leConn, false);
    DoAfterClose();
}

// --- port events -------------------------------------------------------------------------------------------

void TCustomComPort::CallError()
{
    const TComErrors errors = LastErrors();
    if (!errors.Empty())
        DoError(errors);
}

void TCustomComPort::CallRxChar()
{
    int count = InputCount();
    if (count <= 0)
        return;
    SendSignalToLink(TComLinkEvent::leRx, true);
    if (!GetTriggersOnRxChar()) {
        std::string buffer;
        bool read = false;
        int got = 0;
        auto readOnce = [&] {
            if (read)
                return;
            read = true;
            buffer.resize(std::size_t(count));
            got = Read(buffer.data(), count);
            if (got > 0)
                DoRxBuf(buffer.data(), got);
        };
        // Every byte-taking link gets the same bytes; only what was actually read, and nothing when that is 0.
        ForEachLink([&](TComLink& l) {
            if (!l.OnRxBuf)
                return;
            readOnce();
            if (got > 0 && l.OnRxBuf) {
                auto call = l.OnRxBuf;
                call(this, buffer.data(), got);
            }
        });
        if (!read && !FTriggersOnRxChar)
            readOnce();
        if (read)
            count = 0;
    }
    if (count > 0)
        DoRxChar(count);
}

void TCustomComPort::CallTxEmpty()
{
    SendSignalToLink(TComLinkEvent::leTx, false);
    NotifyLink(TComLinkEvent::leTxEmpty);
    DoTxEmpty();
}

void TCustomComPort::CallBreak()
{
    DoBreak();
}

void TCustomComPort::CallRing()
{
    NotifyLink(TComLinkEvent::leRing);
    DoRing();
}

void TCustomComPort::CallCTSChange()
{
    CallCTSChange(Signals().Contains(csCTS));
}

void TCustomComPort::CallCTSChange(bool OnOff)
{
    SendSignalToLink(TComLinkEvent::leCTS, OnOff);
    DoCTSChange(OnOff);
}

void TCustomComPort::CallDSRChange()
{
    CallDSRChange(Signals().Contains(csDSR));
}

void TCustomComPort::CallDSRChange(bool OnOff)
{
    SendSignalToLink(TComLinkEvent::leDSR, OnOff);
    DoDSRChange(OnOff);
}

void TCustomComPort::CallRxFlag()
{
    NotifyLink(TComLinkEvent::leRxFlag);
    DoRxFlag();
}

void TCustomComPort::CallRLSDChange()
{
    CallRLSDChange(Signals().Contains(csRLSD));
}

void TCustomComPort::CallRLSDChange(bool OnOff)
{
    SendSignalToLink(TComLinkEvent::leRLSD, OnOff);
    DoRLSDChange(OnOff);
}

void TCustomComPort::CallRx80Full()
{
    DoRx80Full();
}

void TCustomComPort::CallEvent(TComEvent Event, const TComBatch& Batch)
{
    switch (Event) {
    case evError:
        CallError();
        break;
    case evRxChar:
        CallRxChar();
        break;
    case evTxEmpty:
        CallTxEmpty();
        break;
    case evBreak:
        CallBreak();
        break;
    case evRing:
        CallRing();
        break;
    case evCTS:
        CallCTSChange((Batch.Lines & mlCTS) != 0);
        break;
    case evDSR:
        CallDSRChange((Batch.Lines & mlDSR) != 0);
        break;
    case evRxFlag:
        CallRxFlag();
        break;
    case evRLSD:
        CallRLSDChange((Batch.Lines & mlRLSD) != 0);
        break;
    case evRx80Full:
        CallRx80Full();
        break;
    }
}

void TCustomComPort::DispatchEvents(const TComBatch& Batch, unsigned Generation)
{
    for (TComEvent ev : ComDeliveryOrder) {
        if (!Batch.Events.Contains(ev))
            continue;
        // A handler may have closed the port, or closed and opened it again: the rest is stale.
        if (Generation != FGeneration.load() || !FConnected)
            return;
        GuardComHandler([&] { CallEvent(ev, Batch); });
    }
}
