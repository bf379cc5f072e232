#pragma once

class QWidget;
struct TPageContext;

// Two settings of the unit's alarm logic that stand apart from the channels: the channel whose level turns
// every alarm input on or off ("AlarmOnOffCheck" and "AlarmOnOff", hidden on the "General Settings" page),
// and how often a sleeping unit checks its analogue alarms ("AlarmChkTime", in the low-power wake-up timer's
// group "SWT5Group" of the "Data Transfer/Logging/Timers" page).
void BuildAlarmControl(TPageContext& ctx, QWidget* generalSheet);
