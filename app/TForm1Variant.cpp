#include "app/TForm1.h"
#include "channels/CalibrationSend.h"
#include "channels/ChannelTypes.h"
#include "pages/OptionBits.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/RadioGroup.h"

#include <QComboBox>
#include <QLabel>

namespace
{

std::string Numbered(const char* prefix, int n, const char* suffix)
{
    return prefix + std::to_string(n) + suffix;
}

} // namespace

// The channel types and their DIP switches on the "Data Transfer/Logging/Timers" page, and the calibration
// write on the "Channel Calibration" page.
void TForm1::BuildChannelTypes()
{
    ChannelTypes = std::make_unique<TChannelTypes>(PageContext, *OptionBits, Variant, TabSheet6);
    OnApplyModemTypeLabels = [this] { ChannelTypes->ApplyModemTypeLabels(); };
    CalibrationSend = new TCalibrationSend(PageContext, Link, *this);
}

void TForm1::FinishImageRead()
{
    for (QWidget* page : {TabSheet2, TabSheet4})
        page->setEnabled(true);
    for (const char* name : {"BaudRatePC", "ParityPC", "FlowControl1", "BaudRateTC35", "ParityTC35"})
        PageContext.Get<QWidget>(name)->setEnabled(true);
    TabSheet13->setEnabled(true);
    Image.ImageLoaded = 1;
    DecodeModemType();
    ImageToControls();
    ShowChannelTypeCombos();
}

// The relabel puts "Modem Type" at the variant decoded.
void TForm1::DecodeModemType()
{
    THardwareNumber decoded =
        DecodeHardwareNumber(static_cast<uint16_t>(Image.ReadImageNumber(kHardwareNumberAddress, 2)));
    Variant.hwNumber = decoded.hwNumber;
    Label74->setText(QString::fromStdString("7" + Variant.hwNumber));
    if (decoded.variant != THardwareVariant::None)
        Variant.modemType = VariantName(decoded.variant);
    ApplyModemTypeLabels();
}

void TForm1::EncodeModemType()
{
    uint16_t number = EncodeHardwareNumber(Variant.modemType, Variant.hwNumber);
    Image.WriteImageNumber(number, kHardwareNumberAddress, 2, 1);
}

void TForm1::ApplyModemTypeLabels()
{
    if (OnApplyModemTypeLabels)
        OnApplyModemTypeLabels();
}

void TForm1::ShowChannelTypeCombos()
{
    LoadChannelTypes(Image, Variant.channelType);
    const THardwareVariant variant = VariantOf(Variant.modemType);
    TChannelPickerState state;
    for (int k = 1; k <= 10; ++k)
        state.dip[static_cast<size_t>(k)] = ChannelTypes->Dips().Switch(k)->ItemIndex();
    for (int n = 1; n <= kVariantChannels; ++n) {
        state.enabled = PageContext.Get<TCheckBox>(Numbered("PI", n, "CheckBox"))->Checked();
        state.modeIndex = PageContext.Get<TRadioGroup>(Numbered("Ch", n, "RadioGroup"))->ItemIndex();
        state.optionByte = Image.ReadImageByte(kChannelOptionAddress);
        state.channelType = Variant.channelType[static_cast<size_t>(n - 1)];
        state.currentItem = ChannelTypes->List(n)->currentIndex();

        TChannelPick pick = PickChannelType(variant, n, state);
        if (pick.pulseRule) {
            // Setting a box runs its click handler, which keeps byte 1021 in step.
            if (n <= 4)
                PageContext.Get<TCheckBox>(Numbered("Freq", n, "CheckBox"))->SetChecked(pick.freqChecked);
            PageContext.Get<TCheckBox>("freqOrDiff")->SetChecked(pick.freqOrDiffChecked);
        }
        ChannelTypes->ShowType(n, pick.itemIndex);
    }
}
