#include "image/HardwareVariant.h"

#include "image/ImageStore.h"
#include "platform/Convert.h"

namespace {

using TItems = std::vector<std::string>;

TItems WithPrompt(int channel, const TItems& items)
{
    TItems all{"Select Ch" + std::to_string(channel)};
    all.insert(all.end(), items.begin(), items.end());
    return all;
}

const TItems kTarnCh1 = {"Pulse Input",          "Pulse Input Freq calc", "Pulse Input Diff calc", "DigIO Weak Pull-Up",
                         "DigIO Strong Pull-Up", "Int Temp",              "Int Humidity",          "Int Pressure"};
const TItems kTarnCh2to5 = {"DigIO", "Analog 0-2.5V", "Analog 4-20mA", "Int Temp", "Int Humidity", "Int Pressure"};
const TItems kTarnCh6 = {"DigIO", "Analog 0-5V", "Analog 0-10V", "Int Temp", "Int Humidity", "Int Pressure"};
const TItems kTarnCh7 = {"PT100 Analog 0-2.5V", "PT1000 Analog 0-2.5V", "Int Temp/Humid",
                         "Int Temp",            "Int Humidity",         "Int Pressure"};
const TItems kMossCh1 = {"Pulse Input", "Pulse Input Freq calc", "Pulse Input Diff calc", "DigIO"};
const TItems kMossCh2to4 = {"Pulse Input", "Pulse Input Freq calc", "Pulse Input Diff calc", "Analog 0-2.5V",
                            "Analog 4-20mA"};
const TItems kMossCh5 = {"DigIO", "Analog 0-2.5V", "Analog 4-20mA"};
const TItems kMossCh6and7 = {"DigIO", "Analog 0-2.5V", "Analog 0-30V"};

std::array<TItems, kVariantChannels> BuildLists(const std::array<const TItems*, kVariantChannels>& parts)
{
    std::array<TItems, kVariantChannels> lists;
    for (int i = 0; i < kVariantChannels; ++i)
        lists[static_cast<size_t>(i)] = WithPrompt(i + 1, *parts[static_cast<size_t>(i)]);
    return lists;
}

const std::array<TItems, kVariantChannels>& TarnLists()
{
    static const auto lists =
        BuildLists({&kTarnCh1, &kTarnCh2to5, &kTarnCh2to5, &kTarnCh2to5, &kTarnCh2to5, &kTarnCh6, &kTarnCh7});
    return lists;
}

const std::array<TItems, kVariantChannels>& MossLists()
{
    static const auto lists = BuildLists(
        {&kMossCh1, &kMossCh2to4, &kMossCh2to4, &kMossCh2to4, &kMossCh5, &kMossCh6and7, &kMossCh6and7});
    return lists;
}

// The frequency box of channel n is ticked when bit n - 1 of the option byte is clear; freqOrDiff when bit 7
// is set. Ticked frequency with freqOrDiff picks "Freq calc", frequency alone "Diff calc", else plain pulses.
TChannelPick PulseRule(int channel, uint8_t optionByte)
{
    TChannelPick pick;
    pick.pulseRule = true;
    pick.freqChecked = (optionByte & (1u << (channel - 1))) == 0;
    pick.freqOrDiffChecked = (optionByte & 0x80) != 0;
    pick.itemIndex = !pick.freqChecked ? 1 : pick.freqOrDiffChecked ? 2 : 3;
    return pick;
}

TChannelPick Keep(const TChannelPickerState& s)
{
    TChannelPick pick;
    pick.itemIndex = s.currentItem;
    return pick;
}

TChannelPick Item(int index)
{
    TChannelPick pick;
    pick.itemIndex = index;
    return pick;
}

TChannelPick TarnRule(int n, const TChannelPickerState& s)
{
    const int r = s.modeIndex;
    const auto& d = s.dip;
    if (n == 1) {
        if (r == 0 && d[1] == 0)
            return PulseRule(1, s.optionByte);
        if (r == 1 && d[1] == 0)
            return Item(4);
        if (r == 1 && d[1] == 1)
            return Item(5);
    } else if (n <= 6) {
        const int dn = d[static_cast<size_t>(n)];
        if (r == 0 && dn == 0)
            return Item(1);
        if (r == 1 && dn == 0)
            return Item(2);
        if (r == 1 && dn == 1)
            return Item(3);
    } else {
        if (r == 1 && d[7] == 1 && d[8] == 0)
            return Item(1);
        if (r == 1 && d[7] == 0 && d[8] == 1)
            return Item(2);
    }
    return Keep(s);
}

// The internal sensors override the mode and switch settings on TARN units.
void TarnSensorOverride(int n, uint8_t code, TChannelPick& pick)
{
    // Items of codes 7 (temperature/humidity), 8 (temperature), 9 (humidity), 10 (pressure); 0 = not offered.
    static const int kChannel1[4] = {0, 6, 7, 8};
    static const int kChannels2to6[4] = {0, 4, 5, 6};
    static const int kChannel7[4] = {3, 4, 5, 6};
    if (code < 7 || code > 10)
        return;
    const int* items = n == 1 ? kChannel1 : n == 7 ? kChannel7 : kChannels2to6;
    int item = items[code - 7];
    if (item != 0)
        pick.itemIndex = item;
}

TChannelPick MossRule(int n, const TChannelPickerState& s)
{
    const int r = s.modeIndex;
    const auto& d = s.dip;
    if (n == 1) {
        if (r == 0)
            return PulseRule(1, s.optionByte);
        if (r == 1)
            return Item(4);
    } else if (n <= 4) {
        const int dn = d[static_cast<size_t>(n)];
        if (r == 0 && dn == 0)
            return PulseRule(n, s.optionByte);
        if (r == 1 && dn == 0)
            return Item(4);
        if (r == 1 && dn == 1)
            return Item(5);
    } else if (n == 5) {
        if (r == 0 && d[5] == 0)
            return Item(1);
        if (r == 1 && d[5] == 0)
            return Item(2);
        if (r == 1 && d[5] == 1)
            return Item(3);
    } else {
        // Channel 6 is set by switches 1, 6 and 7; channel 7 by switches 8, 9 and 10.
        const int a = n == 6 ? d[1] : d[8];
        const int b = n == 6 ? d[6] : d[9];
        const int c = n == 6 ? d[7] : d[10];
        if (r == 0 && a == 1 && b == 0 && c == 0)
            return Item(1);
        if (r == 1 && a == 1 && b == 0 && c == 0)
            return Item(2);
        if (r == 1 && a == 0 && b == 1 && c == 1)
            return Item(3);
    }
    return Keep(s);
}

} // namespace

THardwareVariant VariantOf(const std::string& modemType)
{
    if (modemType == "TARN")
        return THardwareVariant::TARN;
    if (modemType == "MOSS")
        return THardwareVariant::MOSS;
    return THardwareVariant::None;
}

const char* VariantName(THardwareVariant variant)
{
    switch (variant) {
    case THardwareVariant::TARN:
        return "TARN";
    case THardwareVariant::MOSS:
        return "MOSS";
    default:
        return "";
    }
}

THardwareNumber DecodeHardwareNumber(uint16_t stored)
{
    THardwareNumber result;
    result.hwNumber = stored == 0xFFFF ? "0000" : std::to_string(stored);
    if (result.hwNumber == std::to_string(kTarnNumber))
        result.variant = THardwareVariant::TARN;
    else if (result.hwNumber == std::to_string(kMossNumber))
        result.variant = THardwareVariant::MOSS;
    return result;
}

uint16_t EncodeHardwareNumber(const std::string& modemType, std::string& hwNumber)
{
    if (modemType == "TARN")
        hwNumber = std::to_string(kTarnNumber);
    else if (modemType == "MOSS")
        hwNumber = std::to_string(kMossNumber);
    int n = StrToIntDef(hwNumber, 0);
    // hwNumber only ever holds a decoded word; anything else must not wrap into another number.
    return n >= 0 && n <= 0xFFFF ? static_cast<uint16_t>(n) : 0;
}

const std::vector<std::string>& ChannelTypeItems(THardwareVariant variant, int channel)
{
    static const TItems kNone;
    if (channel < 1 || channel > kVariantChannels || variant == THardwareVariant::None)
        return kNone;
    const auto& lists = variant == THardwareVariant::TARN ? TarnLists() : MossLists();
    return lists[static_cast<size_t>(channel - 1)];
}

void LoadChannelTypes(const ImageStore& image, std::array<uint8_t, kVariantChannels>& channelType)
{
    // Every byte as the unit holds it, also a code no pick list offers: the commit stores these bytes back,
    // and a kept code of an earlier unit would overwrite this one's.
    for (int i = 0; i < kVariantChannels; ++i)
        channelType[static_cast<size_t>(i)] = image.ReadImageByte(kChannelTypeAddress + i);
}

TChannelPick PickChannelType(THardwareVariant variant, int channel, const TChannelPickerState& state)
{
    if (channel < 1 || channel > kVariantChannels)
        return Keep(state);
    if (!state.enabled)
        return Item(0);
    if (variant == THardwareVariant::TARN) {
        TChannelPick pick = TarnRule(channel, state);
        TarnSensorOverride(channel, state.channelType, pick);
        return pick;
    }
    if (variant == THardwareVariant::MOSS)
        return MossRule(channel, state);
    return Keep(state);
}
