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

TEST(ClickHandlers, RunOnEveryRealChangeTheIndexIsClampedAndAFailureIsShown)
{
    Scripted s;
    TCheckBox box("DTR");
    std::vector<int> seen;
    box.SetOnClick([&] { seen.push_back(box.Checked()); });
    box.SetChecked(true);
    box.SetChecked(true); // no change, no click
    box.click();          // the user unticks it
    box.SetChecked(false);
    TRadioGroup group("Parity");
    group.SetOnClick([&] { seen.push_back(group.ItemIndex()); });
    group.SetItemIndex(2); // no items yet
    group.SetItems({"None", "Odd", "Even"});
    for (int index : {0, 0, 9, 2}) // 9 clamps to 2
        group.SetItemIndex(index);
    group.Button(1)->click(); // the user
    group.Button(1)->click(); // already chosen
    group.SetItemIndex(-5);   // nothing chosen
    group.SetItemIndex(-1);
    EXPECT_FALSE(group.Button(0)->isChecked() || group.Button(1)->isChecked() || group.Button(2)->isChecked());
    // New items keep the index, clamped to their count.
    group.SetItems({"a", "b", "c", "d"});
    group.SetItemIndex(3);
    group.SetItems({"x", "y", "z", "w", "v"});
    EXPECT_TRUE(group.Button(3)->isChecked());
    group.SetItems({"x", "y"});
    EXPECT_TRUE(group.Button(1)->isChecked());
    EXPECT_EQ(seen, (std::vector<int>{1, 0, 0, 2, 1, -1, 3, 1}));
    group.SetItems({});
    EXPECT_EQ(std::pair(group.ItemIndex(), group.Button(0)), std::pair(-1, static_cast<QRadioButton*>(nullptr)));

    box.SetOnClick([] { throw std::runtime_error("Unable to set DTR"); });
    box.SetChecked(true);
    EXPECT_TRUE(box.Checked());
    EXPECT_EQ(s.dialogs.Messages(), Texts{"Unable to set DTR"});
}

TEST(HandlerGuard, ShowsTheMessageOfAFailingHandlerAndGoesOn)
{
    Scripted s;
    EXPECT_FALSE(RunGuarded([] { throw std::invalid_argument("'12x' is not a valid integer value"); }));
    EXPECT_FALSE(RunGuarded([] { throw 42; }));
    EXPECT_TRUE(RunGuarded([] {}));

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
    EXPECT_EQ(std::pair(seen, plain), std::pair(std::vector<bool>{true, false}, 2));
    EXPECT_EQ(s.dialogs.Shown.at(0).Kind, "message");
    EXPECT_EQ(s.dialogs.Messages(),
              (Texts{"'12x' is not a valid integer value", "Unknown error", "Range check error"}));
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
    const std::pair<const char*, const char*> filters[] = {
        {"KIV EEMapp-file(KVX)|*.kvx", "KIV EEMapp-file(KVX) (*.kvx)"},
        {"KIV hex-file (*.kvx)|*.kvx", "KIV hex-file (*.kvx)"},
        {"Text-file|*.txt|All|*.*", "Text-file (*.txt);;All (*.*)"},
        {"Images|*.png;*.bmp", "Images (*.png *.bmp)"},
        {"", ""}};
    for (auto [pipe, qt] : filters)
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

TEST(KeyPress, HandlerSeesTheCharacterMayDropOrReplaceItAndShortCutsPassUntouched)
{
    Scripted s;
    QLineEdit edit;
    std::string seen;
    OnKeyPress(&edit, [&](QObject* sender, char& key) {
        EXPECT_EQ(sender, &edit);
        seen.push_back(key);
        if (key == '!')
            throw std::runtime_error("Range check error");
        if (key >= 'a' && key <= 'z')
            key = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
        else if (!(key >= '0' && key <= '9') && key != '\b' && key != '\r')
            key = 0;
    });
    const std::tuple<Qt::Key, QString, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_A, "a", {}},
        {Qt::Key_1, "1", {}},
        {Qt::Key_Minus, "-", {}},
        {Qt::Key_B, "b", {}},
        {Qt::Key_Backspace, "\b", {}},
        {Qt::Key_Return, "\r", {}},
        {Qt::Key_Enter, "\r", Qt::KeypadModifier},
        {Qt::Key_E, QString(QChar(0xE9)), {}}, // a Latin-1 letter, dropped by this filter
        {Qt::Key_1, "!", Qt::ShiftModifier},   // a failing handler drops the key
        {Qt::Key_F5, "", {}},
        {Qt::Key_Home, "", {}},
        {Qt::Key_A, "\x01", Qt::ControlModifier},                 // not characters
        {Qt::Key_Q, "@", Qt::AltModifier | Qt::ControlModifier}}; // AltGr on some layouts: a character
    for (const auto& [key, text, modifiers] : keys) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(&edit, &press);
    }
    EXPECT_EQ(seen, std::string("a1-b\b\r\r\xE9!@"));
    EXPECT_EQ(edit.text(), "A1");
    EXPECT_EQ(edit.selectedText(), "A1") << "Home and select-all reached the edit";
    EXPECT_EQ(s.dialogs.Messages(), Texts{"Range check error"});
}
