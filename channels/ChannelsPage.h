#pragma once

class QWidget;
struct TPageContext;

// The "Channels" page: the groups of I/O1..I/O7 and the power-in monitor in one scrolling column, the
// restore delay they share and their commits before a write or save; the power-in monitor's read-only
// battery fields on the "Logged Data" page; and the calibration of the analogue inputs on the
// "Channel Calibration" page, which the channels' commits store too.
void BuildChannelsPage(TPageContext& ctx, QWidget* channelsSheet, QWidget* loggedDataSheet, QWidget* calibrationSheet);
