#include "cport/ui/PortPickers.h"

#include "cport/port/ComNotify.h"
#include "cport/port/Cport.h"

#include <QApplication>
#include <QButtonGroup>
#include <QMessageBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace
{
template <class E> void AddTexts(std::vector<std::string>& Items, int Count, std::string (*ToStr)(E))
{
    for (int i = 0; i < Count; ++i)
        Items.push_back(ToStr(E(i)));
}

QString Latin1(const std::string& s)
{
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

// A port error raised by a pick that applies at once is shown, as any failed user action is; it must not
// leave the control's signal.
template <class F> void Guarded(QWidget* Control, F&& Run)
{
    try {
        Run();
    } catch (const std::exception& e) {
        QMessageBox::critical(Control->window(), QApplication::applicationDisplayName(), QString::fromLatin1(e.what()));
    }
}
} // namespace

// --- TComSelect ---------------------------------------------------------------------------------------------

void TComSelect::SetComProperty(TComProperty Value)
{
    ComProperty = Value;
    Picked = false;
    Items.clear();
    switch (Value) {
    case cpPort:
        EnumComPorts(Items);
        break;
    case cpBaudRate:
        AddTexts(Items, 16, BaudRateToStr);
        break;
    case cpDataBits:
        AddTexts(Items, 4, DataBitsToStr);
        break;
    case cpStopBits:
        AddTexts(Items, 3, StopBitsToStr);
        break;
    case cpParity:
        AddTexts(Items, 5, ParityToStr);
        break;
    case cpFlowControl:
        AddTexts(Items, 4, FlowControlToStr);
        break;
    case cpNone:
        break;
    }
}

std::string TComSelect::CurrentText() const
{
    switch (ComProperty) {
    case cpPort:
        return ComPort->Port();
    case cpBaudRate:
        return BaudRateToStr(ComPort->BaudRate());
    case cpDataBits:
        return DataBitsToStr(ComPort->DataBits());
    case cpStopBits:
        return StopBitsToStr(ComPort->StopBits());
    case cpParity:
        return ParityToStr(ComPort->Parity().Bits());
    case cpFlowControl:
        return FlowControlToStr(ComPort->FlowControl().FlowControl());
    case cpNone:
        break;
    }
    return {};
}

// A port name matches its entry also when written as the device's path.
int TComSelect::IndexOf(const std::string& Text) const
{
    for (std::size_t i = 0; i < Items.size(); ++i)
        if (Items[i] == Text || (ComProperty == cpPort && ComDevicePath(Items[i]) == ComDevicePath(Text)))
            return int(i);
    return -1;
}

void TComSelect::Pick(const std::string& Text)
{
    Picked = true;
    switch (ComProperty) {
    case cpPort:
        Port = Text;
        Picked = !Text.empty();
        break;
    case cpBaudRate:
        BaudRate = StrToBaudRate(Text);
        break;
    case cpDataBits:
        DataBits = StrToDataBits(Text);
        break;
    case cpStopBits:
        StopBits = StrToStopBits(Text);
        break;
    case cpParity:
        Parity = StrToParity(Text);
        break;
    case cpFlowControl:
        FlowControl = StrToFlowControl(Text);
        break;
    case cpNone:
        Picked = false;
        break;
    }
}

void TComSelect::UpdateSettings(int& Index)
{
    if (!ComPort)
        return;
    Index = IndexOf(CurrentText());
    if (Index >= 0) {
        Pick(Items[std::size_t(Index)]);
        return;
    }
    Picked = false;
    if (ComProperty == cpPort)
        Port.clear();
}

void TComSelect::Change(const std::string& Text)
{
    Pick(Text);
    if (AutoApply)
        ApplySettings();
}

void TComSelect::ApplySettings()
{
    if (!ComPort || !Picked)
        return;
    switch (ComProperty) {
    case cpPort:
        // The same device under its other spelling is no change: it must not be closed and reopened.
        if (ComDevicePath(Port) != ComDevicePath(ComPort->Port()))
            ComPort->SetPort(Port);
        break;
    case cpBaudRate:
        ComPort->SetBaudRate(BaudRate);
        break;
    case cpDataBits:
        ComPort->SetDataBits(DataBits);
        break;
    case cpStopBits:
        ComPort->SetStopBits(StopBits);
        break;
    case cpParity:
        ComPort->Parity().SetBits(Parity);
        break;
    case cpFlowControl:
        ComPort->FlowControl().SetFlowControl(FlowControl);
        break;
    case cpNone:
        break;
    }
}

bool TComSelect::Bind(TCustomComPort* Value, const void* Who, std::function<void()> Gone)
{
    if (Value == ComPort)
        return false;
    Unbind(Who);
    ComPort = Value;
    if (Value)
        ComFreeNotification(Value, Who, std::move(Gone));
    return true;
}

void TComSelect::Unbind(const void* Who)
{
    if (ComPort)
        ComRemoveFreeNotification(ComPort, Who);
    ComPort = nullptr;
}

// --- TComPicker --------------------------------------------------------------------------------------------

template <class TWidget> void TComPicker<TWidget>::SetComPort(TCustomComPort* Value)
{
    if (FSelect.Bind(Value, this, [this] { PortGone(); }) && Value)
        UpdateSettings();
}

template <class TWidget> void TComPicker<TWidget>::PortGone()
{
    FSelect.ComPort = nullptr;
    if (!FSelect.Items.empty())
        ShowIndex(0);
}

template <class TWidget> void TComPicker<TWidget>::SetComProperty(TComProperty Value)
{
    FSelect.SetComProperty(Value);
    ShowItems();
    if (FSelect.Items.empty())
        return;
    if (FSelect.ComPort)
        UpdateSettings();
    else
        ShowIndex(0);
}

template <class TWidget> void TComPicker<TWidget>::UpdateSettings()
{
    int Index = 0;
    FSelect.UpdateSettings(Index);
    ShowIndex(Index);
}

template class TComPicker<QComboBox>;
template class TComPicker<QGroupBox>;

// --- TComComboBox -------------------------------------------------------------------------------------------

TComComboBox::TComComboBox(QWidget* Parent) : TComPicker<QComboBox>(Parent)
{
    setEditable(false);
    connect(this, &QComboBox::currentIndexChanged, this, [this](int) {
        if (!FQuiet)
            Guarded(this, [this] { Change(); });
    });
}

void TComComboBox::ShowItems()
{
    FQuiet = true;
    clear();
    for (const std::string& Item : FSelect.Items)
        addItem(Latin1(Item));
    FQuiet = false;
}

void TComComboBox::ShowIndex(int Index)
{
    FQuiet = true;
    setCurrentIndex(Index);
    FQuiet = false;
}

std::string TComComboBox::Text() const
{
    const int Index = currentIndex();
    return Index >= 0 && Index < int(FSelect.Items.size()) ? FSelect.Items[std::size_t(Index)] : std::string();
}

void TComComboBox::SetText(const std::string& Value)
{
    const int Index = findText(Latin1(Value));
    if (Index >= 0)
        setCurrentIndex(Index);
}

void TComComboBox::Change()
{
    FSelect.Change(Text());
    if (OnChange)
        OnChange(this);
}

// --- TComRadioGroup -----------------------------------------------------------------------------------------

TComRadioGroup::TComRadioGroup(QWidget* Parent) : TComPicker<QGroupBox>(Parent), FButtons(new QButtonGroup(this))
{
    new QVBoxLayout(this);
    connect(FButtons, &QButtonGroup::idToggled, this, [this](int, bool Checked) {
        if (Checked)
            Guarded(this, [this] { Click(); });
    });
}

void TComRadioGroup::ShowItems()
{
    for (QAbstractButton* Old : FButtons->buttons()) {
        FButtons->removeButton(Old);
        delete Old;
    }
    FLastIndex = -1;
    for (std::size_t i = 0; i < FSelect.Items.size(); ++i) {
        auto* Button = new QRadioButton(Latin1(FSelect.Items[i]), this);
        layout()->addWidget(Button);
        FButtons->addButton(Button, int(i));
    }
}

void TComRadioGroup::ShowIndex(int Index)
{
    FLastIndex = Index;
    SetItemIndex(Index);
}

int TComRadioGroup::ItemIndex() const
{
    return FButtons->checkedId();
}

void TComRadioGroup::SetItemIndex(int Value)
{
    if (QAbstractButton* Button = FButtons->button(Value)) {
        Button->setChecked(true);
        return;
    }
    if (QAbstractButton* Checked = FButtons->checkedButton()) {
        FButtons->setExclusive(false);
        Checked->setChecked(false);
        FButtons->setExclusive(true);
    }
}

void TComRadioGroup::Click()
{
    const int Index = ItemIndex();
    if (Index != FLastIndex) {
        if (Index >= 0)
            FSelect.Change(FSelect.Items[std::size_t(Index)]);
        FLastIndex = Index;
    }
    if (OnClick)
        OnClick(this);
}
