#include "link/net/ServerLink.h"

#include "link/net/ServerView.h"
#include "link/net/TcpHost.h"

#include <exception>

namespace
{
// No exception may cross the event loop: one that escapes a click shows as a message instead.
template <typename Handler> std::function<void()> Guarded(TcpHost& host, Handler handler)
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

ServerLink::ServerLink(ServerView& view, LinkHost& host, TcpHost& tcpHost, ImageStore& store, LinkBusy& busy,
                       const ServerBinding& binding)
    : view_(view), Udp(view, tcpHost, binding.UdpPort, binding.Address), Tcp(view, tcpHost, Udp, Timing),
      Transfer(Tcp, host, store, Timing, busy), Terminal(view, Tcp)
{
    Tcp.ListenAddress = binding.Address;
    ServerRequests requests;
    requests.Connect = Guarded(tcpHost, [this] { Tcp.FileConnectItemClick(); });
    requests.ReadImage = Guarded(tcpHost, [this] { Transfer.ReadButtonTCPClick(); });
    requests.WriteImage = Guarded(tcpHost, [this] { Transfer.WriteButtonTCPClick(); });
    requests.SendUdp = Guarded(tcpHost, [this] { Udp.SendUDPButtonClick(); });
    requests.StatusKeyDown = [this](int key) { Terminal.Memo2KeyDown(key); };
    view.Bind(requests);
}

ServerLink::ServerLink(ServerView& view, LinkHost& host, TcpHost& tcpHost, ImageStore& store,
                       const ServerBinding& binding)
    : ServerLink(view, host, tcpHost, store, ownBusy_, binding)
{
}

ServerLink::~ServerLink()
{
    view_.Bind({});
}
