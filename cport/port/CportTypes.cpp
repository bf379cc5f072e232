#include "cport/port/CportTypes.h"

#include <iterator>

namespace
{
// Flag of each event, by ordinal.
constexpr std::uint32_t EventFlags[] = {0x0001, 0x0004, 0x0002, 0x0100, 0x0040, 0x0008, 0x0010, 0x0080, 0x0020, 0x0400};
} // namespace

std::uint32_t ComEventsToMask(TComEvents Events)
{
    std::uint32_t mask = 0;
    for (int i = 0; i < int(std::size(EventFlags)); ++i)
        if (Events.Contains(TComEvent(i)))
            mask |= EventFlags[i];
    return mask;
}

TComEvents MaskToComEvents(std::uint32_t Mask)
{
    TComEvents events;
    for (int i = 0; i < int(std::size(EventFlags)); ++i)
        if (Mask & EventFlags[i])
            events.Include(TComEvent(i));
    return events;
}
