// The image: its accessors and their bounds, the three byte tables and their edits, the default image, the
// log capacity and the text tables.
#include "image/ByteTables.h"
#include "image/DefaultImage.h"
#include "image/ImageErrors.h"
#include "image/ImageStore.h"
#include "image/TextTables.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace ByteTables;

namespace
{
class Image : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        store.OnRedraw = [this] { ++redraws; };
        store.OnStatus = [this](const std::string& s) { status = s; };
    }
    void Put(int address, const std::string& bytes) { store.WriteImageString(bytes, address, 0); }
    std::string Cell(ByteTable table, int address) { return store.CellText(table, ColOf(address), RowOf(address)); }
    ImageStore store;
    int redraws = 0;
    std::string status;
};
} // namespace

TEST_F(Image, SetImageBitsModesWriteMarkAndRedrawOnlyOnChange)
{
    // Mode bit 0 governs A, bit 1 B, bit 2 C; anything outside 0..7 sets all three; a later mask wins.
    const uint8_t A = 0x01, B = 0x10, C = 0x80;
    const std::tuple<int, int, int> cases[] = {{0, 0xFF, 0x6E}, {1, 0x00, 0x01}, {2, 0x00, 0x10}, {3, 0x00, 0x11},
                                               {4, 0x00, 0x80}, {5, 0x00, 0x81}, {6, 0x00, 0x90}, {7, 0x00, 0x91},
                                               {9, 0x00, 0x91}, {-1, 0x00, 0x91}};
    for (auto [mode, start, expect] : cases) {
        Put(500, std::string(1, char(start)));
        store.SetImageBits(500, mode, A, B, C);
        EXPECT_EQ(store.ReadImageByte(500), expect) << "mode " << mode;
    }
    store.SetImageBits(10, 1, 0x01, 0x01);
    EXPECT_EQ(store.ReadImageByte(10), 0xFE);

    Put(771, "\x40");
    redraws = 0;
    store.SetImageBits(771, 1, 0x40);
    EXPECT_EQ(redraws, 0);
    EXPECT_FALSE(store.Image.Marked(771));
    store.SetImageBits(771, 0, 0x40);
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(Cell(ByteTable::Hex, 771), "(00)");
}

TEST_F(Image, SetImageNibbleBothHalvesAlwaysWritesNeverRedraws)
{
    for (auto [value, high, expect] : {std::tuple{5, 1, 0x52}, {0x15, 0, 0x95}, {2, 0, 0x92}}) {
        Put(175, "\x92");
        redraws = 0;
        store.SetImageNibble(175, value, high); // only the low four bits of the value count
        EXPECT_EQ(store.ReadImageByte(175), expect);
        EXPECT_TRUE(store.Image.Marked(175)) << "written marked, also unchanged";
        EXPECT_EQ(redraws, 0);
    }
}

TEST_F(Image, StringsKeepToTheirSlotAndMarkTheCursor)
{
    store.WriteImageString(std::string(19, 'a'), 100, 0);
    EXPECT_EQ(store.ReadImageString(100, 19), std::string(18, 'a'));
    store.WriteImageString(std::string("ab\0cd", 5), 200, 1);
    EXPECT_EQ(store.ReadImageString(200, 10), "ab");
    EXPECT_EQ(store.ReadImageString(100, 1), "");
    EXPECT_EQ(store.ReadImageString(65534, 10).size(), 2u); // a slot running past the image end stops there
    store.WriteImageString("0123456789", 40, 1, 4);
    EXPECT_EQ(store.ReadImageString(40, 5), "0123");
    EXPECT_EQ(store.ReadImageByte(44), 0xFF);

    store.WriteImageString("abc", 19, 1);
    EXPECT_EQ(std::tuple(store.CurCol, store.CurRow, int(store.CellEdited)), std::tuple(2, 2, 0));
    EXPECT_EQ(Cell(ByteTable::Ascii, 19), "(a)");
    EXPECT_EQ(Cell(ByteTable::Dec, 21), "(99)");
    store.WriteImageString("a", 19, 0);
    EXPECT_EQ(Cell(ByteTable::Ascii, 19) + Cell(ByteTable::Hex, 19), "a61");

    store.UnmarkRange(0, 3072);
    EXPECT_FALSE(store.Image.AnyMarked(0, 3072));
    EXPECT_EQ(store.ReadImageString(19, 4), "abc");
}

TEST_F(Image, AddressesOutsideTheImageRaiseAndWriteNothing)
{
    EXPECT_THROW(store.ReadImageByte(-1), ERangeError);
    EXPECT_THROW(store.ReadImageByte(65536), ERangeError);
    EXPECT_THROW(store.SetImageBits(70000, 1, 1), ERangeError);
    EXPECT_THROW(store.SetImageNibble(-5, 1, 0), ERangeError);
    EXPECT_THROW(store.WriteImageString("abcd", 65533, 1), ERangeError);
    EXPECT_EQ(store.ReadImageByte(65533), 0xFF) << "no partial write";
    EXPECT_FALSE(store.Image.Marked(65533));
}

TEST_F(Image, TableAddressesAndCellTexts)
{
    for (auto [address, col, row] :
         {std::tuple{0, 1, 1}, {19, 20, 1}, {20, 1, 2}, {3071, 12, 154}, {65535, 16, 3277}}) {
        EXPECT_EQ(std::pair(ColOf(address), RowOf(address)), std::pair(col, row)) << address;
        EXPECT_EQ(AddressOf(col, row), address);
    }
    // Header cells, the address column and the four cells past 65535 are no bytes.
    for (auto [col, row] : {std::pair{0, 5}, {3, 0}, {17, 3277}, {1, kRowCount}})
        EXPECT_EQ(AddressOf(col, row), -1) << col << "/" << row;
    MemoryImage image;
    EXPECT_EQ(CellText(image, ByteTable::Hex, 1, 0) + "|" + CellText(image, ByteTable::Dec, 20, 0) + "|" +
                  CellText(image, ByteTable::Ascii, 0, 3277) + "|" + CellText(image, ByteTable::Dec, 17, 3277),
              "0|19|65520|");
    image.Put(10, 0x0A, false);
    image.Put(11, 0x00, true);
    image.Put(12, '(', false);
    image.Put(13, '(', true);
    EXPECT_EQ(CellText(image, ByteTable::Hex, ColOf(10), RowOf(10)), "0A");
    EXPECT_EQ(CellText(image, ByteTable::Ascii, ColOf(11), RowOf(11)), std::string("(\0)", 3));
    EXPECT_EQ(CellText(image, ByteTable::Dec, ColOf(11), RowOf(11)), "(0)");
    // A plain "(" is one character and no marking; a marked one is "((" + ")".
    EXPECT_EQ(StripMark(CellText(image, ByteTable::Ascii, ColOf(12), RowOf(12))), "(");
    EXPECT_EQ(CellText(image, ByteTable::Ascii, ColOf(13), RowOf(13)), "(()");
    EXPECT_EQ(StripMark(CellText(image, ByteTable::Ascii, ColOf(13), RowOf(13))), "(");
}

TEST_F(Image, TableEditsConvertWhenTheCellIsLeft)
{
    store.SetEditText(ByteTable::Dec, 3, 2, "65");
    store.SelectCell(ByteTable::Dec, 3, 2); // the same cell: still editing
    EXPECT_EQ(store.ReadImageByte(22), 0xFF) << "nothing converts before the cell is left";
    store.SelectCell(ByteTable::Dec, 4, 2);
    EXPECT_EQ(store.ReadImageByte(22), 65);
    EXPECT_EQ(Cell(ByteTable::Hex, 22) + Cell(ByteTable::Ascii, 22), "(41)(A)");
    EXPECT_EQ(std::pair(int(store.CellEdited), redraws), std::pair(0, 1));

    store.SetEditText(ByteTable::Hex, 1, 1, "7f"); // lower-case digits
    store.SelectCell(ByteTable::Hex, 2, 1);
    EXPECT_EQ(Cell(ByteTable::Dec, 0), "(127)");
    store.SetEditText(ByteTable::Ascii, 2, 1, "xyz"); // the first character, without a redraw
    store.SelectCell(ByteTable::Ascii, 3, 1);
    EXPECT_EQ(store.ReadImageByte(1), 'x');
    EXPECT_TRUE(store.Image.Marked(1));
    EXPECT_EQ(redraws, 2);

    // An emptied cell keeps its byte, quietly.
    store.SetEditText(ByteTable::Dec, 5, 1, "");
    store.SelectCell(ByteTable::Dec, 6, 1);
    EXPECT_EQ(store.ReadImageByte(4), 0xFF);
    EXPECT_EQ(std::tuple(int(store.CellEdited), redraws, status), std::tuple(0, 2, std::string()));
}

TEST(TableEdit, BadOrOutOfRangeEntryIsRefusedAndStaysPending)
{
    // A hexadecimal entry is read as "0x" + the text, and the message names what was read.
    for (auto [table, text, named] :
         {std::tuple{ByteTable::Hex, "1g", "0x1g"}, {ByteTable::Dec, "300", "300"}, {ByteTable::Dec, "-1", "-1"}}) {
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

TEST_F(Image, DefaultImageHasItsChosenBytesAndNoMarks)
{
    store.WriteImageString("edited", 0, 1);
    store.WriteImageString("log", 4000, 0);
    store.setDefaultClick();
    EXPECT_EQ(std::pair(redraws, int(store.ImageLoaded)), std::pair(1, 1));
    EXPECT_FALSE(store.Image.AnyMarked(0, 3072));
    EXPECT_EQ(store.ReadImageString(4000, 4), "log") << "the logging area is left as it was";
    // 46 is empty though digits follow its leading NUL.
    const std::tuple<int, int, std::string> texts[] = {{0, 41, "Default Profile"},
                                                       {46, 19, ""},
                                                       {483, 15, "Low Alarm I/O7"},
                                                       {547, 19, "Restore Alarm I/O1"},
                                                       {779, 9, "*99***1#"}};
    for (const auto& [address, slot, text] : texts)
        EXPECT_EQ(store.ReadImageString(address, slot), text) << address;
    const std::pair<int, int> numbers[] = {{175, 0x92}, {176, 0x92}, {2494, 0x00}, {1031, 0xFF}, {3072, 0xFF}};
    for (auto [address, value] : numbers)
        EXPECT_EQ(store.ReadImageByte(address), value) << address;
    for (auto [address, value] : {std::pair{185, 0xFFFFu}, {776, 1440u}, {865, 7162u}, {2705, 60u}})
        EXPECT_EQ(store.ReadImageNumber(address, 2), value) << address;
    // The implementer's texts: phone, user (with a remnant behind its NUL), password, time server, server.
    for (auto [address, slot, length] :
         {std::tuple{47, 18, 9u}, {798, 41, 4u}, {839, 20, 8u}, {1472, 31, 12u}, {1534, 61, 13u}})
        EXPECT_EQ(store.ReadImageString(address, slot).size(), length) << address;
    EXPECT_EQ(store.ReadImageByte(806), 0x00);
    EXPECT_EQ(store.ReadImageString(1503, 31), store.ReadImageString(1472, 31));
    EXPECT_EQ(store.ReadImageString(1595, 61), store.ReadImageString(1534, 61));
}

TEST(TextTables, NamesOutsideTheTablesAreEmptyAndShownDescriptionsSingleTheAmpersand)
{
    for (int outside : {0, 14, 15, 16})
        EXPECT_EQ(BaudRateName(outside), "") << outside;
    EXPECT_EQ(CommandDescription(60), "");
    EXPECT_EQ(CommandDescription(24), "Show active profile(KV&&V)");
    EXPECT_EQ(CommandDescriptionShown(24), "Show active profile(KV&V)");
    EXPECT_EQ(CommandDescriptionShown(51), "Get IP status profile(KV-I&IP)");
}
