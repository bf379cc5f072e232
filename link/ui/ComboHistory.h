#pragma once

#include <QString>

class QComboBox;

// Keeps a history of sent texts in a combo box's list: text is added at the end unless one of the first count
// items (count taken by the caller before it sent) already equals it exactly; an empty list stays empty. The
// box then shows text.
void RememberComboText(QComboBox& box, const QString& text, int count);
