#include "link/ui/ComboHistory.h"

#include <QComboBox>

#include <algorithm>

void RememberComboText(QComboBox& box, const QString& text, int count)
{
    const int known = std::min(count, box.count());
    bool found = false;
    for (int i = 0; i < known && !found; ++i)
        found = box.itemText(i) == text;
    if (!found && count > 0)
        box.addItem(text);
    box.setEditText(text);
}
