#pragma once

#include "cport/port/ComSettings.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <limits>
#include <mutex>
#include <string>
#include <thread>

// The transmit side of a scripted driver: a buffer of Capacity bytes that the line empties at the pace of its
// rate and framing, unless something holds the line (the driver's own flow control, a stopped output). What
// left is kept in order. The count the driver reports falls a transfer at a time, as the driver hands its bytes
// on: byte by byte, in transfers of a fixed size (a USB adapter's 256 bytes, a UART's 128), or all it has at the
// start of each transfer (a DMA-driven UART); a transfer counts whole until its last byte has left. Every member
// but the constructor and destructor runs under the owner's lock, which its own line thread takes as a UART's
// clock would.
class TFakeTxLine
{
  public:
    using TClock = std::chrono::steady_clock;
    static constexpr std::size_t Capacity = 4096; // about a tty driver's transmit buffer
    static constexpr std::size_t WholeTransfer = std::numeric_limits<std::size_t>::max();

    TFakeTxLine(std::mutex& Lock, std::condition_variable& Cv, const TComLineSettings& Line, std::function<bool()> Held)
        : FLock(Lock), FCv(Cv), FLine(Line), FHeld(std::move(Held)), FThread([this] { Run(); })
    {
    }
    ~TFakeTxLine()
    {
        {
            std::lock_guard<std::mutex> g(FLock);
            FStop = true;
        }
        FCv.notify_all();
        FThread.join();
    }
    TFakeTxLine(const TFakeTxLine&) = delete;
    TFakeTxLine& operator=(const TFakeTxLine&) = delete;

    // Takes what fits; the count taken.
    std::size_t Take(const char* Bytes, std::size_t Count)
    {
        Advance();
        const std::size_t n = std::min(Count, Room());
        FQueue.append(Bytes, n);
        FTaken += n;
        NextTransfer();
        FCv.notify_all(); // the line thread starts sending
        return n;
    }
    // A flow character goes ahead of the queue, held or not, as a UART sends it.
    void SendAhead(char c)
    {
        Advance();
        FSent += c;
    }
    std::size_t Room()
    {
        Advance();
        return Capacity - FQueue.size();
    }
    std::size_t Queued()
    {
        Advance();
        return FQueue.size();
    }
    // What the driver reports as still to send: the bytes of the transfer under way count until it ends.
    std::size_t Reported()
    {
        Advance();
        return FQueue.empty() ? 0 : FTaken - FTransferFrom;
    }
    void SetTransfer(std::size_t Bytes) { FTransfer = std::max<std::size_t>(Bytes, 1); }
    std::string Sent()
    {
        Advance();
        return FSent;
    }
    void Flush()
    {
        Advance();
        FQueue.clear();
        FTaken = FGone;
        FTransferFrom = FTransferTo = FGone;
    }
    // Moves the bytes whose time on the line has come. Called before every look, so a change of what holds the
    // line counts from the moment it is seen.
    void Advance()
    {
        const auto now = TClock::now();
        if (FQueue.empty() || FHeld()) {
            FFrom = now;
            return;
        }
        const auto per = ByteTime();
        const auto n = std::min<std::size_t>(FQueue.size(), std::size_t((now - FFrom) / per));
        FSent.append(FQueue, 0, n);
        FQueue.erase(0, n);
        FGone += n;
        NextTransfer();
        FFrom = FQueue.empty() ? now : FFrom + per * long(n);
        if (n > 0)
            FCv.notify_all(); // whoever waits for room or for the end learns of it at any look
    }

  private:
    // Transfers follow one another while bytes wait; counted in bytes taken since the start.
    void NextTransfer()
    {
        while (FGone >= FTransferTo && FTaken > FTransferTo) {
            FTransferFrom = FTransferTo;
            FTransferTo = FTransferFrom + std::min(FTaken - FTransferFrom, FTransfer);
        }
    }
    TClock::duration ByteTime() const
    {
        const int bits = 1 + FLine.DataBits + (FLine.Parity != prNone) + (FLine.StopBits == sbOneStopBit ? 1 : 2);
        return std::chrono::nanoseconds(1000000000LL * bits / std::max(FLine.BaudRate, 1));
    }
    // Wakes whoever waits for room or for the end of the queue, about every millisecond while bytes leave.
    void Run()
    {
        std::unique_lock<std::mutex> lk(FLock);
        while (!FStop) {
            Advance();
            if (FQueue.empty() || FHeld())
                FCv.wait_for(lk, std::chrono::milliseconds(20));
            else
                FCv.wait_for(
                    lk, std::min<TClock::duration>(std::chrono::milliseconds(1), ByteTime() * long(FQueue.size())));
        }
    }

    std::mutex& FLock;
    std::condition_variable& FCv;
    const TComLineSettings& FLine;
    std::function<bool()> FHeld;
    std::string FQueue, FSent;
    std::size_t FTransfer = 1;
    std::size_t FTaken = 0, FGone = 0, FTransferFrom = 0, FTransferTo = 0;
    TClock::time_point FFrom = TClock::now();
    bool FStop = false;
    std::thread FThread;
};
