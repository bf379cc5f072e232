#pragma once

#include <QRect>

// The main window's smallest sensible size.
inline constexpr int kMinWindowWidth = 480;
inline constexpr int kMinWindowHeight = 360;

// A stored window position and size made fit for the visible screen area: the size is kept between the
// smallest sensible size and the area's size, and the window is moved so that it lies wholly inside the area
// (a window stored while minimised, or on a screen no longer there, comes back into view).
// The stored values come as plain numbers: any int is accepted.
QRect FitWindowToScreen(int left, int top, int width, int height, const QRect& available);
