#pragma once

#include "link/protocol/TcpProtocol.h"

#include <array>
#include <string>
#include <string_view>

// One reading of the unit's read reply: its 6-byte header taken to begin after `skip` line-end bytes that still
// ended the password answer. The bytes so far cannot always tell how many of the line ends in front of "REA=" are
// the answer's and how many the header's, so every reading is followed on its own, and the reply's own checks
// ("REA=" in the header, the closing reply, the checksum) tell which one the unit sent. Plain logic.
class TcpReadPlacement
{
  public:
    // Open: still taking bytes. Passed: the closing reply and the checksum passed, for as long as no more bytes
    // come (a longer closing reply would not pass). The rest are final, worst first: the skipped bytes were no
    // line ends or the header lacks "REA="; a block stopped short; a closing reply without "OK" or of the wrong
    // length; a checksum that differs after a good closing reply.
    enum class State { Open, NoHeader, CutShort, BadClosing, BadChecksum, Passed };

    explicit TcpReadPlacement(size_t skip) : toSkip_(skip) {}

    // Takes the next bytes of the reply, all of them.
    void Take(std::string_view bytes);
    // A read has ended: a closing reply of 8 bytes or more is judged on what came.
    void Judge();
    // Nothing more comes: a reading still short of its closing reply's 8 bytes fails.
    void Stall();

    State Result() const { return state_; }
    bool Final() const { return state_ != State::Open && state_ != State::Passed; }
    // It passed, or it is open and has not shown a checksum that differs.
    bool CanStillPass() const;
    // Blocks whole so far (0..12).
    int BlocksDone() const { return block_; }
    // Blocks 1 to 12 after un-escaping (block 1 with its header), then the closing reply as received.
    const std::array<std::string, TcpProtocol::kReadBlockCount + 1>& Blocks() const { return blocks_; }
    // The 3072 image bytes; whole once every block is in.
    std::string Image() const;

  private:
    void TakeByte(char c);
    void BlockComplete();
    size_t BlockLength() const;

    size_t toSkip_;
    State state_ = State::Open;
    int block_ = 0;
    bool escapePending_ = false;
    bool checksumMatches_ = false;
    std::array<std::string, TcpProtocol::kReadBlockCount + 1> blocks_;
};
