#pragma once

class QWidget;
struct TPageContext;

// The password that every exchange with the unit sends ("General Settings"). The window fills a transfer's
// options from it.
void BuildTransferControls(TPageContext& ctx, QWidget* generalSheet);
