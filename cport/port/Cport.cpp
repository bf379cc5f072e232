#include "cport/port/Cport.h"

#include "cport/port/ComGuard.h"
#include "cport/port/ComIo.h"
#include "cport/port/ComNotify.h"
#include "cport/port/ComThread.h"
#include "cport/port/PosixTtyBackend.h"

#include <cerrno>

std::string ComDevicePath(const std::string& Port)
{
    if (Port.find('/') != std::string::npos)
        return Port;
    return "/dev/" + Port;
}

TCustomComPort::TCustomComPort()
{
    FParity.SetComPort(this);
    FFlowControl.SetComPort(this);
    FTimeouts.SetComPort(this);
    FBuffer.SetComPort(this);
}

TCustomComPort::~TCustomComPort()
{
    // LEDs, pickers and splitters that hold this port let go of it while it is still whole.
    ComPortGone(this);
    try {
        Close();
    } catch (...) {
        ReportComException(std::current_exception());
    }
    // A failing close handler leaves the port open: its threads and handle still go, before the members
    // they use.
    if (FConnected) {
        ++FGeneration;
        GuardComHandler([this] { AbortAllAsync(); });
        StopEventThread();
        DestroyHandle();
        FConnected = false;
    }
    FRetiredThread.reset();
}

void TCustomComPort::SetBackend(std::unique_ptr<TComBackend> Backend)
{
    if (FConnected)
        throw EComPort(ComErr::ConnChangeProp);
    FBackend = std::move(Backend);
}

// --- life cycle --------------------------------------------------------------------------------------------

void TCustomComPort::Open()
{
    if (FConnected)
        return;
    CallBeforeOpen();
    CreateHandle();
    FConnected = true;
    try {
        SetupComPort();
    } catch (...) {
        DestroyHandle();
        FConnected = false;
        throw;
    }
    if (FUpdateCount > 0) {
        // The settings wait for the last EndUpdate, but the device must not run cooked (echo, line
        // editing, unmarked 0xFF) until then: it gets the settings as they stand now, and EndUpdate
        // applies and checks them again.
        const TComLineSettings s = LineSettings();
        if (FBackend->SetLine(s) == 0)
            (void)FollowLine(s);
    }
    ++FGeneration;
    FIo->Start();
    if (!FEvents.Empty())
        StartEventThread();
    else
        FThreadCreated = false;
    CallAfterOpen();
}

void TCustomComPort::Close()
{
    if (!FConnected || FClosing)
        return;
    FClosing = true;
    try {
        CallBeforeClose();
    } catch (...) {
        FClosing = false;
        throw;
    }
    FClosing = false;
    if (!FConnected) // a handler closed it already
        return;
    ++FGeneration; // batches still on their way are dropped
    AbortAllAsync();
    StopEventThread();
    DestroyHandle();
    FConnected = false;
    CallAfterClose();
}

void TCustomComPort::SetConnected(bool Value)
{
    if (Value == FConnected)
        return;
    if (Value)
        Open();
    else
        Close();
}

void TCustomComPort::StartEventThread()
{
    ReapEventThread();
    FEventThread =
        std::make_unique<TComThread>(*this, *FIo, FDispatcher, FSyncMethod, FEventThreadPriority, FGeneration.load());
    FThreadCreated = true;
}

void TCustomComPort::StopEventThread()
{
    if (!FThreadCreated)
        return;
    FThreadCreated = false;
    if (FEventThread && FEventThread->OnThisThread()) {
        // Closed by a handler that runs on the event thread itself: it ends when that handler returns.
        FEventThread->Stop();
        FRetiredThread = std::move(FEventThread);
    } else {
        FEventThread.reset();
    }
    // The event thread's way out discards unread input and the writes not yet done either way; what the driver
    // took was reported written and still goes out (the close waits for it).
    if (FIo)
        FIo->DiscardPending();
}

void TCustomComPort::ReapEventThread()
{
    if (FRetiredThread && !FRetiredThread->OnThisThread())
        FRetiredThread.reset();
}

void TCustomComPort::CreateHandle()
{
    if (!FBackend)
        FBackend = std::make_unique<TPosixTtyBackend>();
    if (int e = FBackend->Open(ComDevicePath(FPort)))
        throw EComPort(ComErr::Open, e);
    FIo = std::make_unique<TComIo>(*FBackend, std::size_t(FBuffer.InputSize() > 0 ? FBuffer.InputSize() : 1));
}

void TCustomComPort::DestroyHandle()
{
    if (!FIo)
        return;
    FIo->Stop();
    FIo.reset();
    FBackend->Close();
}

void TCustomComPort::BeginUpdate()
{
    ++FUpdateCount;
}

void TCustomComPort::EndUpdate()
{
    if (FUpdateCount <= 0)
        return;
    if (--FUpdateCount == 0)
        SetupComPort();
}

void TCustomComPort::SetupComPort()
{
    ApplyBuffer();
    ApplyDCB();
    ApplyTimeouts();
}

// --- settings ----------------------------------------------------------------------------------------------

TComLineSettings TCustomComPort::LineSettings() const
{
    TComLineSettings s;
    s.BaudRate = FBaudRate == brCustom ? FCustomBaudRate : BaudRateValue(FBaudRate);
    s.DataBits = 5 + int(FDataBits);
    s.StopBits = FStopBits;
    s.Parity = FParity.Bits();
    s.ParityCheck = FParity.Check();
    s.ParityReplace = FParity.Check() && FParity.Replace();
    s.ReplaceChar = s.ParityReplace ? FParity.ReplaceChar() : 0;
    s.OutCTSFlow = FFlowControl.OutCTSFlow();
    s.OutDSRFlow = FFlowControl.OutDSRFlow();
    s.ControlDTR = FFlowControl.ControlDTR();
    s.ControlRTS = FFlowControl.ControlRTS();
    s.DSRSensitivity = FFlowControl.DSRSensitivity();
    s.TxContinueOnXoff = FFlowControl.TxContinueOnXoff();
    s.XonXoffOut = FFlowControl.XonXoffOut();
    s.XonXoffIn = FFlowControl.XonXoffIn();
    s.XonChar = FFlowControl.XonChar();
    s.XoffChar = FFlowControl.XoffChar();
    s.DiscardNull = FDiscardNull;
    s.EventChar = FEventChar;
    s.XonLim = FlowLimit(FBuffer.InputSize());
    s.XoffLim = s.XonLim;
    return s;
}

void TCustomComPort::ApplyDCB()
{
    if (!CanApply())
        return;
    const TComLineSettings s = LineSettings();
    const int refused = FBackend->SetLine(s);
    FIo->RestartLineWait(); // the setting may have reached the UART even when refused
    if (refused)
        throw EComPort(ComErr::SetState, refused);
    if (int e = FollowLine(s))
        throw EComPort(ComErr::SetState, e);
}

int TCustomComPort::FollowLine(const TComLineSettings& s)
{
    return FIo->SetLine(s);
}

void TCustomComPort::ApplyTimeouts()
{
    if (!CanApply())
        return;
    const TComTimeoutValues t = FTimeouts.Values();
    if (int e = FBackend->SetTimeouts(t))
        throw EComPort(ComErr::Timeouts, e);
    FIo->SetTimeouts(t);
}

void TCustomComPort::ApplyBuffer()
{
    if (!CanApply())
        return;
    const int in = FBuffer.InputSize();
    const int out = FBuffer.OutputSize();
    if (in < 1 || out < 1)
        throw EComPort(ComErr::Setup, EINVAL);
    if (int e = FBackend->SetQueueSizes(in, out))
        throw EComPort(ComErr::Setup, e);
    FIo->SetInputSize(std::size_t(in));
}

void TCustomComPort::SetPort(const std::string& Value)
{
    if (Value == FPort)
        return;
    FPort = Value;
    if (FConnected) {
        Close();
        Open();
    }
}

void TCustomComPort::SetBaudRate(TBaudRate Value)
{
    StoreLine(FBaudRate, Value);
}

void TCustomComPort::SetCustomBaudRate(int Value)
{
    StoreLine(FCustomBaudRate, Value);
}

void TCustomComPort::SetStopBits(TStopBits Value)
{
    StoreLine(FStopBits, Value);
}

void TCustomComPort::SetDataBits(TDataBits Value)
{
    StoreLine(FDataBits, Value);
}

void TCustomComPort::SetDiscardNull(bool Value)
{
    StoreLine(FDiscardNull, Value);
}

void TCustomComPort::SetEventChar(char Value)
{
    StoreLine(FEventChar, Value);
}

void TCustomComPort::SetBuffer(const TComBuffer& Value)
{
    FBuffer.Assign(Value);
    ApplyBuffer();
}

void TCustomComPort::SetParity(const TComParity& Value)
{
    FParity.Assign(Value);
    ApplyDCB();
}

void TCustomComPort::SetTimeouts(const TComTimeouts& Value)
{
    FTimeouts.Assign(Value);
    ApplyTimeouts();
}

void TCustomComPort::SetFlowControl(const TComFlowControl& Value)
{
    FFlowControl.Assign(Value);
    ApplyDCB();
}

void TCustomComPort::SetSyncMethod(TSyncMethod Value)
{
    StoreWhileClosed(FSyncMethod, Value);
}

void TCustomComPort::SetEventThreadPriority(TThreadPriority Value)
{
    StoreWhileClosed(FEventThreadPriority, Value);
}

bool TCustomComPort::GetTriggersOnRxChar() const
{
    return FTriggersOnRxChar && !FHasLink;
}

void TCustomComPort::SetTriggersOnRxChar(bool Value)
{
    if (FHasLink)
        throw EComPort(ComErr::HasLink);
    FTriggersOnRxChar = Value;
}

// --- the open port ------------------------------------------------------------------------------------------

TComIo& TCustomComPort::Io(int Code)
{
    // A closed port has no handle: every operation fails with its own code rather than reach a stale one.
    if (!FIo)
        throw EComPort(Code, EBADF);
    return *FIo;
}

TComBackend& TCustomComPort::Device(int Code)
{
    Io(Code);
    return *FBackend;
}
