#pragma once

#include "link/net/ResetWatch.h"

#include <QAbstractSocket>
#include <QHostAddress>
#include <QList>
#include <QObject>

#include <cstdint>
#include <functional>
#include <string>

class QTcpServer;
class QTcpSocket;
class ServerView;
class TcpHost;
class UdpMonitor;
struct LinkTiming;

// One socket read: the bytes, the connection they came on, and how the Server page names them.
struct TcpChunk {
    QTcpSocket* socket = nullptr;
    std::string bytes;
    std::string timeStamp;  // "TS:hh:mm:ss.cc  : " when the bytes were taken
    std::string peer;       // peer address ":" peer port
    uint32_t arrivedMs = 0; // when the last of the bytes came in, as far as the link saw it
};

// The TCP link to a unit: a client connection the tool makes (ClientSocket) and a listening server a unit
// connects in to (ServerSocket, with its accepted connections). Commands go to the unit's connection in to
// the server while there is one, else to the client connection. Every read is handed to the transfer (when
// one is set) and then shown in the receive field Memo3. The page is read and shown through ServerView.
// Window thread only; sockets run on Qt's events.
class TcpLink : public QObject
{
    Q_OBJECT
  public:
    TcpLink(ServerView& view, TcpHost& host, UdpMonitor& udp, const LinkTiming& timing);
    ~TcpLink() override;

    // --- menu items and buttons --------------------------------------------------------------------------
    // Connect (menu item and ToolButton7): asks for the unit's address and connects to it on ClientPortEdit.
    void FileConnectItemClick();
    // Listen on/off: the server on ServerPortEdit (also the UDP monitor's local port), or closed.
    void FileListenItemClick();
    // Both sockets closed, then listening again on the server's last port.
    void Disconnect1Click();
    // The Server page gets or loses the focus: the serial transfer buttons are off while it has it.
    void TabSheet11Enter();
    void TabSheet11Exit();
    // Shut-down: the server (with the unit's connection) and the client closed, nothing reopened.
    void CloseSockets();

    // --- sending and waiting ---------------------------------------------------------------------------------
    // Sends the command unchanged on the link in use, logs it in Memo2 and waits, without running the
    // window, until a reply of 30 bytes waits or the command's time limit has passed. The reply stays
    // waiting for the read event.
    void SendTcpCommand(const std::string& command);
    // Sends bytes unchanged on the link in use and pushes them out at once; false (nothing sent) without one.
    bool SendOnLink(const std::string& bytes);
    // Waits, without running the window, until count bytes wait on the client or on the unit's connection,
    // or limitMs have passed.
    void WaitForBytes(int count, int limitMs);
    // The same on one connection only.
    void WaitForBytesOn(QTcpSocket* socket, int count, int limitMs);
    // Takes in at once what already waits on the connection; each read is handed on and shown like any other.
    void TakeWaiting(QTcpSocket* socket);
    // Lets the window handle what is pending once; a reply already waiting on the link is read then, even
    // when the system has not yet signalled it.
    void HandlePendingOnce();
    // Bytes waiting on a connection: what the socket took in plus what the system holds; 0 when closed.
    static int Pending(QTcpSocket* socket);

    // --- state -------------------------------------------------------------------------------------------------
    bool ClientActive() const; // the client connection is made
    bool ServerMode() const;   // a unit is connected in to the server
    bool Listening() const;
    // The connection commands go to: the unit's connection in, else the client when connected; else null.
    QTcpSocket* LinkSocket() const;
    QTcpSocket* FirstConnection() const;
    int ServerPort() const { return serverPort_; }
    ServerView& View() const { return view_; }

    std::string connectHost; // the address typed for the client connection, offered again next time
    int remotePort = 0;      // peer port of the last connection made (client connect or accept)
    // Where the server listens; IPv4 so that addresses show dotted.
    QHostAddress ListenAddress = QHostAddress(QHostAddress::AnyIPv4);

    // Each read, before it is shown; and each connection that ends. Set by the image transfer.
    std::function<void(const TcpChunk&)> OnChunk;
    std::function<void(QTcpSocket*)> OnConnectionClosed;

  private:
    void ClientSocketConnect();
    void ClientSocketDisconnect();
    void ClientSocketRead();
    void ClientSocketError(QAbstractSocket::SocketError error);
    void ServerSocketAccept();
    void ServerSocketClientDisconnect(QTcpSocket* connection);
    void ServerSocketClientRead(QTcpSocket* connection);
    void ServerSocketClientError(QTcpSocket* connection, QAbstractSocket::SocketError error);

    void TakeChunk(QTcpSocket* socket);
    // A wait's look at the bytes waiting: notes when they last grew, as a read taken after the wait came in then.
    int NoteWaiting(int waiting);
    void ShowReceived(const TcpChunk& chunk);
    void SetLinkTexts(const std::string& pageText, const std::string& barText);
    void ShowListening();
    void ShowNotListening();
    bool StartServer(int port);
    // Closes the client connection; its disconnect handler runs only when it was made and backToListening.
    void CloseClient(bool backToListening);
    void CloseServer();
    // A peer's close is no fault, a reset is; a wait on a connection that found nothing is none either, an
    // attempt to connect that ran out of time is one.
    bool IsReportable(const QTcpSocket* socket, QAbstractSocket::SocketError error) const;
    void UpdateConnectImage();
    bool PortFromText(const std::string& text, int& port);
    void SetListenChecked(bool checked);
    void Log(const std::string& line);

    ServerView& view_;
    TcpHost& host_;
    UdpMonitor& udp_;
    const LinkTiming& timing_;
    QTcpSocket* ClientSocket = nullptr;
    QTcpServer* ServerSocket = nullptr;
    QList<QTcpSocket*> connections_; // accepted, oldest first
    ResetWatch resets_;              // the client connection and the accepted ones, while they are open
    int serverPort_ = 2050;
    bool listenChecked_ = false;
    bool clientBackToListening_ = true;
    int seenWaiting_ = 0;
    uint32_t seenGrowthMs_ = 0;
};
