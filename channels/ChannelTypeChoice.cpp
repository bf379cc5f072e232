#include "channels/ChannelTable.h"
#include "channels/ChannelTypes.h"
#include "image/ChannelTypeTable.h"
#include "pages/OptionBits.h"
#include "pages/OptionFields.h"
#include "pages/PageContext.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/RadioGroup.h"

#include <QComboBox>

namespace
{

// Only a type that uses the channel's own input makes it an input. Without a known variant only the
// channels whose first three types are inputs on both variants are switched.
bool ClearsDirection(THardwareVariant variant, int n, int item, const TChannelTypeRow* row)
{
    if (variant != THardwareVariant::None)
        return row && row->OwnInput();
    return (n == 5 || n == 6) && item >= 1 && item <= 3;
}

} // namespace

void TChannelTypes::IOComboBoxExit(int n)
{
    bool& picked = picked_[static_cast<size_t>(n - 1)];
    const int item = List(n)->currentIndex();
    if (!picked || item < 0)
        return;
    picked = false;
    if (item == 0)
        NoChoice(n);
    else
        Choose(n, item);
}

// The prompt: the channel is not logged and reads its own input.
void TChannelTypes::NoChoice(int n)
{
    Log(n)->SetChecked(false);
    variant_.channelType[static_cast<size_t>(n - 1)] = static_cast<uint8_t>(n - 1);
    options_.PICheckBoxClick(n);
    if (n == 7) {
        Wiring(7)->SetItemIndex(1);
        options_.ChRadioGroupClick(7);
    }
}

void TChannelTypes::Choose(int n, int item)
{
    const THardwareVariant variant = VariantOf(variant_.modemType);
    auto* logging = ctx_.Get<TRadioGroup>("AnadataLog");
    if (logging->ItemIndex() == 0) {
        logging->SetItemIndex(1);
        options_.AnadataLogClick();
    }
    Log(n)->SetChecked(true);
    const TChannelTypeRow* row = ChannelTypeRow(variant, n, item);
    if (ClearsDirection(variant, n, item, row))
        WriteSwitch(ctx_.Image, {kDirectionByte, static_cast<uint8_t>(1 << (n - 1))}, false);
    if (variant == THardwareVariant::MOSS)
        variant_.channelType[static_cast<size_t>(n - 1)] = static_cast<uint8_t>(n - 1);
    if (row)
        Apply(n, *row);
    // The channel's switches are stored as they stand, set by this type or not.
    for (int k : ChannelSwitches(variant, n))
        dips_.Click(k);
    options_.ChRadioGroupClick(n);
    options_.PICheckBoxClick(n);
}

void TChannelTypes::Apply(int n, const TChannelTypeRow& row)
{
    using namespace OptionFields;
    if (row.radio >= 0)
        Wiring(n)->SetItemIndex(row.radio);
    for (const TDipSetting& dip : row.dips)
        dips_.Switch(dip.sw)->SetItemIndex(dip.on);
    if (row.pulse != TPulseCount::None) {
        const bool rate = row.pulse != TPulseCount::Plain;
        WriteSwitch(ctx_.Image, PlainPulses(n), !rate);
        if (rate) {
            const bool freq = row.pulse == TPulseCount::Freq;
            WriteSwitch(ctx_.Image, kFreqOrDiff, freq);
            ctx_.Get<TCheckBox>("Freq" + std::to_string(n) + "CheckBox")->SetChecked(true);
            ctx_.Get<TCheckBox>("freqOrDiff")->SetChecked(freq);
        }
    }
    variant_.channelType[static_cast<size_t>(n - 1)] = static_cast<uint8_t>(row.OwnInput() ? n - 1 : row.code);
}
