#pragma once

#include "sim/SimUnit.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// How the network between the unit and the tool carries the unit's replies. A GPRS modem forwards what it has
// whenever its timer runs out, a network splits and joins segments: a reply reaches the tool in pieces, or
// together with the next one.
struct SimCuts {
    // Where a reply is cut: positions inside it (0 < position < its size; others are ignored).
    std::function<std::vector<size_t>(const std::string& reply)> where;
    // The pause between two pieces.
    int pauseMs = 0;
    // The replies to one batch of the tool's bytes (the twelve blocks and the closing reply of a read) go out
    // joined before they are cut.
    bool joined = false;
    // Only these replies are cut, counted from 0 over all that went out: from firstReply on, this many (-1: all).
    int firstReply = 0;
    int replies = -1;
};

// Cut positions named by where they fall in a reply.
namespace SimCut
{
std::vector<size_t> AfterFirstByte(const std::string& reply);
std::vector<size_t> BeforeLastByte(const std::string& reply); // in a read's last block: inside the checksum
std::vector<size_t> Middle(const std::string& reply);
// Between the first escape mark and the byte it escapes; in the middle where there is none.
std::vector<size_t> InsideEscapePair(const std::string& reply);
// After the third byte: inside the 6-byte header of the first read block ("REA" | "=..."), the closing reply
// and the short answers.
std::vector<size_t> InsideHeader(const std::string& reply);
// Just before the first "OK" (in the middle where there is none): what came first ends with a line end and
// looks whole.
std::vector<size_t> BeforeOk(const std::string& reply);
// Between the "O" and the "K" of the first "OK" (in the middle where there is none): no line end before it.
std::vector<size_t> InsideOk(const std::string& reply);
// After each LF: every line of the reply comes on its own.
std::vector<size_t> AfterEachLine(const std::string& reply);
// Every `step` bytes.
std::function<std::vector<size_t>(const std::string&)> Every(size_t step);
} // namespace SimCut

// Puts a SimUnit (TCP dialect) behind a loopback TCP socket, either as a server that the tool connects to or
// as a client that connects to the tool's listening server. A thread reads what the tool sends, feeds the
// unit and sends each of its replies as a segment of its own (no delay, no coalescing on the unit's side),
// unless told to cut them (CutReplies).
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
    // Sends made for the replies: one per reply when they go whole, more when they are cut.
    int PiecesSent();

    // After this many replies in all the unit closes the connection (a unit that hangs up); -1: never.
    void HangUpAfter(int replies);
    // After this many replies in all the unit holds the rest back until Release().
    void HoldAfter(int replies);
    void Release();
    // From now on the replies go out cut as told.
    void CutReplies(SimCuts cuts);

  private:
    void Run(int listenFd, uint16_t toolPort);
    // Serves one connection until it ends or the transport stops.
    void Serve(int fd);
    // Sends bytes that hold this many of the unit's replies, cut as told.
    bool SendReply(int fd, const std::string& reply, int replies);
    bool SendAll(int fd, const char* data, size_t size);
    bool WaitWhileHeld();

    SimUnit unit_{SimUnit::Dialect::Tcp};
    std::mutex mutex_;
    std::condition_variable released_;
    std::string received_;
    int repliesSent_ = 0;
    int piecesSent_ = 0;
    size_t bytesSent_ = 0;
    int hangUpAfter_ = -1;
    int holdAfter_ = -1;
    SimCuts cuts_;
    uint16_t port_ = 0;
    int wake_[2] = {-1, -1};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
