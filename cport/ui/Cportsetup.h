#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;
class TComComboBox;
class TCustomComPort;

// The port's setup dialog: port name, baud rate, data bits, stop bits, parity and flow control, each a list
// bound to one setting. Building it lists the machine's ports (EComPort 23 when they cannot be listed).
class TComSetupFrm : public QDialog
{
    Q_OBJECT

  public:
    explicit TComSetupFrm(QWidget* Parent = nullptr);

    // Binds every list to the port and shows its current values.
    void Bind(TCustomComPort* Port);
    // Writes every list's pick to the port in one update: an open port is reconfigured once. The update ends
    // also when a setting is refused, and the error then passes on.
    void Apply(TCustomComPort& Port);

    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    TComComboBox* Combo1; // port
    TComComboBox* Combo2; // baud rate
    TComComboBox* Combo3; // data bits
    TComComboBox* Combo4; // stop bits
    TComComboBox* Combo5; // parity
    TComComboBox* Combo6; // flow control
    QPushButton* Button1; // OK
    QPushButton* Button2; // Cancel
};

// Shows the setup dialog for the port; on OK every setting is written to it, on Cancel nothing. True when OK
// was chosen. Errors of the port while applying pass on to the caller (the dialog is gone by then). When the
// port goes while the dialog is shown, nothing is applied.
bool EditComPort(TCustomComPort& Port, QWidget* Parent = nullptr);
