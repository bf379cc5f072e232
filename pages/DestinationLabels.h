#pragma once

struct TPageContext;

// The captions beside the data transfer page's server choices: IPLabel_1 follows IPSWT2, IPLabel_3 follows
// IPSWT3 and Label141 follows IPSWT4. Each reads "--" until first set and stands on the choice's line.
void BuildDestinationLabels(TPageContext& ctx);

// The caption of timer 2, 3 or 4 when the user picks its server: "IP1:" + the text of IPEdit1 for item 0,
// "IP2:" + the text of IPEdit2 for item 1 (the next redraw adds the port).
void ShowChosenDestination(const TPageContext& ctx, int timer, int item);

// ShowIPLabels: item 0 of a choice shows "IP1:" + the text of IPEdit1 + " " + the text of RPortEdit, item 1 the
// same with "IP2:", IPEdit2 and RPort2Edit; no item selected leaves the caption as it is. Built from what the
// edits show, not from the image.
void ShowIPLabels(const TPageContext& ctx);
