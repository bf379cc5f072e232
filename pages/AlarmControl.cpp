#include "pages/AlarmControl.h"

#include "image/ImageStore.h"
#include "pages/Bind.h"
#include "pages/PageBuilder.h"
#include "pages/PageContext.h"
#include "pages/Sheet.h"
#include "platform/Convert.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/Latin1.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace
{

// The channel, 3 to 7, whose low level turns the alarm inputs off and high level on; 0: none does.
constexpr int kAlarmOnOff = 273;
constexpr int kFirstSwitchChannel = 3;
constexpr int kLastSwitchChannel = 7;
// Minutes between two checks of the analogue alarms while the unit sleeps.
constexpr NumberField kCheckPeriod{1018, 1, 255, WritePolicy::Always, 1};

bool SwitchChannel(int channel)
{
    return channel >= kFirstSwitchChannel && channel <= kLastSwitchChannel;
}

void BuildAlarmOnOff(TPageContext& ctx, QWidget* generalSheet)
{
    auto* holder = new QWidget;
    TPageBuilder builder(ctx);
    auto* box = static_cast<TCheckBox*>(
        builder.Build(holder, {"AlarmOnOffCheck", "Turn ON / OFF Alarm Ch with I/O(3-7):", Unbound{Unbound::Check}}));
    auto* edit = static_cast<QLineEdit*>(builder.Build(holder, {"AlarmOnOff", "", Unbound{Unbound::Edit}}));
    edit->setText("0");
    edit->setEnabled(false);
    auto* line = new QHBoxLayout(holder);
    line->addWidget(box);
    line->addWidget(edit);
    holder->setVisible(false);
    TSheet::Of(generalSheet)->Add(holder);

    ImageStore& image = ctx.Image;
    auto stored = [&image] { return std::to_string(image.ReadImageByte(kAlarmOnOff)); };
    // Written on every exit and commit: a byte outside 3..7 means no channel and goes back as 0.
    auto exit = [&image, edit] {
        int channel = StrToInt(ToLatin1(edit->text()));
        if (!SwitchChannel(channel)) {
            channel = 0;
            edit->setText("0");
        }
        image.WriteImageString(std::string(1, static_cast<char>(channel)), kAlarmOnOff, 1);
    };
    auto show = [&image, edit, box, stored] {
        ShowText(edit, stored());
        ShowChecked(box, SwitchChannel(image.ReadImageByte(kAlarmOnOff)));
    };
    BindEdit(ctx, edit, TRedraw::AlarmOnOff, show, exit);
    // Also run when a redraw moves the box: the byte is then rewritten as shown, or as 0.
    box->SetOnClick([box, edit, exit] {
        edit->setEnabled(box->Checked());
        if (!box->Checked())
            edit->setText("0");
        exit();
    });
}

void BuildAlarmChkTime(TPageContext& ctx)
{
    auto* group = ctx.Get<QGroupBox>("SWT5Group");
    auto* line = new QWidget(group);
    auto* edit = static_cast<QLineEdit*>(TPageBuilder(ctx).Build(line, {"AlarmChkTime", "", Unbound{Unbound::Edit}}));
    edit->setMaximumWidth(50);
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel("Analogue Alarm Check Period:", line));
    layout->addWidget(edit);
    layout->addWidget(new QLabel("[min]", line));
    layout->addStretch(1);
    if (auto* grid = qobject_cast<QGridLayout*>(group->layout()))
        grid->addWidget(line, grid->rowCount(), 0, 1, -1);
    else
        group->layout()->addWidget(line);

    ImageStore& image = ctx.Image;
    auto stored = [&image] { return std::to_string(ReadNumber(image, kCheckPeriod)); };
    auto show = [edit, stored] { ShowText(edit, stored()); };
    auto exit = [&image, edit] { WriteNumber(image, kCheckPeriod, NumberEditValue(edit, kCheckPeriod)); };
    BindEdit(ctx, edit, TRedraw::LoggedData, show, exit);
}

} // namespace

void BuildAlarmControl(TPageContext& ctx, QWidget* generalSheet)
{
    BuildAlarmOnOff(ctx, generalSheet);
    BuildAlarmChkTime(ctx);
}
