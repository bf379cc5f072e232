#include "channels/ChannelGroup.h"

#include "channels/LevelPicture.h"
#include "image/ImageStore.h"
#include "pages/Bind.h"
#include "pages/PageContext.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/RadioGroup.h"

#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>

// The rules that tie a channel's kind, direction and alarm modes together, so that an analogue channel has
// no digital alarm and is an input, a digital channel has no analogue alarm, an output has no digital alarm
// and an I/O1 with an alarm mode is an input that starts "OFF". They apply whoever moves a choice: the user,
// or a redraw that shows an image whose bits break a rule, which the rule then mends in the image.

namespace
{

void Connect(TRadioGroup* group, void (TChannelGroup::*click)(), TChannelGroup* owner)
{
    if (group)
        group->SetOnClick([owner, click] { (owner->*click)(); });
}

} // namespace

void TChannelGroup::BindEditors()
{
    Connect(w_.selection, &TChannelGroup::SelectionClick, this);
    Connect(w_.direction, &TChannelGroup::DirectionClick, this);
    Connect(w_.out, &TChannelGroup::OutClick, this);
    Connect(w_.alarm, &TChannelGroup::AlarmSettingClick, this);
    Connect(w_.analogue, &TChannelGroup::AdSettingClick, this);
    Connect(w_.special, &TChannelGroup::SpecClick, this);
    if (w_.restoreAlert)
        QObject::connect(w_.restoreAlert, &QCheckBox::toggled, this, [this] { RestAlertMsgClick(); });
}

void TChannelGroup::Force(TRadioGroup* group, int index)
{
    QScopedValueRollback<bool> forcing(forcing_, true);
    ShowIndex(group, index);
}

void TChannelGroup::ForceDigitalAlarmOff()
{
    Force(w_.alarm, 0);
    ctx_.Image.SetImageBits(c_.digitalAlarm, 0, kModeLow, kModeHigh);
}

void TChannelGroup::SelectionClick()
{
    const int index = w_.selection->ItemIndex();
    if (forcing_ || index < 0)
        return;
    ImageStore& image = ctx_.Image;
    image.SetImageBits(kKindByte, index, c_.Bit());
    if (c_.kind == TChannelKind::Switchable) {
        if (index == 1) // switched off
            ForceDigitalAlarmOff();
        return;
    }
    if (index == 1) { // analogue
        ForceDigitalAlarmOff();
        Force(w_.direction, 0);
        image.SetImageBits(kDirectionByte, 0, c_.Bit());
        w_.restoreSwitch->setEnabled(true);
    } else {
        Force(w_.analogue, 0);
        image.SetImageBits(c_.analogueAlarm, 0, kModeLow, kModeHigh);
    }
}

void TChannelGroup::DirectionClick()
{
    const int index = w_.direction->ItemIndex();
    if (forcing_ || index < 0)
        return;
    ctx_.Image.SetImageBits(kDirectionByte, index, c_.Bit());
    if (index == 1) // output
        ForceDigitalAlarmOff();
}

void TChannelGroup::OutClick()
{
    const int index = w_.out->ItemIndex();
    if (index >= 0)
        ctx_.Image.SetImageBits(kStateByte, index, c_.Bit());
}

void TChannelGroup::AlarmSettingClick()
{
    const int index = w_.alarm->ItemIndex();
    if (forcing_ || index < 0)
        return;
    ImageStore& image = ctx_.Image;
    image.SetImageBits(c_.digitalAlarm, index, kModeLow, kModeHigh);
    if (c_.kind == TChannelKind::Switchable) { // an alarm input, starting "OFF"
        image.SetImageBits(kDirectionByte, 0, c_.Bit());
        image.SetImageBits(kStateByte, 0, c_.Bit());
    }
}

// "PWM" drives I/O2 as an output and "Capture" reads it as an input: the direction bit alone, with none of the
// direction choice's companions.
void TChannelGroup::SpecClick()
{
    const int index = w_.special->ItemIndex();
    if (index >= 0)
        ctx_.Image.SetImageBits(kDirectionByte, index, c_.Bit());
}

// The picture follows the choice shown, also when a redraw moves it.
void TChannelGroup::AdSettingClick()
{
    const int index = w_.analogue->ItemIndex();
    if (!forcing_ && index >= 0)
        ctx_.Image.SetImageBits(c_.analogueAlarm, index, kModeLow, kModeHigh);
    ShowLevelPicture();
}

// The supply's picture follows its restore message alone, whatever its alarm choice.
void TChannelGroup::RestAlertMsgClick()
{
    if (c_.kind == TChannelKind::PowerIn)
        w_.picture->SetImageIndex(LevelPictureIndex(c_.kind, 1, w_.restoreAlert->Checked()));
    else
        ShowLevelPicture();
}

// With the restore message on, the hysteresis shows beside each level that raises the alarm.
void TChannelGroup::ShowLevelPicture()
{
    const int index = w_.analogue->ItemIndex();
    const bool alert = w_.restoreAlert->Checked();
    w_.picture->SetImageIndex(LevelPictureIndex(c_.kind, index, alert));
    if (!w_.restoreHigh)
        return;
    HystEditChange();
    for (QLabel* restore : {w_.restoreHigh, w_.restoreLow})
        restore->setVisible(alert && index > 0);
    w_.restoreHigh->setEnabled(index == 2 || index == 3);
    w_.restoreLow->setEnabled(index == 1 || index == 3);
}

// The hysteresis lies below the high level and above the low one.
void TChannelGroup::HystEditChange()
{
    const QString text = w_.hysteresis->text();
    w_.restoreHigh->setText("-" + text + "mV");
    w_.restoreLow->setText("+" + text + "mV");
}
