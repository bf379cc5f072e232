#include "cport/terminal/TermBuffer.h"

#include <algorithm>

void TComTermBuffer::Init(int Columns, int Rows)
{
    FColumns = std::clamp(Columns, MinColumns, MaxColumns);
    FRows = std::clamp(Rows, MinRows, MaxRows);
    Cells.assign(static_cast<std::size_t>(FColumns) * FRows, TComTermChar{});
    Tabs.assign(FColumns, false);
    for (int X = 1; X <= FColumns; X += 8)
        Tabs[X - 1] = true;
}

void TComTermBuffer::SetChar(int X, int Y, const TComTermChar& Cell)
{
    if (Contains(X, Y))
        Cells[Index(X, Y)] = Cell;
}

TComTermChar TComTermBuffer::GetChar(int X, int Y) const
{
    return Contains(X, Y) ? Cells[Index(X, Y)] : TComTermChar{};
}

void TComTermBuffer::Fill(const TComTermChar& Cell)
{
    std::fill(Cells.begin(), Cells.end(), Cell);
}

void TComTermBuffer::Clear(std::size_t From, std::size_t Count)
{
    From = std::min(From, Cells.size());
    Count = std::min(Count, Cells.size() - From);
    std::fill_n(Cells.begin() + static_cast<std::ptrdiff_t>(From), Count, TComTermChar{});
}

void TComTermBuffer::ScrollDown()
{
    if (Cells.empty())
        return;
    std::move(Cells.begin() + FColumns, Cells.end(), Cells.begin());
    Clear(Index(1, FRows), FColumns);
}

void TComTermBuffer::ScrollUp()
{
    if (Cells.empty())
        return;
    std::move_backward(Cells.begin(), Cells.end() - FColumns, Cells.end());
    Clear(0, FColumns);
}

void TComTermBuffer::EraseLine(int X, int Y)
{
    if (!Contains(X, Y))
        return;
    Clear(Index(X, Y), FColumns - X + 1);
}

void TComTermBuffer::EraseScreen(int X, int Y)
{
    if (!Contains(X, Y))
        return;
    Clear(Index(X, Y), Cells.size());
}

bool TComTermBuffer::GetTab(int X) const
{
    return X >= 1 && X <= FColumns && Tabs[X - 1];
}

void TComTermBuffer::SetTab(int X, bool Flag)
{
    if (X >= 1 && X <= FColumns)
        Tabs[X - 1] = Flag;
}

int TComTermBuffer::NextTab(int X) const
{
    for (int Column = std::max(X, 1); Column <= FColumns; ++Column)
        if (Tabs[Column - 1])
            return Column;
    return 0;
}

void TComTermBuffer::ClearAllTabs()
{
    std::fill(Tabs.begin(), Tabs.end(), false);
}

int TComTermBuffer::GetLineLength(int Y) const
{
    if (Y < 1 || Y > FRows)
        return 0;
    for (int X = FColumns; X >= 1; --X)
        if (Cells[Index(X, Y)].Ch != 0)
            return X;
    return 0;
}

int TComTermBuffer::GetLastLine() const
{
    for (int Y = FRows; Y >= 1; --Y)
        if (GetLineLength(Y) > 0)
            return Y;
    return 0;
}
