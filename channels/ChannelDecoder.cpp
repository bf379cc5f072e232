#include "channels/ChannelGroup.h"

#include "channels/RecipientCaption.h"
#include "image/ImageStore.h"
#include "pages/Bind.h"
#include "pages/GeneralFields.h"
#include "pages/PageContext.h"
#include "platform/Convert.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/RadioGroup.h"

#include <QLabel>
#include <QLineEdit>

#include <initializer_list>

// The decoder of a channel group. The switches that stand for one bit each (recipients, restore delay,
// restore alert, command and UDP boxes) and the number edits show themselves at the same redraw step; this
// shows the choices that depend on each other, and enables what the channel's kind, direction and alarm
// modes leave open.

namespace
{

constexpr int kSupplyMeasured = 2320; // millivolts
constexpr uint32_t kSupplyMeasuredMax = 24000;
constexpr uint32_t kSupplyMeasuredElse = 4000;

void Enable(std::initializer_list<QWidget*> widgets, bool enabled)
{
    for (QWidget* widget : widgets)
        if (widget)
            widget->setEnabled(enabled);
}

} // namespace

void TChannelGroup::ShowPage()
{
    ShowRecipientCaptions();
    switch (c_.kind) {
    case TChannelKind::Switchable:
        ShowSwitchable();
        break;
    case TChannelKind::Mixed:
        ShowMixed();
        break;
    case TChannelKind::PowerIn:
        ShowPowerIn();
        break;
    }
}

// The SMS recipient boxes are captioned by the alarm phone numbers they stand for.
void TChannelGroup::ShowRecipientCaptions()
{
    for (size_t k = 0; k < w_.phones.size(); ++k)
        ShowRecipientCaption(w_.phones[k], FromLatin1(PhoneNumberText(ctx_.Image, static_cast<int>(k) + 1)));
}

// A digital channel shows its direction: an output its initial state; an input its alarm mode, and the delays
// open with an alarm. I/O1 leaves the initial state of an input as it was. An analogue or switched-off channel
// leaves the direction as it was shown.
void TChannelGroup::ShowDigital(uint8_t alarmByte, bool stateOfInputsToo)
{
    ImageStore& image = ctx_.Image;
    const bool output = image.ReadImageByte(kDirectionByte) & c_.Bit();
    ShowIndex(w_.direction, output ? 1 : 0);
    if (output) {
        w_.out->setEnabled(true);
    } else {
        const int mode = alarmByte & (kModeLow | kModeHigh);
        w_.alarm->setEnabled(true);
        ShowIndex(w_.alarm, mode);
        Enable({w_.delay, w_.restoreSwitch, w_.restore}, mode != 0);
    }
    if (output || stateOfInputsToo)
        ShowIndex(w_.out, (image.ReadImageByte(kStateByte) & c_.Bit()) ? 1 : 0);
}

// I/O1 switched off keeps its alarm choice as it was, enabled or not.
void TChannelGroup::ShowSwitchable()
{
    ImageStore& image = ctx_.Image;
    const uint8_t alarmByte = image.ReadImageByte(c_.digitalAlarm);
    Enable({w_.direction, w_.out, w_.delay, w_.restore, w_.restoreSwitch}, false);
    const bool off = image.ReadImageByte(kKindByte) & c_.Bit();
    ShowIndex(w_.selection, off ? 1 : 0);
    if (!off)
        ShowDigital(alarmByte, false);
}

void TChannelGroup::ShowMixed()
{
    ImageStore& image = ctx_.Image;
    const uint8_t analogueByte = image.ReadImageByte(c_.analogueAlarm);
    const uint8_t alarmByte = image.ReadImageByte(c_.digitalAlarm);
    w_.selection->setEnabled(true);
    Enable({w_.direction, w_.alarm, w_.analogue, w_.delay, w_.restoreSwitch, w_.out, w_.restoreAlert, w_.restoreLabel,
            w_.restore, w_.highLevel, w_.highCaption, w_.lowLevel, w_.lowCaption},
           false);
    const bool analogue = image.ReadImageByte(kKindByte) & c_.Bit();
    ShowIndex(w_.selection, analogue ? 1 : 0);
    if (analogue) {
        const int mode = analogueByte & (kModeLow | kModeHigh);
        Enable({w_.delay, w_.restoreSwitch, w_.analogue, w_.restoreAlert, w_.restoreLabel, w_.restore}, true);
        ShowIndex(w_.analogue, mode);
        // Mode 1 watches the low level, 2 the high one, 3 both.
        Enable({w_.lowLevel, w_.lowCaption}, mode & kModeLow);
        Enable({w_.highLevel, w_.highCaption}, mode & kModeHigh);
    } else {
        ShowDigital(alarmByte, true);
    }
}

MultiBitChoice TChannelGroup::RestoreSwitchField() const
{
    const int address = c_.kind == TChannelKind::PowerIn ? c_.analogueAlarm : c_.digitalAlarm;
    return {address, kRestoreDelayOn, {0x00, kRestoreDelayOn}};
}

// The supply alarm is off or on the low level; a mode the tool does not offer leaves the choice as it was.
// The restore delay switch shows its bit only with the alarm on.
void TChannelGroup::ShowPowerIn()
{
    ImageStore& image = ctx_.Image;
    const int mode = image.ReadImageByte(c_.analogueAlarm) & (kModeLow | kModeHigh);
    w_.analogue->setEnabled(true);
    const bool on = mode == 1;
    Enable({w_.lowLevel, w_.delay, w_.restoreSwitch, w_.lowCaption, w_.restoreAlert, w_.restoreLabel, w_.restore}, on);
    if (mode <= 1)
        ShowIndex(w_.analogue, mode);
    if (on)
        ShowIndex(w_.restoreSwitch, ReadChoice(image, RestoreSwitchField()));

    uint32_t measured = image.ReadImageNumber(kSupplyMeasured, 2);
    if (measured > kSupplyMeasuredMax)
        measured = kSupplyMeasuredElse;
    ShowText(w_.supplyLevel, FloatToStr(measured * 0.001));
}
