#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What the simulated unit can be told to get wrong.
struct SimFaults {
    bool Silent = false;          // answers nothing at all
    bool BadReadChecksum = false; // the read reply's checksum is off by one
    int ShortData = -1;           // >= 0: the read reply stops after this many image bytes (no checksum, no tail)
    int RefuseBlock = -1;         // this written block is answered without "OK" and not stored
    int ZeroCrAckBlock = -1;      // this written block is stored and answered "0" CR instead of "OK"
};

// A Corvo unit as the tool sees it over its serial line: a pure state machine that is fed the bytes the tool
// sends and returns the bytes the unit answers. It checks what it is sent (escaping, checksums, order of the
// commands) and keeps its own memory. Transports (a pseudo-terminal, later a socket) sit around it.
class SimUnit {
public:
    static constexpr int kMemorySize = 65536;
    static constexpr int kConfigSize = 3072;

    SimUnit();

    // Feeds bytes from the tool; returns what the unit answers to them.
    std::string Feed(std::string_view bytes);

    // --- the unit's own state -------------------------------------------------------------------------
    std::array<uint8_t, kMemorySize> Memory{};
    std::string Password = "1234";
    std::string HardwareAnswer = "KVRP1: KIV-Corvo MOSS\r\nOK\r\n";
    std::array<std::string, 5> Timers{"60", "1440", "5", "0", "720"};
    SimFaults Faults;

    // --- what it saw --------------------------------------------------------------------------------------
    // Every command in order: the line without its CR, "---" for the escape, "KVWEB<n>" for a block.
    std::vector<std::string> Commands;
    // The escaped bytes of each written block as they came (data and checksum, without the CR).
    std::vector<std::string> Frames;
    // Protocol breaches: a frame before the password, a byte that should have been escaped, a bad checksum...
    std::vector<std::string> Violations;
    int BlocksStored = 0;

private:
    std::string HandleLine(const std::string& line);
    std::string HandleFrame();
    std::string ReadReply(int size);
    std::string TimersAnswer() const;

    enum class Mode { Line, Frame };
    Mode mode_ = Mode::Line;
    std::string line_;
    std::string frame_;
    int frameBlock_ = 0;
    bool prepared_ = false;
    bool unlocked_ = false;
};
