#include "pages/TimeTable.h"

#include "image/ImageStore.h"
#include "pages/TimeText.h"
#include "platform/Convert.h"

#include <algorithm>

uint8_t TTimeTable::EntryOf(const std::string& hourText, const std::string& minuteText)
{
    const int hour = StrToInt(hourText);
    const int minute = StrToInt(minuteText);
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59)
        throw EConvertError("'" + hourText + ":" + minuteText + "' is not a valid time of day (00:00 to 23:59)");
    return static_cast<uint8_t>(hour * 8 + minute / 10);
}

void TTimeTable::Sort()
{
    std::sort(entries_.begin(), entries_.begin() + count_);
}

void TTimeTable::Decode(const ImageStore& image)
{
    count_ = 0;
    while (count_ < kMaxEntries) {
        const uint8_t entry = image.ReadImageByte(kAddress + count_);
        if (entry == kEnd)
            break;
        entries_[static_cast<size_t>(count_++)] = entry;
    }
    Sort();
}

void TTimeTable::Add(ImageStore& image, uint8_t entry)
{
    if (count_ >= kMaxEntries)
        count_ = 0;
    entries_[static_cast<size_t>(count_++)] = entry;
    Sort();
    std::string bytes(entries_.begin(), entries_.begin() + count_);
    bytes.push_back(static_cast<char>(kEnd));
    image.WriteImageString(bytes, kAddress, 1);
}

std::string TTimeTable::ListText() const
{
    std::string text;
    for (int i = 0; i < count_; ++i)
        text += HourMinuteText(Entry(i) / 8, Entry(i) % 8 * 10) + ",";
    return text;
}

std::string TTimeTable::CountText() const
{
    return "(" + std::to_string(count_) + "):";
}
