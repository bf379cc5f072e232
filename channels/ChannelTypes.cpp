#include "channels/ChannelTypes.h"

#include "image/ChannelTypeTable.h"
#include "pages/ImageFields.h"
#include "pages/PageContext.h"
#include "pages/Sheet.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/ExitOnFocusOut.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/RadioGroup.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace
{

std::string Numbered(const char* prefix, int n, const char* suffix)
{
    return prefix + std::to_string(n) + suffix;
}

// The lists before the variant is known: the TARN ones, but I/O7 offers the internal sensors only.
std::vector<std::string> FormItems(int n)
{
    if (n == kVariantChannels)
        return {"Select Ch7", "Int Temp/Humid", "Int Temp", "Int Humidity", "Int Pressure"};
    return ChannelTypeItems(THardwareVariant::TARN, n);
}

} // namespace

TChannelTypes::TChannelTypes(TPageContext& ctx, TOptionBits& options, TVariantState& variant, QWidget* sheet)
    : ctx_(ctx), options_(options), variant_(variant), dips_(ctx, sheet)
{
    Build(sheet);
}

void TChannelTypes::Build(QWidget* sheet)
{
    auto* group = new QGroupBox;
    auto* form = new QFormLayout(group);
    ModemTypeRadioG = new TRadioGroup("Modem Type", group);
    ModemTypeRadioG->setObjectName("ModemTypeRadioG");
    ModemTypeRadioG->SetItems({"TARN (75318)", "MOSS (75342)"});
    ModemTypeRadioG->SetColumns(2);
    ModemTypeRadioG->SetOnClick([this] { ModemTypeRadioGClick(); });
    ctx_.AddControl(ModemTypeRadioG);
    form->addRow(ModemTypeRadioG);

    for (int n = 1; n <= kVariantChannels; ++n) {
        auto* list = new QComboBox(group);
        list->setObjectName(QString::fromStdString(Numbered("IO", n, "_ComboBox")));
        ctx_.AddControl(list);
        lists_[static_cast<size_t>(n - 1)] = list;
        FillList(n, FormItems(n));
        auto* label = new QLabel(group);
        label->setBuddy(list);
        if (n == kVariantChannels) {
            Label196 = label;
            label->setObjectName("Label196");
            ctx_.AddControl(label);
            label->setText("Log Bank 7 / Ch7 (Int):");
        } else {
            label->setText(QString("Log Bank %1 / Ch%1 (IO%1):").arg(n));
        }
        form->addRow(label, list);
        // activated: the user's picks only; a list set from the image has no choice to apply.
        QObject::connect(list, &QComboBox::activated, list, [this, n] { picked_[static_cast<size_t>(n - 1)] = true; });
        auto exit = [this, n] { IOComboBoxExit(n); };
        ctx_.AddExit(list->objectName().toStdString(), exit);
        OnExit(list, exit);
    }

    auto* setRam = new QPushButton("Set RAM pos", group);
    setRam->setObjectName("Button5");
    ctx_.AddControl(setRam);
    ConnectGuarded(setRam, &QPushButton::clicked, setRam, [this] { Button5Click(); });
    form->addRow(setRam);
    TSheet::Of(sheet)->Add(group, 1);
}

void TChannelTypes::FillList(int n, const std::vector<std::string>& items)
{
    QComboBox* list = List(n);
    list->clear();
    for (const std::string& item : items)
        list->addItem(FromLatin1(item));
    // No choice: the prompt shows, and leaving the list changes nothing.
    list->setPlaceholderText(FromLatin1(items.empty() ? std::string() : items.front()));
    list->setCurrentIndex(-1);
    picked_[static_cast<size_t>(n - 1)] = false;
}

void TChannelTypes::ShowType(int n, int item)
{
    if (List(n)->currentIndex() != item)
        List(n)->setCurrentIndex(item);
    picked_[static_cast<size_t>(n - 1)] = false;
}

// The relabel's own move of the variant choice: its click would start the relabel again inside itself.
void TChannelTypes::ShowVariant(THardwareVariant variant)
{
    showingVariant_ = true;
    ModemTypeRadioG->SetItemIndex(variant == THardwareVariant::TARN ? 0 : 1);
    showingVariant_ = false;
}

void TChannelTypes::ModemTypeRadioGClick()
{
    if (showingVariant_)
        return;
    const THardwareVariant chosen = ModemTypeRadioG->ItemIndex() != 0 ? THardwareVariant::MOSS : THardwareVariant::TARN;
    variant_.modemType = VariantName(chosen);
    ApplyModemTypeLabels();
}

void TChannelTypes::ApplyModemTypeLabels()
{
    const THardwareVariant variant = VariantOf(variant_.modemType);
    if (variant == THardwareVariant::None)
        return;
    const bool moss = variant == THardwareVariant::MOSS;
    ShowVariant(variant);
    for (int n = 2; n <= 4; ++n)
        Wiring(n)->setTitle(moss ? "Pulse  Analogue" : "Digital Analogue");
    if (moss) {
        Wiring(7)->setTitle("Digital  Analogue");
        Log(7)->setText("Input Ch 7 (I/O7)");
    }
    Label196->setText("Log Bank 7 / Ch7 (IO7):");
    for (int k = 7; k <= TDipSwitches::kCount; ++k)
        dips_.Switch(k)->setEnabled(moss || k <= 8);
    // TARN has no switches 9 and 10: moved "OFF", their clicks store them so.
    if (!moss)
        for (int k : {9, 10})
            dips_.Switch(k)->SetItemIndex(0);
    for (int n = 1; n <= kVariantChannels; ++n)
        FillList(n, ChannelTypeItems(variant, n));
}

void TChannelTypes::Button5Click()
{
    StoreChannelTypes(ctx_.Image, variant_.channelType);
}

TCheckBox* TChannelTypes::Log(int n) const
{
    return ctx_.Get<TCheckBox>(Numbered("PI", n, "CheckBox"));
}

TRadioGroup* TChannelTypes::Wiring(int n) const
{
    return ctx_.Get<TRadioGroup>(Numbered("Ch", n, "RadioGroup"));
}
