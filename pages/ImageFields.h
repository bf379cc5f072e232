#pragma once

#include "pages/Fields.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

class ImageStore;

// The few image fields that belong to no page of their own.

// Bytes 183-184: the version of the tool that last wrote the image to a unit or saved it.
constexpr int kConfigToolNrAddress = 183;
// "%02d.%02d" of v div 100 and v mod 100; the erased 0xFFFF shows as "00.00".
std::string ConfigToolNrText(const ImageStore& image);
// Writes this tool's number, high byte first, marked: before a write to the unit or a ".kvx" save.
void StampConfigToolNr(ImageStore& image);

// Bytes 1031-1037: the channel-type code of I/O1..I/O7, written one byte each, always.
constexpr int kChannelTypesAddress = 1031;
void StoreChannelTypes(ImageStore& image, const std::array<uint8_t, 7>& channelType);

// The captions of an analogue channel's level labels (upper, lower) for the "Analogue Values" choice: item 0
// in mV, item 1 in the channel's unit text; any other item leaves them as they are.
using TLevelCaptions = std::pair<std::string, std::string>;
std::optional<TLevelCaptions> LevelCaptions(const ImageStore& image, int analogueValuesIndex, const TextSlot& unit);
