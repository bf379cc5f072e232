#pragma once

#include <cstdint>
#include <optional>
#include <string>

class LinkHost;
class LinkPort;
struct LinkTiming;

// How every part of the tool talks to the unit over the serial port: command text one character at a
// time after the user's character delay, and frame bytes escaped and paced.
class SerialSender
{
  public:
    SerialSender(LinkPort& port, LinkHost& host, const LinkTiming& timing);

    // Sends text with the character delay (charDelay, read afresh before each character, the first
    // included). "[" + decimal + "]" goes out as the one byte of that value (low 8 bits; the number
    // saturates rather than overflows). A closed port: status "Communication failure", nothing sent.
    // A port error ends the send with the "COM Port" message box; it does not reach the caller. A charDelay
    // text that is no number raises EConvertError before anything is sent (unless a fallback is set).
    // True when the whole text went out.
    bool SendComString(const std::string& text);
    // The same, every character as it is ("[" included): for text the user typed as data, a password.
    bool SendComStringRaw(const std::string& text);
    // One frame byte, escaped when needed, each written byte followed by the byte gap. The caller has
    // found the port open.
    void EscapeSendChksum(uint8_t b);

    // The charDelay text as milliseconds; EConvertError when it is no number.
    int CharDelay() const;
    // While set, a charDelay text that stopped being a number uses this value instead, so a transfer that
    // has begun always reaches its end.
    void SetFallbackCharDelay(std::optional<int> ms) { fallbackDelay_ = ms; }

    LinkPort& Port() const { return port_; }

  private:
    bool Send(const std::string& text, bool byteCodes);
    int DelayBeforeCharacter() const;

    LinkPort& port_;
    LinkHost& host_;
    const LinkTiming& timing_;
    std::optional<int> fallbackDelay_;
};
