#pragma once

struct TPageContext;

// What I/O7 does for the data logging, in its group "GroupBox66" on the "Data Transfer/Logging/Timers" page
// (built with the option switches): the time it toggles before each log.
void BuildLoggingChannels(TPageContext& ctx);
