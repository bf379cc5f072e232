#include "channels/ScalingConstants.h"

#include "channels/CommandText.h"
#include "channels/WordEdit.h"
#include "pages/PageBuilder.h"
#include "pages/PageContext.h"
#include "pages/Sheet.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace
{

constexpr auto kStep = TRedraw::ScalingConstants;
constexpr int kColumns = 3;

// The calibration points as the page lists them, with their word in the block and how the word reads.
struct TPoint {
    const char* name;
    const char* caption;
    int word;
    bool isSigned;
};
constexpr TPoint kPoints[] = {
    {"constY1", "Y1", 0, true}, {"constX1", "X1", 2, false}, {"constX2", "X2", 3, false}, {"constY2", "Y2", 1, true}};

QGroupBox* ChannelCalibration(TPageContext& ctx, const TChannel& channel)
{
    const std::string unit = channel.Named("IO", "unit");
    std::vector<TRow> rows = {{unit, "Unit:", Unbound{Unbound::Edit}}};
    for (const TPoint& point : kPoints)
        rows.push_back({channel.Named("IO", point.name), point.caption, Unbound{Unbound::Edit}});
    QGroupBox* group = TPageBuilder(ctx).Group(nullptr, CalibrationGroupName(channel),
                                               "A/D Cal values ch" + std::to_string(channel.n), rows);
    BindTextAlways(ctx, ctx.Get<QLineEdit>(unit), channel.UnitText(), kStep, true);
    for (const TPoint& point : kPoints)
        BindWord(
            ctx, ctx.Get<QLineEdit>(channel.Named("IO", point.name)),
            {channel.CalibrationWord(point.word), point.isSigned},
            [point] { return point.isSigned ? kSignedWord : kUnsignedWord; }, kStep);
    return group;
}

} // namespace

std::string CalibrationGroupName(const TChannel& channel)
{
    return channel.Named("ADcal", "Group");
}

void BuildScalingConstants(TPageContext& ctx, QWidget* calibrationSheet)
{
    auto* page = new QGroupBox("Channel Calibration");
    page->setObjectName(kCalibrationPageGroup);
    ctx.AddControl(page);
    auto* channels = new QGridLayout;
    int k = 0;
    for (const TChannel& channel : Channels()) {
        if (!channel.calibration)
            continue;
        channels->addWidget(ChannelCalibration(ctx, channel), k / kColumns, k % kColumns);
        ++k;
    }
    (new QVBoxLayout(page))->addLayout(channels);
    TSheet::Of(calibrationSheet, 1)->Add(page);
}
