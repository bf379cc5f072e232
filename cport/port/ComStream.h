#pragma once

#include <cstdint>

class TCustomComPort;

// A port seen as a stream without a position: reads and writes go straight to the port.
class TComStream
{
  public:
    explicit TComStream(TCustomComPort* Port) : FComPort(Port) {}

    // The bytes the port actually moved.
    int Read(void* Buffer, int Count);
    int Write(const void* Buffer, int Count);
    std::int64_t Seek(std::int64_t Offset, int Origin);

  private:
    TCustomComPort* FComPort;
};
