#include "cport/TermRx.h"
#include "cport/TermScreen.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

using namespace std::string_literals;

namespace
{

using EC = TEscapeCode;

// A screen with a parser of the given kind that records its replies and unhandled codes.
struct Term {
    explicit Term(TTermEmulation Emulation = TTermEmulation::teVT100orANSI)
    {
        Screen.SetEscapeCodes(MakeEscapeCodes(Emulation));
        Screen.OnReply = [this](const std::string& Bytes) { Replies += Bytes; };
        Screen.OnUnhandledCode = [this](EC Code, const std::string& Data) { Unhandled.emplace_back(Code, Data); };
    }
    Term& operator<<(const std::string& Bytes)
    {
        Screen.WriteStr(Bytes);
        return *this;
    }
    std::string Row(int Y) const
    {
        std::string Text;
        for (int X = 1; X <= Screen.Columns(); ++X) {
            const unsigned char Ch = Screen.Buffer.GetChar(X, Y).Ch;
            Text.push_back(Ch ? static_cast<char>(Ch) : '.');
        }
        return Text;
    }
    TTermPos Caret() const { return Screen.CaretPos(); }

    TermScreen Screen;
    std::string Replies;
    std::vector<std::pair<EC, std::string>> Unhandled;
};

TTermPos At(int X, int Y)
{
    return TTermPos{X, Y};
}

} // namespace

TEST(TermScreen, CursorAddressingAndItsDefaults)
{
    struct Case {
        const char* Name;
        TTermPos Start;
        std::string Input;
        TTermPos Want;
    };
    const std::vector<Case> Cases = {
        {"row;col H", At(1, 1), "\x1b[5;10H", At(10, 5)},
        {"H homes", At(30, 9), "\x1b[H", At(1, 1)},
        {"f moves", At(1, 1), "\x1b[7;3f", At(3, 7)},
        {"row only", At(30, 9), "\x1b[4H", At(1, 4)},
        {"malformed field", At(30, 9), "\x1b[;5H", At(1, 1)},
        {"zero parameters", At(30, 9), "\x1b[0;0H", At(1, 1)},
        {"beyond the screen", At(1, 1), "\x1b[99;999H", At(80, 24)},
        {"up by default 1", At(10, 5), "\x1b[A", At(10, 4)},
        {"up by an explicit 0", At(10, 5), "\x1b[0A", At(10, 5)},
        {"up by 3", At(10, 5), "\x1b[3A", At(10, 2)},
        {"up clamped", At(10, 5), "\x1b[99A", At(10, 1)},
        {"down clamped without overflow", At(10, 5), "\x1b[2147483647B", At(10, 24)},
        {"left clamped without overflow", At(10, 5), "\x1b[-2147483648D", At(80, 5)},
        {"right", At(10, 5), "\x1b[5C", At(15, 5)},
        {"left", At(10, 5), "\x1b[5D", At(5, 5)},
        {"application up moves", At(10, 5), "\x1bOA", At(10, 4)},
        {"application down moves", At(10, 5), "\x1bOB", At(10, 6)},
        {"parameters do not leak into the next code", At(1, 1), "\x1b[5;10H\x1b[H", At(1, 1)},
    };
    for (const Case& C : Cases) {
        Term T;
        T.Screen.MoveCaret(C.Start.X, C.Start.Y);
        T << C.Input;
        EXPECT_EQ(T.Caret(), C.Want) << C.Name;
        EXPECT_TRUE(T.Unhandled.empty()) << C.Name;
    }
}

TEST(TermScreen, Vt52DirectAddressingSplitAcrossTwoReceives)
{
    Term T(TTermEmulation::teVT52);
    T << "\x1bY$";
    EXPECT_EQ(T.Caret(), At(1, 1));
    T << ")X";
    EXPECT_EQ(T.Row(5).substr(9, 1), "X");
    EXPECT_EQ(T.Caret(), At(11, 5));
}

TEST(TermScreen, Vt52ReverseLineFeedScrollsAtTheTop)
{
    Term T(TTermEmulation::teVT52);
    T << "top\x1bI";
    EXPECT_EQ(T.Caret(), At(4, 1));
    EXPECT_EQ(T.Row(1).substr(0, 3), "...");
    EXPECT_EQ(T.Row(2).substr(0, 3), "top");
}

TEST(TermScreen, Erasing)
{
    Term T;
    T.Screen.SetColumns(4);
    T.Screen.SetRows(3);
    const std::string Full = "aaaabbbbcccc";
    struct Case {
        const char* Name;
        std::string Input;
        std::vector<std::string> Rows;
        TTermPos Caret;
    };
    const std::vector<Case> Cases = {
        {"screen from caret", "\x1b[2;3H\x1b[J", {"aaaa", "bb..", "...."}, At(3, 2)},
        {"screen from caret, 0", "\x1b[2;3H\x1b[0J", {"aaaa", "bb..", "...."}, At(3, 2)},
        {"whole screen homes", "\x1b[2;3H\x1b[2J", {"....", "....", "...."}, At(1, 1)},
        {"line from caret", "\x1b[2;3H\x1b[K", {"aaaa", "bb..", "cccc"}, At(3, 2)},
        {"whole line to column 1", "\x1b[2;3H\x1b[2K", {"aaaa", "....", "cccc"}, At(1, 2)},
        {"unknown erase leaves all", "\x1b[2;3H\x1b[1J", {"aaaa", "bbbb", "cccc"}, At(3, 2)},
    };
    for (const Case& C : Cases) {
        // Written without wrap: place each row by address.
        T.Screen.ClearScreen();
        T << "\x1b[1;1H" + Full.substr(0, 4) + "\x1b[2;1H" + Full.substr(4, 4) + "\x1b[3;1H" + Full.substr(8, 4);
        T << C.Input;
        EXPECT_EQ((std::vector<std::string>{T.Row(1), T.Row(2), T.Row(3)}), C.Rows) << C.Name;
        EXPECT_EQ(T.Caret(), C.Caret) << C.Name;
    }
}

TEST(TermScreen, RepliesToStatusAndIdentityQueries)
{
    struct Case {
        TTermEmulation Emulation;
        std::string Input;
        std::string Want;
    };
    const std::vector<Case> Cases = {
        {TTermEmulation::teVT100orANSI, "\x1b[5;10H\x1b[6n", "\x1b[5;10R"},
        {TTermEmulation::teVT100orANSI, "\x1b[6n", "\x1b[1;1R"},
        {TTermEmulation::teVT100orANSI, "\x1b[c", "\x1b[?1;2c"},
        {TTermEmulation::teVT100orANSI, "\x1b[0c", "\x1b[?1;2c"},
        {TTermEmulation::teVT100orANSI, "\x1b[5n", "\x1b[0n"},
        {TTermEmulation::teVT52, "\x1bZ", "\x1b/Z"},
        // Replies that arrive are reported, not answered.
        {TTermEmulation::teVT100orANSI, "\x1b[0n\x1b[3n\x1b[?1;2c\x1b[3;4R", ""},
    };
    for (const Case& C : Cases) {
        Term T(C.Emulation);
        T << C.Input;
        EXPECT_EQ(T.Replies, C.Want) << testing::PrintToString(C.Input);
    }
}

TEST(TermScreen, UnhandledCodesAreReportedWithTheirData)
{
    Term T;
    T << "\x1b[3;4R\x1bQ\x1b[9z";
    const std::vector<std::pair<EC, std::string>> Want = {
        {EC::ecReportCursorPos, "[3;4R"}, {EC::ecUnknown, "Q"}, {EC::ecUnknown, "[9z"}};
    EXPECT_EQ(T.Unhandled, Want);
    EXPECT_EQ(T.Row(1).substr(0, 3), "...");
}

TEST(TermScreen, AttributesColourTheCells)
{
    Term T;
    T.Screen.FontColor = 0xFFFFFF;
    T.Screen.Color = 0x000080;
    T.Screen.AltColor = 0xA6A6A6;
    T << "\x1b[1;4mX\x1b[mY\x1b[7mR\x1b[27;4mU\x1b[24;1;21mN\x1b[1;7mB\x1b"
         "cZ";
    struct Want {
        int X;
        char Ch;
        TTermColor Front, Back;
        bool Underline;
    };
    for (const Want& W : {Want{1, 'X', 0xA6A6A6, 0x000080, true}, Want{2, 'Y', 0xFFFFFF, 0x000080, false},
                          Want{3, 'R', 0x000080, 0xFFFFFF, false}, Want{4, 'U', 0xFFFFFF, 0x000080, true},
                          Want{5, 'N', 0xFFFFFF, 0x000080, false}, Want{6, 'B', 0xA6A6A6, 0xFFFFFF, false},
                          Want{7, 'Z', 0xFFFFFF, 0x000080, false}})
        EXPECT_EQ(T.Screen.Buffer.GetChar(W.X, 1),
                  (TComTermChar{static_cast<unsigned char>(W.Ch), W.Front, W.Back, W.Underline}))
            << W.Ch;
}

TEST(TermScreen, SavedCaretAndAttributes)
{
    Term T;
    T << "\x1b[u";
    EXPECT_EQ(T.Caret(), At(1, 1)); // restore before any save
    T << "\x1b[3;7H\x1b[1m\x1b"
         "7\x1b[m\x1b[10;10H\x1b"
         "8";
    EXPECT_EQ(T.Caret(), At(7, 3));
    EXPECT_TRUE(T.Screen.CurrentAttr().Bold);
    T << "\x1b[4;2H\x1b[s\x1b[1;1H\x1b[m\x1b[u";
    EXPECT_EQ(T.Caret(), At(2, 4));
    EXPECT_FALSE(T.Screen.CurrentAttr().Bold);
}

TEST(TermScreen, ModesSwitchColumnsWrapAndCursorKeys)
{
    Term T;
    T << "text\x1b[?3h";
    EXPECT_EQ(T.Screen.Columns(), 132);
    EXPECT_EQ(T.Screen.Buffer.GetLastLine(), 0); // emptied
    T << "more\x1b[?3l";
    EXPECT_EQ(T.Screen.Columns(), 80);
    EXPECT_EQ(T.Screen.Buffer.GetLastLine(), 0);
    T << "\x1b[Hkept\x1b[?3l";
    EXPECT_EQ(T.Row(1).substr(0, 4), "kept"); // no change, no emptying

    T << "\x1b[7h";
    EXPECT_TRUE(T.Screen.WrapLines);
    T << "\x1b[7l";
    EXPECT_FALSE(T.Screen.WrapLines);
    T << "\x1b[?1h";
    EXPECT_TRUE(T.Screen.AppCursorKeys);
    T << "\x1b[?1l\x1b[h\x1b[5h";
    EXPECT_FALSE(T.Screen.AppCursorKeys);
}

TEST(TermScreen, ResetTouchesAttributesOnly)
{
    Term T;
    T << "abc\x1b[1;4;7m\x1b"
         "c";
    EXPECT_EQ(T.Screen.CurrentAttr(), TTermAttr{});
    EXPECT_EQ(T.Row(1).substr(0, 3), "abc");
    EXPECT_EQ(T.Caret(), At(4, 1));
}

TEST(TermScreen, AlignmentTestFillsTheScreen)
{
    Term T;
    T.Screen.SetColumns(3);
    T.Screen.SetRows(2);
    T << "\x1b[2;2H\x1b#8";
    EXPECT_EQ(T.Row(1), "EEE");
    EXPECT_EQ(T.Row(2), "EEE");
    EXPECT_EQ(T.Caret(), At(2, 2));
}

TEST(TermScreen, TabStops)
{
    struct Case {
        const char* Name;
        std::string Input;
        int WantX;
    };
    const std::vector<Case> Cases = {
        {"from column 1", "\t", 9},
        {"from a stop", "\x1b[1;9H\t", 17},
        {"after the last stop", "\x1b[1;73H\t", 73},
        {"set by ESC H", "\x1b[1;5H\x1bH\x1b[1;1H\t", 5},
        {"cleared at the caret", "\x1b[1;9H\x1b[g\x1b[1;1H\t", 17},
        {"all cleared", "\x1b[3g\x1b[1;1H\t", 1},
    };
    for (const Case& C : Cases) {
        Term T;
        T << C.Input;
        EXPECT_EQ(T.Caret().X, C.WantX) << C.Name;
    }
}

TEST(TermScreen, ControlCharacters)
{
    Term T(TTermEmulation::teNone);
    std::string Seen;
    T.Screen.OnChar = [&Seen](char Ch) { Seen += Ch; };
    T << "\bab\b\x07\x1b\x00z"s;
    EXPECT_EQ(T.Row(1).substr(0, 3), "az.");
    EXPECT_EQ(Seen, "\bab\b\x07\x1b\x00z"s);
    T << "\r\f";
    EXPECT_EQ(T.Caret(), At(1, 2));
}

TEST(TermScreen, WrapOff)
{
    Term T;
    T.Screen.SetColumns(256);
    std::string Line;
    for (int i = 0; i < 300; ++i)
        Line.push_back(static_cast<char>('A' + i % 26));
    T << Line;
    EXPECT_EQ(T.Caret(), At(256, 1));
    EXPECT_EQ(T.Screen.Buffer.GetChar(255, 1).Ch, static_cast<unsigned char>(Line[254]));
    EXPECT_EQ(T.Screen.Buffer.GetChar(256, 1).Ch, static_cast<unsigned char>(Line[299]));
    EXPECT_EQ(T.Screen.Buffer.GetLastLine(), 1);
}

TEST(TermScreen, WrapOnScrollsAtTheLastCell)
{
    Term T;
    T.Screen.SetColumns(4);
    T.Screen.SetRows(3);
    T.Screen.WrapLines = true;
    T << "abcdefgh";
    EXPECT_EQ(T.Caret(), At(1, 3));
    T << "ijkl";
    EXPECT_EQ(T.Row(1), "efgh");
    EXPECT_EQ(T.Row(2), "ijkl");
    EXPECT_EQ(T.Row(3), "....");
    EXPECT_EQ(T.Caret(), At(1, 3));
}

TEST(TermScreen, LineFeedAtTheLastRowScrolls)
{
    Term T;
    T.Screen.SetRows(2);
    T << "one\r\ntwo\r\nthree";
    EXPECT_EQ(T.Row(1).substr(0, 5), "two..");
    EXPECT_EQ(T.Row(2).substr(0, 5), "three");
}

TEST(TermScreen, BackspaceInColumnOneStaysAndDoesNotErase)
{
    Term T;
    T << "x\r\b\b";
    EXPECT_EQ(T.Caret(), At(1, 1));
    EXPECT_EQ(T.Row(1).substr(0, 1), "x");
}

TEST(TermScreen, SizeChangesKeepTheCaretsInsideTheGrid)
{
    Term T;
    int Changes = 0;
    T.Screen.OnSizeChanged = [&Changes] { ++Changes; };
    T.Screen.SetColumns(1000);
    T.Screen.SetRows(1000);
    EXPECT_EQ(T.Screen.Columns(), 256);
    EXPECT_EQ(T.Screen.Rows(), 100);
    T << "\x1b[90;200H\x1b[s";
    T.Screen.SetColumns(80);
    T.Screen.SetRows(1);
    EXPECT_EQ(T.Screen.Rows(), 2);
    EXPECT_EQ(T.Caret(), At(80, 2));
    EXPECT_EQ(T.Screen.SavedCaretPos(), At(80, 2));
    T << "\x1b[1;1H\x1b[uQ";
    EXPECT_EQ(T.Screen.Buffer.GetChar(80, 2).Ch, 'Q');
    EXPECT_EQ(Changes, 4);

    T.Screen.SetColumns(80); // same value: the screen stays
    T.Screen.SetRows(-7);    // limited to 2, the same: stays
    EXPECT_EQ(T.Screen.Buffer.GetChar(80, 2).Ch, 'Q');
    EXPECT_EQ(Changes, 4);
}

TEST(TermScreen, SaveWritesLinesJoinedByCrLf)
{
    struct Case {
        const char* Name;
        std::string Input;
        std::string Want;
    };
    const std::vector<Case> Cases = {
        {"one letter at (5,3)", "\x1b[3;5HQ", "\r\n\r\n    Q"},
        {"empty screen", "", ""},
        {"two lines with a gap", "ab\x1b[3;1Hc", "ab\r\n\r\nc"},
        {"Latin-1 bytes kept", "\xe9\xff", "\xe9\xff"},
    };
    for (const Case& C : Cases) {
        Term T;
        T << C.Input;
        std::ostringstream Out;
        T.Screen.SaveToStream(Out);
        EXPECT_EQ(Out.str(), C.Want) << C.Name;
    }
}

TEST(TermScreen, LoadStopsAtTheEndOfTheStream)
{
    Term T;
    std::istringstream In("skip\x1b[2Jab\r\ncd");
    In.seekg(4);
    T.Screen.LoadFromStream(In);
    // No escape processing: ESC is not shown, the rest is text.
    EXPECT_EQ(T.Row(1).substr(0, 8), "[2Jab...");
    EXPECT_EQ(T.Row(2).substr(0, 3), "cd.");
    EXPECT_EQ(T.Caret(), At(3, 2));
}

TEST(TermScreen, WithoutAParserEveryByteIsACharacter)
{
    Term T(TTermEmulation::teNone);
    T << "\x1b[2Jhi";
    EXPECT_EQ(T.Row(1).substr(0, 6), "[2Jhi.");
    EXPECT_TRUE(T.Unhandled.empty());
    EXPECT_TRUE(T.Replies.empty());
}

TEST(TermReceive, AppendLineFeeds)
{
    const std::vector<std::pair<std::string, std::string>> Cases = {
        {"ab\rcd", "ab\r\ncd"}, {"\r\n", "\r\n\n"}, {"\r\r", "\r\n\r\n"}, {"", ""}, {"plain", "plain"}};
    for (const auto& [In, Want] : Cases) {
        std::string Block = In;
        AppendLineFeeds(Block);
        EXPECT_EQ(Block, Want) << testing::PrintToString(In);
    }
}

TEST(TermReceive, ForceSevenBitMasksTheTopBit)
{
    std::string Block = "\xc1\x80\x7f"
                        "A\xff";
    ForceSevenBit(Block);
    EXPECT_EQ(Block, "A\x00\x7f"
                     "A\x7f"s);
}
