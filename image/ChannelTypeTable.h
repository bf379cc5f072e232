#pragma once

#include "image/HardwareVariant.h"

#include <string>
#include <vector>

// What choosing a channel type means on each hardware variant: one row per item of a channel's pick list
// (the prompt, item 0, has none). Choosing an item sets these; reading an image back picks the item whose
// row the page shows.

// How a pulse channel counts: plain pulses (its bit of byte 1021 set), or a rate by frequency or by the
// difference of counts (bit clear; bit 7 of byte 1021 chooses between the two).
enum class TPulseCount { None, Plain, Freq, Diff };

// A DIP switch (1..10) and its position (0 "OFF", 1 "ON").
struct TDipSetting {
    int sw;
    int on;
};

inline constexpr int kOwnInput = -1;
inline constexpr int kSensorTempHumid = 7;
inline constexpr int kSensorTemp = 8;
inline constexpr int kSensorHumidity = 9;
inline constexpr int kSensorPressure = 10;

struct TChannelTypeRow {
    std::string text;
    int radio = -1; // item of the channel's selector ChnRadioGroup; -1 leaves it
    std::vector<TDipSetting> dips;
    TPulseCount pulse = TPulseCount::None;
    // The channel's data-source code: kOwnInput for the channel's own input (code n - 1), else an internal
    // sensor. Only an own-input type switches the channel to an input.
    int code = kOwnInput;

    bool OwnInput() const { return code == kOwnInput; }
};

// Items 1.. of channel 1..7's pick list on the variant; empty for no variant or another channel.
const std::vector<TChannelTypeRow>& ChannelTypeRows(THardwareVariant variant, int channel);
// The row of item 1.. of the list, or nullptr when the list has no such item.
const TChannelTypeRow* ChannelTypeRow(THardwareVariant variant, int channel, int item);
// The DIP switches a channel's types set on the variant, in switch order: each choice of a type for the
// channel stores all of them again.
std::vector<int> ChannelSwitches(THardwareVariant variant, int channel);
