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

LineHeldError::LineHeldError() : std::runtime_error("Write time-out: the line held the data back") {}

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

SendOutcome SerialSender::SendComString(const std::string& text)
{
    return Send(text, true);
}

SendOutcome SerialSender::SendComStringRaw(const std::string& text)
{
    return Send(text, false);
}

void SerialSender::WriteWhole(const std::string& bytes)
{
    // The port ends a write at its time limit with what went out and no error of its own.
    if (port_.WriteStr(bytes) < static_cast<int>(bytes.size()))
        throw LineHeldError();
}

SendOutcome SerialSender::Send(const std::string& text, bool byteCodes)
{
    if (!port_.Connected()) {
        host_.SetStatusText(Msg::kPortClosed);
        return SendOutcome::PortClosed;
    }
    try {
        size_t i = 0;
        while (i < text.size()) {
            DelayMs(DelayBeforeCharacter());
            if (byteCodes && text[i] == '[') {
                WriteWhole(std::string(1, static_cast<char>(ByteCodeValue(text, i + 1))));
                size_t close = text.find(']', i + 1);
                i = close == std::string::npos ? text.size() : close + 1;
            } else {
                WriteWhole(std::string(1, text[i]));
                ++i;
            }
        }
    } catch (const EConvertError&) {
        throw;
    } catch (const std::exception& e) {
        // The rest of the text is dropped: what follows it would reach the unit out of its context.
        host_.ShowPortError(e.what());
        return SendOutcome::PortFailed;
    }
    return SendOutcome::Sent;
}

void SerialSender::EscapeSendChksum(uint8_t b)
{
    if (Framing::NeedsEscape(b)) {
        WriteWhole(std::string(1, static_cast<char>(Framing::kEscapeMark)));
        DelayMs(timing_.ByteGapMs);
        b = static_cast<uint8_t>(b ^ Framing::kEscapeXor);
    }
    WriteWhole(std::string(1, static_cast<char>(b)));
    DelayMs(timing_.ByteGapMs);
}
