#include "sim/SimUnit.h"

#include <cstdio>

namespace {
// The unit's own escape and checksum, written from the line protocol (not shared with the tool on purpose).
bool MustEscape(uint8_t b) { return b == 0x0D || b == 0x08 || b == 0x7D || b == 0x11 || b == 0x13; }

uint16_t Checksum(const std::string& raw)
{
    unsigned sum = 0;
    for (char c : raw)
        sum += static_cast<uint8_t>(c);
    return static_cast<uint16_t>(0xFFFF - (sum & 0xFFFF));
}

const char* kOk6 = "\r\nOK\r\n";
const char* kNo6 = "\r\nNO\r\n";
} // namespace

SimUnit::SimUnit()
{
    // A recognisable image: every byte value occurs, the escaped ones included.
    for (int a = 0; a < kMemorySize; ++a)
        Memory[static_cast<size_t>(a)] = static_cast<uint8_t>((a * 7 + a / 256) & 0xFF);
}

std::string SimUnit::Feed(std::string_view bytes)
{
    std::string answer;
    for (char c : bytes) {
        if (mode_ == Mode::Frame) {
            if (c == '\r') {
                mode_ = Mode::Line;
                answer += HandleFrame();
            } else {
                frame_.push_back(c);
            }
            continue;
        }
        if (c == '\r') {
            answer += HandleLine(line_);
            line_.clear();
            continue;
        }
        line_.push_back(c);
        if (line_.size() >= 3 && line_.compare(line_.size() - 3, 3, "---") == 0) {
            if (line_.size() > 3)
                Violations.push_back("text before the escape: " + line_);
            Commands.push_back("---");
            line_.clear();
        } else if (line_.size() == 6 && line_.compare(0, 5, "KVWEB") == 0 && c >= '0' && c <= '9') {
            Commands.push_back(line_);
            frameBlock_ = c - '0';
            frame_.clear();
            mode_ = Mode::Frame;
            line_.clear();
        }
    }
    return Faults.Silent ? std::string() : answer;
}

std::string SimUnit::HandleLine(const std::string& line)
{
    Commands.push_back(line);
    if (line == "kvrw1") {
        prepared_ = true;
        return "\r\nRW1 OK\r\n";
    }
    if (line.rfind("kvpw=", 0) == 0) {
        if (!prepared_)
            Violations.push_back("password before kvrw1");
        unlocked_ = prepared_ && line.substr(5) == Password;
        return unlocked_ ? kOk6 : kNo6;
    }
    if (line == "kvrea0" || line == "kvrea") {
        if (!unlocked_) {
            Violations.push_back("read request while locked");
            return kNo6;
        }
        return ReadReply(line == "kvrea0" ? kConfigSize : kMemorySize);
    }
    if (line == "kvrw0") {
        prepared_ = unlocked_ = false;
        return "";
    }
    if (line == "kvspi=0,0") {
        for (int a = kConfigSize; a < kMemorySize; ++a)
            Memory[static_cast<size_t>(a)] = 0xFF;
        return "";
    }
    if (line.rfind("KVSWT=", 0) == 0) {
        // KVSWT=<n>,00:00,<period>
        int n = line.size() > 6 ? line[6] - '0' : 0;
        if (n < 1 || n > 5 || line.compare(7, 7, ",00:00,") != 0) {
            Violations.push_back("bad timer command: " + line);
            return "\r\nERROR\r\n";
        }
        Timers[static_cast<size_t>(n - 1)] = line.substr(14);
        return kOk6;
    }
    if (line == "KVSWT?")
        return TimersAnswer();
    if (line == "KVRP1")
        return HardwareAnswer;
    return "";
}

std::string SimUnit::TimersAnswer() const
{
    std::string answer = "\r\nSWT\r\n";
    for (int n = 1; n <= 5; ++n)
        answer += std::to_string(n) + ",00:00," + Timers[static_cast<size_t>(n - 1)] + "\r\n";
    return answer + "OK\r\n";
}

std::string SimUnit::ReadReply(int size)
{
    std::string data(reinterpret_cast<const char*>(Memory.data()), static_cast<size_t>(size));
    if (Faults.ShortData >= 0)
        return "REA=\r\n" + data.substr(0, static_cast<size_t>(Faults.ShortData));
    uint16_t sum = Checksum(data);
    if (Faults.BadReadChecksum)
        ++sum;
    std::string reply = "REA=\r\n" + data;
    reply.push_back(static_cast<char>(sum >> 8));
    reply.push_back(static_cast<char>(sum & 0xFF));
    return reply + kOk6;
}

std::string SimUnit::HandleFrame()
{
    Frames.push_back(frame_);
    std::string raw;
    bool wellFormed = true;
    for (size_t i = 0; i < frame_.size(); ++i) {
        auto b = static_cast<uint8_t>(frame_[i]);
        if (b == 0x7D) {
            if (i + 1 == frame_.size()) {
                wellFormed = false;
                break;
            }
            b = static_cast<uint8_t>(static_cast<uint8_t>(frame_[++i]) ^ 0x20);
            if (!MustEscape(b))
                Violations.push_back("needless escape in block " + std::to_string(frameBlock_));
        } else if (MustEscape(b)) {
            Violations.push_back("raw byte " + std::to_string(b) + " in block " + std::to_string(frameBlock_));
        }
        raw.push_back(static_cast<char>(b));
    }
    if (!unlocked_)
        Violations.push_back("block " + std::to_string(frameBlock_) + " while locked");
    if (frameBlock_ > 3)
        Violations.push_back("block number " + std::to_string(frameBlock_));
    if (!wellFormed || raw.size() != 514) {
        Violations.push_back("block " + std::to_string(frameBlock_) + " of " + std::to_string(raw.size()) + " bytes");
        return kNo6;
    }
    std::string data = raw.substr(0, 512);
    const uint16_t sent = static_cast<uint16_t>(static_cast<uint8_t>(raw[512]) << 8 | static_cast<uint8_t>(raw[513]));
    if (sent != Checksum(data)) {
        Violations.push_back("bad checksum in block " + std::to_string(frameBlock_));
        return kNo6;
    }
    if (frameBlock_ == Faults.RefuseBlock || !unlocked_)
        return kNo6;
    for (size_t i = 0; i < data.size(); ++i)
        Memory[static_cast<size_t>(frameBlock_) * 512 + i] = static_cast<uint8_t>(data[i]);
    ++BlocksStored;
    return frameBlock_ == Faults.ZeroCrAckBlock ? "\r\n0\r\n " : kOk6;
}
