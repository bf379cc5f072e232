#include "channels/ChannelsPage.h"

#include "channels/ChannelCommits.h"
#include "channels/ChannelGroup.h"
#include "channels/PowerSource.h"
#include "channels/RestoreDelay.h"
#include "channels/ScalingConstants.h"
#include "pages/Sheet.h"

void BuildChannelsPage(TPageContext& ctx, QWidget* channelsSheet, QWidget* loggedDataSheet, QWidget* calibrationSheet)
{
    TSheet* sheet = TSheet::Of(channelsSheet, 1);
    sheet->setObjectName("ScrollBox9");
    std::vector<QLineEdit*> restoreEdits;
    std::vector<TChannelGroup*> groups;
    for (const TChannel& channel : Channels()) {
        auto* group = new TChannelGroup(ctx, channel);
        sheet->Add(group);
        restoreEdits.push_back(group->Controls().restore);
        groups.push_back(group);
    }
    BindRestoreDelay(ctx, restoreEdits);
    BuildScalingConstants(ctx, calibrationSheet);
    SetChannelCommits(ctx, groups);
    BuildPowerSourceMonitor(ctx, loggedDataSheet);
}
