#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class ImageStore;
class LinkHost;
class SerialLink;
class SerialSession;
class TermPageHost;
struct TermTiming;

// The four edits of the service panel (Panel20), as typed.
struct AltBlockParams {
    std::string AreaNo = "1";  // areaNo: area number, used modulo 256
    std::string Value = "8";   // valueX: its first character is every data byte; "(v)" stands for v; empty: 0xFF
    std::string Blocks = "1";  // Sbuffr: number of blocks
    std::string Size = "1024"; // Edit1: data bytes per block
};

// The service panel's block writer: "KVWXB=" with the area and block numbers, the block's data bytes escaped,
// their CRC-16/X-25 low byte first, CR; a block the unit does not acknowledge is sent once more, and a block
// refused twice counts as failed while the transfer goes on. Every step is logged in the terminal page's log
// window. The image is never changed by the transfer (but for the commits before it).
class AltBlockWriter
{
  public:
    static constexpr int kMaxBlockSize = 1199;

    AltBlockWriter(SerialLink& link, LinkHost& host, TermPageHost& pageHost, ImageStore& store,
                   const TermTiming& timing);

    // Adds a line to the log window (Memo1).
    std::function<void(const std::string& line)> AddLogLine;

    // Button3Click. Sizes outside 1..kMaxBlockSize, fewer than one block and panel texts that are no number are
    // refused with a status message before anything is sent; a charDelay text that is no number raises its
    // conversion error, also before anything is sent. "EEPROM Write OK!" only when every block was acknowledged.
    void Button3Click(const AltBlockParams& params);

    // The CRC-16/X-25 of bytes with its two bytes swapped, so that sending the high half first puts the CRC's
    // low byte first on the wire; 0 over no bytes.
    static uint16_t CalcBlockCrc(std::string_view bytes);

  private:
    struct Plan {
        uint8_t Area = 0;
        int Blocks = 0;
        int Size = 0;
        bool Fill = false; // no value given: 0xFF bytes that count for nothing
        uint8_t Byte = 0;
    };
    struct Totals {
        int Acknowledged = 0;
        int Failed = 0;
    };

    // The panel read and checked; "" when it is usable, else the refusal.
    std::string ReadPanel(const AltBlockParams& params, Plan& plan) const;
    // Its pauses go through the writer's wait, like every other pause of the writer.
    SerialSession Session() const;
    std::string Transfer(SerialSession& session, const Plan& plan, Totals& totals);
    // The block's frame and the unit's reply; nothing when its command did not go out.
    std::optional<std::string> WriteEEPROMBlock_2(const Plan& plan, int block);
    void Log(const std::string& line);

    SerialLink& link_;
    LinkHost& host_;
    TermPageHost& pageHost_;
    ImageStore& store_;
    const TermTiming& timing_;
};
