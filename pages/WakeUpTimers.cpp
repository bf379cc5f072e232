#include "pages/WakeUpTimers.h"

#include "image/ImageStore.h"
#include "pages/Bind.h"
#include "pages/PageBuilder.h"
#include "pages/PageContext.h"
#include "pages/SharedGroup.h"
#include "pages/Sheet.h"
#include "pages/TimeText.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace
{

struct TTimer {
    const char* caption;
    const char* periodCaption;
    const char* startEdit;
    const char* periodEdit;
    const char* editor;
};

constexpr TTimer kTimers[] = {
    {"Data Logging (SWT1)", "Data log interval:", "LogTimeEdit", "LogPerEdit", "spSWT1Edit"},
    {"Send interval logged data (SWT2)", "Send interval:", "SendTimeEdit", "SendPerEdit", "spSWT2Edit"},
    {"Monitoring data (SWT3)", "Send interval:", "SendTimeEdit2", "SendPerEdit2", "spSWT3Edit"},
    {"Monitoring data (SWT4)", "Send interval:", "SendTimeEdit3", "SendPerEdit3", "spSWT4Edit"},
    {"Wake up interval low power (SWT5)", "Wake up interval:", "SleepTimeEdit", "SleepPerEdit", "spSWT5Edit"},
};

// Timer n: start hour, start minute, then the period in minutes (big-endian).
int TimerAddress(int n)
{
    return 2687 + 4 * (n - 1);
}

// A period is at most a day; the start time before it is the unit's own and never written here.
NumberField PeriodField(int n)
{
    return {TimerAddress(n) + 2, 2, 1440, WritePolicy::WhenDifferent};
}

QLineEdit* ShownOnly(QWidget* widget)
{
    auto* edit = static_cast<QLineEdit*>(widget);
    edit->setReadOnly(true);
    return edit;
}

void TimerGroup(TPageContext& ctx, QWidget* sheet, int n)
{
    const TTimer& timer = kTimers[n - 1];
    auto* grid =
        NewPart<QGridLayout>(SharedGroup(ctx, SharedGroups::kTimerGroups[n - 1], timer.caption, sheet, n <= 3 ? 0 : 1));
    QWidget* group = grid->parentWidget();
    TPageBuilder builder(ctx);
    QLineEdit* start = ShownOnly(builder.Build(group, {timer.startEdit, "Start time:", Unbound{Unbound::Edit}}));
    start->setToolTip("Can not be changed here, use KV-Commands");
    QLineEdit* period =
        ShownOnly(builder.Build(group, {timer.periodEdit, timer.periodCaption, Unbound{Unbound::Edit}}));
    QWidget* editor = builder.Build(group, {timer.editor, timer.periodCaption, PeriodField(n), TRedraw::LoggedData});

    grid->addWidget(new QLabel("Start time:", group), 0, 0);
    grid->addWidget(start, 0, 1);
    grid->addWidget(new QLabel(timer.periodCaption, group), 1, 0);
    grid->addWidget(period, 1, 1);
    grid->addWidget(editor, 1, 2);
    grid->addWidget(new QLabel("[min]", group), 1, 3);

    // The editor shows the period through its own binding; the start time and the stored period beside it.
    ImageStore& image = ctx.Image;
    ctx.Redraw.Add(TRedraw::LoggedData, [&image, n, start, period] {
        const int a = TimerAddress(n);
        ShowText(start, HourMinuteText(image.ReadImageByte(a), image.ReadImageByte(a + 1)));
        ShowText(period, std::to_string(image.ReadImageNumber(a + 2, 2)));
    });
}

const std::vector<TRow> kDirectRows = {
    {"SetSWTButton", "<- Set only Timers", Unbound{Unbound::Button}},
    {"ReadSWTButton", "-> Read only Timers", Unbound{Unbound::Button}},
    {"RSCheckBox", "Read/Set SWT Timers when Read/Write Memory", Unbound{Unbound::Check}},
};

} // namespace

const char* TimerEditName(int n)
{
    return kTimers[n - 1].editor;
}

const char* StartTimeEditName(int n)
{
    return kTimers[n - 1].startEdit;
}

void BuildWakeUpTimers(TPageContext& ctx, QWidget* timersSheet)
{
    TSheet* sheet = TSheet::Of(timersSheet);
    // The timers, what they send and the heart beat stand in one frame that spans the page.
    SheetFrame(ctx, timersSheet, SharedGroups::kTransferFrame, "Data transfer/logging and Timer Settings");
    sheet->Add(TPageBuilder(ctx).Group(nullptr, kTimersGroup, "Timers", kDirectRows), 1);
    for (int n = 1; n <= 5; ++n)
        TimerGroup(ctx, timersSheet, n);
}
