#pragma once

#include <cstdint>
#include <functional>

class TCustomComPort;

// What a link can be told; each maps to one callback of TComLink.
enum class TComLinkEvent { leConn, leCTS, leDSR, leRLSD, leRing, leRx, leTx, leTxEmpty, leRxFlag };

// How a component (terminal, LED, packet splitter) listens to a port it does not own.
// The port lists the link; the component that made it owns it and unregisters it before it goes.
// Every callback may be empty; Sender is always the port.
struct TComLink {
    using TComSignalEvent = std::function<void(TCustomComPort* Sender, bool OnOff)>;
    using TRxBufEvent = std::function<void(TCustomComPort* Sender, const void* Buffer, int Count)>;
    using TNotifyEvent = std::function<void(TCustomComPort* Sender)>;

    TComSignalEvent OnConn;
    TRxBufEvent OnRxBuf;
    TRxBufEvent OnTxBuf;
    TNotifyEvent OnTxEmpty;
    TNotifyEvent OnRxFlag;
    TComSignalEvent OnCTSChange;
    TComSignalEvent OnDSRChange;
    TComSignalEvent OnRLSDChange;
    TNotifyEvent OnRingChange;
    TComSignalEvent OnTx;
    TComSignalEvent OnRx;
};
