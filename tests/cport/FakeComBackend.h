#pragma once

#include "FakeTxLine.h"

#include "cport/port/ComBackend.h"
#include "cport/port/Cport.h"
#include "cport/port/ThreadInterrupt.h"

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

// A scripted serial device: the test feeds received bytes, moves the modem lines (counted as a driver counts
// them, and noticed by a line wait), hangs the device up, limits how much it takes, refuses settings (before or
// after applying them), and reads the log of what the port applied. What the port writes waits in the driver's
// transmit buffer and leaves at the line's pace, held while the driver's CTS flow (CRTSCTS) sees CTS low, while
// output is stopped, or at will; the count of it the driver reports falls byte by byte or a transfer at a time.
class TFakeComBackend final : public TComBackend
{
  public:
    ~TFakeComBackend() override { close(FLineFd); }

    // --- script (any thread)
    void Feed(const std::string& Bytes) // as a marking driver hands them over (0xFF doubled)
    {
        std::string raw;
        for (char c : Bytes)
            raw.append(c == '\xFF' ? 2 : 1, c);
        Change([&] { FIn += raw; });
    }
    void SetLines(unsigned Lines)
    {
        Change([&] {
            Count(FLines ^ Lines, Lines);
            FLines = Lines;
        });
    }
    // The line goes over and back between two looks of the port: only the counts show it.
    void Pulse(unsigned Line)
    {
        Change([&] {
            Count(Line, FLines ^ Line);
            Count(Line, FLines);
        });
    }
    // A break on the line: no count the port reads, the mark FF 00 00 in the input.
    void Break()
    {
        Change([&] { FIn.append("\xFF\0\0", 3); });
    }
    // A byte that came with a framing or parity error: counted, and marked FF 00 c only while the line checks
    // parity (INPCK); unchecked, it arrives as it came.
    void BadByte(char c, bool Framing)
    {
        Change([&] {
            ++(Framing ? FCounts.Frame : FCounts.Parity);
            FIn += FLine.ParityCheck ? std::string("\xFF\0", 2) + c : std::string(1, c);
        });
    }
    // A byte the UART lost before the driver took it: only the count shows it.
    void Overrun()
    {
        Change([&] { ++FCounts.Overrun; });
    }
    bool LineNotice = true; // the device wakes a line wait on a change
    bool Counts = true;     // the device keeps counts of line changes and errors
    int LineWaitCalls() { return Get(FLineWaitCalls); }
    int Looks() { return Get(FLooks); } // how often the lines or the counts were read
    int LineWaiters() { return Get(FLineWaiters); }
    void HoldLine(bool On) { Put(FLineHeld, On); } // the line sends nothing, as a UART whose output stopped
    int Drains() { return Get(FDrains); }
    // The driver reports its output count falling only as each transfer of this many bytes ends
    // (TFakeTxLine::WholeTransfer: all it had when the transfer began).
    void ReportInTransfers(std::size_t Bytes)
    {
        Change([&] { FTx.SetTransfer(Bytes); });
    }
    // Unplugged: from now on every call answers EIO (a read too, whatever the driver held), and the line wait
    // ends with it.
    void HangUp()
    {
        Change([&] { FHung = true, Notify(); });
    }
    void SetWriteRoom(long Bytes) { Put(FRoom, Bytes); } // below 0 without limit
    std::string Written() { return Get(FOut); }          // what the driver took from the port
    std::string Sent()
    {
        return Locked([&] { return FTx.Sent(); });
    } // what left on the line
    std::size_t Queued()
    {
        return Locked([&] { return FTx.Queued(); });
    }
    std::string Unread() { return Get(FIn); } // fed, not yet taken by the port
    std::vector<std::string> Log() { return Get(FLog); }
    void ClearLog() { Put(FLog, {}); }
    TComLineSettings LastLine() { return Get(FLine); }
    unsigned OutputLines() { return Get(FOutLines); }               // DTR and RTS as the port set them
    std::size_t QueuedAtRtsDrop() { return Get(FQueuedAtRtsDrop); } // bytes still to send when RTS last fell
    int RefuseOpen = 0, RefuseBuffer = 0, RefuseLine = 0, RefuseTimeouts = 0;
    int RefuseLineApplied = 0; // the setting reaches the UART, yet the driver reads back less and refuses it

    // --- device
    int Open(const std::string& Path) override
    {
        if (!RefuseOpen)
            FOpen = true, Put(FHung, false);
        return Logged("open " + Path, RefuseOpen);
    }
    // As a tty's close: it waits for the driver's buffer to empty, up to the driver's closing wait.
    void Close() override
    {
        if (!FOpen)
            return;
        {
            std::unique_lock<std::mutex> lk(FLock);
            FCv.wait_for(lk, ClosingWait, [&] { return FTx.Queued() == 0; });
            FTx.Flush();
            FOpen = false;
        }
        Logged("close", 0);
    }
    static constexpr auto ClosingWait = std::chrono::seconds(30);
    int SetQueueSizes(int In, int Out) override { return Logged("buffer " + N(In) + " " + N(Out), RefuseBuffer); }
    // As a 16550's driver: a setting turns the modem status interrupt off unless its CTS flow needs it, and only
    // a line wait that starts turns it on again; meanwhile the lines change unnoticed and uncounted. So does a
    // setting the driver applies and then refuses.
    int SetLine(const TComLineSettings& S) override
    {
        if (!RefuseLine)
            Change([&] {
                FLine = S;
                FLinesUnheard = FLinesUnheard || (FLineWaiters > 0 && !(S.OutCTSFlow && S.ControlRTS == rtsHandshake));
            });
        return Logged("line " + N(S.BaudRate), RefuseLine ? RefuseLine : RefuseLineApplied);
    }
    int SetTimeouts(const TComTimeoutValues& T) override
    {
        return Logged("timeouts " + N(T.ReadInterval) + " " + N(T.WriteTotalConstant), RefuseTimeouts);
    }
    long Read(void* Buffer, std::size_t Count) override
    {
        std::lock_guard<std::mutex> g(FLock);
        if (FHung)
            return -EIO; // what the driver held went with the device
        const std::size_t n = std::min(Count, FIn.size());
        std::memcpy(Buffer, FIn.data(), n);
        FIn.erase(0, n);
        return n ? long(n) : -EAGAIN;
    }
    long Write(const void* Buffer, std::size_t Count) override
    {
        std::lock_guard<std::mutex> g(FLock);
        if (FHung || FRoom == 0)
            return FHung ? -EIO : -EAGAIN;
        const std::size_t n =
            FTx.Take(static_cast<const char*>(Buffer), FRoom > 0 ? std::min(Count, std::size_t(FRoom)) : Count);
        FRoom -= FRoom > 0 ? long(n) : 0;
        FOut.append(static_cast<const char*>(Buffer), n);
        return n ? long(n) : -EAGAIN;
    }
    int Wait(bool WantRead, bool WantWrite, int TimeoutMs, unsigned& Ready) override
    {
        std::unique_lock<std::mutex> lk(FLock);
        const auto bit = [](bool On, unsigned Bit) { return On ? Bit : 0u; };
        const auto ready = [&] {
            return bit(WantRead && !FIn.empty(), wrReadable) |
                   bit(WantWrite && FRoom != 0 && FTx.Room() > 0, wrWritable) |
                   bit((WantRead || WantWrite) && FHung, wrHangup);
        };
        FCv.wait_for(lk, std::chrono::milliseconds(TimeoutMs < 0 ? 3600000 : TimeoutMs),
                     [&] { return FWoken || ready(); });
        Ready = ready();
        FWoken = false;
        return 0;
    }
    void Wake() override { Put(FWoken, true); }
    bool HasModemLines() override { return true; }
    int GetModemLines(unsigned& Lines) override
    {
        std::lock_guard<std::mutex> g(FLock);
        ++FLooks;
        Lines = FHung ? 0 : FLines;
        return FHung ? EIO : 0;
    }
    // Logs a line only when it moves, as the peer would see it.
    int SetModemLines(unsigned Lines, bool On) override
    {
        if (Get(FHung))
            return EIO;
        const unsigned before = Get(FOutLines);
        const unsigned after = On ? (before | Lines) : (before & ~Lines);
        Put(FOutLines, after);
        if ((before & ~after) & mlRTS)
            Put(FQueuedAtRtsDrop, Queued());
        return after == before ? 0 : Logged(std::string(Lines & mlDTR ? "dtr " : "rts ") + N(On), 0);
    }
    int SetBreak(bool On) override { return Logged("break " + N(On), 0); }
    int SetOutputFlow(bool On) override
    {
        Put(FOutputStopped, !On);
        return Logged("flow " + N(On), 0);
    }
    // The line's own character ahead of the queue; a character of 0 is "disabled" to the driver: nothing goes.
    int SendFlowChar(bool Xon) override
    {
        const char c = Locked([&] { return Xon ? FLine.XonChar : FLine.XoffChar; });
        if (c == 0)
            return 0;
        Change([&] { FTx.SendAhead(c); });
        return Logged(Xon ? "xon" : "xoff", 0);
    }
    int WaitLineChange() override
    {
        // As TIOCMIWAIT: a blocking call that ends on a line change counted after it began (not on one before it,
        // nor on an error), on an unplug (EIO) or on an interrupting signal (EINTR).
        std::unique_lock<std::mutex> lk(FLock);
        ++FLineWaitCalls;
        if (FHung || !LineNotice)
            return FHung ? EIO : ENOTTY;
        const TLineCounts from = LineCounts();
        FLinesUnheard = false;
        ++FLineWaiters;
        FCv.notify_all();
        int e = 0;
        while (!e && !FHung && LineCounts() == from) {
            lk.unlock();
            pollfd p{FLineFd, POLLIN, 0};
            e = FLineWait.Run([&] { return poll(&p, 1, -1); });
            std::uint64_t told;
            (void)!read(FLineFd, &told, sizeof told);
            lk.lock();
        }
        --FLineWaiters;
        return FHung ? EIO : LineCounts() != from ? 0 : e;
    }
    void CancelLineWait() override { FLineWait.Interrupt(); }
    int Flush(bool Input, bool Output) override
    {
        Change([&] {
            FIn = Input ? std::string() : FIn;
            if (Output)
                FTx.Flush();
        });
        return Logged("flush " + N(Input) + N(Output), 0);
    }
    int Drain() override
    {
        if (Get(FHung))
            return Logged("drain", EIO);
        Logged("drain", 0);
        std::unique_lock<std::mutex> lk(FLock);
        ++FDrains;
        FCv.notify_all();
        FCv.wait(lk, [&] { return FTx.Queued() == 0; });
        return 0;
    }
    int OutputQueued(int& Count) override
    {
        return Locked([&] {
            Count = int(FTx.Reported());
            return FHung ? EIO : 0;
        });
    }
    bool GetCounters(TLineCounters& Counters) override
    {
        std::lock_guard<std::mutex> g(FLock);
        ++FLooks;
        if (FHung || !Counts)
            return false;
        Counters = FCounts;
        return true;
    }

  private:
    static std::string N(auto Value) { return std::to_string(Value); }
    // Counts the changes of the lines in Changed, as a driver counts them: CTS, DSR and RLSD at each change,
    // RING when the ring ends.
    void Count(unsigned Changed, unsigned Now)
    {
        if (FLinesUnheard)
            return;
        FCounts.Cts += (Changed & mlCTS) != 0;
        FCounts.Dsr += (Changed & mlDSR) != 0;
        FCounts.Rlsd += (Changed & mlRLSD) != 0;
        FCounts.Ring += (Changed & mlRing) && !(Now & mlRing);
        Notify();
    }
    void Notify() // tells a line wait to look at the counts
    {
        const std::uint64_t one = 1;
        (void)!write(FLineFd, &one, sizeof one);
    }
    template <class F> void Change(F&& Step)
    {
        std::lock_guard<std::mutex> g(FLock);
        Step();
        FCv.notify_all();
    }
    template <class T> void Put(T& Field, T Value)
    {
        Change([&] { Field = std::move(Value); });
    }
    template <class T> T Get(const T& Field)
    {
        std::lock_guard<std::mutex> g(FLock);
        return Field;
    }
    template <class F> auto Locked(F&& Look) -> decltype(Look())
    {
        std::lock_guard<std::mutex> g(FLock);
        return Look();
    }
    int Logged(const std::string& Entry, int Result)
    {
        Change([&] { FLog.push_back(Entry); });
        return Get(FHung) ? EIO : Result;
    }
    using TLineCounts = std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t>;
    TLineCounts LineCounts() const { return {FCounts.Cts, FCounts.Dsr, FCounts.Ring, FCounts.Rlsd}; }

    std::mutex FLock;
    std::condition_variable FCv;
    std::string FIn, FOut;
    long FRoom = -1;
    bool FWoken = false, FHung = false, FOpen = false, FLinesUnheard = false;
    unsigned FLines = 0, FOutLines = 0;
    int FLineWaiters = 0, FDrains = 0, FLineWaitCalls = 0, FLooks = 0;
    std::size_t FQueuedAtRtsDrop = 0;
    TLineCounters FCounts;
    int FLineFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    TThreadInterrupt FLineWait;
    TComLineSettings FLine;
    std::vector<std::string> FLog;
    // The driver's transmit side; what holds its line: CRTSCTS with CTS low, a stopped output, the script.
    bool FLineHeld = false, FOutputStopped = false;
    TFakeTxLine FTx{FLock, FCv, FLine, [this] {
                        const bool ctsFlow = FLine.OutCTSFlow && FLine.ControlRTS == rtsHandshake;
                        return FLineHeld || FOutputStopped || (ctsFlow && !(FLines & mlCTS));
                    }};
};

// A port on the scripted device; Dev stays valid as long as the port lives.
struct TFakePort {
    TComPort Port;
    TFakeComBackend* Dev = new TFakeComBackend;
    explicit TFakePort(const std::string& Name = "ttyFAKE0")
    {
        Port.SetBackend(std::unique_ptr<TComBackend>(Dev));
        Port.SetPort(Name);
    }
};
