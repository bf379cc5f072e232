#include "image/HardwareVariant.h"

#include "image/ChannelTypeTable.h"
#include "image/ImageStore.h"
#include "platform/Convert.h"

#include <algorithm>

namespace
{

using TItems = std::vector<std::string>;

// The pick-list texts: the prompt, then the item of each row.
std::array<TItems, kVariantChannels> BuildLists(THardwareVariant variant)
{
    std::array<TItems, kVariantChannels> lists;
    for (int n = 1; n <= kVariantChannels; ++n) {
        TItems& items = lists[static_cast<size_t>(n - 1)];
        items.push_back("Select Ch" + std::to_string(n));
        for (const TChannelTypeRow& row : ChannelTypeRows(variant, n))
            items.push_back(row.text);
    }
    return lists;
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

bool SwitchesShow(const std::vector<TDipSetting>& dips, const TChannelPickerState& s)
{
    return std::all_of(dips.begin(), dips.end(),
                       [&s](const TDipSetting& d) { return s.dip[static_cast<size_t>(d.sw)] == d.on; });
}

// How pulse channel n counts by the option byte: its bit set counts plain pulses, clear a rate whose kind
// bit 7 gives.
TPulseCount PulseCountOf(int channel, uint8_t optionByte)
{
    if (optionByte & (1u << (channel - 1)))
        return TPulseCount::Plain;
    return optionByte & 0x80 ? TPulseCount::Freq : TPulseCount::Diff;
}

// The own-input row whose selector and switches the page shows; among pulse rows the one the option byte
// counts by, with the frequency boxes that show it.
TChannelPick WiredType(const std::vector<TChannelTypeRow>& rows, int channel, const TChannelPickerState& s)
{
    for (size_t i = 0; i < rows.size(); ++i) {
        const TChannelTypeRow& row = rows[i];
        if (!row.OwnInput() || row.radio != s.modeIndex || !SwitchesShow(row.dips, s))
            continue;
        TChannelPick pick = Item(static_cast<int>(i) + 1);
        if (row.pulse != TPulseCount::None) {
            if (row.pulse != PulseCountOf(channel, s.optionByte))
                continue;
            pick.pulseRule = true;
            pick.freqChecked = row.pulse != TPulseCount::Plain;
            pick.freqOrDiffChecked = (s.optionByte & 0x80) != 0;
        }
        return pick;
    }
    return Keep(s);
}

} // namespace

THardwareVariant VariantOf(const std::string& modemType)
{
    std::string upper = modemType;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    if (upper == "TARN")
        return THardwareVariant::TARN;
    if (upper == "MOSS")
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
    const THardwareVariant variant = VariantOf(modemType);
    if (variant == THardwareVariant::TARN)
        hwNumber = std::to_string(kTarnNumber);
    else if (variant == THardwareVariant::MOSS)
        hwNumber = std::to_string(kMossNumber);
    int n = StrToIntDef(hwNumber, 0);
    // hwNumber only ever holds a decoded word; anything else must not wrap into another number.
    return n >= 0 && n <= 0xFFFF ? static_cast<uint16_t>(n) : 0;
}

const std::vector<std::string>& ChannelTypeItems(THardwareVariant variant, int channel)
{
    static const TItems kNone;
    static const auto tarn = BuildLists(THardwareVariant::TARN);
    static const auto moss = BuildLists(THardwareVariant::MOSS);
    if (channel < 1 || channel > kVariantChannels || variant == THardwareVariant::None)
        return kNone;
    return (variant == THardwareVariant::TARN ? tarn : moss)[static_cast<size_t>(channel - 1)];
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
    const std::vector<TChannelTypeRow>& rows = ChannelTypeRows(variant, channel);
    TChannelPick pick = WiredType(rows, channel, state);
    // An internal sensor's code names its item whatever the channel's wiring shows.
    for (size_t i = 0; i < rows.size(); ++i)
        if (!rows[i].OwnInput() && rows[i].code == state.channelType)
            pick.itemIndex = static_cast<int>(i) + 1;
    return pick;
}
