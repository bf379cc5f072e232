#pragma once

#include <QWidget>

#include <string_view>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QStatusBar;
class QToolButton;

// The controls of the "Server" page: the TCP link's ports, state and logs, the TCP terminal and the UDP
// monitor. The main window puts it into its tab sheet TabSheet11. Controls only; the link, terminal and monitor
// drive them. Every named control carries its name as its object name.
class ServerPage : public QWidget
{
    Q_OBJECT
  public:
    explicit ServerPage(QWidget* parent = nullptr);

    // Tool bar of the page.
    QToolButton* SpeedButton4 = nullptr;   // "Clear Status Field"
    QToolButton* SpeedButton5 = nullptr;   // "Clear Receive Field"
    QToolButton* ToolButton7 = nullptr;    // "Connect to Client"
    QToolButton* ReadButtonTCP = nullptr;  // "Read EEPROM, Server"
    QToolButton* WriteButtonTCP = nullptr; // "Write EEPROM, Server"

    // "KIV Server" box.
    QGroupBox* GroupBox39 = nullptr;
    QLineEdit* ServerPortEdit = nullptr;
    QLineEdit* ClientPortEdit = nullptr;
    QLabel* IPAddLabel = nullptr;
    QLabel* ConnectSocketImage = nullptr;
    QCheckBox* ShowTS2 = nullptr;
    QCheckBox* HexCheckBox2 = nullptr;
    QCheckBox* Append_CR = nullptr;

    // "Sending UDP Packages" box.
    QGroupBox* GroupBox49 = nullptr;
    QLabel* Label121 = nullptr;
    QComboBox* UDPIPEdit = nullptr;
    QLabel* Label120 = nullptr;
    QComboBox* UDPportEdit = nullptr;
    QLabel* Label122 = nullptr;
    QComboBox* UDPstringEdit = nullptr;
    QToolButton* SendUDPButton = nullptr;

    QPlainTextEdit* Memo2 = nullptr; // status field: the TCP log and the TCP terminal's typing area
    QPlainTextEdit* Memo3 = nullptr; // receive field
    QStatusBar* StatusBar2 = nullptr;

    // Panel 0 of StatusBar2: the link text.
    void SetLinkText(const QString& text);
    QString LinkText() const;

  private:
    QWidget* BuildToolBar();
    QGroupBox* BuildServerBox();
    QGroupBox* BuildUdpBox();

    QLabel* statusPanel0_ = nullptr;
    QLabel* statusPanel1_ = nullptr;
};

// Adds bytes to a memo the way the unit's text reads: Latin-1, up to the first zero byte, line breaks (CR LF,
// CR or LF) starting new lines, trailing ones dropped.
void AddMemoLine(QPlainTextEdit* memo, std::string_view bytes);
