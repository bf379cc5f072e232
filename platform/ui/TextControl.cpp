#include "platform/ui/TextControl.h"

#include "platform/ui/Latin1.h"

#include <QComboBox>
#include <QLineEdit>

std::optional<std::string> ControlText(const QWidget* control)
{
    if (auto* edit = qobject_cast<const QLineEdit*>(control))
        return ToLatin1(edit->text());
    if (auto* box = qobject_cast<const QComboBox*>(control); box && box->isEditable())
        return ToLatin1(box->currentText());
    return std::nullopt;
}

bool SetControlText(QWidget* control, const std::string& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(FromLatin1(text));
        return true;
    }
    if (auto* box = qobject_cast<QComboBox*>(control); box && box->isEditable()) {
        box->setEditText(FromLatin1(text));
        return true;
    }
    return false;
}
