#include "link/protocol/Framing.h"

#include "link/protocol/Protocol.h"

#include <cstring>

namespace Framing
{

bool NeedsEscape(uint8_t b)
{
    return b == 0x0D || b == 0x08 || b == 0x7D || b == 0x11 || b == 0x13;
}

void AppendEscaped(std::string& out, uint8_t b)
{
    if (NeedsEscape(b)) {
        out.push_back(static_cast<char>(kEscapeMark));
        out.push_back(static_cast<char>(b ^ kEscapeXor));
    } else {
        out.push_back(static_cast<char>(b));
    }
}

std::string Escape(std::string_view raw)
{
    std::string out;
    out.reserve(raw.size() + raw.size() / 8);
    for (char c : raw)
        AppendEscaped(out, static_cast<uint8_t>(c));
    return out;
}

std::string Unescape(std::string_view framed)
{
    std::string out;
    out.reserve(framed.size());
    for (size_t i = 0; i < framed.size(); ++i) {
        auto b = static_cast<uint8_t>(framed[i]);
        if (b == kEscapeMark) {
            if (++i == framed.size())
                break;
            b = static_cast<uint8_t>(static_cast<uint8_t>(framed[i]) ^ kEscapeXor);
        }
        out.push_back(static_cast<char>(b));
    }
    return out;
}

uint16_t BlockChecksum(std::string_view raw)
{
    uint16_t sum = 0;
    for (char c : raw)
        sum = static_cast<uint16_t>(sum + static_cast<uint8_t>(c));
    return static_cast<uint16_t>(0xFFFF - sum);
}

uint16_t CrcX25(std::string_view raw)
{
    if (raw.empty())
        return 0;
    uint16_t crc = 0xFFFF;
    for (char c : raw) {
        auto data = static_cast<uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit, data >>= 1)
            crc = ((crc ^ data) & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0x8408) : static_cast<uint16_t>(crc >> 1);
    }
    return static_cast<uint16_t>(~crc);
}

bool ReplyContains(std::string_view reply, std::string_view keyword)
{
    std::string_view text = reply.substr(0, std::min(reply.find('\0'), reply.size()));
    return text.find(keyword) != std::string_view::npos;
}

ReadReplyCheck CheckReadReply(std::string_view received, int imageSize)
{
    ReadReplyCheck result;
    const auto tailSize = static_cast<size_t>(Protocol::kReadTailSize);
    const size_t tailAt = received.size() > tailSize ? received.size() - tailSize : 0;
    std::string_view tail = received.substr(tailAt);
    std::string_view data = received.substr(0, tailAt);
    const auto size = static_cast<size_t>(imageSize);
    // A reply that stopped short holds no image to trust, whatever its last bytes say.
    if (!ReplyContains(tail, "OK") || data.size() < size + Protocol::kChecksumSize) {
        result.message = Msg::kReadFailed;
        return result;
    }
    std::string_view image = data.substr(0, size);
    const auto high = static_cast<uint8_t>(data[size]);
    const auto low = static_cast<uint8_t>(data[size + 1]);
    const auto received16 = static_cast<uint16_t>(high << 8 | low);
    if (BlockChecksum(image) != received16) {
        result.message = Msg::kChecksumFailed;
        return result;
    }
    result.ok = true;
    result.image.assign(image);
    return result;
}

} // namespace Framing
