#include "link/net/ServerLink.h"

#include "link/ui/ServerPage.h"
#include "link/net/TcpHost.h"

#include <QToolButton>

#include <exception>

namespace
{
// No exception may cross the event loop: one that escapes a click shows as a message instead.
template <typename Handler> auto Guarded(TcpHost& host, Handler handler)
{
    return [&host, handler] {
        try {
            handler();
        } catch (const std::exception& e) {
            host.ShowMessage(e.what());
        }
    };
}
} // namespace

ServerLink::ServerLink(ServerPage& page, LinkHost& host, TcpHost& tcpHost, ImageStore& store,
                       const ServerBinding& binding)
    : Udp(page, tcpHost, binding.UdpPort, binding.Address), Tcp(page, tcpHost, Udp, Timing),
      Transfer(Tcp, host, store, Timing), Terminal(page, Tcp)
{
    Tcp.ListenAddress = binding.Address;
    QObject::connect(page.ToolButton7, &QToolButton::clicked, &Tcp,
                     Guarded(tcpHost, [this] { Tcp.FileConnectItemClick(); }));
    QObject::connect(page.ReadButtonTCP, &QToolButton::clicked, &Transfer,
                     Guarded(tcpHost, [this] { Transfer.ReadButtonTCPClick(); }));
    QObject::connect(page.WriteButtonTCP, &QToolButton::clicked, &Transfer,
                     Guarded(tcpHost, [this] { Transfer.WriteButtonTCPClick(); }));
    QObject::connect(page.SendUDPButton, &QToolButton::clicked, &Udp,
                     Guarded(tcpHost, [this] { Udp.SendUDPButtonClick(); }));
}
