#include "app/WindowGeometry.h"

#include <algorithm>

QRect FitWindowToScreen(int left, int top, int width, int height, const QRect& available)
{
    width = std::clamp(width, std::min(kMinWindowWidth, available.width()), available.width());
    height = std::clamp(height, std::min(kMinWindowHeight, available.height()), available.height());
    left = std::clamp(left, available.left(), available.left() + available.width() - width);
    top = std::clamp(top, available.top(), available.top() + available.height() - height);
    return QRect(left, top, width, height);
}
