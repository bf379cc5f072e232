#include "FakeComBackend.h"

#include <cerrno>
#include <cstring>

void TFakeComBackend::Feed(const std::string& Bytes)
{
    std::string raw;
    for (char c : Bytes) {
        raw.push_back(c);
        if (c == '\xFF')
            raw.push_back(c);
    }
    FeedMarked(raw);
}

void TFakeComBackend::FeedMarked(const std::string& Raw)
{
    std::lock_guard<std::mutex> g(FLock);
    FIn += Raw;
    FCv.notify_all();
}

void TFakeComBackend::SetLines(unsigned Lines)
{
    std::lock_guard<std::mutex> g(FLock);
    FLines = Lines;
    FLinesChanged = true;
    FCv.notify_all();
}

void TFakeComBackend::SetCounters(const TLineCounters& Counters)
{
    std::lock_guard<std::mutex> g(FLock);
    FCounters = Counters;
    FLinesChanged = true;
    FCv.notify_all();
}

void TFakeComBackend::Inject(const std::string& Raw, unsigned Lines, const TLineCounters& Counters)
{
    std::lock_guard<std::mutex> g(FLock);
    FIn += Raw;
    FLines = Lines;
    FCounters = Counters;
    FLinesChanged = true;
    FCv.notify_all();
}

void TFakeComBackend::HangUp()
{
    std::lock_guard<std::mutex> g(FLock);
    FHung = true;
    FCv.notify_all();
}

void TFakeComBackend::SetWriteRoom(long Bytes)
{
    std::lock_guard<std::mutex> g(FLock);
    FRoom = Bytes;
    FCv.notify_all();
}

std::string TFakeComBackend::Written()
{
    std::lock_guard<std::mutex> g(FLock);
    return FOut;
}

std::vector<std::string> TFakeComBackend::Log()
{
    std::lock_guard<std::mutex> g(FLock);
    return FLog;
}

void TFakeComBackend::ClearLog()
{
    std::lock_guard<std::mutex> g(FLock);
    FLog.clear();
}

TComLineSettings TFakeComBackend::LastLine()
{
    std::lock_guard<std::mutex> g(FLock);
    return FLine;
}

unsigned TFakeComBackend::OutputLines()
{
    std::lock_guard<std::mutex> g(FLock);
    return FOutLines;
}

bool TFakeComBackend::BreakOn()
{
    std::lock_guard<std::mutex> g(FLock);
    return FBreak;
}

int TFakeComBackend::Open(const std::string& Path)
{
    std::lock_guard<std::mutex> g(FLock);
    Add("open " + Path);
    if (RefuseOpen)
        return RefuseOpen;
    FOpen = true;
    FHung = false;
    return 0;
}

void TFakeComBackend::Close()
{
    std::lock_guard<std::mutex> g(FLock);
    if (FOpen)
        Add("close");
    FOpen = false;
}

int TFakeComBackend::SetQueueSizes(int InputSize, int OutputSize)
{
    std::lock_guard<std::mutex> g(FLock);
    Add("buffer " + std::to_string(InputSize) + " " + std::to_string(OutputSize));
    return RefuseBuffer;
}

int TFakeComBackend::SetLine(const TComLineSettings& Settings)
{
    std::lock_guard<std::mutex> g(FLock);
    Add("line " + std::to_string(Settings.BaudRate));
    if (RefuseLine)
        return RefuseLine;
    FLine = Settings;
    return 0;
}

int TFakeComBackend::SetTimeouts(const TComTimeoutValues& Timeouts)
{
    std::lock_guard<std::mutex> g(FLock);
    Add("timeouts " + std::to_string(Timeouts.ReadInterval) + " " + std::to_string(Timeouts.WriteTotalConstant));
    return RefuseTimeouts;
}

long TFakeComBackend::Read(void* Buffer, std::size_t Count)
{
    std::lock_guard<std::mutex> g(FLock);
    if (FIn.empty())
        return FHung ? -EIO : -EAGAIN;
    const std::size_t n = std::min(Count, FIn.size());
    std::memcpy(Buffer, FIn.data(), n);
    FIn.erase(0, n);
    return long(n);
}

long TFakeComBackend::Write(const void* Buffer, std::size_t Count)
{
    std::lock_guard<std::mutex> g(FLock);
    if (FHung)
        return -EIO;
    if (FRoom == 0)
        return -EAGAIN;
    std::size_t n = Count;
    if (FRoom > 0 && n > std::size_t(FRoom))
        n = std::size_t(FRoom);
    if (FRoom > 0)
        FRoom -= long(n);
    FOut.append(static_cast<const char*>(Buffer), n);
    return long(n);
}

int TFakeComBackend::Wait(bool WantRead, bool WantWrite, int TimeoutMs, unsigned& Ready)
{
    std::unique_lock<std::mutex> lk(FLock);
    auto ready = [&] {
        return FWoken || FLinesChanged || (WantRead && !FIn.empty()) || (WantWrite && FRoom != 0) ||
               ((WantRead || WantWrite) && FHung);
    };
    if (TimeoutMs < 0)
        FCv.wait(lk, ready);
    else
        FCv.wait_for(lk, std::chrono::milliseconds(TimeoutMs), ready);
    Ready = 0;
    if (WantRead && !FIn.empty())
        Ready |= wrReadable;
    if (WantWrite && FRoom != 0)
        Ready |= wrWritable;
    if ((WantRead || WantWrite) && FHung)
        Ready |= wrHangup;
    if (FLinesChanged)
        Ready |= wrLines;
    FWoken = false;
    FLinesChanged = false;
    return 0;
}

void TFakeComBackend::Wake()
{
    std::lock_guard<std::mutex> g(FLock);
    FWoken = true;
    FCv.notify_all();
}

int TFakeComBackend::GetModemLines(unsigned& Lines)
{
    std::lock_guard<std::mutex> g(FLock);
    Lines = ModemLines ? FLines : 0;
    return 0;
}

int TFakeComBackend::SetModemLines(unsigned Lines, bool On)
{
    std::lock_guard<std::mutex> g(FLock);
    Add(std::string(Lines & mlDTR ? "dtr " : "rts ") + (On ? "1" : "0"));
    FOutLines = On ? (FOutLines | Lines) : (FOutLines & ~Lines);
    return 0;
}

int TFakeComBackend::SetBreak(bool On)
{
    std::lock_guard<std::mutex> g(FLock);
    Add(std::string("break ") + (On ? "1" : "0"));
    FBreak = On;
    return 0;
}

int TFakeComBackend::SetOutputFlow(bool On)
{
    std::lock_guard<std::mutex> g(FLock);
    Add(std::string("flow ") + (On ? "1" : "0"));
    return 0;
}

int TFakeComBackend::Flush(bool Input, bool Output)
{
    std::lock_guard<std::mutex> g(FLock);
    Add(std::string("flush ") + (Input ? "1" : "0") + (Output ? "1" : "0"));
    if (Input)
        FIn.clear();
    return 0;
}

int TFakeComBackend::OutputQueued(int& Count)
{
    Count = 0;
    return 0;
}

bool TFakeComBackend::GetCounters(TLineCounters& Counters)
{
    std::lock_guard<std::mutex> g(FLock);
    Counters = FCounters;
    return true;
}
