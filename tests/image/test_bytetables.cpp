#include "image/ByteTables.h"
#include "image/ImageStore.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace ByteTables;

TEST(ByteTables, AddressMappingAtTheEdges)
{
    struct Case {
        int address, col, row;
    };
    for (Case c : {Case{0, 1, 1}, Case{19, 20, 1}, Case{20, 1, 2}, Case{3071, 12, 154}, Case{65535, 16, 3277}}) {
        EXPECT_EQ(ColOf(c.address), c.col) << c.address;
        EXPECT_EQ(RowOf(c.address), c.row) << c.address;
        EXPECT_EQ(AddressOf(c.col, c.row), c.address) << c.address;
    }
    // Header cells, the address column and the four cells past 65535 are no bytes.
    EXPECT_EQ(AddressOf(0, 5), -1);
    EXPECT_EQ(AddressOf(3, 0), -1);
    EXPECT_EQ(AddressOf(17, 3277), -1);
    EXPECT_EQ(AddressOf(1, kRowCount), -1);
}

TEST(ByteTables, HeaderAndAddressColumnTexts)
{
    MemoryImage image;
    EXPECT_EQ(CellText(image, ByteTable::Hex, 0, 0), "");
    EXPECT_EQ(CellText(image, ByteTable::Hex, 1, 0), "0");
    EXPECT_EQ(CellText(image, ByteTable::Dec, 20, 0), "19");
    EXPECT_EQ(CellText(image, ByteTable::Ascii, 0, 1), "0");
    EXPECT_EQ(CellText(image, ByteTable::Ascii, 0, 3277), "65520");
    EXPECT_EQ(CellText(image, ByteTable::Dec, 17, 3277), "");
}

TEST(ByteTables, CellTextsPlainAndMarked)
{
    MemoryImage image;
    image.Put(10, 0x0A, false);
    image.Put(11, 0x00, true);
    image.Put(12, '(', false);
    image.Put(13, '(', true);
    EXPECT_EQ(CellText(image, ByteTable::Hex, ColOf(10), RowOf(10)), "0A");
    EXPECT_EQ(CellText(image, ByteTable::Dec, ColOf(10), RowOf(10)), "10");
    EXPECT_EQ(CellText(image, ByteTable::Ascii, ColOf(11), RowOf(11)), std::string("(\0)", 3));
    EXPECT_EQ(CellText(image, ByteTable::Dec, ColOf(11), RowOf(11)), "(0)");
    // A plain "(" is one character and no marking; a marked one is "((" + ")".
    EXPECT_EQ(StripMark(CellText(image, ByteTable::Ascii, ColOf(12), RowOf(12))), "(");
    EXPECT_EQ(CellText(image, ByteTable::Ascii, ColOf(13), RowOf(13)), "(()");
    EXPECT_EQ(StripMark(CellText(image, ByteTable::Ascii, ColOf(13), RowOf(13))), "(");
    EXPECT_EQ(CellText(image, ByteTable::Hex, ColOf(65535), RowOf(65535)), "FF");
}

class TableEdit : public ::testing::Test {
protected:
    void SetUp() override
    {
        store.OnRedraw = [this] { ++redraws; };
        store.OnStatus = [this](const std::string& s) { status = s; };
    }
    ImageStore store;
    int redraws = 0;
    std::string status;
};

TEST_F(TableEdit, DecimalEditConvertsMarkedWhenTheCellIsLeft)
{
    store.SetEditText(ByteTable::Dec, 3, 2, "65");
    EXPECT_EQ(store.ReadImageByte(22), 0xFF) << "nothing converts before the cell is left";
    store.SelectCell(ByteTable::Dec, 3, 2); // the same cell: still editing
    EXPECT_EQ(store.CellEdited, 1);
    store.SelectCell(ByteTable::Dec, 4, 2);
    EXPECT_EQ(store.ReadImageByte(22), 65);
    EXPECT_EQ(store.CellText(ByteTable::Hex, 3, 2), "(41)");
    EXPECT_EQ(store.CellText(ByteTable::Ascii, 3, 2), "(A)");
    EXPECT_EQ(store.CellEdited, 0);
    EXPECT_EQ(redraws, 1);
}

TEST_F(TableEdit, HexEditTakesLowerCaseDigits)
{
    store.SetEditText(ByteTable::Hex, 1, 1, "7f");
    store.SelectCell(ByteTable::Hex, 2, 1);
    EXPECT_EQ(store.ReadImageByte(0), 0x7F);
    EXPECT_EQ(store.CellText(ByteTable::Dec, 1, 1), "(127)");
}

TEST_F(TableEdit, BadOrOutOfRangeEntryIsRefusedAndStaysPending)
{
    // A hexadecimal entry is read as "0x" + the text, and the message names what was read.
    for (auto [table, text, named] : {std::tuple{ByteTable::Hex, "1g", "0x1g"}, std::tuple{ByteTable::Dec, "300", "300"},
                                      std::tuple{ByteTable::Dec, "-1", "-1"}}) {
        ImageStore s;
        std::string shown;
        s.OnStatus = [&](const std::string& m) { shown = m; };
        s.SetEditText(table, 5, 1, text);
        s.SelectCell(table, 6, 1);
        EXPECT_EQ(shown, std::string("Error: '") + named + "' is not a valid integer value") << text;
        EXPECT_EQ(s.ReadImageByte(4), 0xFF);
        EXPECT_FALSE(s.Image.Marked(4));
        EXPECT_EQ(s.CellEdited, 1);
    }
}

TEST_F(TableEdit, EmptiedCellKeepsItsByte)
{
    store.SetEditText(ByteTable::Dec, 1, 1, "");
    store.SelectCell(ByteTable::Dec, 2, 1);
    EXPECT_EQ(store.ReadImageByte(0), 0xFF);
    EXPECT_EQ(store.CellEdited, 0);
    EXPECT_EQ(redraws, 0);
    EXPECT_EQ(status, "");
}

TEST_F(TableEdit, CharacterEditTakesTheFirstCharacterWithoutRedraw)
{
    store.SetEditText(ByteTable::Ascii, 2, 1, "xyz");
    store.SelectCell(ByteTable::Ascii, 3, 1);
    EXPECT_EQ(store.ReadImageByte(1), 'x');
    EXPECT_TRUE(store.Image.Marked(1));
    EXPECT_EQ(redraws, 0);
}
