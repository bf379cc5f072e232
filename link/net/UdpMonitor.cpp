#include "link/net/UdpMonitor.h"

#include "platform/ui/Latin1.h"

#include "link/net/NetText.h"
#include "link/net/ServerView.h"
#include "link/net/TcpHost.h"
#include "link/protocol/TrafficText.h"

#include <QEventLoop>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QUdpSocket>

UdpMonitor::UdpMonitor(ServerView& view, TcpHost& host, int localPort, const QHostAddress& bindAddress)
    : view_(view), host_(host), bindAddress_(bindAddress)
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
    const UdpSendFields fields = view_.UdpFields();

    // Both ports are checked before the socket is touched.
    int localPort = 0;
    int remotePort = 0;
    std::string error;
    if (!NetText::ParsePort(fields.localPort, localPort, error) ||
        !NetText::ParsePort(fields.remotePort, remotePort, error)) {
        host_.ShowMessage(error);
        return;
    }
    const std::string& text = fields.text;
    const std::string datagram = fields.appendCr ? text + '\r' : text;
    if (datagram.empty()) {
        host_.ShowMessage("Buffer Invalid: Buffer contains no data");
        return;
    }
    std::string remoteHost = fields.remoteHost;
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
    view_.RememberUdpSend(fields, remoteHost);
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
    view_.SetUdpHost(answer);
    return true;
}

void UdpMonitor::NMUDP1DataSend(const std::string& remoteHost, int remotePort, const std::string& text)
{
    view_.AddStatusLine(TrafficText::TimeStampNow() + "UDP Data sent: " + remoteHost + ":" +
                        std::to_string(remotePort) + " : Bytes:" + std::to_string(text.size()) + ":" + text);
}

void UdpMonitor::NMUDP1Status(const std::string& text)
{
    view_.AddStatusLine(text);
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
                view_.AddReceiveLine("Buffer too small for data");
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
    view_.AddReceiveLine(stamp + "UDP:" + NetText::DottedAddress(from) + ":" + std::to_string(port) +
                         " : Bytes:" + std::to_string(data.size()));
    const std::string_view text = TrafficText::UpToNul(data);
    if (view_.ShowAllCharacters())
        view_.AddReceiveLine(stamp + TrafficText::RenderBytes(text, view_.ShowHex()));
    else
        view_.AddReceiveLine(text);
}
