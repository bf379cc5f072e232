#pragma once

#include <functional>

class QObject;
class QWidget;

// A typed character as the settings pages filter it: the handler sees the single-byte character of each key
// press (Enter as '\r', Backspace as '\b', Esc as 27) and may change it: 0 drops the key, another character is
// typed instead. Keys without a character and control characters (the short cuts such as copy and paste) pass
// untouched. The handler runs under the guard; a failing handler drops the key.
using TKeyPressEvent = std::function<void(QObject* sender, char& key)>;

void OnKeyPress(QWidget* widget, TKeyPressEvent handler);
