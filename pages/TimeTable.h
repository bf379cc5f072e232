#pragma once

#include <array>
#include <cstdint>
#include <string>

class ImageStore;

// The synchronised time table: up to 24 times of day from image byte 1038 on, in ascending order and closed
// by 0xFF. An entry is hour x 8 + minute div 10, so the table has a resolution of ten minutes and sorts by
// time of day. The page keeps a working copy that follows the image on every redraw and the user's additions
// in between.
class TTimeTable
{
  public:
    static constexpr int kAddress = 1038;
    static constexpr int kMaxEntries = 24;
    static constexpr uint8_t kEnd = 0xFF;

    // The entry for a typed hour and minute: EConvertError for a text that is no number, and for a time that
    // is no time of day (hour 0..23, minute 0..59), which is never stored as another time.
    static uint8_t EntryOf(const std::string& hourText, const std::string& minuteText);

    // The image's entries up to the first 0xFF, at most 24, sorted; the image keeps its own order.
    void Decode(const ImageStore& image);
    // A full table starts anew; the entry joins in order and the table is written with its closing 0xFF
    // (marked). The bytes after the 0xFF stay as they were.
    void Add(ImageStore& image, uint8_t entry);
    // Empties the working copy only: the next addition writes a table of that one entry.
    void Clear() { count_ = 0; }

    int Count() const { return count_; }
    uint8_t Entry(int i) const { return entries_[static_cast<size_t>(i)]; }
    // "hh:mm," for each entry, one after another ("08:10,12:00,").
    std::string ListText() const;
    // "(n):"
    std::string CountText() const;

  private:
    void Sort();

    std::array<uint8_t, kMaxEntries> entries_{};
    int count_ = 0;
};
