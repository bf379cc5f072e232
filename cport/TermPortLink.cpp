#include "cport/TermPortLink.h"

#include <algorithm>

TermPortLink::~TermPortLink()
{
    const auto Gone = std::move(Watchers);
    for (const auto& [Who, Notify] : Gone)
        Notify();
}

void TermPortLink::FreeNotification(const void* Who, std::function<void()> Gone)
{
    RemoveFreeNotification(Who);
    Watchers.emplace_back(Who, std::move(Gone));
}

void TermPortLink::RemoveFreeNotification(const void* Who)
{
    std::erase_if(Watchers, [Who](const auto& Entry) { return Entry.first == Who; });
}
