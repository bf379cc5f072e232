#pragma once

#include "cport/ComBackend.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

// A scripted serial device: the test feeds received bytes, moves the modem lines, counts line errors, hangs
// the device up, limits how much it takes, refuses settings, and reads the log of what the port applied.
class TFakeComBackend final : public TComBackend
{
  public:
    // --- script (any thread)
    void Feed(const std::string& Bytes);     // as a marking driver hands them over (0xFF doubled)
    void FeedMarked(const std::string& Raw); // a raw marked stream: breaks, bad bytes
    void SetLines(unsigned Lines);           // CTS, DSR, ring, carrier as the device sees them
    void SetCounters(const TLineCounters& Counters);
    void HangUp();
    void SetWriteRoom(long Bytes); // bytes the device still takes; below 0 without limit
    void Inject(const std::string& Raw, unsigned Lines, const TLineCounters& Counters); // all in one go

    std::string Written();
    std::vector<std::string> Log();
    void ClearLog();
    TComLineSettings LastLine();
    unsigned OutputLines(); // DTR and RTS as the port set them
    bool BreakOn();

    int RefuseOpen = 0;
    int RefuseBuffer = 0;
    int RefuseLine = 0;
    int RefuseTimeouts = 0;
    bool ModemLines = true;

    // --- device
    int Open(const std::string& Path) override;
    void Close() override;
    int SetQueueSizes(int InputSize, int OutputSize) override;
    int SetLine(const TComLineSettings& Settings) override;
    int SetTimeouts(const TComTimeoutValues& Timeouts) override;
    long Read(void* Buffer, std::size_t Count) override;
    long Write(const void* Buffer, std::size_t Count) override;
    int Wait(bool WantRead, bool WantWrite, int TimeoutMs, unsigned& Ready) override;
    void Wake() override;
    bool HasModemLines() override { return ModemLines; }
    int GetModemLines(unsigned& Lines) override;
    int SetModemLines(unsigned Lines, bool On) override;
    int SetBreak(bool On) override;
    int SetOutputFlow(bool On) override;
    int Flush(bool Input, bool Output) override;
    int OutputQueued(int& Count) override;
    bool GetCounters(TLineCounters& Counters) override;

  private:
    void Add(const std::string& Entry) { FLog.push_back(Entry); }

    std::mutex FLock;
    std::condition_variable FCv;
    std::string FIn;
    std::string FOut;
    long FRoom = -1;
    bool FWoken = false;
    bool FLinesChanged = false;
    bool FHung = false;
    bool FOpen = false;
    bool FBreak = false;
    unsigned FLines = 0;
    unsigned FOutLines = 0;
    TLineCounters FCounters;
    TComLineSettings FLine;
    std::vector<std::string> FLog;
};
