#include "link/SendHelpers.h"

#include "link/Framing.h"
#include "link/LinkHost.h"
#include "link/LinkPort.h"
#include "link/Protocol.h"
#include "link/Timing.h"
#include "platform/Clock.h"
#include "platform/Convert.h"

#include <cctype>
#include <climits>
#include <cstdint>

uint8_t ByteCodeValue(const std::string& text, size_t from)
{
    const int value = from < text.size() ? AtoiSaturated(std::string_view(text).substr(from)) : 0;
    return static_cast<uint8_t>(static_cast<uint32_t>(value) & 0xFF);
}

SerialSender::SerialSender(LinkPort& port, LinkHost& host, const LinkTiming& timing)
    : port_(port), host_(host), timing_(timing)
{
}

int SerialSender::CharDelay() const
{
    return StrToInt(host_.Options().charDelay);
}

int SerialSender::DelayBeforeCharacter() const
{
    if (!fallbackDelay_)
        return CharDelay();
    try {
        return CharDelay();
    } catch (const EConvertError&) {
        return *fallbackDelay_;
    }
}

bool SerialSender::SendComString(const std::string& text)
{
    return Send(text, true);
}

bool SerialSender::SendComStringRaw(const std::string& text)
{
    return Send(text, false);
}

bool SerialSender::Send(const std::string& text, bool byteCodes)
{
    if (!port_.Connected()) {
        host_.SetStatusText(Msg::kPortClosed);
        return false;
    }
    try {
        size_t i = 0;
        while (i < text.size()) {
            DelayMs(DelayBeforeCharacter());
            if (byteCodes && text[i] == '[') {
                port_.WriteStr(std::string(1, static_cast<char>(ByteCodeValue(text, i + 1))));
                size_t close = text.find(']', i + 1);
                i = close == std::string::npos ? text.size() : close + 1;
            } else {
                port_.WriteStr(std::string(1, text[i]));
                ++i;
            }
        }
    } catch (const EConvertError&) {
        throw;
    } catch (const std::exception& e) {
        // A port error: the rest of the text is dropped; most callers go on as if it had been sent.
        host_.ShowPortError(e.what());
        return false;
    }
    return true;
}

void SerialSender::EscapeSendChksum(uint8_t b)
{
    if (Framing::NeedsEscape(b)) {
        port_.WriteStr(std::string(1, static_cast<char>(Framing::kEscapeMark)));
        DelayMs(timing_.ByteGapMs);
        b = static_cast<uint8_t>(b ^ Framing::kEscapeXor);
    }
    port_.WriteStr(std::string(1, static_cast<char>(b)));
    DelayMs(timing_.ByteGapMs);
}
