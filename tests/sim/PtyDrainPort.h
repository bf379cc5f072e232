#pragma once

#include "link/serial/ComPortLink.h"
#include "platform/Clock.h"
#include "sim/SimPty.h"

#include <algorithm>
#include <cstdint>
#include <string>

// A pseudo-terminal reports no transmit queue, and a purge drops what the kernel has not yet handed to the
// other side. Drained here means what a drained UART means: the unit has every byte written.
class PtyDrainPort : public ComPortLink
{
  public:
    PtyDrainPort(TCustomComPort& port, SimPty& sim) : ComPortLink(port), sim_(sim) {}
    int WriteStr(const std::string& bytes) override
    {
        int n = ComPortLink::WriteStr(bytes);
        written_ += static_cast<uint64_t>(std::max(n, 0));
        return n;
    }
    void DrainOutput(int stallLimitMs) override
    {
        ComPortLink::DrainOutput(stallLimitMs);
        for (int waited = 0; sim_.BytesReceived() < written_ && waited < stallLimitMs; ++waited)
            PauseBetweenPolls();
    }

  private:
    SimPty& sim_;
    uint64_t written_ = 0;
};
