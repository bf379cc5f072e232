#pragma once

#include "pages/Rows.h"

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class QGroupBox;
class QLabel;
class QWidget;
class TCheckBox;
class TRadioGroup;
struct TPageContext;

// What the option switches change on controls that other pages own; the window connects every one. A hook
// left empty does nothing, which a page alone under test may want, but never the window.
struct TOptionHooks {
    std::function<void(int page, int item)> ShowHelpText;
    // "Use Unit ID as User Name": the dial-up user name edit is editable while the box is clear.
    std::function<void(bool enabled)> UserNameEnabled;
    // The unit ID sources: the unit ID edit is locked (disabled, read-only) while one of them is ticked.
    std::function<void(bool locked)> UserIDLocked;
    // "Ping format": the count of ping failures and its label are enabled with it.
    std::function<void(bool enabled)> MaxPingEnabled;
    // "Sleep when Send Req is Done": the caption of the awake time edit.
    std::function<void(const std::string& caption)> AwakeTimeCaption;
    // The server a timer sends to (timer 2, 3 or 4) was chosen: item 0 is IP1, 1 is IP2.
    std::function<void(int timer, int item)> DestinationChosen;
    // The destination captions rebuilt from the server fields, on every redraw.
    std::function<void()> ShowIPLabels;
    // Timer 1..5 runs synchronised: its start time field is enabled.
    std::function<void(int timer, bool enabled)> StartTimeEnabled;
    // "Analogue Values": the level captions of the analogue channels.
    std::function<void()> LevelCaptions;

    // The hooks left empty, by name (a new hook is listed there too).
    std::vector<std::string> Unconnected() const;
};

// The option switches of the "General Settings", "Communication" and "Data Transfer/Logging/Timers" pages:
// single-bit options and choices over one or two bits, built from one table in the order the option-bit
// decoder (ShowOptionBits) visits them, so their decoders run in that order at the OptionBits step.
//
// A switch that a redraw moves runs its click handler as a user's click does: its own write finds the bit as
// shown, and the rules it carries (the ISP connection forced on, logging on, the packet rules, the unit ID
// sources, the I/O7 toggling bytes, captions, enabled states, help) follow the decoded value, so page and image
// agree afterwards. Such a rule may write, which redraws once more inside the running redraw.
class TOptionBits
{
  public:
    struct TSheets {
        QWidget* general;
        QWidget* communication;
        QWidget* transfer;
    };
    TOptionBits(TPageContext& ctx, const TSheets& sheets);

    TOptionHooks Hooks;

    // --- "General Settings" and "Communication" ---
    void ConnectBoxClick();
    void UNCheckBoxClick();
    void UnitIdSourceClick(int source); // IMEI_HWnoCheckBoxClick, SIMIDCheckBoxClick, useIMEICheckClick
    void ADValRadioGroupClick();
    // --- "Data Transfer/Logging/Timers" ---
    void SetIOCheckBoxClick();
    void SendBoxClick(int k); // pulseSendBoxClick, CheckBox12Click, CheckBox2Click (k = 0, 1, 2)
    void CheckBox24Click();
    void CheckBox37Click();
    void LPCheckBoxClick();
    void sleepSendReqClick();
    void PingBoxClick();
    void IPSWTClick(int timer);                // IPSWT2Click, IPSWT3Click, IPSWT4Click
    void PacketUnitIdClick(int swt);           // CheckBox15Click (SWT3), CheckBox3Click (SWT4)
    void PacketStatusClick(int swt, int slot); // the [#4] to [#7] boxes of SWT3 and SWT4
    void StatusPeriodSendClick();
    void SleepPeriodSendClick();
    // --- pulse inputs, logging and periodicity ---
    void AnadataLogClick();
    void IO1edgeClick();
    void PICheckBoxClick(int n);   // PI1CheckBoxClick .. PI7CheckBoxClick
    void ChRadioGroupClick(int n); // Ch1RadioGroupClick .. Ch7RadioGroupClick
    void freqOrDiffClick();
    void PIPeriodLogClick();
    void PIPeriodSendClick();
    void InfoPeriodSendClick();

    // One row of the table: where it sits, what its click does besides the row's own write, and the decoder
    // that follows it at the OptionBits step.
    enum class Group {
        Misc,
        SmsAlarm,
        UnitId,
        ActiveProfile,
        Gnss,
        Clock,
        Analogue,
        Connect,
        Firewall,
        DialUp,
        Swt1,
        Swt2,
        Swt2Packets,
        Swt3,
        Swt3Packets,
        Swt4,
        Swt4Period,
        Swt4Packets,
        Swt5,
        Swt5Period,
        HeartBeat,
        Udp,
        Sms,
        Ping,
        Count
    };
    struct TOptionRow {
        TRow row;
        Group group;
        std::function<void(TOptionBits&)> click = {}; // replaces the row's plain write
        std::function<void(TOptionBits&)> then = {};  // a decoder of its own, right after the row's
        std::string beside = {};                      // laid out on the line of that control
        std::string hint = {};
    };
    static std::vector<TOptionRow> Table();

  private:
    template <class Hook, class... Args> static void Call(const Hook& hook, Args&&... args)
    {
        if (hook)
            hook(std::forward<Args>(args)...);
    }
    void Help(int page, int item) const;
    void Periodicity(TRadioGroup* choice, const MultiBitChoice& field, int timer);
    void Build(const TSheets& sheets);
    void Hold();
    void Settle();
    // Decoders of their own, visited between the rows.
    void ShowServerBox();
    void ShowPacketFormat();
    void ShowDestinations();
    void ShowIO1edge();
    // The [#3] box and the [#4] to [#7] boxes of a packet selection.
    struct TPackets {
        TCheckBox* unitId;
        std::array<TCheckBox*, 4> status;
    };
    TPackets& Packets(int swt);

    TPageContext& ctx_;
    TCheckBox* ConnectBox = nullptr;
    TCheckBox* ServerBox = nullptr;
    TCheckBox* UNCheckBox = nullptr;
    std::array<TCheckBox*, 3> unitIdSources_{};
    TRadioGroup* ADValRadioGroup = nullptr;
    TCheckBox* SetIOCheckBox = nullptr;
    std::array<TCheckBox*, 3> sendBoxes_{}; // pulseSendBox, CheckBox12, CheckBox2
    TCheckBox* CheckBox24 = nullptr;
    TCheckBox* CheckBox37 = nullptr;
    QLabel* Label102 = nullptr;
    TCheckBox* LPCheckBox = nullptr;
    TCheckBox* wakeUpWhenReq = nullptr;
    TCheckBox* sleepSendReq = nullptr;
    TCheckBox* PingBox = nullptr;
    std::array<TRadioGroup*, 3> IPSWT_{};
    TPackets swt3Packets_{}, swt4Packets_{};
    TRadioGroup* StatusPeriodSend = nullptr;
    TRadioGroup* SleepPeriodSend = nullptr;
    TRadioGroup* AnadataLog = nullptr;
    TRadioGroup* IO1edge = nullptr; // "Pulse Counting Transition"
    TCheckBox* usePulseVEventCheckBox = nullptr;
    std::array<TCheckBox*, 7> PI_{};
    std::array<TRadioGroup*, 7> Ch_{};
    std::array<TCheckBox*, 4> Freq_{};
    TCheckBox* freqOrDiff = nullptr;
    QLabel* Label162 = nullptr;
    TRadioGroup* PIPeriodLog = nullptr;
    TRadioGroup* PIPeriodSend = nullptr;
    TRadioGroup* InfoPeriodSend = nullptr;
};
