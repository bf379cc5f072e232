#include "link/ComboHistory.h"

#include <QComboBox>

void RememberComboText(QComboBox* box, const QString& text, int count)
{
    bool found = false;
    for (int i = 0; i < count && i < box->count(); ++i)
        found = found || box->itemText(i) == text;
    if (!found && count > 0)
        box->addItem(text);
    box->setCurrentText(text);
}
