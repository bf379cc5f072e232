#pragma once

class QWidget;
struct TPageContext;

// The controls that every exchange with the unit reads: the password ("General Settings"), the timer and
// log-area switches and the five timer period editors ("Data Transfer/Logging/Timers"). The window fills a
// transfer's options from them.
void BuildTransferControls(TPageContext& ctx, QWidget* generalSheet, QWidget* timersSheet);

// The object name of the period editor of wake-up timer n (1..5).
const char* TimerEditName(int n);
