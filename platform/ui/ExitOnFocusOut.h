#pragma once

#include <functional>

class QWidget;

// Runs onExit each time widget hands the keyboard focus to another control of its window, whether or not its
// text changed: the settings pages store a field when it is left. Switching to another window and opening a
// popup (a combo box's list, a context menu) do not leave the control. The handler runs under the guard.
void OnExit(QWidget* widget, std::function<void()> onExit);
