#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

// The unit's replies to a TCP image read, judged as they arrive: the answers to "kv" and to the password (one
// socket read each, as the tool waits for each before it sends on), then twelve escaped blocks and the 8-byte
// closing reply. The blocks are taken by their size after un-escaping, not by how the socket cut the stream:
// blocks that meet in one read are each counted, and a block still unfinished when its read ends has stopped
// short. Plain logic, no sockets.
class TcpReadSteps
{
  public:
    enum class Result { Going, Failed, Finished };

    // What one socket read brought.
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

    // Replies taken so far: 1 and 2 the answers, 3 to 14 the blocks, 15 the closing reply (tcpStep).
    int Step() const { return step_; }
    // Blocks 1 to 12 after un-escaping, as far as they have come (block 1 with its header), then the closing
    // reply as received (tcpBlock).
    const std::array<std::string, 13>& Blocks() const { return blocks_; }

  private:
    enum class Phase { KvAnswer, PasswordAnswer, Blocks, Closing, Over };

    void TakeAnswer(std::string_view received, Outcome& out);
    // Un-escapes into the current block from pos on; returns where the block data ended in received.
    size_t TakeBlockBytes(std::string_view received, size_t pos, Outcome& out);
    void BlockComplete(Outcome& out);
    void TakeClosing(std::string_view received, Outcome& out);
    void Fail(Outcome& out, const std::string& message, bool reportStatus);
    size_t BlockLength(int block) const;

    Phase phase_ = Phase::KvAnswer;
    int step_ = 0;
    int block_ = 0; // index of the block being filled
    bool escapePending_ = false;
    std::array<std::string, 13> blocks_;
};
