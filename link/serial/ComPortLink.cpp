#include "link/serial/ComPortLink.h"

#include "cport/port/Cport.h"
#include "platform/Clock.h"

#include <cstdint>

bool ComPortLink::Connected() const
{
    return port_.Connected();
}

int ComPortLink::InputCount()
{
    return port_.InputCount();
}

void ComPortLink::ClearBuffer(bool input, bool output)
{
    port_.ClearBuffer(input, output);
}

int ComPortLink::WriteStr(const std::string& bytes)
{
    return port_.WriteStr(bytes);
}

int ComPortLink::ReadStr(std::string& bytes, int count)
{
    return port_.ReadStr(bytes, count);
}

void ComPortLink::DrainOutput(int stallLimitMs)
{
    // The port's own queue and the driver's both count; the line empties them at its own pace.
    int queued = port_.OutputCount();
    uint32_t lastProgress = NowMs();
    while (queued > 0 && static_cast<int32_t>(NowMs() - lastProgress) < stallLimitMs) {
        PauseBetweenPolls();
        const int now = port_.OutputCount();
        if (now < queued)
            lastProgress = NowMs();
        queued = now;
    }
}
