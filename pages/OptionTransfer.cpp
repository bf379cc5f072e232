#include "pages/OptionBits.h"

#include "pages/OptionFields.h"
#include "pages/PageContext.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/RadioGroup.h"

#include <algorithm>

using namespace OptionFields;

void TOptionBits::SetIOCheckBoxClick()
{
    const bool on = SetIOCheckBox->Checked();
    WriteSwitch(ctx_.Image, kSetIOCheckBox, on);
    WriteSwitch(ctx_.Image, kSensFeedOn, on);
    if (on)
        WriteSwitch(ctx_.Image, kSensFeedLevel, false);
}

// A timer that sends needs the ISP connection: any change of its switch by the user turns the connection on.
void TOptionBits::SendBoxClick(int k)
{
    if (!User())
        return;
    WriteSwitch(ctx_.Image, kSendBoxes[size_t(k)], sendBoxes_[size_t(k)]->Checked());
    ConnectBox->SetChecked(true);
    ConnectBoxClick();
}

void TOptionBits::CheckBox24Click()
{
    const bool units = CheckBox24->Checked();
    if (User()) {
        WriteSwitch(ctx_.Image, kCheckBox24, units);
        // Control characters come only with units.
        if (!units) {
            CheckBox37->SetChecked(false);
            WriteSwitch(ctx_.Image, kCheckBox37, false);
        }
    }
    ShowPacketFormat();
}

void TOptionBits::CheckBox37Click()
{
    if (User() && CheckBox24->Checked())
        WriteSwitch(ctx_.Image, kCheckBox37, CheckBox37->Checked());
    ShowPacketFormat();
}

void TOptionBits::LPCheckBoxClick()
{
    if (User())
        WriteSwitch(ctx_.Image, kLPCheckBox, LPCheckBox->Checked());
    wakeUpWhenReq->setEnabled(LPCheckBox->Checked());
    sleepSendReq->setEnabled(LPCheckBox->Checked());
}

void TOptionBits::sleepSendReqClick()
{
    if (User())
        WriteSwitch(ctx_.Image, kSleepSendReq, sleepSendReq->Checked());
    Call(Hooks.AwakeTimeCaption, sleepSendReq->Checked() ? "Max Awake Time:" : "Min Awake Time:");
}

void TOptionBits::PingBoxClick()
{
    if (User())
        WriteSwitch(ctx_.Image, kPingBox, PingBox->Checked());
    Call(Hooks.MaxPingEnabled, PingBox->Checked());
}

void TOptionBits::IPSWTClick(int timer)
{
    TRadioGroup* choice = IPSWT_[size_t(timer - 2)];
    if (User())
        WriteChoice(ctx_.Image, kIPSWT[size_t(timer - 2)], choice->ItemIndex());
    if (choice->ItemIndex() >= 0)
        Call(Hooks.DestinationChosen, timer, choice->ItemIndex());
}

// [#3] (unit ID) excludes [#4] to [#7]: a click that ticks it beside one of them is undone at once.
void TOptionBits::PacketUnitIdClick(int swt)
{
    if (!User())
        return;
    TPackets& packets = Packets(swt);
    const BitSwitch unitId{PacketByte(swt), kPacketUnitId};
    const bool alone =
        std::none_of(packets.status.begin(), packets.status.end(), [](const TCheckBox* box) { return box->Checked(); });
    if (packets.unitId->Checked() && alone) {
        WriteSwitch(ctx_.Image, unitId, true);
        return;
    }
    packets.unitId->SetChecked(false);
    WriteSwitch(ctx_.Image, unitId, false);
}

void TOptionBits::PacketStatusClick(int swt, int slot)
{
    if (!User())
        return;
    TPackets& packets = Packets(swt);
    WriteSwitch(ctx_.Image, {PacketByte(swt), PacketStatusMask(slot)}, packets.status[size_t(slot)]->Checked());
    packets.unitId->SetChecked(false);
    WriteSwitch(ctx_.Image, {PacketByte(swt), kPacketUnitId}, false);
}

void TOptionBits::StatusPeriodSendClick()
{
    Periodicity(StatusPeriodSend, kStatusPeriodSend, 4);
    Help(11, 2);
}

void TOptionBits::SleepPeriodSendClick()
{
    Help(11, 2);
    if (User())
        WritePairChoice(ctx_.Image, kSleepPeriodSend, SleepPeriodSend->ItemIndex());
    Call(Hooks.StartTimeEnabled, 5, SleepPeriodSend->ItemIndex() >= 1);
}
