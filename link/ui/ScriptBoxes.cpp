#include "link/ui/ScriptBoxes.h"

#include "link/ui/ComboHistory.h"
#include "platform/ui/Latin1.h"

#include <QComboBox>
#include <QLineEdit>

int ScriptBoxes::Count()
{
    return box_.count();
}

void ScriptBoxes::Select(int index)
{
    box_.setCurrentIndex(index);
}

std::string ScriptBoxes::Shown()
{
    return ToLatin1(box_.currentText());
}

void ScriptBoxes::Remember(const std::string& text, int count)
{
    RememberComboText(box_, FromLatin1(text), count);
}

void ScriptBoxes::Replace(const std::vector<std::string>& lines)
{
    box_.clear();
    for (const std::string& line : lines)
        box_.addItem(FromLatin1(line));
    box_.setCurrentIndex(0);
}

std::string ScriptBoxes::PauseText()
{
    return ToLatin1(pause_.text());
}

void ScriptBoxes::SetPause(int ms)
{
    pause_.setText(QString::number(ms));
}
