#include "cport/TermBuffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

TComTermChar Letter(char Ch)
{
    return TComTermChar{static_cast<unsigned char>(Ch), 0xFFFFFF, 0x000080, false};
}

// Row Y as text, an empty cell as '.'.
std::string RowText(const TComTermBuffer& Buffer, int Y)
{
    std::string Text;
    for (int X = 1; X <= Buffer.Columns(); ++X) {
        const unsigned char Ch = Buffer.GetChar(X, Y).Ch;
        Text.push_back(Ch ? static_cast<char>(Ch) : '.');
    }
    return Text;
}

// A small buffer whose rows read "aaaa", "bbbb", "cccc".
TComTermBuffer Lettered()
{
    TComTermBuffer Buffer;
    Buffer.Init(4, 3);
    for (int Y = 1; Y <= 3; ++Y)
        for (int X = 1; X <= 4; ++X)
            Buffer.SetChar(X, Y, Letter(static_cast<char>('a' + Y - 1)));
    return Buffer;
}

} // namespace

TEST(TermBuffer, InitSetsATabStopEveryEighthColumn)
{
    TComTermBuffer Buffer;
    Buffer.Init(80, 24);
    std::vector<int> Stops;
    for (int X = 1; X <= 80; ++X)
        if (Buffer.GetTab(X))
            Stops.push_back(X);
    EXPECT_EQ(Stops, (std::vector<int>{1, 9, 17, 25, 33, 41, 49, 57, 65, 73}));
    EXPECT_EQ(Buffer.NextTab(2), 9);
    EXPECT_EQ(Buffer.NextTab(9), 9);
    EXPECT_EQ(Buffer.NextTab(74), 0);
    EXPECT_EQ(Buffer.GetLastLine(), 0);
}

TEST(TermBuffer, TabStopsCanBeSetAndCleared)
{
    TComTermBuffer Buffer;
    Buffer.Init(20, 2);
    Buffer.ClearAllTabs();
    EXPECT_EQ(Buffer.NextTab(1), 0);
    Buffer.SetTab(5, true);
    Buffer.SetTab(0, true);  // outside: ignored
    Buffer.SetTab(21, true); // outside: ignored
    EXPECT_EQ(Buffer.NextTab(1), 5);
    EXPECT_EQ(Buffer.NextTab(6), 0);
    Buffer.SetTab(5, false);
    EXPECT_EQ(Buffer.NextTab(1), 0);
}

TEST(TermBuffer, SizeIsLimited)
{
    struct Case {
        int Columns, Rows, WantColumns, WantRows;
    };
    for (const Case& C : {Case{1000, 1, 256, 2}, Case{-5, 500, 2, 100}, Case{132, 24, 132, 24}, Case{1, 0, 2, 2}}) {
        TComTermBuffer Buffer;
        Buffer.Init(C.Columns, C.Rows);
        EXPECT_EQ(Buffer.Columns(), C.WantColumns) << C.Columns;
        EXPECT_EQ(Buffer.Rows(), C.WantRows) << C.Rows;
    }
}

TEST(TermBuffer, PositionsOutsideTheGridAreNeverTouched)
{
    TComTermBuffer Buffer = Lettered();
    for (auto [X, Y] : {std::pair{0, 1}, {5, 1}, {1, 0}, {1, 4}, {-1, -1}, {1000, 1000}})
        Buffer.SetChar(X, Y, Letter('Z'));
    Buffer.EraseLine(5, 1);
    Buffer.EraseLine(1, 4);
    Buffer.EraseScreen(0, 2);
    Buffer.EraseScreen(1, 99);
    EXPECT_EQ(RowText(Buffer, 1), "aaaa");
    EXPECT_EQ(RowText(Buffer, 2), "bbbb");
    EXPECT_EQ(RowText(Buffer, 3), "cccc");
    EXPECT_EQ(Buffer.GetChar(0, 1), TComTermChar{});
    EXPECT_EQ(Buffer.GetChar(1, 4), TComTermChar{});
    EXPECT_EQ(Buffer.GetLineLength(0), 0);
    EXPECT_EQ(Buffer.GetLineLength(4), 0);
}

TEST(TermBuffer, CellsKeepTheirAttributes)
{
    TComTermBuffer Buffer;
    Buffer.Init(10, 5);
    const TComTermChar Cell{'x', 0x123456, 0x654321, true};
    Buffer.SetChar(10, 5, Cell);
    EXPECT_EQ(Buffer.GetChar(10, 5), Cell);
}

TEST(TermBuffer, LineLengthIgnoresEmptyCellsInsideARow)
{
    TComTermBuffer Buffer;
    Buffer.Init(80, 24);
    Buffer.SetChar(3, 7, Letter('a'));
    Buffer.SetChar(10, 7, Letter('b'));
    EXPECT_EQ(Buffer.GetLineLength(7), 10);
    EXPECT_EQ(Buffer.GetLineLength(6), 0);
    EXPECT_EQ(Buffer.GetLastLine(), 7);
}

TEST(TermBuffer, ScrollDownDropsTheFirstRow)
{
    TComTermBuffer Buffer = Lettered();
    Buffer.ScrollDown();
    EXPECT_EQ(RowText(Buffer, 1), "bbbb");
    EXPECT_EQ(RowText(Buffer, 2), "cccc");
    EXPECT_EQ(RowText(Buffer, 3), "....");
}

TEST(TermBuffer, ScrollUpDropsTheLastRow)
{
    TComTermBuffer Buffer = Lettered();
    Buffer.ScrollUp();
    EXPECT_EQ(RowText(Buffer, 1), "....");
    EXPECT_EQ(RowText(Buffer, 2), "aaaa");
    EXPECT_EQ(RowText(Buffer, 3), "bbbb");
}

TEST(TermBuffer, EraseLineEmptiesToTheEndOfTheRowOnly)
{
    TComTermBuffer Buffer = Lettered();
    Buffer.EraseLine(3, 2);
    EXPECT_EQ(RowText(Buffer, 1), "aaaa");
    EXPECT_EQ(RowText(Buffer, 2), "bb..");
    EXPECT_EQ(RowText(Buffer, 3), "cccc");
}

TEST(TermBuffer, EraseScreenEmptiesToTheEndOfTheGrid)
{
    TComTermBuffer Buffer = Lettered();
    Buffer.EraseScreen(2, 2);
    EXPECT_EQ(RowText(Buffer, 1), "aaaa");
    EXPECT_EQ(RowText(Buffer, 2), "b...");
    EXPECT_EQ(RowText(Buffer, 3), "....");
    Buffer.EraseScreen(1, 1);
    EXPECT_EQ(Buffer.GetLastLine(), 0);
}
