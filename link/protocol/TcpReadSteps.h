#pragma once

#include "link/protocol/TcpAnswer.h"
#include "link/protocol/TcpProtocol.h"
#include "link/protocol/TcpReadPlacement.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

// The unit's replies to a TCP image read, judged as they arrive: the answers to "kv" and to the password, then
// twelve escaped blocks and the 8-byte closing reply. The socket delivers a byte stream: a read may hold part of a
// reply, one reply or several, so every reply is taken by its content and length, never by how the network cut
// it. A reply that stops coming before it is whole is judged when the caller says so (Stalled): a block or a
// closing reply cut short then fails the read. No command is out at first: the caller tells when each goes out
// (CommandSent), and what comes before a command is never the start of its reply. Plain logic, no sockets.
// Once the read request is out, the line ends that follow the password answer's "OK" line come to the read reply
// in whichever read they came, and the reply may begin with up to kMaxLeadingLineEnds of them (a blank line, CR CR
// LF, a late byte) before a header that may itself begin with line ends. The header is placed by the reply's own
// checks: every placement after a run of line ends is followed as the bytes come, and the image is taken from the
// first whose closing reply and checksum pass, unless one that skips more bytes may still pass too; its closing
// reply then decides. The read fails once every placement has failed, with the message of the one that got
// furthest.
class TcpReadSteps
{
  public:
    enum class Result { Going, Failed, Finished };

    // What one socket read (or a stall) brought.
    struct Outcome {
        Result result = Result::Going;
        // Lines for the TCP log, in order.
        std::vector<std::string> logLines;
        // The last progress position reached (256 per block, 3072 at the end); -1 when none.
        int progress = -1;
        // Failed: "" (plain failure), "ERROR: Password Incorrect", or "ERROR: EEPROM Read!" for a block that
        // stopped short. Finished: "EEPROM Read OK!", "ERROR: EEPROM Checksum!" or "ERROR: EEPROM Read!".
        std::string message;
        // The message belongs in the status bar (the closing step and a short block; not the plain failures).
        bool reportStatus = false;
        // Finished with a closing reply that passed and a checksum compared, equal or not (tcpReadDone).
        bool checksumCompared = false;
        // The 3072 image bytes, when the checksum matched.
        std::string image;
    };

    // Takes the bytes of one socket read. After Failed or Finished, further bytes are ignored.
    Outcome Feed(std::string_view received);
    // The next command has gone out: bytes from here on may be its reply.
    void CommandSent();
    // The reply under way has stopped coming: an answer is judged on what came; a block or the closing reply
    // cut short fails the read with its own message.
    Outcome Stalled();
    // A reply has begun and is not yet whole: an answer with more than line ends in it, or the read reply from
    // its first byte to the end of its closing reply. Only then can it stall.
    bool InsideReply() const;
    // The reply under way is an answer, still without its "OK" line, whose bytes so far end a line.
    bool AnswerAtLineEnd() const;

    // Replies taken so far: 1 and 2 the answers, 3 to 14 the blocks, 15 the closing reply (tcpStep).
    int Step() const { return step_; }
    // Blocks 1 to 12 after un-escaping, as far as they have come (block 1 with its header), then the closing
    // reply as received (tcpBlock): the placement taken, or while none is, the one furthest on.
    const std::array<std::string, 13>& Blocks() const { return placements_[shown_].Blocks(); }

    // Line-end bytes of the password answer that may still come in front of the header.
    static constexpr size_t kMaxLeadingLineEnds = 4;

  private:
    enum class Phase { KvAnswer, PasswordAnswer, Reply, Over };

    // The read request has gone out while the password answer is still under way: the line ends after its "OK" line
    // go to the read reply, whose placements tell them from a header that begins with line ends.
    bool RequestOut() const { return phase_ == Phase::PasswordAnswer && commandsOut_ > step_ + 1; }
    // Judges the answer just decided; returns how much of the rest of its read it took along.
    size_t AnswerDecided(Outcome& out, std::string_view rest);
    static std::vector<TcpReadPlacement> Placements();
    void TakeReply(std::string_view bytes, Outcome& out);
    // Logs each block the furthest placement has completed, once, and moves the progress on.
    void ReportBlocks(Outcome& out);
    // After a read or a stall: takes the placement that passed, or fails once none can.
    void Decide(Outcome& out);
    void Finish(Outcome& out, size_t placement);
    void Fail(Outcome& out, const std::string& message, bool reportStatus);

    Phase phase_ = Phase::KvAnswer;
    int step_ = 0;
    int commandsOut_ = 0;
    TcpAnswer answer_{TcpProtocol::kReadAnswerLimit};
    std::vector<TcpReadPlacement> placements_ = Placements(); // by the line ends they skip: 0, 1, ...
    bool replyBegun_ = false;                                 // a byte other than a line end has come since the request
    int blocksShown_ = 0;
    size_t shown_ = 0;
};
