#pragma once

#include "link/serial/SerialSession.h"

#include <optional>
#include <string>

class ImageStore;
class LinkHost;
class SerialSender;
class UnitTimers;
struct LinkTiming;

// The image transfers over the serial port: the configuration read, the block write and the read of the
// whole memory with the logging area. Each runs start to end inside one call on the window thread, always in
// the same order: progress window, terminal detached, "kvrw1", password, the transfer proper, "kvrw0" on every
// path while the port is open, the result for a second, window closed, terminal attached, buffers cleared.
// A failed read leaves the image as it was.
class SerialTransfer
{
  public:
    SerialTransfer(SerialSender& sender, UnitTimers& timers, LinkHost& host, ImageStore& store,
                   const LinkTiming& timing);

    // The unit's 3072-byte configuration area into the image, then FinishImageRead.
    void ReadEEPROMExecuteClick();
    // Commits the pending edits, stamps the tool's number, and writes image bytes 0..2047 in four blocks.
    void WriteEEPROMExecuteClick();
    // The unit's whole 65536-byte memory into the image, then ImageToControls.
    void readLogValuesClick();

    // Sends block n (0..3) and returns the unit's reply (at most 6 bytes); nothing when its command did not go
    // out. Marked bytes of the block are unmarked as they go out. A frame byte the port fails raises.
    std::optional<std::string> WriteEEPROMBlock(int n);

  private:
    enum class ReadKind { Config, Log };

    void ReadImage(ReadKind kind);
    std::string ReadSteps(ReadKind kind);
    std::string WriteSteps();
    // Terminal detached, "---" (when the timer commands did not already send it), "kvrw1" and the password:
    // the failure message, or "" when the unit accepted both.
    std::string EnterTransferMode(bool escapeFirst, int escapeDelayMs, int replyLimitMs);
    // The result held for a second; the pages are redrawn from the new image while it shows.
    void ShowResult(const std::string& message, const char* okMessage, bool redrawWhileShown);
    void ClearBuffersIfOpen();
    std::string PortFailure(const std::exception& e);

    SerialSender& sender_;
    UnitTimers& timers_;
    LinkHost& host_;
    ImageStore& store_;
    const LinkTiming& timing_;
    SerialSession session_;
};
