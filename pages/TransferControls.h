#pragma once

class QWidget;
struct TPageContext;

// The controls that every exchange with the unit reads besides the password (on the general page): the timer
// and log-area switches and the five timer period editors ("Data Transfer/Logging/Timers"). The window fills
// a transfer's options from them.
void BuildTransferControls(TPageContext& ctx, QWidget* timersSheet);

// The object name of the period editor of wake-up timer n (1..5).
const char* TimerEditName(int n);
