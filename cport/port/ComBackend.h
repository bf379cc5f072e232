#pragma once

#include "cport/port/ComSettings.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Modem lines as the backend reports and sets them.
enum : unsigned { mlCTS = 1, mlDSR = 2, mlRing = 4, mlRLSD = 8, mlDTR = 16, mlRTS = 32 };

// What Wait found ready.
enum : unsigned { wrReadable = 1, wrWritable = 2, wrHangup = 4 };

// Counters the device driver keeps: line errors, and the changes of each modem line (so that a change between
// two looks is still seen, and how often it went).
struct TLineCounters {
    std::uint32_t Frame = 0;
    std::uint32_t Parity = 0;
    std::uint32_t Overrun = 0;
    std::uint32_t BufOverrun = 0;
    std::uint32_t Cts = 0;
    std::uint32_t Dsr = 0;
    std::uint32_t Ring = 0;
    std::uint32_t Rlsd = 0;
    bool operator==(const TLineCounters&) const = default;
};

// Every system call of a port goes through this interface: the tty device in the program, a scripted device
// in the tests. Results are 0 or an errno unless told otherwise. Read, Write, Wait, the counters and the
// line reads run on the port's I/O thread; the rest on the window thread; Wake on any thread.
class TComBackend
{
  public:
    virtual ~TComBackend() = default;

    virtual int Open(const std::string& Path) = 0;
    virtual void Close() = 0;

    virtual int SetQueueSizes(int InputSize, int OutputSize) = 0;
    virtual int SetLine(const TComLineSettings& Settings) = 0; // applies and reads back; refused: errno
    virtual int SetTimeouts(const TComTimeoutValues& Timeouts) = 0;

    // Never blocks: bytes moved, or -errno (-EAGAIN when nothing can move now).
    virtual long Read(void* Buffer, std::size_t Count) = 0;
    virtual long Write(const void* Buffer, std::size_t Count) = 0;

    // Waits for the device (when WantRead or WantWrite) and for Wake, at most TimeoutMs (-1: no limit).
    virtual int Wait(bool WantRead, bool WantWrite, int TimeoutMs, unsigned& Ready) = 0;
    virtual void Wake() = 0;

    // A device without modem lines (a pseudo-terminal) reports no lines and ignores line changes.
    virtual bool HasModemLines() = 0;
    virtual int GetModemLines(unsigned& Lines) = 0;
    virtual int SetModemLines(unsigned Lines, bool On) = 0;
    virtual int SetBreak(bool On) = 0;
    virtual int SetOutputFlow(bool On) = 0; // resume (true) or hold (false) output as XON/XOFF would
    // Sends the line's XON (true) or XOFF (false) character ahead of any queued output.
    virtual int SendFlowChar(bool Xon) = 0;

    // Blocks until CTS, DSR, RING or RLSD changes: 0, EINTR when CancelLineWait ended it, any other errno when the
    // device gives no notice of line changes (its lines are then looked at from time to time instead).
    virtual int WaitLineChange() = 0;
    // Ends a WaitLineChange pending on another thread; one that starts later is not ended.
    virtual void CancelLineWait() = 0;

    virtual int Flush(bool Input, bool Output) = 0;
    // Returns once every byte written so far has left the device (tcdrain); a flush of the output ends it too.
    virtual int Drain() = 0;
    virtual int OutputQueued(int& Count) = 0;
    virtual bool GetCounters(TLineCounters& Counters) = 0; // false when the device keeps none
};
