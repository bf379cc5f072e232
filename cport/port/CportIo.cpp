#include "cport/port/ComIo.h"
#include "cport/port/Cport.h"

namespace
{
// The record of a synchronous call, freed on every way out.
class TOwnAsync
{
  public:
    TOwnAsync() { InitAsync(FPtr); }
    ~TOwnAsync() { DoneAsync(FPtr); }
    TOwnAsync(const TOwnAsync&) = delete;
    TOwnAsync& operator=(const TOwnAsync&) = delete;
    TAsync*& Ptr() { return FPtr; }

  private:
    TAsync* FPtr = nullptr;
};
} // namespace

int TCustomComPort::WriteAsync(const void* Buffer, int Count, TAsync*& AsyncPtr)
{
    if (!AsyncPtr)
        throw EComPort(ComErr::InvalidAsync);
    const int n = Count > 0 ? Count : 0;
    AsyncPtr->Kind = okWrite;
    AsyncPtr->Data = std::make_shared<const std::string>(static_cast<const char*>(Buffer), std::size_t(n));
    AsyncPtr->Size = n;
    TComIo& io = Io(ComErr::Write);
    auto op = std::make_shared<TComOp>();
    op->Data = AsyncPtr->Data;
    if (int e = io.StartWrite(op))
        throw EComPort(ComErr::Write, e);
    AsyncPtr->Op = op;
    SendSignalToLink(TComLinkEvent::leTx, true);
    return io.IsDone(*op) ? op->Count : 0;
}

int TCustomComPort::WriteStrAsync(const std::string& Str, TAsync*& AsyncPtr)
{
    if (Str.empty())
        return 0;
    return WriteAsync(Str.data(), int(Str.size()), AsyncPtr);
}

int TCustomComPort::Write(const void* Buffer, int Count)
{
    TOwnAsync a;
    WriteAsync(Buffer, Count, a.Ptr());
    return WaitForAsync(a.Ptr());
}

int TCustomComPort::WriteStr(const std::string& Str)
{
    TOwnAsync a;
    WriteStrAsync(Str, a.Ptr());
    return WaitForAsync(a.Ptr());
}

int TCustomComPort::ReadAsync(void* Buffer, int Count, TAsync*& AsyncPtr)
{
    if (!AsyncPtr)
        throw EComPort(ComErr::InvalidAsync);
    AsyncPtr->Kind = okRead;
    TComIo& io = Io(ComErr::Read);
    auto op = std::make_shared<TComOp>();
    io.StartRead(op, Buffer, Count);
    AsyncPtr->Op = op;
    return io.IsDone(*op) ? op->Count : 0;
}

int TCustomComPort::ReadStrAsync(std::string& Str, int Count, TAsync*& AsyncPtr)
{
    Str.assign(std::size_t(Count > 0 ? Count : 0), '\0');
    if (Count < 1)
        return 0;
    return ReadAsync(Str.data(), Count, AsyncPtr);
}

int TCustomComPort::Read(void* Buffer, int Count)
{
    TOwnAsync a;
    ReadAsync(Buffer, Count, a.Ptr());
    return WaitForAsync(a.Ptr());
}

int TCustomComPort::ReadStr(std::string& Str, int Count)
{
    TOwnAsync a;
    ReadStrAsync(Str, Count, a.Ptr());
    const int n = WaitForAsync(a.Ptr());
    Str.resize(std::size_t(n));
    return n;
}

int TCustomComPort::WaitForAsync(TAsync*& AsyncPtr)
{
    if (!AsyncPtr)
        throw EComPort(ComErr::InvalidAsync);
    const std::shared_ptr<TComOp> op = AsyncPtr->Op;
    if (!op) // nothing was started on the record: nothing to wait for, nothing to tell
        return 0;
    const int code = op->Kind == okWrite ? ComErr::Write : ComErr::Read;
    if (FIo)
        FIo->WaitDone(*op);
    else if (!op->Done)
        throw EComPort(code, EBADF);
    if (op->Error)
        throw EComPort(code, op->Error);
    const int n = op->Count;
    if (!op->Reported) {
        op->Reported = true;
        if (op->Kind == okRead) {
            if (FIo && FIo->InputCount() == 0)
                SendSignalToLink(TComLinkEvent::leRx, false);
        } else if (n > 0) {
            // The links see what actually went out, also when the write ended short.
            TxNotifyLink(op->Data->data(), n);
        }
    }
    return n;
}

bool TCustomComPort::IsAsyncCompleted(TAsync* AsyncPtr)
{
    if (!AsyncPtr)
        throw EComPort(ComErr::InvalidAsync);
    const std::shared_ptr<TComOp> op = AsyncPtr->Op;
    if (!op)
        return true;
    if (FIo)
        return FIo->IsDone(*op);
    if (!op->Done)
        throw EComPort(ComErr::AsyncCheck, EBADF);
    return true;
}

void TCustomComPort::AbortAllAsync()
{
    Io(ComErr::Purge).AbortAll();
}

void TCustomComPort::WaitForEvent(TComEvents& Events, TComStopEvent* StopEvent, int Timeout)
{
    if (FThreadCreated)
        throw EComPort(ComErr::ThreadCreated);
    Events = Io(ComErr::WaitFailed).WaitEvents(Events, Timeout, StopEvent);
}
