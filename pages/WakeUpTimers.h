#pragma once

class QWidget;
struct TPageContext;

// The object name of the period editor of wake-up timer n (1..5).
const char* TimerEditName(int n);

// The five wake-up timers on the "Data Transfer/Logging/Timers" page, one group each ("SWT1Group" ..
// "SWT5Group", registered so that the other switches of a timer can join its group): the start time, shown
// only (the unit's commands set it), the stored period and its editor. Beside them the buttons that exchange
// the periods with the unit directly and the switch that makes every read and write of the memory do so.
void BuildWakeUpTimers(TPageContext& ctx, QWidget* timersSheet);
