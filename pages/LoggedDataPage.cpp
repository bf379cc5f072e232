#include "pages/LoggedDataPage.h"

#include "pages/AlarmTable.h"
#include "pages/Bind.h"
#include "pages/LogListView.h"
#include "pages/LogRecords.h"
#include "pages/PageBuilder.h"
#include "pages/PageContext.h"
#include "pages/Sheet.h"
#include "pages/TimeTableGroup.h"
#include "pages/WakeUpTimers.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QVBoxLayout>

#include <array>
#include <memory>

namespace
{

constexpr const char* kValueEdits[] = {"PulseCountEdit",  "Pulse2CountEdit", "Pulse3CountEdit", "Pulse4CountEdit",
                                       "Pulse5CountEdit", "Pulse6CountEdit", "Pulse7CountEdit"};

QLineEdit* ShownOnly(TPageBuilder& builder, QWidget* parent, const char* name)
{
    auto* edit = static_cast<QLineEdit*>(builder.Build(parent, {name, "", Unbound{Unbound::Edit}}));
    edit->setReadOnly(true);
    return edit;
}

QGroupBox* AlarmHistory(TPageContext& ctx)
{
    auto* group = new QGroupBox("Alarm History Viewer");
    QTableWidget* grid = BuildAlarmGrid(ctx, group);
    // Every row and column in view: the grid is small and never scrolls.
    int width = 2 * grid->frameWidth();
    for (int c = 0; c < grid->columnCount(); ++c)
        width += grid->columnWidth(c);
    grid->setMinimumSize(width,
                         grid->rowCount() * grid->verticalHeader()->defaultSectionSize() + 2 * grid->frameWidth());
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    (new QVBoxLayout(group))->addWidget(grid);
    return group;
}

QGroupBox* ChannelValues(TPageContext& ctx)
{
    auto* group = new QGroupBox("Channel Values");
    TPageBuilder builder(ctx);
    auto* grid = new QGridLayout(group);
    QLineEdit* stamp = ShownOnly(builder, group, "TimeStampEdit");
    grid->addWidget(new QLabel("Time stamp:", group), 0, 0);
    grid->addWidget(stamp, 0, 1);
    grid->addWidget(new QLabel("[d,hh:mm:ss]", group), 0, 2);
    grid->addWidget(new QLabel("Latest value:", group), 1, 1);
    std::array<QLineEdit*, 7> values{};
    for (int k = 1; k <= 7; ++k) {
        values[static_cast<size_t>(k - 1)] = ShownOnly(builder, group, kValueEdits[k - 1]);
        grid->addWidget(new QLabel(QString("Input Ch %1").arg(k), group), k + 1, 0);
        grid->addWidget(values[static_cast<size_t>(k - 1)], k + 1, 1);
    }
    ImageStore& image = ctx.Image;
    ctx.Redraw.Add(TRedraw::LoggedData, [&image, stamp, values] {
        ShowText(stamp, LatestTimeStampText(image));
        const auto texts = LatestValueTexts(image);
        for (size_t i = 0; i < values.size(); ++i)
            ShowText(values[i], texts[i]);
    });
    return group;
}

QGroupBox* LoggedData(TPageContext& ctx)
{
    QGroupBox* group =
        TPageBuilder(ctx).Group(nullptr, "GroupBox2", "Logged Data",
                                {{"readLogValues", "READ Logged Values", Unbound{Unbound::Button}},
                                 {"ClearMemCheckBox", "Clear Log Area after Write Memory", Unbound{Unbound::Check}}});
    auto* memo = new QPlainTextEdit(group);
    memo->setObjectName("LoggedData");
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setMinimumSize(360, 440);
    ctx.AddControl(memo);
    auto* form = static_cast<QFormLayout*>(group->layout());
    auto* header = new QLabel("Pos: Time stamp: Counter/Analogue value (Ch1,Ch2,Ch3,Ch4,Ch5,Ch6,Ch7)", group);
    header->setWordWrap(true);
    form->addRow(header);
    form->addRow(memo);

    auto view = std::make_shared<TLogListView>(memo);
    ImageStore& image = ctx.Image;
    ctx.Redraw.Add(TRedraw::LoggedData, [&image, view] { view->Show(image); });
    return group;
}

} // namespace

void BuildLoggedDataPage(TPageContext& ctx, QWidget* loggedSheet, QWidget* timersSheet)
{
    TSheet* sheet = TSheet::Of(loggedSheet);
    sheet->Add(AlarmHistory(ctx), 0);
    sheet->Add(ChannelValues(ctx), 0);
    sheet->Add(LoggedData(ctx), 1);
    BuildWakeUpTimers(ctx, timersSheet);
    TSheet::Of(timersSheet)->Add(new TTimeTableGroup(ctx), 1);
}
