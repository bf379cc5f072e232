#pragma once

#include <cstddef>
#include <vector>

// The port's receive queue: a ring of bytes with a limit (the input buffer size). Lowering the limit below
// what is queued keeps the bytes; the queue just takes nothing more until it has been read down.
class TRxQueue
{
  public:
    explicit TRxQueue(std::size_t Limit = 1024);

    void SetLimit(std::size_t Limit);
    std::size_t Limit() const { return FLimit; }
    std::size_t Size() const { return FSize; }
    std::size_t Free() const { return FSize >= FLimit ? 0 : FLimit - FSize; }

    // Appends up to Free() bytes; returns how many were taken.
    std::size_t Push(const char* Data, std::size_t Count);
    // Moves up to Count bytes out, oldest first; returns how many.
    std::size_t Pop(char* Out, std::size_t Count);
    void Clear();

  private:
    void Reshape(std::size_t Capacity);

    std::vector<char> FRing;
    std::size_t FHead = 0;
    std::size_t FSize = 0;
    std::size_t FLimit;
};
