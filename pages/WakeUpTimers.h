#pragma once

class QWidget;
struct TPageContext;

// The object names of the period editor and of the start time of wake-up timer n (1..5).
const char* TimerEditName(int n);
const char* StartTimeEditName(int n);

// The group "Timers": the buttons that exchange the periods with the unit directly and the switch that makes
// every read and write of the memory do so.
inline constexpr const char* kTimersGroup = "TimersGroup";

// The five wake-up timers on the "Data Transfer/Logging/Timers" page, one shared group each (the other
// switches of a timer join its group): the start time, shown only (the unit's commands set it), the stored
// period and its editor; beside them the group "Timers".
void BuildWakeUpTimers(TPageContext& ctx, QWidget* timersSheet);
