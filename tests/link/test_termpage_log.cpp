// The receive log's rendering, stamps and mark, and the byte memo that shows it.
#include "link/ui/ByteMemo.h"
#include "link/protocol/ReceiveLog.h"

#include <gtest/gtest.h>

namespace {
LocalTime At(int h, int m, int s, int cs)
{
    LocalTime t;
    t.Hour = h;
    t.Minute = m;
    t.Second = s;
    t.Hundredths = cs;
    return t;
}

// A log as the page keeps it: the text and the state between blocks.
struct Log {
    ReceiveLog log;
    std::string text;
    ReceiveLogOptions options;

    ReceiveLogUpdate Feed(std::string_view block, const LocalTime& t)
    {
        auto update = log.OnBlock(text, block, t, options);
        text += update.Append;
        return update;
    }
};
} // namespace

TEST(ReceiveLog, BlocksOfOneSecondShareOneStampedLine)
{
    Log l;
    l.Feed("KIV ", At(10, 20, 30, 5));
    l.Feed("Corvo", At(10, 20, 30, 41));
    l.Feed(" ready", At(10, 20, 30, 99));
    EXPECT_EQ(l.text, "10:20:30.05 : KIV Corvo ready");

    l.Feed("OK", At(10, 20, 31, 2));
    EXPECT_EQ(l.text, "10:20:30.05 : KIV Corvo ready\r\n10:20:31.02 : OK");
}

TEST(ReceiveLog, NewSecondAfterALineBreakAddsNoEmptyLine)
{
    Log l;
    l.Feed("OK\r\n", At(1, 2, 3, 4));
    l.Feed("X", At(1, 2, 4, 0));
    EXPECT_EQ(l.text, "01:02:03.04 : OK\r\n01:02:04.00 : X");
}

TEST(ReceiveLog, HexModeRendersEveryByteWithoutStamps)
{
    Log l;
    l.options.Hex = true;
    l.Feed("OK\r\n", At(8, 0, 0, 10));
    l.Feed(std::string("\0\xFF", 2), At(8, 0, 0, 50));
    l.Feed("a", At(8, 0, 1, 0));
    EXPECT_EQ(l.text, "[4F][4B][0D][0A][00][FF]\r\n[61]");
}

TEST(ReceiveLog, AllCharModeShowsControlAndHighBytesAsDecimalCodes)
{
    Log l;
    l.options.ShowAll = true;
    l.Feed("A\r\xC8", At(0, 0, 5, 0));
    l.Feed(std::string("b c\0~\x7F\x80", 7), At(0, 0, 5, 1));
    EXPECT_EQ(l.text, "00:00:05.00 : A[13][200]b[32]c[0]~\x7F[128]");
}

TEST(ReceiveLog, HexWinsOverAllCharMode)
{
    Log l;
    l.options.Hex = true;
    l.options.ShowAll = true;
    l.Feed("A\r", At(0, 0, 5, 0));
    EXPECT_EQ(l.text, "[41][0D]");
}

TEST(ReceiveLog, WithoutStampsBlocksRunTogetherRaw)
{
    Log l;
    l.options.ShowTS = false;
    l.options.Hex = true; // has no say without stamps
    auto u = l.Feed("A\r", At(0, 0, 1, 0));
    l.Feed(std::string("\0B", 2), At(0, 0, 9, 0));
    EXPECT_EQ(l.text, std::string("A\r\0B", 4));
    EXPECT_EQ(l.log.Mark(), 4u);
    EXPECT_TRUE(u.MarkMoved);
    EXPECT_EQ(u.MarkInAppend, 2u);
}

TEST(ReceiveLog, MarkPointsIntoTheStampOfTheCurrentLine)
{
    Log l;
    l.Feed("first", At(9, 0, 0, 0));
    EXPECT_EQ(l.log.Mark(), 13u);
    l.Feed("second", At(9, 0, 1, 0));
    const size_t lineStart = l.text.find("09:00:01");
    EXPECT_EQ(l.log.Mark(), lineStart + 13);
    EXPECT_EQ(l.text.substr(l.log.Mark() - 4, 5), "00 : ");
    // The same second keeps the mark on its stamp.
    auto u = l.Feed("more", At(9, 0, 1, 50));
    EXPECT_FALSE(u.MarkMoved);
    EXPECT_EQ(l.log.Mark(), lineStart + 13);
}

TEST(ReceiveLog, FirstBlockAtMidnightCountsAsTheStartSecond)
{
    // The log starts with 00:00:00 as its last second.
    Log l;
    l.Feed("x", At(0, 0, 0, 30));
    EXPECT_EQ(l.text, "x");
}

TEST(ReceiveLog, EscapeRequestNeedsABlankBeforeSys)
{
    using ReceiveRender::AsksForEscape;
    EXPECT_TRUE(AsksForEscape("\r\nKIV SYSTEM START\r\n"));
    EXPECT_TRUE(AsksForEscape(" SYS"));
    EXPECT_FALSE(AsksForEscape("\r\nSYSTEM START"));
    EXPECT_FALSE(AsksForEscape("KIV SYs"));
    EXPECT_FALSE(AsksForEscape(std::string("x\0 SYS", 6))); // after a zero byte nothing counts
    EXPECT_FALSE(AsksForEscape(" SY"));
}

TEST(ReceiveLog, ByteRenderings)
{
    EXPECT_EQ(ReceiveRender::HexByte(0x0D), "[0D]");
    EXPECT_EQ(ReceiveRender::HexByte(0xAB), "[AB]");
    EXPECT_EQ(ReceiveRender::DecimalByte(0), "[0]");
    EXPECT_EQ(ReceiveRender::DecimalByte(255), "[255]");
    EXPECT_EQ(ReceiveRender::Stamp(At(1, 2, 3, 4)).size(), 14u);
}

TEST(ByteMemo, KeepsEveryByteAndShowsLineBreaks)
{
    ByteMemo memo;
    const std::string bytes("a\0b\rc\r", 6);
    memo.Append(bytes);
    memo.Append("\nd\n");
    EXPECT_EQ(memo.Bytes(), bytes + "\nd\n");
    // The CR LF split over two appends is one line break; the lone CR is one too; NUL shows as its picture.
    EXPECT_EQ(memo.toPlainText(), QString("a") + QChar(0x2400) + "b\nc\nd\n");
    memo.ClearAll();
    EXPECT_TRUE(memo.Bytes().empty());
    EXPECT_TRUE(memo.toPlainText().isEmpty());
}

TEST(ByteMemo, DisplayOfHighBytesIsLatin1)
{
    bool pendingCR = false;
    const QString shown = ByteMemo::Display("\xE9\xFF\x7F\t", pendingCR);
    EXPECT_EQ(shown, QString(QChar(0xE9)) + QChar(0xFF) + QChar(0x2421) + "\t");
}

TEST(ByteMemo, MarkSelectsTheMarkedCharacter)
{
    ByteMemo memo;
    memo.Append("ab\r\n");
    memo.Append("12:00:00.00 : x", 13);
    memo.ShowMark();
    EXPECT_EQ(memo.textCursor().selectedText(), " ");
    EXPECT_EQ(memo.textCursor().selectionStart(), 3 + 13);
}
