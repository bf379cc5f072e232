#pragma once

#include <vector>

class TChannelGroup;
struct TPageContext;

// Fills the channels' entries of the commit list the write paths and the ".kvx" save run: each channel
// group's hidden Set button, and the power-in monitor's unit command, which has no button. Every handler runs
// every time, typed into or not, so the clamps and the coupling rules hold in what leaves the tool; a
// conversion error stops the run there.
void SetChannelCommits(TPageContext& ctx, const std::vector<TChannelGroup*>& groups);
