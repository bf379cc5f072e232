#include "link/net/TcpLink.h"

#include "platform/ui/Latin1.h"

#include "link/net/NetText.h"
#include "link/net/ServerView.h"
#include "link/net/TcpHost.h"
#include "link/net/UdpMonitor.h"
#include "link/protocol/TcpProtocol.h"
#include "link/protocol/Timing.h"
#include "link/protocol/TrafficText.h"
#include "link/serial/ReplyWait.h"
#include "platform/Clock.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <climits>
#include <sys/ioctl.h>

namespace
{
// Bytes the system holds for the socket that Qt has not yet taken in.
int SystemPending(QTcpSocket* socket)
{
    int count = 0;
    const qintptr fd = socket->socketDescriptor();
    if (fd < 0 || ioctl(static_cast<int>(fd), FIONREAD, &count) != 0)
        return 0;
    return count;
}

std::string PeerText(QTcpSocket* socket)
{
    return NetText::DottedAddress(socket->peerAddress()) + ":" + std::to_string(socket->peerPort());
}
} // namespace

TcpLink::TcpLink(ServerView& view, TcpHost& host, UdpMonitor& udp, const LinkTiming& timing)
    : view_(view), host_(host), udp_(udp), timing_(timing)
{
    ClientSocket = new QTcpSocket(this);
    ClientSocket->setObjectName("ClientSocket");
    ServerSocket = new QTcpServer(this);
    ServerSocket->setObjectName("ServerSocket");
    connect(ClientSocket, &QTcpSocket::connected, this, &TcpLink::ClientSocketConnect);
    connect(ClientSocket, &QTcpSocket::disconnected, this, &TcpLink::ClientSocketDisconnect);
    connect(ClientSocket, &QTcpSocket::readyRead, this, &TcpLink::ClientSocketRead);
    connect(ClientSocket, &QTcpSocket::errorOccurred, this, &TcpLink::ClientSocketError);
    connect(ServerSocket, &QTcpServer::newConnection, this, &TcpLink::ServerSocketAccept);
}

TcpLink::~TcpLink()
{
    // The sockets die with this object; none of their last signals may reach a half-destroyed link.
    ClientSocket->disconnect(this);
    ServerSocket->disconnect(this);
    for (QTcpSocket* connection : connections_)
        connection->disconnect(this);
}

// --- state ------------------------------------------------------------------------------------------------------

bool TcpLink::ClientActive() const
{
    return ClientSocket->state() == QAbstractSocket::ConnectedState;
}

QTcpSocket* TcpLink::FirstConnection() const
{
    for (QTcpSocket* connection : connections_)
        if (connection->state() == QAbstractSocket::ConnectedState)
            return connection;
    return nullptr;
}

bool TcpLink::ServerMode() const
{
    return FirstConnection() != nullptr;
}

bool TcpLink::Listening() const
{
    return ServerSocket->isListening();
}

QTcpSocket* TcpLink::LinkSocket() const
{
    if (QTcpSocket* connection = FirstConnection())
        return connection;
    return ClientActive() ? ClientSocket : nullptr;
}

int TcpLink::Pending(QTcpSocket* socket)
{
    if (!socket || socket->state() != QAbstractSocket::ConnectedState)
        return 0;
    const qint64 count = socket->bytesAvailable() + SystemPending(socket);
    return static_cast<int>(std::min<qint64>(count, INT_MAX));
}

// --- menu items -----------------------------------------------------------------------------------------------

bool TcpLink::PortFromText(const std::string& text, int& port)
{
    std::string error;
    if (NetText::ParsePort(text, port, error))
        return true;
    host_.ShowMessage(error);
    return false;
}

void TcpLink::SetListenChecked(bool checked)
{
    listenChecked_ = checked;
    host_.SetListenChecked(checked);
}

void TcpLink::FileConnectItemClick()
{
    int port = 0;
    if (!PortFromText(view_.ClientPortText(), port))
        return;
    CloseClient(true);
    std::string hostName = connectHost;
    if (!host_.InputQuery("Computer to connect to", "Address Name:", hostName))
        return;
    connectHost = hostName;
    if (connectHost.empty())
        return;
    ClientSocket->connectToHost(QString::fromLatin1(connectHost.data(), static_cast<qsizetype>(connectHost.size())),
                                static_cast<quint16>(port));
    SetListenChecked(false); // a listening server stays open
}

void TcpLink::FileListenItemClick()
{
    if (listenChecked_) {
        SetListenChecked(false);
        CloseServer();
        ShowNotListening();
        return;
    }
    int port = 0;
    if (!PortFromText(view_.ServerPortText(), port))
        return;
    SetListenChecked(true);
    udp_.SetLocalPort(port);
    // The client closes without its own way back to listening: this is that way.
    CloseClient(false);
    if (!StartServer(port)) {
        SetListenChecked(false);
        ShowNotListening();
        return;
    }
    if (!ServerMode())
        ShowListening();
}

void TcpLink::Disconnect1Click()
{
    CloseClient(false);
    CloseServer();
    ShowNotListening();
    if (StartServer(serverPort_))
        ShowListening();
}

void TcpLink::TabSheet11Enter()
{
    host_.EnableSerialTransferButtons(false);
}

void TcpLink::TabSheet11Exit()
{
    host_.EnableSerialTransferButtons(true);
}

void TcpLink::CloseSockets()
{
    CloseServer();
    CloseClient(false);
}

// --- opening and closing ---------------------------------------------------------------------------------------

bool TcpLink::StartServer(int port)
{
    if (ServerSocket->isListening() && serverPort_ == port)
        return true;
    CloseServer();
    serverPort_ = port;
    if (ServerSocket->listen(ListenAddress, static_cast<quint16>(port)))
        return true;
    host_.ShowMessage("Cannot listen on port " + std::to_string(port) + ": " + ToLatin1(ServerSocket->errorString()));
    return false;
}

void TcpLink::CloseClient(bool backToListening)
{
    if (ClientSocket->state() == QAbstractSocket::UnconnectedState)
        return;
    clientBackToListening_ = backToListening;
    ClientSocket->disconnectFromHost(); // a made connection reports its end at once
    if (ClientSocket->state() != QAbstractSocket::UnconnectedState)
        ClientSocket->abort();
    clientBackToListening_ = true;
}

void TcpLink::CloseServer()
{
    ServerSocket->close();
    // Closing the server ends the units' connections with it; each reports its end.
    const QList<QTcpSocket*> open = connections_;
    for (QTcpSocket* connection : open) {
        connection->disconnectFromHost();
        if (connection->state() != QAbstractSocket::UnconnectedState)
            connection->abort();
    }
    for (QTcpSocket* connection : connections_) {
        resets_.Forget(connection);
        connection->deleteLater();
    }
    connections_.clear();
    UpdateConnectImage();
}

bool TcpLink::IsReportable(const QTcpSocket* socket, QAbstractSocket::SocketError error) const
{
    if (error == QAbstractSocket::SocketTimeoutError)
        return socket->state() != QAbstractSocket::ConnectedState;
    if (error == QAbstractSocket::RemoteHostClosedError)
        return resets_.PeerReset(socket);
    return true;
}

// --- texts ---------------------------------------------------------------------------------------------------------

void TcpLink::SetLinkTexts(const std::string& pageText, const std::string& barText)
{
    view_.SetLinkText(pageText);
    host_.SetLinkStateText(barText);
}

void TcpLink::ShowListening()
{
    SetLinkTexts("Listening...", "SERVER: Listening...");
}

void TcpLink::ShowNotListening()
{
    SetLinkTexts("", "SERVER: ");
}

void TcpLink::UpdateConnectImage()
{
    view_.ShowConnected(ClientActive() || ServerMode());
}

void TcpLink::Log(const std::string& line)
{
    view_.AddStatusLine(line);
}

// --- socket events ----------------------------------------------------------------------------------------------

void TcpLink::ClientSocketConnect()
{
    resets_.Watch(ClientSocket);
    remotePort = ClientSocket->peerPort();
    const std::string peer = ToLatin1(ClientSocket->peerName()) + ":" + std::to_string(remotePort);
    SetLinkTexts("Connect to: " + peer, "CLIENT: Connect to: " + peer);
    UpdateConnectImage();
}

void TcpLink::ClientSocketDisconnect()
{
    resets_.Forget(ClientSocket);
    UpdateConnectImage();
    if (OnConnectionClosed)
        OnConnectionClosed(ClientSocket);
    if (!clientBackToListening_)
        return;
    // Back to listening when the connection ends; a server that already listens stays as it is.
    if (!listenChecked_)
        FileListenItemClick();
    else if (Listening() && !ServerMode())
        ShowListening();
}

void TcpLink::ClientSocketRead()
{
    TakeChunk(ClientSocket);
}

void TcpLink::ClientSocketError(QAbstractSocket::SocketError error)
{
    if (IsReportable(ClientSocket, error))
        view_.AddReceiveLine("Error connecting to:" + connectHost);
}

void TcpLink::ServerSocketAccept()
{
    while (QTcpSocket* connection = ServerSocket->nextPendingConnection()) {
        connections_.append(connection);
        resets_.Watch(connection);
        connect(connection, &QTcpSocket::readyRead, this, [this, connection] { ServerSocketClientRead(connection); });
        connect(connection, &QTcpSocket::disconnected, this,
                [this, connection] { ServerSocketClientDisconnect(connection); });
        connect(connection, &QTcpSocket::errorOccurred, this,
                [this, connection](QAbstractSocket::SocketError error) { ServerSocketClientError(connection, error); });
        view_.SetLocalAddress(NetText::DottedAddress(connection->localAddress()));
        remotePort = connection->peerPort();
        const std::string peer = PeerText(connection);
        SetLinkTexts("Connect to: " + peer, "SERVER: Connect to: " + peer);
        UpdateConnectImage();
    }
}

void TcpLink::ServerSocketClientDisconnect(QTcpSocket* connection)
{
    if (!connections_.removeOne(connection))
        return;
    resets_.Forget(connection);
    connection->deleteLater();
    ShowListening();
    UpdateConnectImage();
    if (OnConnectionClosed)
        OnConnectionClosed(connection);
}

void TcpLink::ServerSocketClientRead(QTcpSocket* connection)
{
    TakeChunk(connection);
}

void TcpLink::ServerSocketClientError(QTcpSocket* connection, QAbstractSocket::SocketError error)
{
    if (IsReportable(connection, error))
        view_.AddReceiveLine("Socket Error:" + connectHost + "Error Code:" + std::to_string(static_cast<int>(error)));
}

// --- reading ------------------------------------------------------------------------------------------------------

void TcpLink::TakeChunk(QTcpSocket* socket)
{
    const QByteArray data = socket->readAll();
    if (data.isEmpty())
        return;
    TcpChunk chunk;
    chunk.socket = socket;
    chunk.bytes.assign(data.constData(), static_cast<size_t>(data.size()));
    chunk.timeStamp = TrafficText::TimeStampNow();
    chunk.peer = PeerText(socket);
    chunk.arrivedMs = seenWaiting_ > 0 ? seenGrowthMs_ : NowMs();
    seenWaiting_ = 0;
    if (OnChunk)
        OnChunk(chunk);
    ShowReceived(chunk);
}

void TcpLink::ShowReceived(const TcpChunk& chunk)
{
    view_.AddReceiveLine(chunk.timeStamp + "TCP:" + chunk.peer + " : Bytes:" + std::to_string(chunk.bytes.size()));
    if (view_.ShowAllCharacters())
        view_.AddReceiveLine(chunk.timeStamp + TrafficText::RenderBytes(chunk.bytes, view_.ShowHex()));
    else
        view_.AddReceiveLine(chunk.bytes);
}

// --- sending and waiting
// ----------------------------------------------------------------------------------------------

bool TcpLink::SendOnLink(const std::string& bytes)
{
    QTcpSocket* socket = LinkSocket();
    if (!socket)
        return false;
    socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
    // The waits that follow do not run the window, so the bytes must reach the system now.
    const uint32_t start = NowMs();
    while (socket->bytesToWrite() > 0 && socket->state() == QAbstractSocket::ConnectedState &&
           static_cast<int32_t>(NowMs() - start) < timing_.TcpReplyLimitMs)
        if (!socket->flush())
            PauseBetweenPolls();
    return true;
}

void TcpLink::SendTcpCommand(const std::string& command)
{
    SendOnLink(command);
    Log("CMD:" + command);
    WaitForBytes(TcpProtocol::kCommandReplyCount, timing_.TcpReplyLimitMs);
}

void TcpLink::WaitForBytes(int count, int limitMs)
{
    ReplyWait::WaitForReply([this] { return NoteWaiting(std::max(Pending(ClientSocket), Pending(FirstConnection()))); },
                            count, limitMs);
}

void TcpLink::WaitForBytesOn(QTcpSocket* socket, int count, int limitMs)
{
    ReplyWait::WaitForReply([this, socket] { return NoteWaiting(Pending(socket)); }, count, limitMs);
}

int TcpLink::NoteWaiting(int waiting)
{
    if (waiting > seenWaiting_)
        seenGrowthMs_ = NowMs();
    seenWaiting_ = waiting;
    return waiting;
}

void TcpLink::TakeWaiting(QTcpSocket* socket)
{
    if (!socket || socket->state() != QAbstractSocket::ConnectedState)
        return;
    // What the system holds comes into the socket first; each look takes in all there is.
    for (int look = 0; look < 4 && SystemPending(socket) > 0; ++look)
        socket->waitForReadyRead(0);
    TakeChunk(socket);
}

void TcpLink::HandlePendingOnce()
{
    QCoreApplication::processEvents();
    QPointer<QTcpSocket> socket = LinkSocket();
    if (socket && SystemPending(socket) > 0)
        socket->waitForReadyRead(0);
}
