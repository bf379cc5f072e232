#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class TCustomComTerminal;

// The terminal's setup dialog.
class TComTrmSetForm : public QDialog
{
    Q_OBJECT

  public:
    explicit TComTrmSetForm(QWidget* Parent = nullptr);

    // Fills the controls from the terminal.
    void LoadFrom(const TCustomComTerminal& Terminal);
    // Writes the controls into the terminal (what OK does).
    void StoreTo(TCustomComTerminal& Terminal) const;

    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QCheckBox* CheckBox3;
    QCheckBox* CheckBox4;
    QCheckBox* CheckBox5;
    QComboBox* ComboBox1;
    QComboBox* ComboBox2;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QComboBox* ComboBox3;
};

// Shows the setup dialog for the terminal; on OK its values are written back. True when OK was chosen.
bool EditComTerminal(TCustomComTerminal* Terminal);
