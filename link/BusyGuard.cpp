#include "link/BusyGuard.h"

#include "link/Protocol.h"

std::string BusyScope::Refusal()
{
    return Msg::kLinkBusy;
}
