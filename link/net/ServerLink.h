#pragma once

#include "link/net/TcpLink.h"
#include "link/net/TcpTerminal.h"
#include "link/net/TcpTransfer.h"
#include "link/net/UdpMonitor.h"
#include "link/protocol/BusyGuard.h"
#include "link/protocol/Timing.h"

#include <QHostAddress>

class ImageStore;
class LinkHost;
class ServerView;
class TcpHost;

// Where the link's sockets bind: the whole machine in the tool; loopback and free ports in tests.
struct ServerBinding {
    QHostAddress Address = QHostAddress(QHostAddress::AnyIPv4);
    int UdpPort = 2050; // the UDP monitor's port until the user listens or sends
};

// Everything behind the "Server" page, as the main window holds it: the UDP monitor, the TCP link, the TCP
// image transfer and the TCP terminal, bound to the page's buttons. The main window hosts the page on its
// "Server" tab and calls the menu handlers of the link.
class ServerLink
{
  public:
    // The transfer takes busy, the guard the serial link takes too.
    ServerLink(ServerView& view, LinkHost& host, TcpHost& tcpHost, ImageStore& store, LinkBusy& busy,
               const ServerBinding& binding = {});
    // A link on its own guards itself.
    ServerLink(ServerView& view, LinkHost& host, TcpHost& tcpHost, ImageStore& store,
               const ServerBinding& binding = {});
    ~ServerLink();
    ServerLink(const ServerLink&) = delete;
    ServerLink& operator=(const ServerLink&) = delete;

  private:
    ServerView& view_;
    LinkBusy ownBusy_;

  public:
    LinkTiming Timing; // may be replaced while no transfer runs
    UdpMonitor Udp;
    TcpLink Tcp;
    TcpTransfer Transfer;
    TcpTerminal Terminal;
};
