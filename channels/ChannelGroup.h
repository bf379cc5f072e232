#pragma once

#include "channels/ChannelTable.h"

#include <QGroupBox>

#include <array>

class QGridLayout;
class QLabel;
class QLineEdit;
class TCheckBox;
class TLevelPicture;
class TRadioGroup;
struct TPageContext;

// The controls of one channel group; those a channel does not have stay null.
struct TChannelControls {
    TRadioGroup* selection = nullptr; // kind: on/off (I/O1), digital/analogue (I/O2..I/O7)
    TRadioGroup* direction = nullptr;
    TRadioGroup* out = nullptr;      // initial state of an output
    TRadioGroup* alarm = nullptr;    // "Digital IO Alarm"
    TRadioGroup* analogue = nullptr; // "Alarm on"
    std::array<TCheckBox*, 5> phones{};
    QLineEdit* delay = nullptr;
    QLineEdit* restore = nullptr;
    TRadioGroup* restoreSwitch = nullptr;
    TCheckBox* restoreAlert = nullptr;
    QLabel* restoreLabel = nullptr;
    TLevelPicture* picture = nullptr;
    // The alarm levels: millivolts or scaled units on I/O2..I/O7, volts on the power-in monitor (low only).
    QLineEdit* lowLevel = nullptr;
    QLabel* lowCaption = nullptr;
    QLineEdit* highLevel = nullptr;
    QLabel* highCaption = nullptr;
    QLineEdit* hysteresis = nullptr;
    QLabel* restoreHigh = nullptr;    // the hysteresis below the high level, where the alarm ends
    QLabel* restoreLow = nullptr;     // and above the low level
    TRadioGroup* special = nullptr;   // I/O2's "Capture"/"PWM"
    QLineEdit* supplyLevel = nullptr; // the supply level the unit last measured
};

// One channel's settings group on the "Channels" page, built from its row of the channel table: the
// controls, their editors (the coupling of kind, direction and alarm modes included) and the decoder that
// shows and enables them from the image.
class TChannelGroup : public QGroupBox
{
    Q_OBJECT
  public:
    TChannelGroup(TPageContext& ctx, const TChannel& channel, QWidget* parent = nullptr);

    const TChannel& Channel() const { return c_; }
    const TChannelControls& Controls() const { return w_; }
    // IOnselectionClick: the channel's kind and its coupling rules, as a click on the shown kind.
    void SelectionClick();

  private:
    // Layout (ChannelGroup.cpp).
    void Build();
    QWidget* PortBox();
    QWidget* AlarmChoice();
    QWidget* SpecialBox();
    QWidget* AnalogueBox();
    void Levels(QGroupBox* box, QGridLayout* grid);
    QWidget* SmsBox();
    QWidget* InternetBox();
    QWidget* DelayBox();
    QWidget* RestoreBox();
    QWidget* CommandBox();
    QWidget* AlarmTexts();
    QWidget* SupplyLevel();

    // Editors (ChannelCoupling.cpp).
    void BindEditors();
    void DirectionClick();
    void OutClick();
    void AlarmSettingClick();
    void AdSettingClick();
    void SpecClick();
    void RestAlertMsgClick();
    void ShowLevelPicture();
    void HystEditChange();
    void Force(TRadioGroup* group, int index);
    void ForceDigitalAlarmOff();

    // Decoder (ChannelDecoder.cpp).
    void ShowPage();
    void ShowRecipientCaptions();
    void ShowDigital(uint8_t alarmByte, bool stateOfInputsToo);
    void ShowSwitchable();
    void ShowMixed();
    void ShowPowerIn();
    // The restore delay switch: bit 2 of the digital alarm byte, or of the supply's alarm byte.
    MultiBitChoice RestoreSwitchField() const;

    TPageContext& ctx_;
    const TChannel& c_;
    TChannelControls w_;
    // Set while an editor moves a companion control: the companion is set by that editor's rule, and its own
    // rule must not run for it, or I/O1's alarm choice forced "Off" would turn the output or the switched-off
    // channel back into an input starting "OFF".
    bool forcing_ = false;
};
