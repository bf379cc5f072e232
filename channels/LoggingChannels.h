#pragma once

#include <functional>

class TRadioGroup;
struct TPageContext;

// What two channels do for the data logging, in its group "GroupBox66" on the "Data Transfer/Logging/Timers"
// page (built with the option switches): the edge on which I/O1 counts a pulse ("Pulse Counting Transition",
// disabled until logging is switched on) and the time I/O7 toggles before each log. showHelp answers a
// click on the edge choice. Returns the edge choice, which the logging choice enables.
TRadioGroup* BuildLoggingChannels(TPageContext& ctx, std::function<void(int page, int item)> showHelp);
