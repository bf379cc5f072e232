#pragma once

#include <optional>
#include <string>

class QWidget;

// The text of a one-line edit or of an editable combo box's edit field, whichever the control is: the
// preferences keep such texts without caring which of the two a page chose. Single-byte text.
std::optional<std::string> ControlText(const QWidget* control);
// False when the control holds no such text.
bool SetControlText(QWidget* control, const std::string& text);
