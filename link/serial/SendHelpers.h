#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

class LinkHost;
class LinkPort;
struct LinkTiming;

// How a send of command text ended.
enum class SendOutcome {
    Sent,       // every byte went out
    PortClosed, // nothing was sent; the status bar says so
    PortFailed, // the port failed a write; the "COM Port" message box has said so, the rest was not sent
};

// A write that ended short: the line held the bytes back (flow control) past the port's write time limit. It
// is a port error like those the port raises.
class LineHeldError : public std::runtime_error
{
  public:
    LineHeldError();
};

// How every part of the tool talks to the unit over the serial port: command text one character at a
// time after the user's character delay, and frame bytes escaped and paced.
class SerialSender
{
  public:
    SerialSender(LinkPort& port, LinkHost& host, const LinkTiming& timing);

    // Sends text with the character delay (charDelay, read afresh before each character, the first
    // included). "[" + decimal + "]" goes out as the one byte of that value (low 8 bits; the number
    // saturates rather than overflows). A closed port: status "Communication failure", nothing sent.
    // A port error, a write the line held back included, ends the send with the "COM Port" message box; it
    // does not reach the caller. A charDelay text that is no number raises EConvertError before anything is
    // sent (unless a fallback is set).
    SendOutcome SendComString(const std::string& text);
    // The same, every character as it is ("[" included): for text the user typed as data, a password.
    SendOutcome SendComStringRaw(const std::string& text);
    // Writes bytes as they are; LineHeldError when fewer went out. The caller has found the port open and
    // handles port errors.
    void WriteWhole(const std::string& bytes);
    // One frame byte, escaped when needed, each written byte followed by the byte gap. The caller has
    // found the port open and handles port errors (LineHeldError among them).
    void EscapeSendChksum(uint8_t b);

    // The charDelay text as milliseconds; EConvertError when it is no number.
    int CharDelay() const;
    // While set, a charDelay text that stopped being a number uses this value instead, so a transfer that
    // has begun always reaches its end.
    void SetFallbackCharDelay(std::optional<int> ms) { fallbackDelay_ = ms; }

    LinkPort& Port() const { return port_; }

  private:
    SendOutcome Send(const std::string& text, bool byteCodes);
    int DelayBeforeCharacter() const;

    LinkPort& port_;
    LinkHost& host_;
    const LinkTiming& timing_;
    std::optional<int> fallbackDelay_;
};
