#include "link/ui/ServerPage.h"

#include "link/protocol/TrafficText.h"
#include "link/ui/ComboHistory.h"
#include "platform/ui/Latin1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{
template <typename T> T* Named(T* widget, const char* name)
{
    widget->setObjectName(name);
    return widget;
}

QToolButton* ToolButton(QWidget* parent, const char* name, const char* hint, QStyle::StandardPixmap icon)
{
    auto* button = Named(new QToolButton(parent), name);
    button->setToolTip(hint);
    button->setIcon(parent->style()->standardIcon(icon));
    return button;
}

QComboBox* HistoryCombo(QWidget* parent, const char* name, const char* text)
{
    auto* box = Named(new QComboBox(parent), name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert); // the send button keeps the history
    box->addItem(text);
    box->setCurrentText(text);
    return box;
}

QPlainTextEdit* Memo(QWidget* parent, const char* name, bool readOnly)
{
    auto* memo = Named(new QPlainTextEdit(parent), name);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setReadOnly(readOnly);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return memo;
}
} // namespace

ServerPage::ServerPage(QWidget* parent) : QWidget(parent)
{
    setObjectName("ServerPage");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildToolBar());
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(BuildServerBox());
    boxes->addWidget(BuildUdpBox());
    layout->addLayout(boxes);
    Memo2 = Memo(this, "Memo2", false);
    layout->addWidget(Memo2, 2);
    Memo3 = Memo(this, "Memo3", true);
    layout->addWidget(Memo3, 3);

    StatusBar2 = Named(new QStatusBar(this), "StatusBar2");
    StatusBar2->setSizeGripEnabled(false);
    statusPanel0_ = new QLabel(StatusBar2);
    statusPanel0_->setFixedWidth(400);
    statusPanel1_ = new QLabel(StatusBar2);
    statusPanel1_->setFixedWidth(250);
    StatusBar2->addWidget(statusPanel0_);
    StatusBar2->addWidget(statusPanel1_);
    layout->addWidget(StatusBar2);

    connect(SpeedButton4, &QToolButton::clicked, this, &ServerPage::SpeedButton4Click);
    connect(SpeedButton5, &QToolButton::clicked, this, &ServerPage::SpeedButton5Click);
    // The other buttons and the status field's keys reach the link while one is bound.
    const auto request = [this](std::function<void()> ServerRequests::*which) {
        return [this, which] {
            if (requests_.*which)
                (requests_.*which)();
        };
    };
    connect(ToolButton7, &QToolButton::clicked, this, request(&ServerRequests::Connect));
    connect(ReadButtonTCP, &QToolButton::clicked, this, request(&ServerRequests::ReadImage));
    connect(WriteButtonTCP, &QToolButton::clicked, this, request(&ServerRequests::WriteImage));
    connect(SendUDPButton, &QToolButton::clicked, this, request(&ServerRequests::SendUdp));
    Memo2->installEventFilter(this);
}

QWidget* ServerPage::BuildToolBar()
{
    auto* bar = new QToolBar(this);
    SpeedButton4 = ToolButton(bar, "SpeedButton4", "Clear Status Field", QStyle::SP_DialogResetButton);
    SpeedButton5 = ToolButton(bar, "SpeedButton5", "Clear Receive Field", QStyle::SP_DialogDiscardButton);
    ToolButton7 = ToolButton(bar, "ToolButton7", "Connect to Client", QStyle::SP_DriveNetIcon);
    ReadButtonTCP = ToolButton(bar, "ReadButtonTCP", "Read EEPROM, Server", QStyle::SP_ArrowDown);
    WriteButtonTCP = ToolButton(bar, "WriteButtonTCP", "Write EEPROM, Server", QStyle::SP_ArrowUp);
    for (QToolButton* button : {SpeedButton4, SpeedButton5, ToolButton7, ReadButtonTCP, WriteButtonTCP})
        bar->addWidget(button);
    return bar;
}

QGroupBox* ServerPage::BuildServerBox()
{
    GroupBox39 = Named(new QGroupBox("KIV Server", this), "GroupBox39");
    auto* grid = new QGridLayout(GroupBox39);
    ServerPortEdit = Named(new QLineEdit("3004", GroupBox39), "ServerPortEdit");
    ClientPortEdit = Named(new QLineEdit("2055", GroupBox39), "ClientPortEdit");
    IPAddLabel = Named(new QLabel("000.000.000.000", GroupBox39), "IPAddLabel");
    ConnectSocketImage = Named(new QLabel(GroupBox39), "ConnectSocketImage");
    ConnectSocketImage->setPixmap(style()->standardIcon(QStyle::SP_DialogApplyButton).pixmap(24, 24));
    ConnectSocketImage->setVisible(false);
    ShowTS2 = Named(new QCheckBox("Show all Data charcters", GroupBox39), "ShowTS2");
    HexCheckBox2 = Named(new QCheckBox("Show Data in Hex", GroupBox39), "HexCheckBox2");
    Append_CR = Named(new QCheckBox("Append <CR><LF> to TCP/UDP packages", GroupBox39), "Append_CR");

    grid->addWidget(new QLabel("Server Port:", GroupBox39), 0, 0);
    grid->addWidget(ServerPortEdit, 0, 1);
    grid->addWidget(new QLabel("Remote TCP Port:", GroupBox39), 1, 0);
    grid->addWidget(ClientPortEdit, 1, 1);
    grid->addWidget(new QLabel("Local IP Address:", GroupBox39), 2, 0);
    grid->addWidget(IPAddLabel, 2, 1);
    grid->addWidget(ConnectSocketImage, 0, 2);
    grid->addWidget(ShowTS2, 3, 0, 1, 3);
    grid->addWidget(HexCheckBox2, 4, 0, 1, 3);
    grid->addWidget(Append_CR, 5, 0, 1, 3);
    return GroupBox39;
}

QGroupBox* ServerPage::BuildUdpBox()
{
    GroupBox49 = Named(new QGroupBox("Sending UDP Packages", this), "GroupBox49");
    auto* grid = new QGridLayout(GroupBox49);
    Label121 = Named(new QLabel("Remote UDP IP Address:", GroupBox49), "Label121");
    UDPIPEdit = HistoryCombo(GroupBox49, "UDPIPEdit", "192.168.000.001");
    Label120 = Named(new QLabel("Remote UDP Port:", GroupBox49), "Label120");
    UDPportEdit = HistoryCombo(GroupBox49, "UDPportEdit", "2055");
    Label122 = Named(new QLabel("UDP Data String:", GroupBox49), "Label122");
    UDPstringEdit = HistoryCombo(GroupBox49, "UDPstringEdit", "KVI");
    SendUDPButton = Named(new QToolButton(GroupBox49), "SendUDPButton");
    SendUDPButton->setText("Send UDP");
    SendUDPButton->setToolButtonStyle(Qt::ToolButtonTextOnly);

    grid->addWidget(Label121, 0, 0);
    grid->addWidget(UDPIPEdit, 0, 1);
    grid->addWidget(Label120, 1, 0);
    grid->addWidget(UDPportEdit, 1, 1);
    grid->addWidget(Label122, 2, 0);
    grid->addWidget(UDPstringEdit, 2, 1);
    grid->addWidget(SendUDPButton, 3, 1);
    return GroupBox49;
}

QString ServerPage::LinkText() const
{
    return statusPanel0_->text();
}

void ServerPage::SpeedButton4Click()
{
    Memo2->clear();
}

void ServerPage::SpeedButton5Click()
{
    Memo3->clear();
}

// --- what the link reads ------------------------------------------------------------------------------------

std::string ServerPage::ServerPortText()
{
    return ToLatin1(ServerPortEdit->text());
}

std::string ServerPage::ClientPortText()
{
    return ToLatin1(ClientPortEdit->text());
}

bool ServerPage::ShowAllCharacters()
{
    return ShowTS2->isChecked();
}

bool ServerPage::ShowHex()
{
    return HexCheckBox2->isChecked();
}

bool ServerPage::AppendCrLf()
{
    return Append_CR->isChecked();
}

std::string ServerPage::TypedText()
{
    return ToLatin1(Memo2->toPlainText());
}

UdpSendFields ServerPage::UdpFields()
{
    UdpSendFields fields;
    fields.localPort = ServerPortText();
    fields.remoteHost = ToLatin1(UDPIPEdit->currentText());
    fields.remotePort = ToLatin1(UDPportEdit->currentText());
    fields.text = ToLatin1(UDPstringEdit->currentText());
    fields.appendCr = AppendCrLf();
    fields.hostItems = UDPIPEdit->count();
    fields.portItems = UDPportEdit->count();
    fields.textItems = UDPstringEdit->count();
    return fields;
}

// --- what the link shows ------------------------------------------------------------------------------------

void ServerPage::AddStatusLine(std::string_view bytes)
{
    AddMemoLine(Memo2, bytes);
}

void ServerPage::AddReceiveLine(std::string_view bytes)
{
    AddMemoLine(Memo3, bytes);
}

void ServerPage::SetLinkText(const std::string& text)
{
    statusPanel0_->setText(FromLatin1(text));
}

void ServerPage::ShowConnected(bool connected)
{
    ConnectSocketImage->setVisible(connected);
}

void ServerPage::SetLocalAddress(const std::string& address)
{
    IPAddLabel->setText(FromLatin1(address));
}

void ServerPage::SetUdpHost(const std::string& host)
{
    UDPIPEdit->setCurrentText(FromLatin1(host));
}

void ServerPage::RememberUdpSend(const UdpSendFields& asked, const std::string& remoteHost)
{
    RememberComboText(*UDPIPEdit, FromLatin1(remoteHost), asked.hostItems);
    RememberComboText(*UDPportEdit, UDPportEdit->currentText(), asked.portItems);
    RememberComboText(*UDPstringEdit, UDPstringEdit->currentText(), asked.textItems);
}

void ServerPage::Bind(const ServerRequests& requests)
{
    requests_ = requests;
}

bool ServerPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Memo2 && event->type() == QEvent::KeyPress && requests_.StatusKeyDown)
        requests_.StatusKeyDown(static_cast<QKeyEvent*>(event)->key());
    return QWidget::eventFilter(watched, event);
}

void AddMemoLine(QPlainTextEdit* memo, std::string_view bytes)
{
    std::string_view text = TrafficText::UpToNul(bytes);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    QString line = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    line.replace("\r\n", "\n");
    line.replace('\r', '\n');
    memo->appendPlainText(line);
}
