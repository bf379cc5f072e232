#include "link/protocol/BusyGuard.h"

#include "link/protocol/Protocol.h"

#include <string_view>

bool LinkBusy::PortBusy() const
{
    return Busy() && std::string_view(holder_) != kTcpTransferHold;
}

std::string BusyScope::Refusal()
{
    return Msg::kLinkBusy;
}
