#include "pages/GeneralFields.h"

#include "image/ImageStore.h"
#include "platform/Convert.h"

#include <algorithm>
#include <cctype>

TextSlot PhoneSlot(int k)
{
    return {46 + 19 * (k - 1), 19};
}

std::string PhoneNumberText(const ImageStore& image, int k)
{
    return ReadTextSlot(image, PhoneSlot(k));
}

std::string ReferenceDateText(const ImageStore& image)
{
    std::string text;
    for (int i = 0; i < 3; ++i) {
        const int b = image.ReadImageByte(kReferenceDateAddress + i);
        const int shown = b < 100 ? b : 0;
        text += static_cast<char>('0' + shown / 10);
        text += static_cast<char>('0' + shown % 10);
    }
    return text;
}

void WriteReferenceDate(ImageStore& image, const std::string& typed)
{
    std::string digits;
    std::copy_if(typed.begin(), typed.end(), std::back_inserter(digits),
                 [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
    if (digits.size() != 6)
        throw EConvertError("'" + typed + "' is not a valid integer value");
    std::string bytes;
    for (size_t i = 0; i < 6; i += 2)
        bytes += static_cast<char>((digits[i] - '0') * 10 + (digits[i + 1] - '0'));
    image.WriteImageString(bytes, kReferenceDateAddress, 1);
}

const ScaledNumber kHdopField = {279, 2, 100.0, 2, Rounding::Truncate};

ClampedNumber HdopFromText(const std::string& text)
{
    constexpr uint32_t kLowest = 50;   // 0.50
    constexpr uint32_t kDefault = 200; // 2.00
    const ClampedNumber n = ScaledFromText(text, kHdopField);
    if (n.value < kLowest)
        return {kDefault, true};
    return n;
}

int MemsThresholdMg(uint8_t stored)
{
    return stored < 128 ? stored * 16 : 0;
}

ClampedNumber MemsStepFromText(const std::string& text)
{
    constexpr int kHighest = 2040;
    const int mg = StrToInt(text);
    if (mg <= 0 || mg > kHighest)
        return {0, true};
    return {static_cast<uint32_t>(mg / 16), false};
}

void WriteMemsStep(ImageStore& image, uint8_t step)
{
    image.WriteImageNumber(step, kMemsThresholdAddress, 1, 1);
}

std::string HardwareModelText(const ImageStore& image)
{
    const uint32_t model = (uint32_t(image.ReadImageByte(2542)) << 16) | image.ReadImageNumber(2564, 2);
    return std::to_string(model);
}

std::string HardwareSerialText(const ImageStore& image)
{
    const std::string serial = image.ReadImageString(2543, 21);
    if (serial.empty() || static_cast<uint8_t>(serial[0]) == 0xFF)
        return "N/A";
    return serial;
}
