#include "cport/port/RxQueue.h"

#include <algorithm>
#include <cstring>

TRxQueue::TRxQueue(std::size_t Limit) : FLimit(Limit)
{
    FRing.resize(std::max<std::size_t>(Limit, 1));
}

void TRxQueue::Reshape(std::size_t Capacity)
{
    std::vector<char> ring(std::max<std::size_t>(Capacity, 1));
    const std::size_t n = FSize;
    const std::size_t first = std::min(n, FRing.size() - FHead);
    std::memcpy(ring.data(), FRing.data() + FHead, first);
    std::memcpy(ring.data() + first, FRing.data(), n - first);
    FRing.swap(ring);
    FHead = 0;
}

void TRxQueue::SetLimit(std::size_t Limit)
{
    FLimit = Limit;
    const std::size_t capacity = std::max(Limit, FSize);
    if (capacity != FRing.size())
        Reshape(capacity);
}

std::size_t TRxQueue::Push(const char* Data, std::size_t Count)
{
    const std::size_t n = std::min(Count, Free());
    std::size_t tail = (FHead + FSize) % FRing.size();
    const std::size_t first = std::min(n, FRing.size() - tail);
    std::memcpy(FRing.data() + tail, Data, first);
    std::memcpy(FRing.data(), Data + first, n - first);
    FSize += n;
    return n;
}

std::size_t TRxQueue::Pop(char* Out, std::size_t Count)
{
    const std::size_t n = std::min(Count, FSize);
    const std::size_t first = std::min(n, FRing.size() - FHead);
    std::memcpy(Out, FRing.data() + FHead, first);
    std::memcpy(Out + first, FRing.data(), n - first);
    FHead = (FHead + n) % FRing.size();
    FSize -= n;
    if (FSize == 0)
        FHead = 0;
    return n;
}

void TRxQueue::Clear()
{
    FHead = 0;
    FSize = 0;
    if (FRing.size() > std::max<std::size_t>(FLimit, 1))
        Reshape(FLimit);
}
