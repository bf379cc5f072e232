#include "cport/ComTerminal.h"
#include "cport/Cporttrmset.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include "DialogTestSupport.h"

#include <functional>
#include <vector>

namespace
{

// Runs the dialog for the terminal and, once it shows, lets Act work on it.
bool RunDialog(TCustomComTerminal& Term, std::function<void(QWidget&)> Act)
{
    QTimer::singleShot(0, [Act] {
        if (QWidget* Dialog = QApplication::activeModalWidget())
            Act(*Dialog);
    });
    return EditComTerminal(&Term);
}

} // namespace

TEST(TermSetup, CaptionsAsTheUserSeesThem)
{
    TComTrmSetForm Form;
    EXPECT_EQ(Form.windowTitle(), "Setup");
    EXPECT_EQ(Find<QGroupBox>(Form, "GroupBox1")->title(), " ASCII Settings ");
    EXPECT_EQ(Find<QGroupBox>(Form, "GroupBox2")->title(), " Terminal Settings ");
    const std::vector<std::pair<const char*, const char*>> Boxes = {
        {"CheckBox1", "Echo typed charachters locally"},
        {"CheckBox2", "Send line feeds with carriage return"},
        {"CheckBox3", "Wrap lines that exceed terminal width"},
        {"CheckBox4", "Force incoming data to 7 bit ASCII"},
        {"CheckBox5", "Append line feeds to incoming carriage return"}};
    for (const auto& [Name, Caption] : Boxes)
        EXPECT_EQ(Find<QCheckBox>(Form, Name)->text(), Caption);
    EXPECT_EQ(Items(Find<QComboBox>(Form, "ComboBox1")), (QStringList{"Block", "Underline"}));
    EXPECT_EQ(Items(Find<QComboBox>(Form, "ComboBox2")), (QStringList{"ANSI/VT100", "VT52", "None"}));
    EXPECT_EQ(Items(Find<QComboBox>(Form, "ComboBox3")), (QStringList{"Act as terminal keys", "Act as windows keys"}));
    QStringList Labels;
    for (const char* Name : {"Label1", "Label2", "Label3", "Label4", "Label5"})
        Labels << Find<QLabel>(Form, Name)->text();
    EXPECT_EQ(Labels, (QStringList{"Caret", "Emulation", "Columns", "Rows", "Cursor keys"}));
    EXPECT_EQ(Find<QPushButton>(Form, "Button1")->text(), "OK");
    EXPECT_TRUE(Find<QPushButton>(Form, "Button1")->isDefault());
    EXPECT_EQ(Find<QPushButton>(Form, "Button2")->text(), "Cancel");
    EXPECT_NE(Find<QLineEdit>(Form, "Edit1"), nullptr);
    EXPECT_NE(Find<QLineEdit>(Form, "Edit2"), nullptr);
}

TEST(TermSetup, FilledFromTheTerminalAndWrittenBack)
{
    TComTerminal Term;
    Term.SetLocalEcho(true);
    Term.SetWrapLines(true);
    Term.SetAppendLF(true);
    Term.SetCaret(TTermCaret::tcUnderline);
    Term.SetEmulation(TTermEmulation::teNone);
    Term.SetColumns(132);
    Term.SetRows(50);
    Term.SetArrowKeys(TArrowKeys::akWindows);

    TComTrmSetForm Form;
    Form.LoadFrom(Term);
    EXPECT_TRUE(Form.CheckBox1->isChecked());
    EXPECT_FALSE(Form.CheckBox2->isChecked());
    EXPECT_TRUE(Form.CheckBox3->isChecked());
    EXPECT_FALSE(Form.CheckBox4->isChecked());
    EXPECT_TRUE(Form.CheckBox5->isChecked());
    EXPECT_EQ(Form.ComboBox1->currentText(), "Underline");
    EXPECT_EQ(Form.ComboBox2->currentText(), "None");
    EXPECT_EQ(Form.Edit1->text(), "132");
    EXPECT_EQ(Form.Edit2->text(), "50");
    EXPECT_EQ(Form.ComboBox3->currentText(), "Act as windows keys");

    Form.CheckBox1->setChecked(false);
    Form.CheckBox2->setChecked(true);
    Form.CheckBox3->setChecked(false);
    Form.CheckBox4->setChecked(true);
    Form.CheckBox5->setChecked(false);
    Form.ComboBox1->setCurrentIndex(0);
    Form.ComboBox2->setCurrentIndex(1);
    Form.Edit1->setText("100");
    Form.Edit2->setText("30");
    Form.ComboBox3->setCurrentIndex(0);
    Form.StoreTo(Term);
    EXPECT_FALSE(Term.LocalEcho());
    EXPECT_TRUE(Term.SendLF());
    EXPECT_FALSE(Term.WrapLines());
    EXPECT_TRUE(Term.Force7Bit());
    EXPECT_FALSE(Term.AppendLF());
    EXPECT_EQ(Term.Caret(), TTermCaret::tcBlock);
    EXPECT_EQ(Term.Emulation(), TTermEmulation::teVT52);
    EXPECT_NE(dynamic_cast<TEscapeCodesVT52*>(Term.EscapeCodes()), nullptr);
    EXPECT_EQ(Term.Columns(), 100);
    EXPECT_EQ(Term.Rows(), 30);
    EXPECT_EQ(Term.ArrowKeys(), TArrowKeys::akTerminal);
}

TEST(TermSetup, ColumnsAndRowsTexts)
{
    struct Case {
        const char* Columns;
        const char* Rows;
        int WantColumns, WantRows;
    };
    for (const Case& C : {Case{"abc", "", 80, 24}, Case{"1000", "0", 256, 2}, Case{" 132 ", "100", 132, 100},
                          Case{"-5", "9999999999", 2, 24}}) {
        TComTerminal Term;
        Term.SetColumns(40);
        Term.SetRows(10);
        TComTrmSetForm Form;
        Form.LoadFrom(Term);
        Form.Edit1->setText(C.Columns);
        Form.Edit2->setText(C.Rows);
        Form.StoreTo(Term);
        EXPECT_EQ(Term.Columns(), C.WantColumns) << C.Columns;
        EXPECT_EQ(Term.Rows(), C.WantRows) << C.Rows;
    }
}

TEST(TermSetup, OkWithoutChangesKeepsTheScreen)
{
    TComTerminal Term;
    Term.WriteStr("keep me");
    TComTrmSetForm Form;
    Form.LoadFrom(Term);
    Form.StoreTo(Term);
    EXPECT_EQ(Term.Buffer().GetLineLength(1), 7);
}

TEST(TermSetup, ACaretOfNoneIsKept)
{
    TComTerminal Term;
    Term.SetCaret(TTermCaret::tcNone);
    TComTrmSetForm Form;
    Form.LoadFrom(Term);
    EXPECT_EQ(Form.ComboBox1->currentIndex(), -1);
    Form.StoreTo(Term);
    EXPECT_EQ(Term.Caret(), TTermCaret::tcNone);
}

TEST(TermSetup, OkAppliesAndCancelChangesNothing)
{
    TComTerminal Term;
    Term.WriteStr("text");
    // Picks VT52 and 20 columns, then leaves with the given button.
    const auto EditAndLeaveWith = [](const char* Button) {
        return [Button](QWidget& Dialog) {
            Find<QComboBox>(Dialog, "ComboBox2")->setCurrentIndex(1);
            Find<QLineEdit>(Dialog, "Edit1")->setText("20");
            Find<QPushButton>(Dialog, Button)->click();
        };
    };
    const bool Cancelled = !RunDialog(Term, EditAndLeaveWith("Button2"));
    EXPECT_TRUE(Cancelled);
    EXPECT_EQ(Term.Emulation(), TTermEmulation::teVT100orANSI);
    EXPECT_EQ(Term.Columns(), 80);
    EXPECT_EQ(Term.Buffer().GetLineLength(1), 4);

    const bool Accepted = RunDialog(Term, EditAndLeaveWith("Button1"));
    EXPECT_TRUE(Accepted);
    EXPECT_EQ(Term.Emulation(), TTermEmulation::teVT52);
    EXPECT_EQ(Term.Columns(), 20);
}
