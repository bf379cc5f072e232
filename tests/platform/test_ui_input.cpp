#include "platform/ui/Dialogs.h"
#include "platform/ui/ExitOnFocusOut.h"
#include "platform/ui/KeyPress.h"
#include "platform/ui/ScriptedDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

#include <cctype>
#include <stdexcept>

namespace {

struct TwoEdits {
    QWidget window;
    QLineEdit* first = new QLineEdit(&window);
    QLineEdit* second = new QLineEdit(&window);
    QComboBox* combo = new QComboBox(&window);

    TwoEdits()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(first);
        layout->addWidget(second);
        layout->addWidget(combo);
        combo->setEditable(true);
        window.show();
        window.activateWindow();
        QApplication::setActiveWindow(&window);
        QApplication::processEvents();
    }
};

void Type(QWidget* widget, int key, const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &press);
}

} // namespace

TEST(ExitOnFocusOut, LeavingAnEditRunsExitAlsoWithItsTextUnchanged)
{
    TwoEdits w;
    int exits = 0;
    OnExit(w.first, [&] { ++exits; });
    w.first->setText("1200");
    w.first->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    ASSERT_TRUE(w.first->hasFocus());
    w.second->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(exits, 1);
    w.first->setFocus(Qt::MouseFocusReason);
    w.combo->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(exits, 2);
    EXPECT_EQ(w.first->text(), "1200");
}

TEST(ExitOnFocusOut, WindowSwitchesAndPopupsDoNotLeaveTheControl)
{
    QLineEdit edit;
    int exits = 0;
    OnExit(&edit, [&] { ++exits; });
    QFocusEvent deactivated(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QFocusEvent shortcut(QEvent::FocusOut, Qt::ShortcutFocusReason);
    QApplication::sendEvent(&edit, &deactivated);
    QApplication::sendEvent(&edit, &popup);
    EXPECT_EQ(exits, 0);
    QApplication::sendEvent(&edit, &shortcut);
    EXPECT_EQ(exits, 1);
}

TEST(ExitOnFocusOut, ComboBoxLeftRunsItsExit)
{
    TwoEdits w;
    int exits = 0;
    OnExit(w.combo, [&] { ++exits; });
    w.combo->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    w.first->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(exits, 1);
}

TEST(ExitOnFocusOut, AFailingExitIsShownAndFocusStillMoves)
{
    TScriptedDialogs dialogs;
    TScopedDialogs scope(dialogs);
    TwoEdits w;
    OnExit(w.first, [] { throw std::runtime_error("'abc' is not a valid integer value"); });
    w.first->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    w.second->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_TRUE(w.second->hasFocus());
    EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{"'abc' is not a valid integer value"});
}

TEST(KeyPress, HandlerSeesTheCharacterAndMayDropOrReplaceIt)
{
    QLineEdit edit;
    std::string seen;
    OnKeyPress(&edit, [&](QObject* sender, char& key) {
        EXPECT_EQ(sender, &edit);
        seen.push_back(key);
        if (key >= 'a' && key <= 'z')
            key = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
        else if (!(key >= '0' && key <= '9') && key != '\b' && key != '\r')
            key = 0;
    });
    Type(&edit, Qt::Key_A, "a");
    Type(&edit, Qt::Key_1, "1");
    Type(&edit, Qt::Key_Minus, "-");
    Type(&edit, Qt::Key_B, "b");
    Type(&edit, Qt::Key_Backspace, "\b");
    Type(&edit, Qt::Key_Return, "\r");
    Type(&edit, Qt::Key_Enter, "\r", Qt::KeypadModifier);
    Type(&edit, Qt::Key_E, QString(QChar(0xE9))); // a Latin-1 letter, dropped by this filter
    EXPECT_EQ(edit.text(), "A1");
    EXPECT_EQ(seen, std::string("a1-b\b\r\r\xE9"));
}

TEST(KeyPress, ShortCutsAndKeysWithoutCharacterPassUntouched)
{
    QLineEdit edit;
    edit.setText("abc");
    int calls = 0;
    OnKeyPress(&edit, [&](QObject*, char& key) {
        ++calls;
        key = 0;
    });
    edit.setCursorPosition(3);
    Type(&edit, Qt::Key_Home, "");
    EXPECT_EQ(edit.cursorPosition(), 0); // Home reached the edit
    Type(&edit, Qt::Key_A, "\x01", Qt::ControlModifier);
    EXPECT_EQ(edit.selectedText(), "abc"); // and so did select-all
    Type(&edit, Qt::Key_F5, "");
    EXPECT_EQ(calls, 0);
    Type(&edit, Qt::Key_Q, "@", Qt::AltModifier | Qt::ControlModifier); // AltGr on some layouts
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(edit.text(), "abc");
}

TEST(KeyPress, AFailingHandlerDropsTheKeyAndIsShown)
{
    TScriptedDialogs dialogs;
    TScopedDialogs scope(dialogs);
    QLineEdit edit;
    OnKeyPress(&edit, [](QObject*, char&) { throw std::runtime_error("Range check error"); });
    Type(&edit, Qt::Key_7, "7");
    EXPECT_EQ(edit.text(), "");
    EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{"Range check error"});
}
