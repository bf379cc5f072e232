#include "channels/ChannelCommits.h"

#include "pages/PageContext.h"
#include "pages/SetButton.h"

#include <QLineEdit>

std::vector<std::string> ChannelCommitEdits(const TChannel& channel)
{
    std::vector<std::string> edits = {channel.Named("IO", "alarmText")};
    if (channel.alarmText2)
        edits.push_back(channel.Named("IO", "alarmText2"));
    const std::vector<std::string> delays = {channel.Named("delay", "Edit"), channel.Named("RestoreEdit")};
    auto add = [&edits](const std::vector<std::string>& names) {
        edits.insert(edits.end(), names.begin(), names.end());
    };
    if (channel.kind == TChannelKind::Mixed) {
        // I/O2 commits its delays before its levels, I/O3..I/O7 after their calibration.
        if (channel.n == 2)
            add(delays);
        add({channel.Named("IO", "upperLevel"), channel.Named("IO", "lowerLevel"), channel.Named("IO", "unit"),
             channel.Named("IO", "constY1"), channel.Named("IO", "constX1"), channel.Named("IO", "constY2"),
             channel.Named("IO", "constX2")});
        if (channel.n != 2)
            add(delays);
        add({channel.Named("hystEdit")});
    } else {
        if (channel.kind == TChannelKind::PowerIn)
            edits.push_back(channel.Named("IO", "lowerLevel"));
        add(delays);
    }
    if (channel.n == 2)
        for (const TChannel& other : Channels())
            if (other.command2) {
                edits.push_back(other.Named("IO", "kvcmdText"));
                edits.push_back(other.Named("IO", "kvcmdText2"));
            }
    return edits;
}

void CommitTypedEdits(const TPageContext& ctx, const std::vector<std::string>& edits)
{
    for (const std::string& name : edits) {
        auto* edit = ctx.Get<QLineEdit>(name);
        if (!edit->isModified())
            continue;
        ctx.RunExits({name});
        edit->setModified(false);
    }
}

void SetChannelCommits(TPageContext& ctx, const std::vector<QWidget*>& groups)
{
    // The hidden Set button of each channel group commits the group's typed edits.
    for (size_t i = 0; i < Channels().size(); ++i) {
        const TChannel& channel = Channels()[i];
        AddSetButton(ctx, groups.at(i), "BitBtn" + std::to_string(channel.n),
                     [&ctx, edits = ChannelCommitEdits(channel)] { CommitTypedEdits(ctx, edits); });
    }
    const TChannel& supply = Channels().back();
    ctx.Commits.Set(supply.Named("IO", "kvcmdText") + "Exit",
                    [&ctx, edit = supply.Named("IO", "kvcmdText")] { CommitTypedEdits(ctx, {edit}); });
}
