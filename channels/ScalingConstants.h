#pragma once

#include "channels/ChannelTable.h"

#include <string>

class QWidget;
struct TPageContext;

// The group of an analogue channel on the "Channel Calibration" page ("A/D Cal values ch2" .. "ch7"), and the
// page's own group "Channel Calibration" that holds them. Both are registered under these names, so that the
// controls that send the calibration to the unit can join them.
std::string CalibrationGroupName(const TChannel& channel);
inline constexpr const char* kCalibrationPageGroup = "ChannelCalibrationGroup";

// The two-point calibration of each analogue input: its unit text and the points (X1, Y1) and (X2, Y2). The
// tool stores and shows them and never converts a reading with them. Y values are signed words, X values
// unsigned; a value beyond its word is held at the bound, a unit text longer than its slot is cut.
void BuildScalingConstants(TPageContext& ctx, QWidget* calibrationSheet);
