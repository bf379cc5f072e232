#include "image/LogCapacity.h"

void TLogCapacity::FillLogCapacityTable()
{
    constexpr int kLogAreaBytes = 61696;
    for (int n = 1; n <= 16; ++n)
        entries_[static_cast<size_t>(n - 1)] = static_cast<uint16_t>(kLogAreaBytes / (5 + 4 * n));
}

void TLogCapacity::ClearLogCapacityTable()
{
    for (int n = 1; n <= 7; ++n)
        entries_[static_cast<size_t>(n - 1)] = 0;
}
