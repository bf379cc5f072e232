#include "link/net/ResetWatch.h"

#include <QTcpSocket>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

ResetWatch::~ResetWatch()
{
    for (const auto& [socket, descriptor] : descriptors_)
        close(descriptor);
}

void ResetWatch::Watch(const QTcpSocket* socket)
{
    Forget(socket);
    const qintptr descriptor = socket->socketDescriptor();
    const int copy = descriptor < 0 ? -1 : dup(static_cast<int>(descriptor));
    if (copy >= 0)
        descriptors_[socket] = copy;
}

bool ResetWatch::PeerReset(const QTcpSocket* socket) const
{
    const auto found = descriptors_.find(socket);
    if (found == descriptors_.end())
        return false;
    // A close by the peer leaves the socket waiting for this side's own close; a reset, or a connection the
    // system gave up, leaves it closed already.
    tcp_info info{};
    socklen_t length = sizeof info;
    return getsockopt(found->second, IPPROTO_TCP, TCP_INFO, &info, &length) == 0 && info.tcpi_state == TCP_CLOSE;
}

void ResetWatch::Forget(const QTcpSocket* socket)
{
    const auto found = descriptors_.find(socket);
    if (found == descriptors_.end())
        return;
    close(found->second);
    descriptors_.erase(found);
}
