#include "link/TrafficText.h"

#include "link/SendHelpers.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>

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
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    return TimeStamp(local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms / 10));
}

std::string RenderBytes(std::string_view bytes, bool hex)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 4);
    for (char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        if (hex) {
            out += '[';
            out += digits[b >> 4];
            out += digits[b & 0x0F];
            out += ']';
        } else if (b <= 32 || b >= 128) {
            out += '[' + std::to_string(b) + ']';
        } else {
            out += c;
        }
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
