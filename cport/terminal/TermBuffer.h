#pragma once

#include <cstdint>
#include <vector>

// 0xRRGGBB
using TTermColor = std::uint32_t;

// One character cell of the terminal; an all-zero cell is empty (nothing drawn, saved as a space).
struct TComTermChar {
    unsigned char Ch = 0;
    TTermColor FrontColor = 0;
    TTermColor BackColor = 0;
    bool Underline = false;

    bool operator==(const TComTermChar&) const = default;
};

// The terminal's grid of cells and its tab stops. Positions are 1-based (column X, row Y).
// Every operation checks its positions: a cell outside the grid is never read or written.
class TComTermBuffer
{
  public:
    static constexpr int MinColumns = 2;
    static constexpr int MaxColumns = 256;
    static constexpr int MinRows = 2;
    static constexpr int MaxRows = 100;

    // Empties the grid at the given size (limited to the bounds above) with a tab stop every eighth column from 1.
    void Init(int Columns, int Rows);

    int Columns() const { return FColumns; }
    int Rows() const { return FRows; }
    bool Contains(int X, int Y) const { return X >= 1 && X <= FColumns && Y >= 1 && Y <= FRows; }

    void SetChar(int X, int Y, const TComTermChar& Cell);
    TComTermChar GetChar(int X, int Y) const;
    void Fill(const TComTermChar& Cell);

    // Text moves up one row; the last row is emptied.
    void ScrollDown();
    // Text moves down one row; the first row is emptied.
    void ScrollUp();
    // Empties from (X, Y) to the end of row Y.
    void EraseLine(int X, int Y);
    // Empties from (X, Y) to the end of the grid.
    void EraseScreen(int X, int Y);

    bool GetTab(int X) const;
    void SetTab(int X, bool Flag);
    // The first column >= X that has a tab stop; 0 when there is none.
    int NextTab(int X) const;
    void ClearAllTabs();

    // The highest column of row Y holding a character; 0 for an empty row.
    int GetLineLength(int Y) const;
    // The highest row holding a character; 0 for an empty grid.
    int GetLastLine() const;

  private:
    std::size_t Index(int X, int Y) const { return static_cast<std::size_t>(Y - 1) * FColumns + (X - 1); }
    void Clear(std::size_t From, std::size_t Count);

    int FColumns = 0;
    int FRows = 0;
    std::vector<TComTermChar> Cells;
    std::vector<bool> Tabs;
};
