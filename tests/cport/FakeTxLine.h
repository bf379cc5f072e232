#pragma once

#include "cport/port/ComSettings.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

// The transmit side of a scripted driver: a buffer of Capacity bytes that the line empties at the pace of its
// rate and framing, unless something holds the line (the driver's own flow control, a stopped output). What
// left is kept in order. Every member but the constructor and destructor runs under the owner's lock, which its
// own line thread takes as a UART's clock would.
class TFakeTxLine
{
  public:
    using TClock = std::chrono::steady_clock;
    static constexpr std::size_t Capacity = 4096; // about a tty driver's transmit buffer

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
    std::string Sent()
    {
        Advance();
        return FSent;
    }
    void Flush()
    {
        Advance();
        FQueue.clear();
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
        FFrom = FQueue.empty() ? now : FFrom + per * long(n);
        if (n > 0)
            FCv.notify_all(); // whoever waits for room or for the end learns of it at any look
    }

  private:
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
    TClock::time_point FFrom = TClock::now();
    bool FStop = false;
    std::thread FThread;
};
