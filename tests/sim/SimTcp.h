#pragma once

#include "sim/SimUnit.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

// Puts a SimUnit (TCP dialect) behind a loopback TCP socket, either as a server that the tool connects to or
// as a client that connects to the tool's listening server. A thread reads what the tool sends, feeds the
// unit and sends each of its replies as a segment of its own (no delay, no coalescing on the unit's side).
class SimTcp
{
  public:
    // Listening on 127.0.0.1 on a free port (Port()); takes one connection at a time.
    static constexpr struct ServerRole {
    } AsServer{};
    explicit SimTcp(ServerRole);
    // Connecting to the tool's server on 127.0.0.1:port.
    explicit SimTcp(uint16_t toolPort);
    ~SimTcp();
    SimTcp(const SimTcp&) = delete;
    SimTcp& operator=(const SimTcp&) = delete;

    uint16_t Port() const { return port_; }

    // The unit, under the transport's lock: set it up before a transfer, inspect it afterwards.
    template <typename F> auto WithUnit(F&& f)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return f(unit_);
    }

    // Every byte the tool sent, in order.
    std::string Received();
    // Replies and bytes sent so far.
    int RepliesSent();
    size_t BytesSent();

    // After this many replies in all the unit closes the connection (a unit that hangs up); -1: never.
    void HangUpAfter(int replies);
    // After this many replies in all the unit holds the rest back until Release().
    void HoldAfter(int replies);
    void Release();

  private:
    void Run(int listenFd, uint16_t toolPort);
    // Serves one connection until it ends or the transport stops.
    void Serve(int fd);
    bool SendReply(int fd, const std::string& reply);
    bool WaitWhileHeld();

    SimUnit unit_{SimUnit::Dialect::Tcp};
    std::mutex mutex_;
    std::condition_variable released_;
    std::string received_;
    int repliesSent_ = 0;
    size_t bytesSent_ = 0;
    int hangUpAfter_ = -1;
    int holdAfter_ = -1;
    uint16_t port_ = 0;
    int wake_[2] = {-1, -1};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
