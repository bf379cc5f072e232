#pragma once

#include <string>
#include <string_view>
#include <vector>

// The unit's answers to a TCP image write, one socket read each (the tool waits for each answer before it
// sends on): "kv", the password, then the eight blocks. Each must hold "OK" in fewer than 512 bytes.
// Plain logic, no sockets.
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
    // Answers taken so far (tcpStep).
    int Step() const { return step_; }

  private:
    int step_ = 0;
    bool over_ = false;
};

// The frame of block b (0..7) as it goes out in a single send: "KVWEB" and the block number, the 256 data bytes
// escaped, the checksum (high byte first) escaped. No CR follows.
std::string TcpBlockFrame(int block, std::string_view data);
