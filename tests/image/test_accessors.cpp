#include "image/DefaultImage.h"
#include "image/ImageErrors.h"
#include "image/ImageStore.h"

#include <gtest/gtest.h>

class Accessors : public ::testing::Test {
protected:
    void SetUp() override { store.OnRedraw = [this] { ++redraws; }; }
    ImageStore store;
    int redraws = 0;
};

TEST_F(Accessors, SetImageBitsModes)
{
    // Mode bit 0 governs A, bit 1 B, bit 2 C; anything outside 0..7 sets all three.
    struct Case {
        int mode;
        uint8_t start, expect;
    };
    const uint8_t A = 0x01, B = 0x10, C = 0x80;
    for (Case c : {Case{0, 0xFF, 0x6E}, Case{1, 0x00, 0x01}, Case{2, 0x00, 0x10}, Case{3, 0x00, 0x11},
                   Case{4, 0x00, 0x80}, Case{5, 0x00, 0x81}, Case{6, 0x00, 0x90}, Case{7, 0x00, 0x91},
                   Case{9, 0x00, 0x91}, Case{-1, 0x00, 0x91}}) {
        store.WriteImageString(std::string(1, static_cast<char>(c.start)), 500, 0);
        store.SetImageBits(500, c.mode, A, B, C);
        EXPECT_EQ(store.ReadImageByte(500), c.expect) << "mode " << c.mode;
    }
}

TEST_F(Accessors, SetImageBitsLaterMaskWins)
{
    store.WriteImageString(std::string(1, '\0'), 10, 0);
    store.SetImageBits(10, 1, 0x01, 0x01);
    EXPECT_EQ(store.ReadImageByte(10), 0x00);
}

TEST_F(Accessors, SetImageBitsWritesMarksAndRedrawsOnlyOnChange)
{
    store.WriteImageString(std::string(1, '\x40'), 771, 0);
    store.SetImageBits(771, 1, 0x40);
    EXPECT_EQ(redraws, 0);
    EXPECT_FALSE(store.Image.Marked(771));

    store.SetImageBits(771, 0, 0x40);
    EXPECT_EQ(store.ReadImageByte(771), 0x00);
    EXPECT_TRUE(store.Image.Marked(771));
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(store.CellText(ByteTable::Hex, ByteTables::ColOf(771), ByteTables::RowOf(771)), "(00)");
}

TEST_F(Accessors, SetImageNibbleBothHalvesAlwaysWritesNeverRedraws)
{
    store.WriteImageString("\x92", 175, 0);
    store.SetImageNibble(175, 5, 1);
    EXPECT_EQ(store.ReadImageByte(175), 0x52);
    store.WriteImageString("\x92", 175, 0);
    store.SetImageNibble(175, 0x15, 0); // only the low four bits of the value count
    EXPECT_EQ(store.ReadImageByte(175), 0x95);
    store.WriteImageString("\x92", 176, 0);
    store.SetImageNibble(176, 2, 0); // unchanged, still written marked
    EXPECT_TRUE(store.Image.Marked(176));
    EXPECT_EQ(redraws, 0);
}

TEST_F(Accessors, ReadImageStringSlots)
{
    store.WriteImageString(std::string(19, 'a'), 100, 0);
    EXPECT_EQ(store.ReadImageString(100, 19), std::string(18, 'a'));
    store.WriteImageString(std::string("ab\0cd", 5), 200, 1);
    EXPECT_EQ(store.ReadImageString(200, 10), "ab");
    store.WriteImageString(std::string("\0xyz", 4), 300, 0);
    EXPECT_EQ(store.ReadImageString(300, 10), "");
    EXPECT_EQ(store.ReadImageString(100, 1), "");
    EXPECT_EQ(store.ReadImageString(100, 0), "");
    // A slot running past the image end stops there.
    EXPECT_EQ(store.ReadImageString(65534, 10).size(), 2u);
}

TEST_F(Accessors, WriteImageStringMarksAndCursor)
{
    store.WriteImageString("abc", 19, 1);
    EXPECT_EQ(store.CurCol, 2);
    EXPECT_EQ(store.CurRow, 2);
    EXPECT_EQ(store.CellEdited, 0);
    EXPECT_EQ(store.CellText(ByteTable::Ascii, 20, 1), "(a)");
    EXPECT_EQ(store.CellText(ByteTable::Dec, 2, 2), "(99)");
    store.WriteImageString("a", 19, 0);
    EXPECT_EQ(store.CellText(ByteTable::Ascii, 20, 1), "a");
    EXPECT_EQ(store.CellText(ByteTable::Hex, 20, 1), "61");
}

TEST_F(Accessors, AddressesOutsideTheImageRaiseAndWriteNothing)
{
    EXPECT_THROW(store.ReadImageByte(-1), ERangeError);
    EXPECT_THROW(store.ReadImageByte(65536), ERangeError);
    EXPECT_THROW(store.SetImageBits(70000, 1, 1), ERangeError);
    EXPECT_THROW(store.SetImageNibble(-5, 1, 0), ERangeError);
    EXPECT_THROW(store.WriteImageString("abcd", 65533, 1), ERangeError);
    EXPECT_EQ(store.ReadImageByte(65533), 0xFF) << "no partial write";
    EXPECT_FALSE(store.Image.Marked(65533));
}

TEST_F(Accessors, WriteImageStringKeepsToItsSlot)
{
    store.WriteImageString("0123456789", 40, 1, 4);
    EXPECT_EQ(store.ReadImageString(40, 5), "0123");
    EXPECT_EQ(store.ReadImageByte(44), 0xFF);
}

TEST_F(Accessors, BigEndianNumbers)
{
    store.WriteImageNumber(0x1BFA, 865, 2, 1);
    EXPECT_EQ(store.ReadImageByte(865), 0x1B);
    EXPECT_EQ(store.ReadImageByte(866), 0xFA);
    EXPECT_EQ(store.ReadImageNumber(865, 2), 0x1BFAu);
    store.WriteImageNumber(0x01020304, 10, 4, 0);
    EXPECT_EQ(store.Image.Bytes(10, 4), std::string("\x01\x02\x03\x04", 4));
}

TEST_F(Accessors, UnmarkRangeKeepsBytesAndClearsMarks)
{
    store.WriteImageString("xyz", 3000, 1);
    store.UnmarkRange(0, 3072);
    EXPECT_FALSE(store.Image.AnyMarked(0, 3072));
    EXPECT_EQ(store.ReadImageString(3000, 4), "xyz");
}

TEST(DefaultImage, ChosenBytesAndNoMarks)
{
    ImageStore store;
    int redraws = 0;
    store.OnRedraw = [&] { ++redraws; };
    store.WriteImageString("edited", 0, 1);
    store.WriteImageString("log", 4000, 0);
    store.setDefaultClick();
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(store.ImageLoaded, 1);
    EXPECT_EQ(store.ReadImageString(0, 41), "Default Profile");
    EXPECT_EQ(store.ReadImageByte(175), 0x92);
    EXPECT_EQ(store.ReadImageByte(176), 0x92);
    EXPECT_EQ(store.ReadImageNumber(185, 2), 0xFFFFu);
    EXPECT_EQ(store.ReadImageByte(3072), 0xFF);
    EXPECT_EQ(store.ReadImageString(4000, 4), "log") << "the logging area is left as it was";
    EXPECT_FALSE(store.Image.AnyMarked(0, 3072));
    // The first phone slot reads empty though digits follow its leading NUL.
    EXPECT_EQ(store.ReadImageString(46, 19), "");
    EXPECT_NE(store.ReadImageByte(47), 0xFF);
    EXPECT_EQ(store.ReadImageString(291 + 32 * 6, 15), "Low Alarm I/O7");
    EXPECT_EQ(store.ReadImageString(547, 19), "Restore Alarm I/O1");
    EXPECT_EQ(store.ReadImageString(779, 9), "*99***1#");
    EXPECT_EQ(store.ReadImageNumber(776, 2), 1440u);
    EXPECT_EQ(store.ReadImageNumber(865, 2), 7162u);
    EXPECT_EQ(store.ReadImageNumber(2705, 2), 60u);
    EXPECT_EQ(store.ReadImageByte(2494), 0x00);
    EXPECT_EQ(store.ReadImageByte(1031), 0xFF);
}

TEST(DefaultImage, ImplementerTextsHaveTheirLengths)
{
    ImageStore store;
    store.setDefaultClick();
    EXPECT_EQ(store.ReadImageString(47, 18).size(), 9u);
    EXPECT_EQ(store.ReadImageString(798, 41).size(), 4u);
    EXPECT_EQ(store.ReadImageByte(806), 0x00);
    EXPECT_EQ(store.ReadImageString(839, 20).size(), 8u);
    EXPECT_EQ(store.ReadImageString(1472, 31).size(), 12u);
    EXPECT_EQ(store.ReadImageString(1503, 31), store.ReadImageString(1472, 31));
    EXPECT_EQ(store.ReadImageString(1534, 61).size(), 13u);
    EXPECT_EQ(store.ReadImageString(1595, 61), store.ReadImageString(1534, 61));
}

TEST(LogCapacity, FilledAndCleared)
{
    ImageStore store;
    for (int n = 1; n <= 16; ++n)
        EXPECT_EQ(store.LogCapacity[n], 61696 / (5 + 4 * n));
    store.RadioGroup1Click(0);
    EXPECT_EQ(store.ImageSize, 3072);
    EXPECT_EQ(store.LogCapacity[1], 0);
    EXPECT_EQ(store.LogCapacity[7], 0);
    EXPECT_EQ(store.LogCapacity[8], 1667);
    store.RadioGroup1Click(1);
    EXPECT_EQ(store.ImageSize, 65536);
    EXPECT_EQ(store.LogCapacity[1], 6855);
    EXPECT_EQ(store.LogCapacity[7], 1869);
    EXPECT_EQ(store.LogCapacity[0], 0);
    EXPECT_EQ(store.LogCapacity[17], 0);
}
