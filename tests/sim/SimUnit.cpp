#include "sim/SimUnit.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace
{
// The unit's own escape and checksum, written from the line protocol (not shared with the tool on purpose).
bool MustEscape(uint8_t b)
{
    return b == 0x0D || b == 0x08 || b == 0x7D || b == 0x11 || b == 0x13;
}

uint16_t Checksum(const std::string& raw)
{
    unsigned sum = 0;
    for (char c : raw)
        sum += static_cast<uint8_t>(c);
    return static_cast<uint16_t>(0xFFFF - (sum & 0xFFFF));
}

void AppendEscaped(std::string& out, uint8_t b)
{
    if (MustEscape(b)) {
        out.push_back(static_cast<char>(0x7D));
        b = static_cast<uint8_t>(b ^ 0x20);
    }
    out.push_back(static_cast<char>(b));
}

const char* kOk6 = "\r\nOK\r\n";
const char* kNo6 = "\r\nNO\r\n";
} // namespace

SimUnit::SimUnit(Dialect dialect) : dialect_(dialect)
{
    // A recognisable image: every byte value occurs, the escaped ones included.
    for (int a = 0; a < kMemorySize; ++a)
        Memory[static_cast<size_t>(a)] = static_cast<uint8_t>((a * 7 + a / 256) & 0xFF);
}

std::string SimUnit::TcpFrame(int block, std::string_view data)
{
    std::string frame = "KVWEB" + std::to_string(block);
    for (char c : data)
        AppendEscaped(frame, static_cast<uint8_t>(c));
    const uint16_t sum = Checksum(std::string(data));
    AppendEscaped(frame, static_cast<uint8_t>(sum >> 8));
    AppendEscaped(frame, static_cast<uint8_t>(sum & 0xFF));
    return frame;
}

std::string SimUnit::Feed(std::string_view bytes)
{
    std::string answer;
    for (const std::string& reply : FeedReplies(bytes))
        answer += reply;
    return answer;
}

std::vector<std::string> SimUnit::FeedReplies(std::string_view bytes)
{
    std::vector<std::string> replies;
    auto reply = [this, &replies](std::string r) {
        if (!r.empty())
            replies.push_back(std::move(r));
        if (!saidApart_.empty())
            replies.push_back(std::exchange(saidApart_, {}));
    };
    for (char c : bytes) {
        if (mode_ != Mode::Line) {
            if (mode_ == Mode::Frame && Tcp()) {
                frame_.push_back(c);
                if (TcpFrameComplete()) {
                    mode_ = Mode::Line;
                    reply(HandleFrame());
                }
            } else if (c == '\r') {
                reply(mode_ == Mode::Frame ? HandleFrame() : HandleAltFrame());
                mode_ = Mode::Line;
            } else {
                frame_.push_back(c);
            }
            continue;
        }
        if (c == '\r') {
            if (!Tcp() || !line_.empty())
                reply(HandleLine(line_));
            line_.clear();
            continue;
        }
        if (Tcp() && c == '\n' && line_.empty())
            continue;
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
        } else if (Tcp() && line_ == "kvrea0") {
            Commands.push_back(line_);
            line_.clear();
            for (std::string& segment : TcpReadReply())
                reply(std::move(segment));
        } else if (line_.size() == 8 && line_.compare(0, 6, "KVWXB=") == 0) {
            Commands.push_back("KVWXB=");
            altArea_ = static_cast<uint8_t>(line_[6]) - 20;
            frameBlock_ = static_cast<uint8_t>(line_[7]) - 20;
            frame_.clear();
            mode_ = Mode::AltFrame;
            line_.clear();
        }
    }
    if (Faults.Silent)
        replies.clear();
    return replies;
}

bool SimUnit::TcpFrameComplete() const
{
    size_t raw = 0;
    for (size_t i = 0; i < frame_.size(); ++i, ++raw)
        if (static_cast<uint8_t>(frame_[i]) == 0x7D && ++i == frame_.size())
            return false;
    return raw == static_cast<size_t>(BlockSize() + 2);
}

std::string SimUnit::HandleLine(const std::string& line)
{
    Commands.push_back(line);
    if (Tcp() && line == "kv") {
        prepared_ = true;
        return Faults.PrepareReply.empty() ? TcpAnswer("\r\nKIV Corvo command mode ready\r\nOK\r\n")
                                           : Faults.PrepareReply;
    }
    if (line == "kvrw1") {
        prepared_ = true;
        return "\r\nRW1 OK\r\n";
    }
    if (line.rfind("kvpw=", 0) == 0) {
        if (!prepared_)
            Violations.push_back("password before kvrw1");
        unlocked_ = prepared_ && line.substr(5) == Password;
        if (Tcp() && unlocked_ && !Faults.PasswordReply.empty())
            return Faults.PasswordReply;
        if (Tcp())
            return TcpAnswer(unlocked_ ? "\r\nKIV Corvo password accepted\r\nOK\r\n"
                                       : "\r\nKIV Corvo password refused\r\nERROR\r\n");
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
    if (line.rfind("KVWE=", 0) == 0)
        return HandleByteWrite(line);
    return "";
}

// "KVWE=" code then ",address:value" pairs in plain decimal (no blanks, no leading zeros): each byte stored as
// it comes; a line with a wrong code or a malformed pair stores nothing.
std::string SimUnit::HandleByteWrite(const std::string& line)
{
    if (line.compare(5, WriteEnableCode.size(), WriteEnableCode) != 0) {
        Violations.push_back("byte write without the write-enable code: " + line);
        return kNo6;
    }
    size_t at = 5 + WriteEnableCode.size();
    auto number = [&line, &at](char lead, long& value) {
        if (at >= line.size() || line[at] != lead)
            return false;
        const size_t first = ++at;
        value = 0;
        while (at < line.size() && line[at] >= '0' && line[at] <= '9' && value <= 65535)
            value = value * 10 + (line[at++] - '0');
        return at > first && (at - first == 1 || line[first] != '0');
    };
    std::vector<std::pair<long, long>> pairs;
    while (at < line.size()) {
        long address = 0;
        long value = 0;
        if (!number(',', address) || !number(':', value) || address >= kConfigSize || value > 255) {
            Violations.push_back("bad byte write pair before " + std::to_string(at) + ": " + line);
            return kNo6;
        }
        pairs.emplace_back(address, value);
    }
    for (auto [address, value] : pairs)
        Memory[static_cast<size_t>(address)] = static_cast<uint8_t>(value);
    return kOk6;
}

std::string SimUnit::TimersAnswer() const
{
    std::string answer = "\r\nSWT\r\n";
    for (int n = 1; n <= 5; ++n)
        answer += std::to_string(n) + ",00:00," + Timers[static_cast<size_t>(n - 1)] + "\r\n";
    answer += "OK\r\n";
    return answer.substr(0, answer.size() - std::min(answer.size(), static_cast<size_t>(Faults.TimersAnswerShort)));
}

std::string SimUnit::TcpAnswer(std::string text)
{
    if (TcpLineEnds == LineEnds::BlankLineAfter)
        text += "\r\n";
    const std::string ends = TcpLineEnds == LineEnds::LfCr ? "\n\r"
                             : TcpLineEnds == LineEnds::Lf ? "\n"
                             : TcpLineEnds == LineEnds::Cr ? "\r"
                                                           : "\r\n";
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + ends.size()))
        text.replace(at, 2, ends);
    if (TcpAfterOkApart)
        saidApart_ = TcpAfterOk;
    return TcpAfterOkApart ? text : text + TcpAfterOk;
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

std::vector<std::string> SimUnit::TcpReadReply()
{
    if (!unlocked_) {
        Violations.push_back("read request while locked");
        return {TcpAnswer("\r\nKIV Corvo locked\r\nERROR\r\n")};
    }
    std::string data(reinterpret_cast<const char*>(Memory.data()), kConfigSize);
    uint16_t sum = Checksum(data);
    if (Faults.BadReadChecksum)
        ++sum;
    std::vector<std::string> segments;
    for (int k = 0; k < 12; ++k) {
        std::string raw = data.substr(static_cast<size_t>(k) * 256, 256);
        if (k == Faults.ShortReadBlock)
            raw.resize(raw.size() - 10);
        if (k == 11) {
            raw.push_back(static_cast<char>(sum >> 8));
            raw.push_back(static_cast<char>(sum & 0xFF));
        }
        std::string segment = k == 0 ? TcpReadHeader : "";
        for (char c : raw)
            AppendEscaped(segment, static_cast<uint8_t>(c));
        segments.push_back(segment);
    }
    segments.push_back(Faults.ClosingReply.empty() ? "\r\nOK:0\r\n" : Faults.ClosingReply);
    return segments;
}

std::string SimUnit::HandleFrame()
{
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
    const auto size = static_cast<size_t>(BlockSize());
    auto refused = [this]() -> std::string {
        if (!Tcp())
            return kNo6;
        return Faults.BlockRefusal.empty() ? TcpAnswer("\r\nKVWEB ERROR\r\n") : Faults.BlockRefusal;
    };
    if (frameBlock_ >= BlockCount())
        Violations.push_back("block number " + std::to_string(frameBlock_));
    if (!wellFormed || raw.size() != size + 2) {
        Violations.push_back("block " + std::to_string(frameBlock_) + " of " + std::to_string(raw.size()) + " bytes");
        return refused();
    }
    std::string data = raw.substr(0, size);
    const uint16_t sent =
        static_cast<uint16_t>(static_cast<uint8_t>(raw[size]) << 8 | static_cast<uint8_t>(raw[size + 1]));
    if (sent != Checksum(data)) {
        Violations.push_back("bad checksum in block " + std::to_string(frameBlock_));
        return refused();
    }
    if (frameBlock_ == Faults.RefuseBlock || !unlocked_ || frameBlock_ >= BlockCount())
        return refused();
    for (size_t i = 0; i < data.size(); ++i)
        Memory[static_cast<size_t>(frameBlock_) * size + i] = static_cast<uint8_t>(data[i]);
    ++BlocksStored;
    if (Tcp())
        return TcpAnswer("\r\nKVWEB OK\r\n");
    return frameBlock_ == Faults.ZeroCrAckBlock ? "\r\n0\r\n " : kOk6;
}
