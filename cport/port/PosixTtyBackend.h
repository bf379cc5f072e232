#pragma once

#include "cport/port/ComBackend.h"
#include "cport/port/ThreadInterrupt.h"

// A serial device under /dev through termios, ioctl and poll.
class TPosixTtyBackend final : public TComBackend
{
  public:
    TPosixTtyBackend() = default;
    ~TPosixTtyBackend() override;
    TPosixTtyBackend(const TPosixTtyBackend&) = delete;
    TPosixTtyBackend& operator=(const TPosixTtyBackend&) = delete;

    int Open(const std::string& Path) override;
    void Close() override;
    int SetQueueSizes(int InputSize, int OutputSize) override;
    int SetLine(const TComLineSettings& Settings) override;
    int SetTimeouts(const TComTimeoutValues& Timeouts) override;
    long Read(void* Buffer, std::size_t Count) override;
    long Write(const void* Buffer, std::size_t Count) override;
    int Wait(bool WantRead, bool WantWrite, int TimeoutMs, unsigned& Ready) override;
    void Wake() override;
    bool HasModemLines() override { return FHasLines; }
    int GetModemLines(unsigned& Lines) override;
    int SetModemLines(unsigned Lines, bool On) override;
    int SetBreak(bool On) override;
    int SetOutputFlow(bool On) override;
    int SendFlowChar(bool Xon) override;
    int WaitLineChange() override;
    void CancelLineWait() override;
    int Flush(bool Input, bool Output) override;
    int Drain() override;
    int OutputQueued(int& Count) override;
    bool GetCounters(TLineCounters& Counters) override;

  private:
    int OpenFail(int Error);

    int FFd = -1;
    int FWakeFd = -1;
    bool FHasLines = false;
    bool FHasCounters = false;
    TThreadInterrupt FLineWait;
};
