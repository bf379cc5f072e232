#pragma once

#include <array>
#include <cstdint>
#include <string>

class ImageStore;

// The unit's logging area as text: the latest values it keeps in the configuration area and the records it
// writes back to back from address 3072 on. Nothing here writes the image.

constexpr int kLoggedChannelsAddress = 1019; // bit k - 1 set: channel k (1..7) goes into each record
constexpr int kRtcDatesAddress = 1023;       // bit 0 clear: a record's date word is an RTC date
constexpr int kLogAreaStart = 3072;

// How the records are laid out and how many the list shows.
struct TLogLayout {
    uint8_t channels = 0; // bits 0..6
    bool rtcDates = false;
    int records = 0;

    int ChannelCount() const;
    // A date word, hour, minute, second, then four bytes per logged channel.
    int RecordSize() const { return 5 + 4 * ChannelCount(); }
    bool operator==(const TLogLayout&) const = default;
};

// From the configuration bytes and the log capacity for the read size: no record without a logged channel,
// none while only the configuration area is read, and never a record beyond the image's end.
TLogLayout LogLayout(const ImageStore& image);

// With RTC dates the year (bits 9..15), month (5..8) and day (0..4) run together without separators or
// leading zeros ("2137" for 0x2A67); otherwise the word is a day counter.
std::string RecordDateText(uint16_t word, bool rtcDates);

// "n: date,hh:mm:ss," then the seven channels in turn, a logged one's value before its comma, so every line
// ends in a comma. The lines are joined by line feeds.
std::string LogListText(const ImageStore& image, const TLogLayout& layout);

// The latest values: "d,hh:mm:ss" and the seven 32-bit values in decimal.
std::string LatestTimeStampText(const ImageStore& image);
std::array<std::string, 7> LatestValueTexts(const ImageStore& image);
