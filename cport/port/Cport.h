#pragma once

#include "cport/port/ComAsync.h"
#include "cport/port/ComBackend.h"
#include "cport/port/ComBatch.h"
#include "cport/port/ComLink.h"
#include "cport/port/ComOptions.h"
#include "cport/port/CportConv.h"
#include "cport/port/CportTypes.h"
#include "cport/port/EComPort.h"
#include "cport/port/EnumPorts.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TComIo;
class TComThread;

// One serial port: its settings, the device, the line operations, reads and writes, the event thread and the
// links of the components that listen to it. Belongs to the window thread; every failure raises EComPort.
class TCustomComPort
{
  public:
    using TNotifyEvent = std::function<void(TCustomComPort* Sender)>;
    using TRxCharEvent = std::function<void(TCustomComPort* Sender, int Count)>;
    using TRxBufEvent = std::function<void(TCustomComPort* Sender, const void* Buffer, int Count)>;
    using TComSignalEvent = std::function<void(TCustomComPort* Sender, bool OnOff)>;
    using TComErrorEvent = std::function<void(TCustomComPort* Sender, TComErrors Errors)>;

    TCustomComPort();
    virtual ~TCustomComPort();
    TCustomComPort(const TCustomComPort&) = delete;
    TCustomComPort& operator=(const TCustomComPort&) = delete;

    // --- life cycle
    void Open();
    void Close();
    bool Connected() const { return FConnected; }
    void SetConnected(bool Value);
    void BeginUpdate();
    void EndUpdate();

    // --- settings (a change on an open port reaches the device at once, unless an update is in progress)
    const std::string& Port() const { return FPort; }
    void SetPort(const std::string& Value); // "ttyUSB0" (under /dev) or a full path
    TBaudRate BaudRate() const { return FBaudRate; }
    void SetBaudRate(TBaudRate Value);
    int CustomBaudRate() const { return FCustomBaudRate; }
    void SetCustomBaudRate(int Value);
    TStopBits StopBits() const { return FStopBits; }
    void SetStopBits(TStopBits Value);
    TDataBits DataBits() const { return FDataBits; }
    void SetDataBits(TDataBits Value);
    bool DiscardNull() const { return FDiscardNull; }
    void SetDiscardNull(bool Value);
    char EventChar() const { return FEventChar; }
    void SetEventChar(char Value);
    TComEvents Events() const { return FEvents; }
    void SetEvents(TComEvents Value) { FEvents = Value; } // takes effect at the next Open
    TComBuffer& Buffer() { return FBuffer; }
    void SetBuffer(const TComBuffer& Value);
    TComParity& Parity() { return FParity; }
    void SetParity(const TComParity& Value);
    TComTimeouts& Timeouts() { return FTimeouts; }
    void SetTimeouts(const TComTimeouts& Value);
    TComFlowControl& FlowControl() { return FFlowControl; }
    void SetFlowControl(const TComFlowControl& Value);
    TSyncMethod SyncMethod() const { return FSyncMethod; }
    void SetSyncMethod(TSyncMethod Value);
    TThreadPriority EventThreadPriority() const { return FEventThreadPriority; }
    void SetEventThreadPriority(TThreadPriority Value);
    bool TriggersOnRxChar() const { return GetTriggersOnRxChar(); }
    bool GetTriggersOnRxChar() const;
    void SetTriggersOnRxChar(bool Value);
    TStoredProps StoredProps() const { return FStoredProps; }
    void SetStoredProps(TStoredProps Value) { FStoredProps = Value; }

    // The device layer; the tests put a scripted one here. Only while closed.
    void SetBackend(std::unique_ptr<TComBackend> Backend);

    // The setup dialog for this port; what the user confirms is applied to it.
    void ShowSetupDialog();

    // --- line operations (each needs an open port)
    int InputCount();
    int OutputCount();
    TComSignals Signals();
    TComStateFlags StateFlags();
    TComErrors LastErrors();
    void SetBreak(bool OnOff);
    void SetDTR(bool OnOff);
    void SetRTS(bool OnOff);
    void SetXonXoff(bool OnOff);
    void ClearBuffer(bool Input, bool Output);
    void TransmitChar(char Ch);

    // --- reads and writes (byte strings, any values)
    int WriteAsync(const void* Buffer, int Count, TAsync*& AsyncPtr);
    int WriteStrAsync(const std::string& Str, TAsync*& AsyncPtr);
    int Write(const void* Buffer, int Count);
    int WriteStr(const std::string& Str);
    int ReadAsync(void* Buffer, int Count, TAsync*& AsyncPtr);
    int ReadStrAsync(std::string& Str, int Count, TAsync*& AsyncPtr);
    int Read(void* Buffer, int Count);
    int ReadStr(std::string& Str, int Count);
    int WaitForAsync(TAsync*& AsyncPtr);
    bool IsAsyncCompleted(TAsync* AsyncPtr);
    void AbortAllAsync();
    // Waits for one of Events without the event thread; Timeout in ms, below 0 without limit.
    void WaitForEvent(TComEvents& Events, TComStopEvent* StopEvent, int Timeout);

    // --- links
    void RegisterLink(TComLink* AComLink);
    void UnRegisterLink(TComLink* AComLink);
    bool HasLink() const;

    // --- events
    TRxCharEvent OnRxChar;
    TRxBufEvent OnRxBuf;
    TNotifyEvent OnTxEmpty;
    TNotifyEvent OnBreak;
    TNotifyEvent OnRing;
    TComSignalEvent OnCTSChange;
    TComSignalEvent OnDSRChange;
    TComSignalEvent OnRLSDChange;
    TComErrorEvent OnError;
    TNotifyEvent OnRxFlag;
    TNotifyEvent OnAfterOpen;
    TNotifyEvent OnAfterClose;
    TNotifyEvent OnBeforeOpen;
    TNotifyEvent OnBeforeClose;
    TNotifyEvent OnRx80Full;

  protected:
    // The line settings as the device gets them (what ApplyDCB pushes).
    TComLineSettings LineSettings() const;

    friend class TComOption;
    friend class TComThread;

    virtual void CreateHandle();
    virtual void DestroyHandle();
    virtual void SetupComPort();
    virtual void ApplyDCB();
    virtual void ApplyTimeouts();
    virtual void ApplyBuffer();

    virtual void DoAfterClose();
    virtual void DoAfterOpen();
    virtual void DoBeforeClose();
    virtual void DoBeforeOpen();
    virtual void DoRxChar(int Count);
    virtual void DoRxBuf(const void* Buffer, int Count);
    virtual void DoTxEmpty();
    virtual void DoBreak();
    virtual void DoRing();
    virtual void DoRxFlag();
    virtual void DoCTSChange(bool OnOff);
    virtual void DoDSRChange(bool OnOff);
    virtual void DoError(TComErrors Errors);
    virtual void DoRLSDChange(bool OnOff);
    virtual void DoRx80Full();

    void SendSignalToLink(TComLinkEvent Event, bool OnOff);
    void NotifyLink(TComLinkEvent Event);
    void TxNotifyLink(const void* Buffer, int Count);
    void CheckSignals(bool Open);

    void CallBeforeOpen();
    void CallAfterOpen();
    void CallBeforeClose();
    void CallAfterClose();
    void CallRxChar();
    void CallTxEmpty();
    void CallBreak();
    void CallRing();
    void CallCTSChange();
    void CallDSRChange();
    void CallRxFlag();
    void CallRLSDChange();
    // A line change reported with the level it had right after the change, which a batch carries.
    void CallCTSChange(bool OnOff);
    void CallDSRChange(bool OnOff);
    void CallRLSDChange(bool OnOff);
    void CallError();
    void CallRx80Full();

  private:
    template <class T> void StoreLine(T& Field, T Value)
    {
        if (Value == Field)
            return;
        Field = Value;
        ApplyDCB();
    }
    template <class T> void StoreWhileClosed(T& Field, T Value)
    {
        if (Value == Field)
            return;
        if (FConnected)
            throw EComPort(ComErr::ConnChangeProp);
        Field = Value;
    }
    bool CanApply() const { return FConnected && FUpdateCount == 0; }
    TComIo& Io(int Code); // the open port's I/O core; raises Code when closed
    // The I/O core's part of line settings the device has taken: how it reads, the flow control it does itself,
    // the control lines; the errno of a line it could not set.
    int FollowLine(const TComLineSettings& Settings);
    TComBackend& Device(int Code);
    void StartEventThread();
    void StopEventThread();
    void ReapEventThread();
    void DispatchEvents(const TComBatch& Batch, unsigned Generation);
    void CallEvent(TComEvent Event, const TComBatch& Batch);
    std::vector<TComLink*> LinkSnapshot() const { return FLinks; }
    bool IsLinked(const TComLink* Link) const;
    template <class F> void ForEachLink(F&& Call);

    std::unique_ptr<TComThread> FEventThread;
    std::unique_ptr<TComThread> FRetiredThread; // closed from a handler on its own thread
    bool FThreadCreated = false;
    std::unique_ptr<TComBackend> FBackend;
    std::unique_ptr<TComIo> FIo; // the handle: none while closed
    QObject FDispatcher;         // window-thread end of the event hand-off
    std::atomic<unsigned> FGeneration{0};
    int FUpdateCount = 0;
    std::vector<TComLink*> FLinks;
    bool FTriggersOnRxChar = true;
    TThreadPriority FEventThreadPriority = tpNormal;
    bool FHasLink = false;
    bool FConnected = false;
    bool FClosing = false;
    TBaudRate FBaudRate = br9600;
    int FCustomBaudRate = 9600;
    std::string FPort = "COM1";
    TStopBits FStopBits = sbOneStopBit;
    TDataBits FDataBits = dbEight;
    bool FDiscardNull = false;
    char FEventChar = 0;
    TComEvents FEvents = AllComEvents;
    TComBuffer FBuffer;
    TComParity FParity;
    TComTimeouts FTimeouts;
    TComFlowControl FFlowControl;
    TSyncMethod FSyncMethod = smThreadSync;
    TStoredProps FStoredProps{spBasic};
};

// The port the main window holds.
class TComPort : public TCustomComPort
{
  public:
    TComPort() = default;
};

// The device path of a port name: a name with a slash is a path, any other lives under /dev.
std::string ComDevicePath(const std::string& Port);
