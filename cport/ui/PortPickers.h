#pragma once

#include "cport/port/CportTypes.h"

#include <QComboBox>
#include <QGroupBox>

#include <functional>
#include <string>
#include <vector>

class QButtonGroup;
class TCustomComPort;

// Which setting of a port a picker is bound to.
enum TComProperty { cpNone, cpPort, cpBaudRate, cpDataBits, cpStopBits, cpParity, cpFlowControl };

// The value logic of a picker: the texts on offer for one setting, the value picked, and writing it to a port.
class TComSelect
{
  public:
    // Refills Items: the machine's ports for cpPort (may raise EComPort 23), every value's text otherwise.
    void SetComProperty(TComProperty Value);
    // With a port: Index := the position of the port's current value in Items, -1 when it is not there; the
    // picked value follows a found entry. Without a port Index is left alone.
    void UpdateSettings(int& Index);
    // Picks the value that Text names; with AutoApply it goes to the port at once.
    void Change(const std::string& Text);
    // Writes the picked value to the port. Nothing is written while nothing is picked, so a port whose name
    // is not on offer keeps its name.
    void ApplySettings();
    // Binds the select object to Value for the control Who; Gone runs when the port goes. False when Value is
    // the port already bound.
    bool Bind(TCustomComPort* Value, const void* Who, std::function<void()> Gone);
    void Unbind(const void* Who);

    std::string Port;
    TBaudRate BaudRate = brCustom;
    TDataBits DataBits = dbFive;
    TStopBits StopBits = sbOneStopBit;
    TParityBits Parity = prNone;
    TFlowControl FlowControl = fcHardware;
    bool Picked = false; // a value of the bound setting has been found or chosen
    std::vector<std::string> Items;
    TComProperty ComProperty = cpNone;
    TCustomComPort* ComPort = nullptr;
    bool AutoApply = false;

  private:
    void Pick(const std::string& Text);
    std::string CurrentText() const;
    int IndexOf(const std::string& Text) const;
};

// What the pickers share: the value logic, the binding to a port and to a setting, and showing the port's value.
template <class TWidget> class TComPicker : public TWidget
{
  public:
    explicit TComPicker(QWidget* Parent) : TWidget(Parent) {}
    ~TComPicker() override { FSelect.Unbind(this); }

    TCustomComPort* ComPort() const { return FSelect.ComPort; }
    // Binding a port shows its value; when the port goes the picker is left unbound on its first item.
    void SetComPort(TCustomComPort* Value);
    TComProperty ComProperty() const { return FSelect.ComProperty; }
    // Refills the items and shows the bound port's value, or the first item without a port.
    void SetComProperty(TComProperty Value);
    bool AutoApply() const { return FSelect.AutoApply; }
    void SetAutoApply(bool Value) { FSelect.AutoApply = Value; }

    // Shows the port's current value (no item when it is not on offer) and picks it.
    void UpdateSettings();
    void ApplySettings() { FSelect.ApplySettings(); }
    const TComSelect& Select() const { return FSelect; }

  protected:
    // Puts the select object's items on show.
    virtual void ShowItems() = 0;
    // Shows item Index (-1: none) as already picked: no pick follows.
    virtual void ShowIndex(int Index) = 0;

    TComSelect FSelect;

  private:
    void PortGone();
};

extern template class TComPicker<QComboBox>;
extern template class TComPicker<QGroupBox>;

// A drop-down list bound to one setting of a port. It offers the possible values, shows the port's current
// one and picks what the user chooses; ApplySettings (or AutoApply) writes the pick to the port.
class TComComboBox : public TComPicker<QComboBox>
{
    Q_OBJECT

  public:
    explicit TComComboBox(QWidget* Parent = nullptr);

    // The item shown, empty when none; setting a text not in the list changes nothing.
    std::string Text() const;
    void SetText(const std::string& Value);

    std::function<void(TComComboBox* Sender)> OnChange;

  protected:
    // The user (or code) chose another item.
    virtual void Change();
    void ShowItems() override;
    void ShowIndex(int Index) override;

  private:
    bool FQuiet = false;
};

// The same binding on a group of radio buttons.
class TComRadioGroup : public TComPicker<QGroupBox>
{
    Q_OBJECT

  public:
    explicit TComRadioGroup(QWidget* Parent = nullptr);

    // The checked button, -1 for none. Checking one by code runs Click as the user's click does.
    int ItemIndex() const;
    void SetItemIndex(int Value);
    int Count() const { return int(FSelect.Items.size()); }

    std::function<void(TComRadioGroup* Sender)> OnClick;

  protected:
    virtual void Click();
    void ShowItems() override;
    void ShowIndex(int Index) override;

  private:
    QButtonGroup* FButtons;
    int FLastIndex = -1; // the index last reported to the select object
};
