#pragma once

class QWidget;
struct TPageContext;

// The "Logged Data" page: the alarm history, the latest value of each channel with its time stamp, and the
// records of the logging area with the buttons that read and clear it. Its decoder also shows the wake-up
// timers and the time table of the "Data Transfer/Logging/Timers" page, which are built here too.
void BuildLoggedDataPage(TPageContext& ctx, QWidget* loggedSheet, QWidget* timersSheet);
