#include "link/protocol/TrafficText.h"

#include "link/protocol/LocalTime.h"
#include "link/protocol/ReceiveLog.h"
#include "platform/Convert.h"

#include <cstdint>
#include <cstdio>

uint8_t ByteCodeValue(const std::string& text, size_t from)
{
    const int value = from < text.size() ? AtoiSaturated(std::string_view(text).substr(from)) : 0;
    return static_cast<uint8_t>(static_cast<uint32_t>(value) & 0xFF);
}

namespace TrafficText
{

std::string TimeStamp(int hour, int minute, int second, int hundredths)
{
    char text[40];
    std::snprintf(text, sizeof text, "TS:%02d:%02d:%02d.%02d  : ", hour, minute, second, hundredths);
    return text;
}

std::string TimeStampNow()
{
    const LocalTime now = LocalTimeNow();
    return TimeStamp(now.Hour, now.Minute, now.Second, now.Hundredths);
}

std::string RenderBytes(std::string_view bytes, bool hex)
{
    std::string out;
    out.reserve(bytes.size() * 4);
    for (char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        if (hex)
            out += ReceiveRender::HexByte(b);
        else if (ReceiveRender::ShownAsCode(b))
            out += ReceiveRender::DecimalByte(b);
        else
            out += c;
    }
    return out;
}

std::string ExpandByteCodes(std::string_view line)
{
    const std::string text(line);
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '[') {
            out += text[i++];
            continue;
        }
        out += static_cast<char>(ByteCodeValue(text, i + 1));
        const size_t close = text.find(']', i + 1);
        i = close == std::string::npos ? text.size() : close + 1;
    }
    return out;
}

std::string_view UpToNul(std::string_view bytes)
{
    return bytes.substr(0, std::min(bytes.find('\0'), bytes.size()));
}

} // namespace TrafficText
