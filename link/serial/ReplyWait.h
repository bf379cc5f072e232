#pragma once

#include <functional>

class LinkPort;

// The two waits for the unit's bytes. Neither runs the window nor reads the port: they look at the receive
// count about once a millisecond and sleep in between, so no core is spun.
namespace ReplyWait
{

// Until count bytes are waiting or limitMs have passed.
void WaitForReply(LinkPort& port, int count, int limitMs);
// The same for any receive count (the sockets of the TCP link).
void WaitForReply(const std::function<int()>& waiting, int count, int limitMs);

// Until imageSize + 8 bytes (image, checksum, tail) are waiting, or idleLimitMs pass without a new byte.
// onProgress gets the receive count whenever it grows.
void WaitForImageData(LinkPort& port, int imageSize, int idleLimitMs, const std::function<void(int)>& onProgress);

} // namespace ReplyWait
