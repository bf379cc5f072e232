#include "link/serial/SendHelpers.h"

#include "link/protocol/Framing.h"
#include "link/protocol/LinkHost.h"
#include "link/protocol/Protocol.h"
#include "link/protocol/Timing.h"
#include "link/protocol/TrafficText.h"
#include "link/serial/LinkPort.h"
#include "platform/Clock.h"
#include "platform/Convert.h"

#include <cctype>
#include <climits>
#include <cstdint>

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
