#include "link/serial/ReplyWait.h"

#include "link/protocol/Protocol.h"
#include "link/serial/LinkPort.h"
#include "platform/Clock.h"

#include <cstdint>

namespace ReplyWait
{
namespace
{
// Elapsed milliseconds as a signed difference, so a wrap of the 32-bit clock does no harm.
int32_t Since(uint32_t start)
{
    return static_cast<int32_t>(NowMs() - start);
}
} // namespace

void WaitForReply(LinkPort& port, int count, int limitMs)
{
    WaitForReply([&port] { return port.InputCount(); }, count, limitMs);
}

void WaitForReply(const std::function<int()>& waiting, int count, int limitMs)
{
    const uint32_t start = NowMs();
    while (waiting() < count && Since(start) < limitMs)
        PauseBetweenPolls();
}

void WaitForImageData(LinkPort& port, int imageSize, int idleLimitMs, const std::function<void(int)>& onProgress)
{
    const int full = imageSize + Protocol::kChecksumSize + Protocol::kReadTailSize;
    uint32_t lastGrowth = NowMs();
    int largest = 0;
    for (;;) {
        const int waiting = port.InputCount();
        if (waiting > largest) {
            largest = waiting;
            lastGrowth = NowMs();
            if (onProgress)
                onProgress(waiting);
        }
        if (waiting >= full || Since(lastGrowth) >= idleLimitMs)
            return;
        PauseBetweenPolls();
    }
}

} // namespace ReplyWait
