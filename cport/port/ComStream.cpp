#include "cport/port/ComStream.h"

#include "cport/port/Cport.h"

int TComStream::Read(void* Buffer, int Count)
{
    return FComPort->Read(Buffer, Count);
}

int TComStream::Write(const void* Buffer, int Count)
{
    return FComPort->Write(Buffer, Count);
}

std::int64_t TComStream::Seek(std::int64_t, int)
{
    return 0;
}
