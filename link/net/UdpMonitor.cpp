#include "link/net/UdpMonitor.h"

#include "platform/ui/Latin1.h"

#include "link/ui/ComboHistory.h"
#include "link/net/NetText.h"
#include "link/ui/ServerPage.h"
#include "link/net/TcpHost.h"
#include "link/protocol/TrafficText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QHostInfo>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPlainTextEdit>
#include <QUdpSocket>


UdpMonitor::UdpMonitor(ServerPage& page, TcpHost& host, int localPort, const QHostAddress& bindAddress)
    : page_(page), host_(host), bindAddress_(bindAddress)
{
    NMUDP1 = new QUdpSocket(this);
    NMUDP1->setObjectName("NMUDP1");
    connect(NMUDP1, &QUdpSocket::readyRead, this, &UdpMonitor::NMUDP1DataReceived);
    SetLocalPort(localPort);
}

void UdpMonitor::SetLocalPort(int port)
{
    localPort_ = port;
    NMUDP1->close();
    if (!NMUDP1->bind(bindAddress_, static_cast<quint16>(port)))
        NMUDP1Status("UDP port " + std::to_string(port) + ": " + ToLatin1(NMUDP1->errorString()));
}

// --- sending ----------------------------------------------------------------------------------------------------

void UdpMonitor::SendUDPButtonClick()
{
    const int ipCount = page_.UDPIPEdit->count();
    const int portCount = page_.UDPportEdit->count();
    const int textCount = page_.UDPstringEdit->count();

    // Both ports are checked before the socket is touched.
    int localPort = 0;
    int remotePort = 0;
    std::string error;
    if (!NetText::ParsePort(ToLatin1(page_.ServerPortEdit->text()), localPort, error) ||
        !NetText::ParsePort(ToLatin1(page_.UDPportEdit->currentText()), remotePort, error)) {
        host_.ShowMessage(error);
        return;
    }
    const std::string text = ToLatin1(page_.UDPstringEdit->currentText());
    const std::string datagram = page_.Append_CR->isChecked() ? text + '\r' : text;
    if (datagram.empty()) {
        host_.ShowMessage("Buffer Invalid: Buffer contains no data");
        return;
    }
    std::string remoteHost = ToLatin1(page_.UDPIPEdit->currentText());
    SetLocalPort(localPort);
    QHostAddress address;
    if (!Resolve(remoteHost, address))
        return;
    const qint64 sent = NMUDP1->writeDatagram(datagram.data(), static_cast<qint64>(datagram.size()), address,
                                              static_cast<quint16>(remotePort));
    if (sent != static_cast<qint64>(datagram.size())) {
        NMUDP1Status("UDP send to " + remoteHost + ": " + ToLatin1(NMUDP1->errorString()));
        return;
    }
    NMUDP1DataSend(remoteHost, remotePort, text);
    RememberComboText(*page_.UDPIPEdit, FromLatin1(remoteHost), ipCount);
    RememberComboText(*page_.UDPportEdit, page_.UDPportEdit->currentText(), portCount);
    RememberComboText(*page_.UDPstringEdit, page_.UDPstringEdit->currentText(), textCount);
}

namespace
{
// A slow name server must not freeze the window: the lookup runs while the window handles its events.
QList<QHostAddress> LookUp(const QString& name)
{
    QEventLoop loop;
    QList<QHostAddress> found;
    bool done = false;
    QHostInfo::lookupHost(name, &loop, [&](const QHostInfo& info) {
        found = info.addresses();
        done = true;
        loop.quit();
    });
    if (!done)
        loop.exec();
    return found;
}
} // namespace

bool UdpMonitor::Resolve(std::string& remoteHost, QHostAddress& address)
{
    for (bool asked = false;; asked = true) {
        if (address.setAddress(FromLatin1(remoteHost)))
            return true;
        const QList<QHostAddress> found = LookUp(FromLatin1(remoteHost));
        for (const QHostAddress& candidate : found)
            if (candidate.protocol() == QAbstractSocket::IPv4Protocol) {
                address = candidate;
                return true;
            }
        if (!found.isEmpty()) {
            address = found.front();
            return true;
        }
        if (asked || !NMUDP1InvalidHost(remoteHost)) {
            host_.ShowMessage("Host not found: " + remoteHost);
            return false;
        }
    }
}

bool UdpMonitor::NMUDP1InvalidHost(std::string& remoteHost)
{
    std::string answer = remoteHost;
    if (!host_.InputQuery("Invalid host", "Specify valid hostname: ", answer))
        return false;
    remoteHost = answer;
    page_.UDPIPEdit->setCurrentText(FromLatin1(answer));
    return true;
}

void UdpMonitor::NMUDP1DataSend(const std::string& remoteHost, int remotePort, const std::string& text)
{
    AddMemoLine(page_.Memo2, TrafficText::TimeStampNow() + "UDP Data sent: " + remoteHost + ":" +
                                 std::to_string(remotePort) + " : Bytes:" + std::to_string(text.size()) + ":" + text);
}

void UdpMonitor::NMUDP1Status(const std::string& text)
{
    AddMemoLine(page_.Memo2, text);
}

// --- receiving ----------------------------------------------------------------------------------------------------

void UdpMonitor::NMUDP1DataReceived()
{
    while (NMUDP1->hasPendingDatagrams()) {
        const qint64 size = NMUDP1->pendingDatagramSize();
        if (size >= kReceiveBufferSize || size < 0) {
            // Read and dropped, so that the socket goes on to the next datagram.
            NMUDP1->receiveDatagram(0);
            if (size >= kReceiveBufferSize)
                AddMemoLine(page_.Memo3, "Buffer too small for data");
            continue;
        }
        std::string data(static_cast<size_t>(size), '\0');
        QHostAddress from;
        quint16 port = 0;
        const qint64 got = NMUDP1->readDatagram(data.data(), size, &from, &port);
        if (got < 0)
            continue;
        data.resize(static_cast<size_t>(got));
        ShowDatagram(data, from, port);
    }
}

void UdpMonitor::ShowDatagram(const std::string& data, const QHostAddress& from, quint16 port)
{
    const std::string stamp = TrafficText::TimeStampNow();
    AddMemoLine(page_.Memo3, stamp + "UDP:" + NetText::DottedAddress(from) + ":" + std::to_string(port) +
                                 " : Bytes:" + std::to_string(data.size()));
    const std::string_view text = TrafficText::UpToNul(data);
    if (page_.ShowTS2->isChecked())
        AddMemoLine(page_.Memo3, stamp + TrafficText::RenderBytes(text, page_.HexCheckBox2->isChecked()));
    else
        AddMemoLine(page_.Memo3, text);
}
