#include "cport/terminal/Cporttrmset.h"

#include "cport/terminal/ComTerminal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

template <typename T> T* Named(T* Control, const char* Name)
{
    Control->setObjectName(QLatin1String(Name));
    return Control;
}

QComboBox* DropDownList(const char* Name, const QStringList& Items, QWidget* Parent)
{
    auto* Box = Named(new QComboBox(Parent), Name);
    Box->addItems(Items);
    return Box;
}

// The decimal value of an edit, or Default when its text is not an integer.
int IntegerOr(const QLineEdit* Edit, int Default)
{
    bool Ok = false;
    const int Value = Edit->text().trimmed().toInt(&Ok);
    return Ok ? Value : Default;
}

void AddRow(QFormLayout* Form, const char* LabelName, const char* Caption, QWidget* Field)
{
    auto* Label = Named(new QLabel(QString::fromLatin1(Caption), Field->parentWidget()), LabelName);
    Label->setBuddy(Field);
    Form->addRow(Label, Field);
}

} // namespace

TComTrmSetForm::TComTrmSetForm(QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("ComTrmSetForm"));
    setWindowTitle(QStringLiteral("Setup"));

    auto* GroupBox1 = Named(new QGroupBox(QStringLiteral(" ASCII Settings "), this), "GroupBox1");
    CheckBox1 = Named(new QCheckBox(QStringLiteral("Echo typed charachters locally"), GroupBox1), "CheckBox1");
    CheckBox2 = Named(new QCheckBox(QStringLiteral("Send line feeds with carriage return"), GroupBox1), "CheckBox2");
    CheckBox3 = Named(new QCheckBox(QStringLiteral("Wrap lines that exceed terminal width"), GroupBox1), "CheckBox3");
    CheckBox4 = Named(new QCheckBox(QStringLiteral("Force incoming data to 7 bit ASCII"), GroupBox1), "CheckBox4");
    CheckBox5 =
        Named(new QCheckBox(QStringLiteral("Append line feeds to incoming carriage return"), GroupBox1), "CheckBox5");
    auto* Ascii = new QVBoxLayout(GroupBox1);
    for (QCheckBox* Box : {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5})
        Ascii->addWidget(Box);

    auto* GroupBox2 = Named(new QGroupBox(QStringLiteral(" Terminal Settings "), this), "GroupBox2");
    ComboBox1 = DropDownList("ComboBox1", {QStringLiteral("Block"), QStringLiteral("Underline")}, GroupBox2);
    ComboBox2 = DropDownList("ComboBox2",
                             {QStringLiteral("ANSI/VT100"), QStringLiteral("VT52"), QStringLiteral("None")}, GroupBox2);
    Edit1 = Named(new QLineEdit(GroupBox2), "Edit1");
    Edit2 = Named(new QLineEdit(GroupBox2), "Edit2");
    ComboBox3 = DropDownList(
        "ComboBox3", {QStringLiteral("Act as terminal keys"), QStringLiteral("Act as windows keys")}, GroupBox2);
    auto* Settings = new QFormLayout(GroupBox2);
    AddRow(Settings, "Label1", "Caret", ComboBox1);
    AddRow(Settings, "Label2", "Emulation", ComboBox2);
    AddRow(Settings, "Label3", "Columns", Edit1);
    AddRow(Settings, "Label4", "Rows", Edit2);
    AddRow(Settings, "Label5", "Cursor keys", ComboBox3);

    auto* Button1 = Named(new QPushButton(QStringLiteral("OK"), this), "Button1");
    auto* Button2 = Named(new QPushButton(QStringLiteral("Cancel"), this), "Button2");
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch();
    Buttons->addWidget(Button1);
    Buttons->addWidget(Button2);

    auto* Main = new QVBoxLayout(this);
    Main->addWidget(GroupBox1);
    Main->addWidget(GroupBox2);
    Main->addLayout(Buttons);
    setFixedSize(sizeHint().expandedTo(QSize(295, 287)));
}

void TComTrmSetForm::LoadFrom(const TCustomComTerminal& Terminal)
{
    CheckBox1->setChecked(Terminal.LocalEcho());
    CheckBox2->setChecked(Terminal.SendLF());
    CheckBox3->setChecked(Terminal.WrapLines());
    CheckBox4->setChecked(Terminal.Force7Bit());
    CheckBox5->setChecked(Terminal.AppendLF());
    // The list offers no "none": such a caret shows no selection and is kept on OK.
    ComboBox1->setCurrentIndex(Terminal.Caret() == TTermCaret::tcNone ? -1 : static_cast<int>(Terminal.Caret()));
    ComboBox2->setCurrentIndex(static_cast<int>(Terminal.Emulation()));
    Edit1->setText(QString::number(Terminal.Columns()));
    Edit2->setText(QString::number(Terminal.Rows()));
    ComboBox3->setCurrentIndex(static_cast<int>(Terminal.ArrowKeys()));
}

void TComTrmSetForm::StoreTo(TCustomComTerminal& Terminal) const
{
    Terminal.SetLocalEcho(CheckBox1->isChecked());
    Terminal.SetSendLF(CheckBox2->isChecked());
    Terminal.SetWrapLines(CheckBox3->isChecked());
    Terminal.SetForce7Bit(CheckBox4->isChecked());
    Terminal.SetAppendLF(CheckBox5->isChecked());
    if (ComboBox1->currentIndex() >= 0)
        Terminal.SetCaret(static_cast<TTermCaret>(ComboBox1->currentIndex()));
    if (ComboBox2->currentIndex() >= 0)
        Terminal.SetEmulation(static_cast<TTermEmulation>(ComboBox2->currentIndex()));
    Terminal.SetColumns(IntegerOr(Edit1, 80));
    Terminal.SetRows(IntegerOr(Edit2, 24));
    if (ComboBox3->currentIndex() >= 0)
        Terminal.SetArrowKeys(static_cast<TArrowKeys>(ComboBox3->currentIndex()));
}

bool EditComTerminal(TCustomComTerminal* Terminal)
{
    if (!Terminal)
        return false;
    TComTrmSetForm Form(Terminal->window());
    Form.LoadFrom(*Terminal);
    if (Form.exec() != QDialog::Accepted)
        return false;
    Form.StoreTo(*Terminal);
    return true;
}
