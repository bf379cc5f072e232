#include "pages/Fields.h"

#include "image/ImageStore.h"
#include "platform/Convert.h"

#include <algorithm>

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

ClampedNumber ClampNumberText(const std::string& text, uint32_t max)
{
    int value = StrToInt(text);
    if (value < 0)
        return {0, true};
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
