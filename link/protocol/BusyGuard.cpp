#include "link/protocol/BusyGuard.h"

#include "link/protocol/Protocol.h"

std::string BusyScope::Refusal()
{
    return Msg::kLinkBusy;
}
