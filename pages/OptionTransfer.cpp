#include "pages/OptionBits.h"

#include "image/ImageStore.h"
#include "pages/OptionFields.h"
#include "pages/PageContext.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/RadioGroup.h"

using namespace OptionFields;

void TOptionBits::SetIOCheckBoxClick()
{
    const bool on = SetIOCheckBox->Checked();
    WriteSwitch(ctx_.Image, kSetIOCheckBox, on);
    WriteSwitch(ctx_.Image, kSensFeedOn, on);
    if (on)
        WriteSwitch(ctx_.Image, kSensFeedLevel, false);
}

// A timer that sends needs the ISP connection: any change of its switch turns the connection on.
void TOptionBits::SendBoxClick(int k)
{
    WriteSwitch(ctx_.Image, kSendBoxes[size_t(k)], sendBoxes_[size_t(k)]->Checked());
    ConnectBox->SetChecked(true);
    ConnectBoxClick();
}

void TOptionBits::CheckBox24Click()
{
    const bool units = CheckBox24->Checked();
    WriteSwitch(ctx_.Image, kCheckBox24, units);
    // Control characters come only with units.
    if (!units) {
        CheckBox37->SetChecked(false);
        WriteSwitch(ctx_.Image, kCheckBox37, false);
    }
    ShowPacketFormat();
}

void TOptionBits::CheckBox37Click()
{
    if (CheckBox24->Checked())
        WriteSwitch(ctx_.Image, kCheckBox37, CheckBox37->Checked());
    ShowPacketFormat();
}

void TOptionBits::LPCheckBoxClick()
{
    WriteSwitch(ctx_.Image, kLPCheckBox, LPCheckBox->Checked());
    wakeUpWhenReq->setEnabled(LPCheckBox->Checked());
    sleepSendReq->setEnabled(LPCheckBox->Checked());
}

void TOptionBits::sleepSendReqClick()
{
    WriteSwitch(ctx_.Image, kSleepSendReq, sleepSendReq->Checked());
    Call(Hooks.AwakeTimeCaption, sleepSendReq->Checked() ? "Max Awake Time:" : "Min Awake Time:");
}

void TOptionBits::PingBoxClick()
{
    WriteSwitch(ctx_.Image, kPingBox, PingBox->Checked());
    Call(Hooks.MaxPingEnabled, PingBox->Checked());
}

void TOptionBits::IPSWTClick(int timer)
{
    TRadioGroup* choice = IPSWT_[size_t(timer - 2)];
    WriteChoice(ctx_.Image, kIPSWT[size_t(timer - 2)], choice->ItemIndex());
    if (choice->ItemIndex() >= 0)
        Call(Hooks.DestinationChosen, timer, choice->ItemIndex());
}

// [#3] (unit ID) excludes [#4] to [#7]: a click that ticks it beside one of them is undone at once. The others
// are taken from the image, not from their boxes: while a redraw runs, a box decoded later still shows the
// image before, and would clear the [#3] of an image that holds it alone.
void TOptionBits::PacketUnitIdClick(int swt)
{
    TPackets& packets = Packets(swt);
    const BitSwitch unitId{PacketByte(swt), kPacketUnitId};
    uint8_t others = 0;
    for (int slot = 0; slot < 4; ++slot)
        others |= PacketStatusMask(slot);
    const bool alone = (ctx_.Image.ReadImageByte(PacketByte(swt)) & others) == 0;
    if (packets.unitId->Checked() && alone) {
        WriteSwitch(ctx_.Image, unitId, true);
        return;
    }
    packets.unitId->SetChecked(false);
    WriteSwitch(ctx_.Image, unitId, false);
}

// Ticking one of [#4] to [#7] unticks [#3]. Unticking one leaves [#3] alone: with [#3] on none of them can be
// ticked, so only a redraw passing a box that still shows the image before would get here, and clear a [#3]
// the image holds.
void TOptionBits::PacketStatusClick(int swt, int slot)
{
    TPackets& packets = Packets(swt);
    const bool on = packets.status[size_t(slot)]->Checked();
    WriteSwitch(ctx_.Image, {PacketByte(swt), PacketStatusMask(slot)}, on);
    if (!on)
        return;
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
    WritePairChoice(ctx_.Image, kSleepPeriodSend, SleepPeriodSend->ItemIndex());
    Call(Hooks.StartTimeEnabled, 5, SleepPeriodSend->ItemIndex() >= 1);
}
