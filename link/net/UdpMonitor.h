#pragma once

#include <QHostAddress>
#include <QObject>

#include <string>

class QUdpSocket;
class ServerView;
class TcpHost;

// The UDP text monitor of the Server page (NMUDP1): sends one datagram of text to any address and port, and
// shows every datagram that reaches its local port in the receive field Memo3, with a time stamp, the
// sender and the byte count. Datagrams of 650 bytes or more are not shown. Window thread only.
class UdpMonitor : public QObject
{
    Q_OBJECT
  public:
    static constexpr int kReceiveBufferSize = 650;

    // Binds at once to localPort on bindAddress (the tool's design port is 2050).
    UdpMonitor(ServerView& view, TcpHost& host, int localPort = 2050,
               const QHostAddress& bindAddress = QHostAddress(QHostAddress::AnyIPv4));

    // LocalPort := port: the socket is closed and bound anew to that port.
    void SetLocalPort(int port);
    int LocalPort() const { return localPort_; }

    // Send UDP: the text of UDPstringEdit (and a CR with Append_CR) to UDPIPEdit:UDPportEdit, from the local
    // port ServerPortEdit.
    void SendUDPButtonClick();

  private:
    void NMUDP1DataReceived();
    void NMUDP1DataSend(const std::string& remoteHost, int remotePort, const std::string& text);
    void NMUDP1Status(const std::string& text);
    // Asks for a host that can be found; false when cancelled.
    bool NMUDP1InvalidHost(std::string& remoteHost);
    bool Resolve(std::string& remoteHost, QHostAddress& address);
    void ShowDatagram(const std::string& data, const QHostAddress& from, quint16 port);

    ServerView& view_;
    TcpHost& host_;
    QHostAddress bindAddress_;
    QUdpSocket* NMUDP1 = nullptr;
    int localPort_ = 0;
};
