#include "app/TForm1.h"
#include "platform/ui/RadioGroup.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>

namespace {

QString Numbered(const char* pattern, int n)
{
    return QString(pattern).arg(n);
}

} // namespace

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

void TForm1::DecodeModemType()
{
    THardwareNumber decoded =
        DecodeHardwareNumber(static_cast<uint16_t>(Image.ReadImageNumber(kHardwareNumberAddress, 2)));
    Variant.hwNumber = decoded.hwNumber;
    Label74->setText(QString::fromStdString("7" + Variant.hwNumber));
    if (decoded.variant != THardwareVariant::None) {
        Variant.modemType = VariantName(decoded.variant);
        if (auto* group = Control<TRadioGroup>("ModemTypeRadioG"))
            group->SetItemIndex(decoded.variant == THardwareVariant::TARN ? 0 : 1);
    }
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
    for (int n = 1; n <= kVariantChannels; ++n) {
        auto* enable = PageContext.Get<QAbstractButton>(Numbered("PI%1CheckBox", n).toStdString());
        auto* picker = Control<QComboBox>(Numbered("IO%1_ComboBox", n));
        if (!picker)
            continue; // the channel pages are not built
        TChannelPickerState state;
        state.enabled = enable->isChecked();
        auto* mode = Control<TRadioGroup>(Numbered("Ch%1RadioGroup", n));
        state.modeIndex = mode ? mode->ItemIndex() : -1;
        for (int k = 1; k <= 10; ++k) {
            auto* dip = Control<TRadioGroup>(Numbered("DIPSW%1_RG", k));
            state.dip[static_cast<size_t>(k)] = dip ? dip->ItemIndex() : -1;
        }
        state.optionByte = Image.ReadImageByte(kChannelOptionAddress);
        state.channelType = Variant.channelType[static_cast<size_t>(n - 1)];
        state.currentItem = picker->currentIndex();

        TChannelPick pick = PickChannelType(variant, n, state);
        if (pick.pulseRule) {
            // Setting a box runs its click handler, which keeps byte 1021 in step.
            if (n <= 4)
                PageContext.Get<QAbstractButton>(Numbered("Freq%1CheckBox", n).toStdString())
                    ->setChecked(pick.freqChecked);
            PageContext.Get<QAbstractButton>("freqOrDiff")->setChecked(pick.freqOrDiffChecked);
        }
        if (pick.itemIndex != picker->currentIndex())
            picker->setCurrentIndex(pick.itemIndex);
    }
}
