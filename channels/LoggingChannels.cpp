#include "channels/LoggingChannels.h"

#include "image/ImageStore.h"
#include "pages/Bind.h"
#include "pages/PageBuilder.h"
#include "pages/PageContext.h"
#include "platform/Convert.h"
#include "platform/ui/Latin1.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>

#include <stdexcept>

namespace
{

constexpr const char* kLoggingGroup = "GroupBox66";
// I/O7's toggle time before a log, seconds.
constexpr NumberField kToggleTime{1022, 1, 255};
constexpr int kToggleTimeDefault = 5;

// "I/O7 will toggle <n> sec before logging ...": the time stored at every exit, up to 255 s; no time at all is
// none the unit could keep and becomes its default.
void BuildToggleTime(TPageContext& ctx, QGroupBox* group, QBoxLayout* layout)
{
    TPageBuilder builder(ctx);
    auto* edit = static_cast<QLineEdit*>(builder.Build(group, {"IO7outTimeEdit", "", Unbound{Unbound::Edit}}));
    auto* seconds = static_cast<QLabel*>(builder.Build(group, {"XsecLabel", "5", Unbound{Unbound::Label}}));
    edit->setMaximumWidth(50);
    auto* line = new QHBoxLayout;
    line->addWidget(edit);
    line->addWidget(new QLabel("I/O7 will toggle ", group));
    line->addWidget(seconds);
    // The sentence's tail wraps rather than widen the page's column.
    auto* tail = new QLabel("sec before logging when the MCU is in logging mode.", group);
    tail->setWordWrap(true);
    line->addWidget(tail, 1);
    layout->addLayout(line);

    ImageStore& image = ctx.Image;
    auto show = [&image, edit, seconds] {
        const std::string stored = std::to_string(ReadNumber(image, kToggleTime));
        ShowText(edit, stored);
        ShowText(seconds, stored);
    };
    // The edit and the sentence keep the text as typed ("007" too) but for the clamps; a negative time takes the
    // default like 0 does rather than wrapping into a long one.
    auto exit = [&image, edit, seconds] {
        int value = StrToInt(ToLatin1(edit->text()));
        const auto clamp = [&value, edit](int to) {
            value = to;
            edit->setText(QString::number(to));
        };
        if (value > static_cast<int>(kToggleTime.max))
            clamp(static_cast<int>(kToggleTime.max));
        if (value < 1)
            clamp(kToggleTimeDefault);
        WriteNumber(image, kToggleTime, static_cast<uint32_t>(value));
        ShowText(seconds, ToLatin1(edit->text()));
    };
    BindEdit(ctx, edit, TRedraw::LoggedData, show, exit);
}

} // namespace

void BuildLoggingChannels(TPageContext& ctx)
{
    auto* group = ctx.Get<QGroupBox>(kLoggingGroup);
    auto* layout = qobject_cast<QBoxLayout*>(group->layout());
    if (!layout)
        throw std::logic_error(std::string(kLoggingGroup) + " lays its rows out in no column");
    BuildToggleTime(ctx, group, layout);
}
