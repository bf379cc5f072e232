#include "cport/ui/Cportsetup.h"

#include "cport/port/ComNotify.h"
#include "cport/port/ComUpdate.h"
#include "cport/port/Cport.h"
#include "cport/ui/PortPickers.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace
{
struct TRow {
    const char* Label;
    const char* LabelName;
    const char* ComboName;
    TComProperty Property;
};

const TRow Rows[] = {
    {"Port", "Label1", "Combo1", cpPort},          {"Baud rate", "Label2", "Combo2", cpBaudRate},
    {"Data bits", "Label3", "Combo3", cpDataBits}, {"Stop bits", "Label4", "Combo4", cpStopBits},
    {"Parity", "Label5", "Combo5", cpParity},      {"Flow control", "Label6", "Combo6", cpFlowControl}};
} // namespace

TComSetupFrm::TComSetupFrm(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("ComSetupFrm");
    setWindowTitle("Setup");
    setFixedSize(231, 216);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    GroupBox1 = new QGroupBox(" Settings ", this);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setGeometry(8, 8, 215, 169);

    QLabel** Labels[] = {&Label1, &Label2, &Label3, &Label4, &Label5, &Label6};
    TComComboBox** Lists[] = {&Combo1, &Combo2, &Combo3, &Combo4, &Combo5, &Combo6};
    for (int i = 0; i < 6; ++i) {
        const int Top = 20 + i * 24;
        QLabel* Label = new QLabel(Rows[i].Label, GroupBox1);
        Label->setObjectName(Rows[i].LabelName);
        Label->setGeometry(10, Top + 3, 68, 16);
        TComComboBox* Combo = new TComComboBox(GroupBox1);
        Combo->setObjectName(Rows[i].ComboName);
        Combo->setGeometry(78, Top, 129, 21);
        Label->setBuddy(Combo);
        *Labels[i] = Label;
        *Lists[i] = Combo;
    }
    // The lists are filled one by one; the port list may raise, and the form then goes as a whole.
    for (int i = 0; i < 6; ++i)
        (*Lists[i])->SetComProperty(Rows[i].Property);

    Button1 = new QPushButton("OK", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(64, 184, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    Button2 = new QPushButton("Cancel", this);
    Button2->setObjectName("Button2");
    Button2->setGeometry(148, 184, 75, 25);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TComSetupFrm::Bind(TCustomComPort* Port)
{
    for (TComComboBox* Combo : {Combo1, Combo2, Combo3, Combo4, Combo5, Combo6})
        Combo->SetComPort(Port);
    for (TComComboBox* Combo : {Combo1, Combo2, Combo3, Combo4, Combo5, Combo6})
        Combo->UpdateSettings();
}

void TComSetupFrm::Apply(TCustomComPort& Port)
{
    TComUpdate Update(Port);
    for (TComComboBox* Combo : {Combo1, Combo2, Combo3, Combo4, Combo5, Combo6})
        Combo->ApplySettings();
    Update.Finish();
}

bool EditComPort(TCustomComPort& Port, QWidget* Parent)
{
    TComSetupFrm Form(Parent);
    Form.Bind(&Port);
    bool PortGone = false;
    ComFreeNotification(&Port, &Form, [&PortGone] { PortGone = true; });
    const bool Ok = Form.exec() == QDialog::Accepted;
    if (PortGone)
        return false;
    ComRemoveFreeNotification(&Port, &Form);
    if (!Ok)
        return false;
    Form.Apply(Port);
    return true;
}

// Defined beside the dialog it opens, so the port itself needs no widgets.
void TCustomComPort::ShowSetupDialog()
{
    EditComPort(*this, QApplication::activeWindow());
}
