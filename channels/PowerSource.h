#pragma once

class QWidget;
struct TPageContext;

// The hidden "Power Source Monitor" group of the "Logged Data" page: the battery timer and status the unit
// keeps in the image, shown read-only.
void BuildPowerSourceMonitor(TPageContext& ctx, QWidget* loggedDataSheet);
