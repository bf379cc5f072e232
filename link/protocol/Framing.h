#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Block framing shared by the serial and the TCP transfers: the byte escape, the block checksum, the
// alternative frame's CRC, and how a reply is accepted.
namespace Framing
{

inline constexpr uint8_t kEscapeMark = 0x7D;
inline constexpr uint8_t kEscapeXor = 0x20;

// CR, BS, "}", XON and XOFF never travel raw inside a frame.
bool NeedsEscape(uint8_t b);
// Appends b to out, escaped when needed: one or two bytes.
void AppendEscaped(std::string& out, uint8_t b);
std::string Escape(std::string_view raw);
// Drops each escape mark and XORs the byte after it. A mark at the very end has nothing to undo and is
// dropped.
std::string Unescape(std::string_view framed);

// 0xFFFF minus the 16-bit sum of the raw bytes; sent high byte first.
uint16_t BlockChecksum(std::string_view raw);
inline uint8_t HighByte(uint16_t v)
{
    return static_cast<uint8_t>(v >> 8);
}
inline uint8_t LowByte(uint16_t v)
{
    return static_cast<uint8_t>(v & 0xFF);
}

// CRC-16/X-25 of the alternative block frame (0 over no bytes); sent low byte first.
uint16_t CrcX25(std::string_view raw);

// A reply is read as a C string: what stands after its first zero byte never counts.
bool ReplyContains(std::string_view reply, std::string_view keyword);

// The image data of a serial read, taken apart: everything received after the header, the last six
// bytes being the tail. Data holds ImageSize image bytes then the checksum, high byte first.
struct ReadReplyCheck {
    bool ok = false;
    const char* message = nullptr; // outcome message; nullptr when ok
    std::string image;             // the ImageSize image bytes when ok
};
ReadReplyCheck CheckReadReply(std::string_view received, int imageSize);

} // namespace Framing
