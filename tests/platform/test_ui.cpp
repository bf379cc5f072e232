// The desktop behaviours handlers rely on: clicks on every real change, the clamping radio group, the handler
// guard, Exit on leaving a control, the key press filter, dialogs and the status bar.
#include "platform/ui/CheckBox.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExitOnFocusOut.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/KeyPress.h"
#include "platform/ui/RadioGroup.h"
#include "platform/ui/ScriptedDialogs.h"
#include "platform/ui/StatusBar.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <cctype>
#include <stdexcept>

namespace
{
using Texts = std::vector<std::string>;

// Answers every dialog from a script while it lives.
struct Scripted {
    TScriptedDialogs dialogs;
    TScopedDialogs scope{dialogs};
};

void Type(QWidget* widget, int key, const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &press);
}

// Two edits and an editable combo box in a shown, active window.
struct Window : Scripted {
    QWidget window;
    QLineEdit* first = new QLineEdit(&window);
    QLineEdit* second = new QLineEdit(&window);
    QComboBox* combo = new QComboBox(&window);
    Window()
    {
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* w : std::initializer_list<QWidget*>{first, second, combo})
            layout->addWidget(w);
        combo->setEditable(true);
        window.show();
        window.activateWindow();
        QApplication::setActiveWindow(&window);
        QApplication::processEvents();
    }
    void Focus(QWidget* w, Qt::FocusReason reason = Qt::TabFocusReason)
    {
        w->setFocus(reason);
        QApplication::processEvents();
    }
};
} // namespace

TEST(CheckBox, ClickHandlerRunsOnEveryRealChangeAndAFailureIsShown)
{
    Scripted s;
    TCheckBox box("DTR");
    std::vector<bool> states;
    box.SetOnClick([&] { states.push_back(box.Checked()); });
    box.SetChecked(true);
    box.SetChecked(true); // no change, no click
    box.click();          // the user unticks it
    box.SetChecked(false);
    EXPECT_EQ(states, (std::vector<bool>{true, false}));

    box.SetOnClick([] { throw std::runtime_error("Unable to set DTR"); });
    box.SetChecked(true);
    EXPECT_TRUE(box.Checked());
    EXPECT_EQ(s.dialogs.Messages(), Texts{"Unable to set DTR"});
}

TEST(RadioGroup, IndexIsClampedAndTheHandlerRunsOnlyOnARealChange)
{
    TRadioGroup group("Parity");
    std::vector<int> seen;
    group.SetOnClick([&] { seen.push_back(group.ItemIndex()); });
    group.SetItemIndex(2); // no items yet
    EXPECT_EQ(group.ItemIndex(), -1);
    group.SetItems({"None", "Odd", "Even"});
    group.SetItemIndex(0);
    group.SetItemIndex(0);
    group.SetItemIndex(9); // clamps to 2
    group.SetItemIndex(2); // already 2
    EXPECT_TRUE(group.Button(2)->isChecked());
    group.Button(1)->click(); // the user
    group.Button(1)->click(); // already chosen
    group.SetItemIndex(-5);   // nothing chosen
    group.SetItemIndex(-1);
    EXPECT_EQ(seen, (std::vector<int>{0, 2, 1, -1}));
    for (int i = 0; i < group.Count(); ++i)
        EXPECT_FALSE(group.Button(i)->isChecked()) << i;

    // New items keep the index, clamped to their count.
    group.SetItems({"a", "b", "c", "d"});
    group.SetItemIndex(3);
    group.SetItems({"x", "y", "z", "w", "v"});
    EXPECT_TRUE(group.Button(3)->isChecked());
    group.SetItems({"x", "y"});
    EXPECT_TRUE(group.Button(1)->isChecked());
    EXPECT_EQ(seen, (std::vector<int>{0, 2, 1, -1, 3, 1}));
    group.SetItems({});
    EXPECT_EQ(group.ItemIndex(), -1);
    EXPECT_EQ(group.Button(0), nullptr);
}

TEST(HandlerGuard, ShowsTheMessageOfAFailingHandlerAndGoesOn)
{
    Scripted s;
    int after = 0;
    EXPECT_FALSE(RunGuarded([&] {
        throw std::invalid_argument("'12x' is not a valid integer value");
        ++after;
    }));
    EXPECT_EQ(after, 0);
    EXPECT_FALSE(RunGuarded([] { throw 42; }));
    EXPECT_TRUE(RunGuarded([] {}));
    ASSERT_EQ(s.dialogs.Shown.size(), 2u);
    EXPECT_EQ(s.dialogs.Shown[0].Kind, "message");
    EXPECT_EQ(s.dialogs.Messages(), (Texts{"'12x' is not a valid integer value", "Unknown error"}));

    // A guarded connection keeps the signal safe and passes the arguments on.
    QPushButton button;
    button.setCheckable(true);
    std::vector<bool> seen;
    ConnectGuarded(&button, &QPushButton::toggled, &button, [&](bool on) {
        seen.push_back(on);
        if (!on)
            throw std::runtime_error("Range check error");
    });
    int plain = 0;
    ConnectGuarded(&button, &QPushButton::toggled, &button, [&] { ++plain; });
    button.click();
    button.click();
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
    EXPECT_EQ(plain, 2);
    EXPECT_EQ(s.dialogs.Messages().back(), "Range check error");
}

TEST(Dialogs, ScopesNestAndPipeFiltersBecomeQtFilters)
{
    TScriptedDialogs outer, inner;
    TScopedDialogs a(outer);
    {
        TScopedDialogs b(inner);
        EXPECT_EQ(&Dialogs(), &inner);
    }
    EXPECT_EQ(&Dialogs(), &outer);

    for (auto [pipe, qt] : {std::pair{"KIV EEMapp-file(KVX)|*.kvx", "KIV EEMapp-file(KVX) (*.kvx)"},
                            {"KIV hex-file (*.kvx)|*.kvx", "KIV hex-file (*.kvx)"},
                            {"Text-file|*.txt|All|*.*", "Text-file (*.txt);;All (*.*)"},
                            {"Images|*.png;*.bmp", "Images (*.png *.bmp)"},
                            {"", ""}})
        EXPECT_EQ(QtFileFilter(pipe), qt);
}

TEST(StatusBar, PanelsCarrySingleByteTextPlain)
{
    TStatusBar bar({422, 400});
    ASSERT_EQ(bar.PanelCount(), 2);
    bar.SetPanelText(1, "Caf\xE9 <b>x</b>");
    bar.SetPanelText(2, "nowhere");
    EXPECT_EQ(bar.PanelText(1), "Caf\xE9 <b>x</b>");
    EXPECT_EQ(bar.PanelText(2), "");
    ASSERT_NE(bar.findChild<QLabel*>("Panel1"), nullptr);
    EXPECT_EQ(bar.findChild<QLabel*>("Panel1")->textFormat(), Qt::PlainText);
}

TEST(ExitOnFocusOut, LeavingAControlRunsExitAlsoWithItsTextUnchanged)
{
    Window w;
    int exits = 0, comboExits = 0;
    OnExit(w.first, [&] { ++exits; });
    OnExit(w.combo, [&] { ++comboExits; });
    w.first->setText("1200");
    w.Focus(w.first, Qt::MouseFocusReason);
    ASSERT_TRUE(w.first->hasFocus());
    w.Focus(w.second);
    w.Focus(w.first, Qt::MouseFocusReason);
    w.Focus(w.combo, Qt::MouseFocusReason);
    w.Focus(w.first);
    EXPECT_EQ(exits, 2);
    EXPECT_EQ(comboExits, 1);
    EXPECT_EQ(w.first->text(), "1200");

    // Window switches and popups do not leave the control.
    for (Qt::FocusReason reason : {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason, Qt::ShortcutFocusReason}) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(w.first, &out);
    }
    EXPECT_EQ(exits, 3);

    // A failing Exit is shown and the focus still moves.
    OnExit(w.second, [] { throw std::runtime_error("'abc' is not a valid integer value"); });
    w.Focus(w.second);
    w.Focus(w.first);
    EXPECT_TRUE(w.first->hasFocus());
    EXPECT_EQ(w.dialogs.Messages(), Texts{"'abc' is not a valid integer value"});
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
    for (auto [key, text] : {std::pair{Qt::Key_A, "a"},
                             {Qt::Key_1, "1"},
                             {Qt::Key_Minus, "-"},
                             {Qt::Key_B, "b"},
                             {Qt::Key_Backspace, "\b"},
                             {Qt::Key_Return, "\r"}})
        Type(&edit, key, text);
    Type(&edit, Qt::Key_Enter, "\r", Qt::KeypadModifier);
    Type(&edit, Qt::Key_E, QString(QChar(0xE9))); // a Latin-1 letter, dropped by this filter
    EXPECT_EQ(edit.text(), "A1");
    EXPECT_EQ(seen, std::string("a1-b\b\r\r\xE9"));
}

TEST(KeyPress, ShortCutsAndKeysWithoutCharacterPassUntouchedAndAFailureDropsTheKey)
{
    Scripted s;
    QLineEdit edit;
    edit.setText("abc");
    int calls = 0;
    OnKeyPress(&edit, [&](QObject*, char& key) {
        if (++calls > 1)
            throw std::runtime_error("Range check error");
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
    Type(&edit, Qt::Key_7, "7");
    EXPECT_EQ(edit.text(), "abc");
    EXPECT_EQ(s.dialogs.Messages(), Texts{"Range check error"});
}
