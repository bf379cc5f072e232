#pragma once

#include <string>

// A pseudo-terminal pair: the port opens SlavePath, the test plays the device on the master side.
class TPtyPair
{
  public:
    TPtyPair();
    ~TPtyPair();
    TPtyPair(const TPtyPair&) = delete;
    TPtyPair& operator=(const TPtyPair&) = delete;

    const std::string& SlavePath() const { return FSlavePath; }
    int Slave() const { return FSlave; }

    // Writes all of Bytes to the master (blocking with a generous limit); false when it could not.
    bool Send(const std::string& Bytes);
    // Reads from the master until Count bytes came or the limit passed.
    std::string Receive(std::size_t Count, int LimitMs = 10000);
    void CloseMaster();

  private:
    int FMaster = -1;
    int FSlave = -1;
    std::string FSlavePath;
};

// Waits, without pumping the window's events, until Done or the safety limit passes; returns Done().
template <class F> bool WaitWithoutPumping(F Done, int LimitMs = 20000);
// Pumps the window's events until Done or the safety limit passes; returns Done().
template <class F> bool PumpUntil(F Done, int LimitMs = 20000);

#include <QCoreApplication>
#include <chrono>
#include <thread>

template <class F> bool WaitWithoutPumping(F Done, int LimitMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(LimitMs);
    while (!Done()) {
        if (std::chrono::steady_clock::now() > end)
            return Done();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

template <class F> bool PumpUntil(F Done, int LimitMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(LimitMs);
    while (!Done()) {
        if (std::chrono::steady_clock::now() > end)
            return Done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
