#include "pages/ImageFields.h"

#include "image/ImageStore.h"
#include "image/ToolVersion.h"

#include <cstdio>

std::string ConfigToolNrText(const ImageStore& image)
{
    uint32_t v = image.ReadImageNumber(kConfigToolNrAddress, 2);
    if (v > 65534)
        v = 0;
    char text[16];
    std::snprintf(text, sizeof text, "%02u.%02u", v / 100, v % 100);
    return text;
}

void StampConfigToolNr(ImageStore& image)
{
    image.WriteImageNumber(ConfigToolNr, kConfigToolNrAddress, 2, 1);
}

void StoreChannelTypes(ImageStore& image, const std::array<uint8_t, 7>& channelType)
{
    for (size_t k = 0; k < channelType.size(); ++k)
        image.WriteImageString(std::string(1, static_cast<char>(channelType[k])),
                               kChannelTypesAddress + static_cast<int>(k), 1);
}

std::optional<TLevelCaptions> LevelCaptions(const ImageStore& image, int analogueValuesIndex, const TextSlot& unit)
{
    if (analogueValuesIndex != 0 && analogueValuesIndex != 1)
        return std::nullopt;
    const std::string name = analogueValuesIndex == 0 ? "mV" : ReadTextSlot(image, unit);
    return TLevelCaptions{"High level [ " + name + " ]", "Low level [ " + name + " ]"};
}
