#pragma once

#include <map>

class QTcpSocket;

// Tells a connection that the peer reset from one it closed. Qt reads both ends alike ("remote host closed") and
// closes its descriptor before it reports either, so a second descriptor of each watched connection keeps the
// system's socket, and with it the way the connection ended, until the connection is forgotten. Forgetting a
// connection lets the system finish closing it. Window thread only.
class ResetWatch
{
  public:
    ResetWatch() = default;
    ~ResetWatch();
    ResetWatch(const ResetWatch&) = delete;
    ResetWatch& operator=(const ResetWatch&) = delete;

    // From the moment the connection is made.
    void Watch(const QTcpSocket* socket);
    // The peer reset the connection, or it broke without a close (false for a connection not watched).
    bool PeerReset(const QTcpSocket* socket) const;
    void Forget(const QTcpSocket* socket);

  private:
    std::map<const QTcpSocket*, int> descriptors_;
};
