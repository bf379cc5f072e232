#pragma once

#include "sim/SimUnit.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

// Puts a SimUnit behind the master side of a pseudo-terminal pair: the tool opens SlavePath() as its serial
// port. A thread reads what the tool sends, feeds the unit and writes its answer back, paced to the line
// rate when a baud rate is given (10 bits a byte), so transfers take their real wire time.
class SimPty
{
  public:
    explicit SimPty(int baud = 0);
    ~SimPty();
    SimPty(const SimPty&) = delete;
    SimPty& operator=(const SimPty&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    // Every answer longer than afterBytes stops for ms after its first afterBytes, as a unit busy with something
    // else does; the line rate holds again after the pause. Set before the answer starts.
    void PauseAnswers(size_t afterBytes, int ms)
    {
        pauseAfter_ = afterBytes;
        pauseMs_ = ms;
    }
    // Bytes taken from the line so far: what a drained transmitter has handed to the unit.
    uint64_t BytesReceived() const { return received_.load(); }

    // The unit, under the transport's lock: set it up before a transfer, inspect it afterwards.
    template <typename F> auto WithUnit(F&& f)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return f(unit_);
    }

  private:
    void Run();
    // Writes all of bytes to the master, paced; false when asked to stop.
    bool WriteAll(const std::string& bytes);
    // Sleeps ms unless asked to stop meanwhile; false when asked to stop.
    bool Pause(int ms);
    bool StopRequested() const { return stop_.load(); }

    SimUnit unit_;
    std::mutex mutex_;
    int master_ = -1;
    int slave_ = -1; // held open so the master never sees a hang-up between two port opens
    int wake_[2] = {-1, -1};
    int baud_ = 0;
    std::atomic<size_t> pauseAfter_{0};
    std::atomic<int> pauseMs_{0};
    std::string slavePath_;
    std::atomic<bool> stop_{false};
    std::atomic<uint64_t> received_{0};
    std::thread thread_;
};
