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
    int RefuseAltBlock = -1;      // this service-panel block ("KVWXB=") is answered without "OK" ...
    int RefuseAltTimes = 1;       // ... this many times before it is taken
    int TimersAnswerShort = 0;    // the answer to "KVSWT?" stops this many bytes before its end (its rest too late)
    // TCP only:
    int ShortReadBlock = -1;   // this read block (0..11) goes out 10 data bytes short
    std::string ClosingReply;  // replaces the 8-byte reply after the last read block when not empty
    std::string PrepareReply;  // replaces the answer to "kv" when not empty
    std::string PasswordReply; // replaces the answer to the right password when not empty
    std::string BlockRefusal;  // replaces the answer to a refused block when not empty
};

// One block of the service panel's frame ("KVWXB=" area + 20, block + 20, escaped data, CRC low byte first).
struct SimAltBlock {
    int Area = 0;
    int Block = 0;
    std::string Data; // unescaped
    bool CrcOk = false;
};

// A Corvo unit as the tool sees it over its serial line or over TCP: a pure state machine that is fed the bytes
// the tool sends and returns the bytes the unit answers. It checks what it is sent (escaping, checksums, order of
// the commands) and keeps its own memory. Transports (a pseudo-terminal, a socket) sit around it.
//
// Over TCP the unit speaks its network dialect: "kv" CR opens the transfer mode, "kvrea0" (no CR) is answered at
// once with twelve escaped 256-byte blocks and an 8-byte closing reply, and a "KVWEB" frame is 256 escaped data
// bytes and the checksum with no CR after it.
class SimUnit
{
  public:
    static constexpr int kMemorySize = 65536;
    static constexpr int kConfigSize = 3072;

    enum class Dialect { Serial, Tcp };

    explicit SimUnit(Dialect dialect = Dialect::Serial);

    // A written block's frame over TCP as the unit expects it, made by the unit's own escape and checksum:
    // "KVWEB" and the block digit, the escaped data, the escaped checksum high byte first, nothing after.
    static std::string TcpFrame(int block, std::string_view data);

    // Feeds bytes from the tool; returns what the unit answers to them.
    std::string Feed(std::string_view bytes);
    // The same, each reply on its own (over TCP each goes out as a segment of its own).
    std::vector<std::string> FeedReplies(std::string_view bytes);

    // --- the unit's own state -------------------------------------------------------------------------
    std::array<uint8_t, kMemorySize> Memory{};
    std::string Password = "1234";
    std::string HardwareAnswer = "KVRP1: KIV-Corvo MOSS\r\nOK\r\n";
    std::string WriteEnableCode = "QZ7M4K"; // "KVWE=" byte writes carry it
    std::array<std::string, 5> Timers{"60", "1440", "5", "0", "720"};
    SimFaults Faults;
    // How the lines of its answers over TCP end (the closing reply of a read keeps its 8 bytes as they are).
    enum class LineEnds { CrLf, BlankLineAfter, LfCr, Lf, Cr };
    LineEnds TcpLineEnds = LineEnds::CrLf;
    // The six bytes in front of the first read block over TCP: "REA=" somewhere in them, the rest the unit's own.
    std::string TcpReadHeader = "REA=\r\n";
    // What it says after the "OK" line of a TCP answer (a prompt, a status line), in the same send or, apart, in a
    // send of its own right after.
    std::string TcpAfterOk;
    bool TcpAfterOkApart = false;

    // --- what it saw --------------------------------------------------------------------------------------
    // Every command in order: the line without its CR, "---" for the escape, "KVWEB<n>" for a block.
    // Over TCP empty lines (the LF after a typed line's CR) are not listed.
    std::vector<std::string> Commands;
    // Protocol breaches: a frame before the password, a byte that should have been escaped, a bad checksum...
    std::vector<std::string> Violations;
    int BlocksStored = 0;
    std::vector<SimAltBlock> AltBlocks; // every service-panel block received, refused ones included

  private:
    std::string HandleLine(const std::string& line);
    std::string HandleByteWrite(const std::string& line);
    std::string HandleFrame();
    std::string HandleAltFrame();
    std::string ReadReply(int size);
    std::vector<std::string> TcpReadReply();
    std::string TimersAnswer() const;
    // A TCP answer written with CR LF, its line ends as the unit makes them.
    std::string TcpAnswer(std::string text);
    bool Tcp() const { return dialect_ == Dialect::Tcp; }
    int BlockSize() const { return Tcp() ? 256 : 512; }
    int BlockCount() const { return Tcp() ? 8 : 4; }
    // Over TCP a frame ends when its data and checksum are in (no CR marks its end).
    bool TcpFrameComplete() const;

    Dialect dialect_;
    enum class Mode { Line, Frame, AltFrame };
    Mode mode_ = Mode::Line;
    std::string line_;
    std::string frame_;
    int frameBlock_ = 0;
    int altArea_ = 0;
    int altRefusals_ = 0;
    std::string saidApart_; // the text after an answer's "OK" line, due as a reply of its own
    bool prepared_ = false;
    bool unlocked_ = false;
};
