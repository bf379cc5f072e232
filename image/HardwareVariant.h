#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class ImageStore;

// The two hardware variants of the unit. The image records the variant as a 16-bit hardware number at bytes
// 185-186 (big-endian; 0xFFFF = not set); the unit's article number is that number with a leading 7.
enum class THardwareVariant { None, TARN, MOSS };

inline constexpr int kHardwareNumberAddress = 185;
inline constexpr int kChannelOptionAddress = 1021; // bits 0-3 frequency option of channels 1-4, bit 7 freqOrDiff
inline constexpr int kChannelTypeAddress = 1031;   // 1031..1037: channel-type code of channels 1-7
inline constexpr int kVariantChannels = 7;
inline constexpr uint16_t kTarnNumber = 5318;
inline constexpr uint16_t kMossNumber = 5342;

// What the main window knows of the unit's hardware; kept between reads.
struct TVariantState {
    std::string hwNumber = "0000"; // decimal text; "0000" when the image holds none
    std::string modemType;         // "TARN", "MOSS", or the word the unit answered; empty until known
    std::array<uint8_t, kVariantChannels> channelType{};
};

// "TARN" and "MOSS" in any letter case (a unit may answer the variant query in its own case); anything else
// is no variant.
THardwareVariant VariantOf(const std::string& modemType);
const char* VariantName(THardwareVariant variant);

struct THardwareNumber {
    std::string hwNumber;
    THardwareVariant variant = THardwareVariant::None; // None: the number names no variant
};
// The stored word as the window shows it: decimal text without leading zeros, "0000" for the erased 0xFFFF.
THardwareNumber DecodeHardwareNumber(uint16_t stored);
// The number to store for the variant word: the variant's own number for "TARN" and "MOSS" (also put into
// hwNumber), else the number hwNumber holds (a text that is no number stores 0).
uint16_t EncodeHardwareNumber(const std::string& modemType, std::string& hwNumber);

// Items of the channel-type pick list of channel 1..7 for the variant; item 0 is the prompt "Select Chn".
// Empty for no variant or a channel outside 1..7.
const std::vector<std::string>& ChannelTypeItems(THardwareVariant variant, int channel);

// Image bytes 1031..1037 into channelType, as stored (a code no pick list offers included).
void LoadChannelTypes(const ImageStore& image, std::array<uint8_t, kVariantChannels>& channelType);

// What the channel-type picker of one channel is set from.
struct TChannelPickerState {
    bool enabled = false;      // the channel's enable box PIn CheckBox
    int modeIndex = -1;        // R: item index of ChnRadioGroup
    std::array<int, 11> dip{}; // D1..D10: item index of DIPSW1_RG..DIPSW10_RG (entry 0 unused)
    uint8_t optionByte = 0xFF; // image byte 1021
    uint8_t channelType = 0;   // the channel's channelType code
    int currentItem = -1;      // the picker's item index now
};

struct TChannelPick {
    int itemIndex = -1;
    // When the pulse rule applied: the states the channel's frequency box and freqOrDiff are to be set to.
    bool pulseRule = false;
    bool freqChecked = false;
    bool freqOrDiffChecked = false;
};

// The item of channel 1..7's type picker that matches the page state; a state that matches no rule keeps
// currentItem. A disabled channel shows the prompt (item 0).
TChannelPick PickChannelType(THardwareVariant variant, int channel, const TChannelPickerState& state);
