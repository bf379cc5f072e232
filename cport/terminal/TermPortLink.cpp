#include "cport/terminal/TermPortLink.h"

#include <algorithm>

TermPortLink::~TermPortLink()
{
    Notify(false);
}

void TermPortLink::Notify(bool Whole)
{
    const auto Gone = std::move(Watchers);
    Watchers.clear();
    for (const auto& [Who, Tell] : Gone)
        Tell(Whole);
}

void TermPortLink::FreeNotification(const void* Who, std::function<void(bool Whole)> Gone)
{
    RemoveFreeNotification(Who);
    Watchers.emplace_back(Who, std::move(Gone));
}

void TermPortLink::RemoveFreeNotification(const void* Who)
{
    std::erase_if(Watchers, [Who](const auto& Entry) { return Entry.first == Who; });
}
