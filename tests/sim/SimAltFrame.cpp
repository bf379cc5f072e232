#include "sim/SimUnit.h"

namespace
{
// The unit's own CRC-16/X-25 (reflected 0x8408, start 0xFFFF, complemented), written apart from the tool's.
uint16_t X25(const std::string& data)
{
    uint16_t crc = 0xFFFF;
    for (char c : data) {
        crc ^= static_cast<uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0x8408) : static_cast<uint16_t>(crc >> 1);
    }
    return static_cast<uint16_t>(~crc);
}
} // namespace

// A service-panel block: escaped data, then its CRC low byte first (escaped too), then the CR that got us here.
std::string SimUnit::HandleAltFrame()
{
    std::string raw;
    for (size_t i = 0; i < frame_.size(); ++i) {
        auto b = static_cast<uint8_t>(frame_[i]);
        if (b == 0x7D && i + 1 < frame_.size())
            b = static_cast<uint8_t>(static_cast<uint8_t>(frame_[++i]) ^ 0x20);
        else if (b == 0x0D || b == 0x08 || b == 0x7D || b == 0x11 || b == 0x13)
            Violations.push_back("raw byte " + std::to_string(b) + " in service block " + std::to_string(frameBlock_));
        raw.push_back(static_cast<char>(b));
    }
    if (!unlocked_)
        Violations.push_back("service block " + std::to_string(frameBlock_) + " while locked");

    SimAltBlock block;
    block.Area = altArea_;
    block.Block = frameBlock_;
    if (raw.size() >= 2) {
        block.Data = raw.substr(0, raw.size() - 2);
        const auto sent = static_cast<uint16_t>(static_cast<uint8_t>(raw[raw.size() - 2]) |
                                                static_cast<uint8_t>(raw[raw.size() - 1]) << 8);
        block.CrcOk = sent == X25(block.Data);
    }
    AltBlocks.push_back(block);

    const bool refused = frameBlock_ == Faults.RefuseAltBlock && altRefusals_ < Faults.RefuseAltTimes;
    if (refused)
        ++altRefusals_;
    return block.CrcOk && unlocked_ && !refused ? "\r\nOK\r\n" : "\r\nNO\r\n";
}
