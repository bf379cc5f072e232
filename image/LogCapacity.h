#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// How many log records fit above the configuration area when n channels (1..16) are enabled.
class TLogCapacity
{
  public:
    TLogCapacity() { FillLogCapacityTable(); }

    // Entry n (1..16); 0 for n outside the table.
    uint16_t operator[](int n) const { return n >= 1 && n <= 16 ? entries_[static_cast<size_t>(n - 1)] : 0; }

    // All 16 entries: 61696 div (5 + 4n), the log area divided by the record size.
    void FillLogCapacityTable();
    // Entries 1..7 to 0 (only the configuration area is read); entries 8..16 stay.
    void ClearLogCapacityTable();

  private:
    std::array<uint16_t, 16> entries_{};
};
