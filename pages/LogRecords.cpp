#include "pages/LogRecords.h"

#include "image/ImageStore.h"
#include "pages/TimeText.h"

#include <algorithm>
#include <bit>
#include <charconv>

namespace
{

constexpr int kLatestStamp = 2473;
constexpr int kLatestChannel1 = 2478;
constexpr int kLatestChannel2 = 2518; // channels 2..7 stand together, apart from channel 1

void AppendNumber(std::string& out, uint32_t value)
{
    char digits[10];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

uint32_t Word32(const MemoryImage& bytes, int address)
{
    return uint32_t(bytes.Byte(address)) << 24 | uint32_t(bytes.Byte(address + 1)) << 16 |
           uint32_t(bytes.Byte(address + 2)) << 8 | bytes.Byte(address + 3);
}

void AppendRecordLine(std::string& out, const MemoryImage& bytes, int address, int number, const TLogLayout& layout)
{
    AppendNumber(out, static_cast<uint32_t>(number));
    out += ": ";
    out += RecordDateText(static_cast<uint16_t>(bytes.Byte(address) << 8 | bytes.Byte(address + 1)), layout.rtcDates);
    out += ',';
    out += ClockText(bytes.Byte(address + 2), bytes.Byte(address + 3), bytes.Byte(address + 4));
    out += ',';
    int value = address + 5;
    for (int k = 0; k < 7; ++k) {
        if (layout.channels & (1 << k)) {
            AppendNumber(out, Word32(bytes, value));
            value += 4;
        }
        out += ',';
    }
}

} // namespace

int TLogLayout::ChannelCount() const
{
    return std::popcount(static_cast<unsigned>(channels & 0x7F));
}

TLogLayout LogLayout(const ImageStore& image)
{
    TLogLayout layout;
    layout.channels = image.ReadImageByte(kLoggedChannelsAddress) & 0x7F;
    layout.rtcDates = (image.ReadImageByte(kRtcDatesAddress) & 0x01) == 0;
    const int n = layout.ChannelCount();
    if (n > 0)
        layout.records =
            std::min<int>(image.LogCapacity[n], (MemoryImage::kSize - kLogAreaStart) / layout.RecordSize());
    return layout;
}

std::string RecordDateText(uint16_t word, bool rtcDates)
{
    if (!rtcDates)
        return std::to_string(word);
    return std::to_string(word >> 9) + std::to_string((word >> 5) & 0x0F) + std::to_string(word & 0x1F);
}

std::string LogListText(const ImageStore& image, const TLogLayout& layout)
{
    std::string text;
    // Seven channels of ten digits at most, with the number, date and time: a line rarely needs more.
    text.reserve(static_cast<size_t>(layout.records) * static_cast<size_t>(24 + 11 * layout.ChannelCount() + 7));
    int address = kLogAreaStart;
    for (int i = 1; i <= layout.records; ++i, address += layout.RecordSize()) {
        if (i > 1)
            text += '\n';
        AppendRecordLine(text, image.Image, address, i, layout);
    }
    return text;
}

std::string LatestTimeStampText(const ImageStore& image)
{
    return std::to_string(image.ReadImageNumber(kLatestStamp, 2)) + "," +
           ClockText(image.ReadImageByte(kLatestStamp + 2), image.ReadImageByte(kLatestStamp + 3),
                     image.ReadImageByte(kLatestStamp + 4));
}

std::array<std::string, 7> LatestValueTexts(const ImageStore& image)
{
    std::array<std::string, 7> texts;
    for (int k = 1; k <= 7; ++k) {
        const int address = k == 1 ? kLatestChannel1 : kLatestChannel2 + 4 * (k - 2);
        texts[static_cast<size_t>(k - 1)] = std::to_string(image.ReadImageNumber(address, 4));
    }
    return texts;
}
