#include "cport/port/ComNotify.h"

#include "cport/port/Cport.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace
{
using TWatchers = std::vector<std::pair<const void*, std::function<void()>>>;

std::map<const TCustomComPort*, TWatchers>& Registry()
{
    static std::map<const TCustomComPort*, TWatchers> Map;
    return Map;
}

TWatchers::iterator FindWho(TWatchers& List, const void* Who)
{
    return std::find_if(List.begin(), List.end(), [Who](const auto& w) { return w.first == Who; });
}
} // namespace

void ComFreeNotification(const TCustomComPort* Port, const void* Who, std::function<void()> Gone)
{
    if (!Port)
        return;
    TWatchers& List = Registry()[Port];
    auto it = FindWho(List, Who);
    if (it != List.end())
        it->second = std::move(Gone);
    else
        List.emplace_back(Who, std::move(Gone));
}

void ComRemoveFreeNotification(const TCustomComPort* Port, const void* Who)
{
    auto& Map = Registry();
    auto entry = Map.find(Port);
    if (entry == Map.end())
        return;
    auto it = FindWho(entry->second, Who);
    if (it != entry->second.end())
        entry->second.erase(it);
    if (entry->second.empty())
        Map.erase(entry);
}

void ComPortGone(const TCustomComPort* Port)
{
    // One watcher at a time, taken off the list before it runs: a watcher may remove itself or others.
    for (;;) {
        auto& Map = Registry();
        auto entry = Map.find(Port);
        if (entry == Map.end())
            return;
        if (entry->second.empty()) {
            Map.erase(entry);
            return;
        }
        std::function<void()> Gone = std::move(entry->second.front().second);
        entry->second.erase(entry->second.begin());
        if (Gone)
            Gone();
    }
}

bool TComLinkBinding::Bind(TCustomComPort* Port, std::function<void()> Gone)
{
    if (Port == FPort)
        return false;
    Unbind();
    if (!Port)
        return true;
    Port->RegisterLink(&Link);
    FPort = Port;
    ComFreeNotification(Port, this, std::move(Gone));
    return true;
}

void TComLinkBinding::Unbind()
{
    TCustomComPort* Old = FPort;
    if (!Old)
        return;
    FPort = nullptr;
    ComRemoveFreeNotification(Old, this);
    Old->UnRegisterLink(&Link);
}
