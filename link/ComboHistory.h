#pragma once

class QComboBox;
class QString;

// Keeps a history of sent texts in a combo box's list: text joins the list unless one of its first count
// items (the list as it was before the send) already equals it; a list that was empty stays empty. The box
// then shows text.
void RememberComboText(QComboBox* box, const QString& text, int count);
