#include "channels/ChannelCommits.h"

#include "channels/ChannelGroup.h"
#include "pages/PageContext.h"
#include "pages/SetButton.h"

namespace
{

// The controls whose handler a channel's Set button runs, in order: edits by their Exit handler, the kind
// choice by its click. The unit commands of I/O1..I/O4 go with channel 2.
std::vector<std::string> ChannelCommitControls(const TChannel& channel)
{
    std::vector<std::string> controls = {channel.Named("IO", "alarmText")};
    auto add = [&controls](std::initializer_list<std::string> names) {
        controls.insert(controls.end(), names.begin(), names.end());
    };
    if (channel.alarmText2)
        add({channel.Named("IO", "alarmText2")});
    const std::string delay = channel.Named("delay", "Edit");
    const std::string restore = channel.Named("RestoreEdit");
    switch (channel.kind) {
    case TChannelKind::Switchable:
        add({delay, restore});
        break;
    case TChannelKind::PowerIn:
        add({channel.Named("IO", "lowerLevel"), delay, restore});
        break;
    case TChannelKind::Mixed:
        // I/O2 commits its delays before its levels, I/O3..I/O7 theirs around the kind.
        if (channel.n == 2)
            add({delay, restore});
        add({channel.Named("IO", "upperLevel"), channel.Named("IO", "lowerLevel"), channel.Named("IO", "unit"),
             channel.Named("IO", "constY1"), channel.Named("IO", "constX1"), channel.Named("IO", "constY2"),
             channel.Named("IO", "constX2")});
        if (channel.n == 2)
            add({channel.Named("IO", "selection")});
        else
            add({delay, channel.Named("IO", "selection"), restore});
        add({channel.Named("hystEdit")});
        break;
    }
    if (channel.n == 2)
        for (const TChannel& other : Channels())
            if (other.command2)
                add({other.Named("IO", "kvcmdText"), other.Named("IO", "kvcmdText2")});
    return controls;
}

} // namespace

void SetChannelCommits(TPageContext& ctx, const std::vector<TChannelGroup*>& groups)
{
    for (TChannelGroup* group : groups) {
        const TChannel& channel = group->Channel();
        AddSetButton(
            ctx, group, "BitBtn" + std::to_string(channel.n),
            [&ctx, group, controls = ChannelCommitControls(channel), selection = channel.Named("IO", "selection")] {
                for (const std::string& name : controls) {
                    if (name == selection)
                        group->SelectionClick();
                    else
                        ctx.RunExits({name});
                }
            });
    }
    const std::string command = Channels().back().Named("IO", "kvcmdText");
    ctx.Commits.Set(command + "Exit", [&ctx, command] { ctx.RunExits({command}); });
}
