#pragma once

#include "link/net/ServerView.h"

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
// monitor. The main window puts it into its tab sheet TabSheet11. The link, terminal and monitor read and show
// through ServerView; the page's buttons reach them through the requests bound to it. Every named control
// carries its name as its object name.
class ServerPage : public QWidget, public ServerView
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
    QString LinkText() const;

    // The two tool buttons empty the status field and the receive field.
    void SpeedButton4Click();
    void SpeedButton5Click();

    // ServerView
    std::string ServerPortText() override;
    std::string ClientPortText() override;
    bool ShowAllCharacters() override;
    bool ShowHex() override;
    bool AppendCrLf() override;
    std::string TypedText() override;
    UdpSendFields UdpFields() override;
    void AddStatusLine(std::string_view bytes) override;
    void AddReceiveLine(std::string_view bytes) override;
    void SetLinkText(const std::string& text) override;
    void ShowConnected(bool connected) override;
    void SetLocalAddress(const std::string& address) override;
    void SetUdpHost(const std::string& host) override;
    void RememberUdpSend(const UdpSendFields& asked, const std::string& remoteHost) override;
    void Bind(const ServerRequests& requests) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* BuildToolBar();
    QGroupBox* BuildServerBox();
    QGroupBox* BuildUdpBox();

    QLabel* statusPanel0_ = nullptr;
    QLabel* statusPanel1_ = nullptr;
    ServerRequests requests_;
};

// Adds bytes to a memo the way the unit's text reads: Latin-1, up to the first zero byte, line breaks (CR LF,
// CR or LF) starting new lines, trailing ones dropped.
void AddMemoLine(QPlainTextEdit* memo, std::string_view bytes);
