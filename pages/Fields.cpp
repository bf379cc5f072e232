#include "pages/Fields.h"

#include "image/ImageStore.h"
#include "platform/Convert.h"

#include <algorithm>
#include <cmath>

std::string ReadTextSlot(const ImageStore& image, const TextSlot& field)
{
    return image.ReadImageString(field.address, field.slot);
}

void WriteTextSlotAlways(ImageStore& image, const TextSlot& field, const std::string& text)
{
    std::string data = text.substr(0, static_cast<size_t>(std::max(0, field.MaxLength())));
    data.push_back('\0');
    image.WriteImageString(data, field.address, 1, field.slot);
}

bool WriteTextSlot(ImageStore& image, const TextSlot& field, const std::string& text)
{
    if (text == ReadTextSlot(image, field))
        return false;
    WriteTextSlotAlways(image, field, text);
    return true;
}

uint32_t ReadNumber(const ImageStore& image, const NumberField& field)
{
    return image.ReadImageNumber(field.address, field.length);
}

ClampedNumber ClampNumberText(const std::string& text, uint32_t max, uint32_t min)
{
    int value = StrToInt(text);
    if (value < 0 || static_cast<uint32_t>(value) < min)
        return {min, true};
    if (static_cast<uint32_t>(value) > max)
        return {max, true};
    return {static_cast<uint32_t>(value), false};
}

bool WriteNumber(ImageStore& image, const NumberField& field, uint32_t value)
{
    if (field.policy == WritePolicy::WhenDifferent && ReadNumber(image, field) == value)
        return false;
    image.WriteImageNumber(value, field.address, field.length, 1);
    return true;
}

bool ReadSwitch(const ImageStore& image, const BitSwitch& field)
{
    bool set = (image.ReadImageByte(field.address) & field.mask) != 0;
    return set != field.activeLow;
}

void WriteSwitch(ImageStore& image, const BitSwitch& field, bool on)
{
    image.SetImageBits(field.address, on != field.activeLow ? 1 : 0, field.mask);
}

int ReadChoice(const ImageStore& image, const MultiBitChoice& field)
{
    const uint8_t pattern = image.ReadImageByte(field.address) & field.mask;
    auto it = std::find(field.values.begin(), field.values.end(), pattern);
    return it == field.values.end() ? -1 : static_cast<int>(it - field.values.begin());
}

void WriteChoice(ImageStore& image, const MultiBitChoice& field, int item)
{
    if (item < 0 || item >= static_cast<int>(field.values.size()))
        return;
    const uint8_t pattern = field.values[static_cast<size_t>(item)] & field.mask;
    // Mode 1 sets the pattern's bits, mode 0 clears the rest of the mask: one byte change, one redraw.
    const uint8_t old = image.ReadImageByte(field.address);
    const uint8_t next = static_cast<uint8_t>((old & ~field.mask) | pattern);
    if (next == old)
        return;
    image.SetImageBits(field.address, 0b01, next & field.mask, static_cast<uint8_t>(field.mask & ~next));
}

int ReadPairChoice(const ImageStore& image, const BitPairChoice& field)
{
    const bool first = ReadSwitch(image, field.first);
    const uint8_t pattern = static_cast<uint8_t>((first ? 2 : 0) | (ReadSwitch(image, field.second) ? 1 : 0));
    auto it = std::find(field.values.begin(), field.values.end(), pattern);
    if (it != field.values.end())
        return static_cast<int>(it - field.values.begin());
    auto sameFirst = [first](uint8_t value) { return ((value & 2) != 0) == first; };
    if (std::count_if(field.values.begin(), field.values.end(), sameFirst) != 1)
        return -1;
    return static_cast<int>(std::find_if(field.values.begin(), field.values.end(), sameFirst) - field.values.begin());
}

void WritePairChoice(ImageStore& image, const BitPairChoice& field, int item)
{
    if (item < 0 || item >= static_cast<int>(field.values.size()))
        return;
    const uint8_t value = field.values[static_cast<size_t>(item)];
    WriteSwitch(image, field.first, (value & 2) != 0);
    WriteSwitch(image, field.second, (value & 1) != 0);
}

int ReadNibble(const ImageStore& image, const Nibble& field)
{
    const uint8_t b = image.ReadImageByte(field.address);
    return field.high ? b >> 4 : b & 0x0F;
}

void WriteNibble(ImageStore& image, const Nibble& field, int value)
{
    image.SetImageNibble(field.address, value, field.high ? 1 : 0);
}

uint32_t ScaledMaxStored(const ScaledNumber& field)
{
    if (field.maxStored)
        return field.maxStored;
    return field.length >= 4 ? 0xFFFFFFFFu : (1u << (8 * field.length)) - 1;
}

std::string ScaledStoredText(uint32_t stored, const ScaledNumber& field)
{
    const double shown = stored / field.scale;
    return field.decimals < 0 ? FloatToStr(shown) : FloatToStrF(shown, field.decimals);
}

std::string ScaledText(const ImageStore& image, const ScaledNumber& field)
{
    return ScaledStoredText(image.ReadImageNumber(field.address, field.length), field);
}

ClampedNumber ScaledFromText(const std::string& text, const ScaledNumber& field)
{
    const double shown = StrToFloat(text);
    if (!std::isfinite(shown))
        throw EConvertError("'" + text + "' is not a valid floating point value");
    double stored = shown * field.scale;
    // A text that prints as 2.57 may be 2.5699999: round on a hair above the step before truncating.
    stored = field.rounding == Rounding::Nearest ? std::round(stored) : std::floor(stored + 1e-6);
    const uint32_t max = ScaledMaxStored(field);
    if (stored < 0)
        return {0, true};
    if (stored > max)
        return {max, true};
    return {static_cast<uint32_t>(stored), false};
}

namespace
{
int MaskShift(uint8_t mask)
{
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}
} // namespace

int ReadComboIndex(const ImageStore& image, const ComboIndex& field)
{
    return (image.ReadImageByte(field.address) & field.mask) >> MaskShift(field.mask);
}

void WriteComboIndex(ImageStore& image, const ComboIndex& field, int index)
{
    const uint8_t old = image.ReadImageByte(field.address);
    const uint8_t bits = static_cast<uint8_t>((index << MaskShift(field.mask)) & field.mask);
    const uint8_t next = static_cast<uint8_t>((old & ~field.mask) | bits);
    if (next != old)
        image.WriteImageString(std::string(1, static_cast<char>(next)), field.address, 1);
}
