#pragma once

#include "link/protocol/TcpAnswer.h"
#include "link/protocol/TcpProtocol.h"

#include <string>
#include <string_view>
#include <vector>

// The unit's answers to a TCP image write: "kv", the password, then the eight blocks. Each must hold "OK" in
// fewer than 512 bytes. The answers come as a byte stream: each counts once it is whole, however many socket
// reads it took or shared. No command is out at first: the caller tells when each command or block goes out
// (CommandSent), and what comes before it is never the start of its answer. Plain logic, no sockets.
class TcpWriteSteps
{
  public:
    enum class Result { Going, Failed, Finished };

    struct Outcome {
        Result result = Result::Going;
        std::vector<std::string> logLines;
        // Failed: "ERROR: Password Incorrect" for the password's answer, else "". Finished: "EEPROM Write OK!".
        std::string message;
    };

    Outcome Feed(std::string_view received);
    // The next command or block has gone out: bytes from here on may be its answer.
    void CommandSent();
    // The answer under way has stopped coming: it is judged on what came.
    Outcome Stalled();
    // An answer has begun (line ends alone do not begin one) and is not yet whole.
    bool InsideReply() const { return !over_ && answer_.Begun() && !answer_.Decided(); }
    // The answer under way, still without its "OK" line, ends a line so far.
    bool AnswerAtLineEnd() const { return InsideReply() && answer_.AtLineEnd(); }
    // Answers taken so far (tcpStep).
    int Step() const { return step_; }

  private:
    // Judges the answer just decided; returns how much of the rest of its read it took along.
    size_t AnswerDecided(Outcome& out, std::string_view rest);

    int step_ = 0;
    int commandsOut_ = 0;
    bool over_ = false;
    TcpAnswer answer_{TcpProtocol::kWriteAnswerLimit};
};

// The frame of block b (0..7) as it goes out in a single send: "KVWEB" and the block number, the 256 data bytes
// escaped, the checksum (high byte first) escaped. No CR follows.
std::string TcpBlockFrame(int block, std::string_view data);
