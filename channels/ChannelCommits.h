#pragma once

#include "channels/ChannelTable.h"

#include <string>
#include <vector>

class QWidget;
struct TPageContext;

// The edits a channel group's hidden Set button commits, in order. The unit commands of I/O1..I/O4 go
// with channel 2; the power-in monitor's command has a commit of its own.
std::vector<std::string> ChannelCommitEdits(const TChannel& channel);

// Runs the Exit handlers of the named edits that the user has typed into since they were last shown. An
// edit left as shown is not rewritten, so an image read or loaded and written back leaves the tool as it
// came; a conversion error stops the run with the bad text still pending.
void CommitTypedEdits(const TPageContext& ctx, const std::vector<std::string>& edits);

// Fills the channels' entries of the commit list the write paths and the ".kvx" save run.
void SetChannelCommits(TPageContext& ctx, const std::vector<QWidget*>& groups);
