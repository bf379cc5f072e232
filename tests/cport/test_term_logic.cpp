// The terminal without widgets: escape sequences detected and generated, the character grid, the screen
// executing what arrives (caret, erasing, attributes, modes, replies to the unit), saving and loading. Bytes are
// written with '^' for ESC; the receive filters are seen through the terminal control.
#include "CportTestSupport.h"
#include "cport/terminal/Cportesc.h"
#include "cport/terminal/TermBuffer.h"
#include "cport/terminal/TermScreen.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

using namespace std::string_literals;

namespace
{
using EC = TEscapeCode;
using Rows = std::vector<std::string>;
using TVT = TTermEmulation;

std::string Name(EC Code)
{
    std::istringstream Names(
        "Unknown NotCompleted CursorUp CursorDown CursorLeft CursorRight CursorHome CursorMove "
        "ReverseLineFeed AppCursorLeft AppCursorRight AppCursorUp AppCursorDown EraseLineFrom "
        "EraseScreenFrom EraseLine EraseScreen SetTab ClearTab ClearAllTabs Identify IdentResponse "
        "QueryDevice ReportDeviceOK ReportDeviceFailure QueryCursorPos ReportCursorPos Attributes "
        "SetMode ResetMode Reset SaveCaretAndAttr RestoreCaretAndAttr SaveCaret RestoreCaret Test");
    std::string Word;
    for (int i = 0; i <= static_cast<int>(Code); ++i)
        Names >> Word;
    return Word;
}

// What the parser makes of the bytes: 'c' for a character, Code(p1,p2) for a code. The parser clears the
// parameters of the code before at each new ESC.
std::string Parse(TEscapeCodes& Codes, const std::string& Bytes)
{
    std::string Out;
    for (const char Ch : Bytes) {
        const TEscapeResult R = Codes.ProcessChar(Ch);
        if (R == TEscapeResult::erChar)
            Out += " '" + std::string(1, Codes.Character) + "'";
        if (R != TEscapeResult::erCode)
            continue;
        Out += " " + Name(Codes.Code) + "(";
        for (std::size_t i = 0; i < Codes.Params.size(); ++i)
            Out += (i ? "," : "") + Codes.Params[i];
        Out += ")";
    }
    return Out.empty() ? Out : Out.substr(1);
}

// The grid as text, an empty cell as '.'.
Rows Text(const TComTermBuffer& Buffer)
{
    Rows Out;
    for (int Y = 1; Y <= Buffer.Rows(); ++Y) {
        Out.emplace_back();
        for (int X = 1; X <= Buffer.Columns(); ++X)
            Out.back().push_back(Buffer.GetChar(X, Y).Ch ? char(Buffer.GetChar(X, Y).Ch) : '.');
    }
    return Out;
}

// A screen with a parser of the given kind that records its replies and unhandled codes.
struct Term {
    explicit Term(TVT Emulation = TVT::teVT100orANSI, int Columns = 80, int Rows = 24)
    {
        Screen.SetEscapeCodes(MakeEscapeCodes(Emulation));
        Screen.SetColumns(Columns);
        Screen.SetRows(Rows);
        Screen.OnReply = [this](const std::string& Bytes) { Replies += Bytes; };
        Screen.OnUnhandledCode = [this](EC Code, const std::string& Data) {
            Unhandled += Name(Code) + "(" + Data + ")";
        };
    }
    Term& operator<<(const std::string& Bytes)
    {
        Screen.WriteStr(E(Bytes));
        return *this;
    }
    std::string Row(int Y) const { return Text(Screen.Buffer).at(std::size_t(Y - 1)); }
    TTermPos Caret() const { return Screen.CaretPos(); }

    TermScreen Screen;
    std::string Replies, Unhandled;
};

TTermPos At(int X, int Y)
{
    return TTermPos{X, Y};
}
} // namespace

TEST(TermEscape, SequencesAreDetected)
{
    // What the screen tests do not reach: parameter forms, codes with parameters no action takes, VT52.
    const std::tuple<TVT, std::string, std::string> Cases[] = {
        {TVT::teVT100orANSI, "^[5;10H^[H^[;5H^[1;;2H", "CursorHome(5,10) CursorHome() CursorHome(;5) CursorHome(1,;2)"},
        {TVT::teVT100orANSI, "^[1J^[1K^[2g^[n^[7n^[1c^[5z",
         "Unknown() Unknown() Unknown() Unknown() Unknown() Unknown(1) Unknown(5)"},
        {TVT::teVT100orANSI, "^[0n^[3n^[?1;2c^[12;40R",
         "ReportDeviceOK() ReportDeviceFailure() IdentResponse(?1,2) ReportCursorPos(12,40)"},
        {TVT::teVT100orANSI, "^OA^Q^#9^Ox^^", "AppCursorUp() Unknown() Unknown() Unknown() Unknown()"},
        {TVT::teVT100orANSI, "A^[1mB\r\a\x7f", "'A' Attributes(1) 'B' '\r' '\a' '\x7f'"},
        {TVT::teVT100orANSI, "^[2^", ""}, // ESC inside a sequence does not restart it
        {TVT::teVT52, "^A^B^C^D^H", "CursorUp() CursorDown() CursorRight() CursorLeft() CursorHome()"},
        {TVT::teVT52, "^I^J^K^Z^/Z^/X",
         "ReverseLineFeed() EraseScreenFrom() EraseLineFrom() Identify() IdentResponse() Unknown()"},
        {TVT::teVT52, "^Y$)^Y  ^Y\x01\xff^Y$", "CursorMove(5,10) CursorMove(1,1) CursorMove(-30,224)"},
        {TVT::teVT52, "^[Ax^q", "Unknown() 'A' 'x' Unknown()"},
    };
    for (const auto& [Emulation, Input, Want] : Cases)
        EXPECT_EQ(Parse(*MakeEscapeCodes(Emulation), E(Input)), Want) << Input;
}

TEST(TermEscape, ASequenceThatNeverEndsIsDroppedAfter64Bytes)
{
    // ESC "[" and 63 digits make 64 bytes behind ESC: given up; the digits after it and "A" are plain text.
    TEscapeCodesVT100 Codes;
    EXPECT_EQ(Parse(Codes, E("^[" + std::string(70, '1') + "A")), "Unknown() '1' '1' '1' '1' '1' '1' '1' 'A'");
    EXPECT_EQ(Codes.Data.size(), 64u);
    // Just under the bound a sequence still completes.
    EXPECT_EQ(Parse(Codes, E("^[" + std::string(62, '1') + "A")), "CursorUp(" + std::string(62, '1') + ")");
}

TEST(TermEscape, GeneratedBytesAndTheirParseBack)
{
    // Without a parameter list a move goes home; a code an emulation lacks generates nothing.
    const TEscapeParams Move = {"12", "40"};
    const std::tuple<EC, const TEscapeParams*, std::string, std::string> Cases[] = {
        {EC::ecCursorMove, &Move, "^[12;40f", "^Y+G"}, {EC::ecCursorMove, nullptr, "^[1;1f", "^Y  "},
        {EC::ecReverseLineFeed, nullptr, "", "^I"},    {EC::ecAppCursorUp, nullptr, "^OA", ""},
        {EC::ecEraseLine, nullptr, "^[2K", ""},        {EC::ecUnknown, nullptr, "", ""},
    };
    TEscapeCodesVT100 Vt100;
    TEscapeCodesVT52 Vt52;
    for (const auto& [Code, Params, For100, For52] : Cases) {
        EXPECT_EQ(Vt100.EscCodeToStr(Code, Params), E(For100)) << Name(Code);
        EXPECT_EQ(Vt52.EscCodeToStr(Code, Params), E(For52)) << Name(Code);
    }
    // Whatever a parser generates, the same kind of parser reads back as that code.
    const TEscapeParams Two = {"7", "9"};
    for (auto Emulation : {TVT::teVT100orANSI, TVT::teVT52}) {
        auto Codes = MakeEscapeCodes(Emulation);
        for (int Ordinal = 0; Ordinal <= static_cast<int>(EC::ecTest); ++Ordinal) {
            const std::string Bytes = Codes->EscCodeToStr(static_cast<EC>(Ordinal), &Two);
            const std::string Got = Parse(*Codes, Bytes);
            EXPECT_TRUE(Bytes.empty() || Got.substr(0, Got.find('(')) == Name(static_cast<EC>(Ordinal))) << Got;
        }
    }
    EXPECT_EQ(MakeEscapeCodes(TVT::teNone), nullptr);
}

TEST(TermBuffer, PositionsOutsideTheGridAreIgnored)
{
    TComTermBuffer B;
    B.Init(20, 3);
    const TComTermChar Z{'Z', 1, 2, true};
    B.SetChar(20, 3, Z);
    for (auto [X, Y] : {std::pair{0, 1}, {21, 1}, {1, 0}, {1, 4}, {-1, -1}, {1000, 1000}})
        B.SetChar(X, Y, TComTermChar{'x', 0, 0, false});
    B.SetTab(21, true);
    B.EraseLine(21, 1);
    B.EraseLine(1, 4);
    B.EraseScreen(0, 2);
    B.EraseScreen(1, 99);
    EXPECT_EQ(Text(B), (Rows{std::string(20, '.'), std::string(20, '.'), std::string(19, '.') + "Z"}));
    EXPECT_EQ(B.GetChar(20, 3), Z);
    EXPECT_EQ(B.GetChar(0, 1), TComTermChar{});
    EXPECT_EQ(std::tuple(B.NextTab(18), B.GetLineLength(3), B.GetLastLine()), std::tuple(0, 20, 3));
}

TEST(TermScreen, CursorAddressingTabStopsAndTheirDefaults)
{
    // From column 30, row 9: where the caret ends. Huge parameters clamp without overflow; parameters do not leak
    // into the next code. Tab stops are every 8 columns until set ("^H") or cleared ("^[g" here, "^[3g" all).
    // clang-format off
    const std::tuple<std::string, int, int> Cases[] = {
        {"^[5;10H", 10, 5}, {"^[H", 1, 1}, {"^[7;3f", 3, 7}, {"^[4H", 1, 4}, {"^[;5H", 1, 1}, {"^[0;0H", 1, 1},
        {"^[A", 30, 8}, {"^[0A", 30, 9}, {"^[99A", 30, 1}, {"^[5C", 35, 9}, {"^[5D", 25, 9}, {"^OA", 30, 8},
        {"^OB", 30, 10}, {"^[99;999H", 80, 24}, {"^[2147483647B", 30, 24}, {"^[-2147483648D", 80, 9},
        {"^[5;10H^[H", 1, 1}, {"^[1;1H\t", 9, 1}, {"^[1;9H\t", 17, 1}, {"^[1;73H\t", 73, 1},
        {"^[1;5H^H^[1;1H\t", 5, 1}, {"^[1;9H^[g^[1;1H\t", 17, 1}, {"^[3g^[1;1H\t", 1, 1}};
    // clang-format on
    for (const auto& [Input, X, Y] : Cases) {
        Term T;
        T.Screen.MoveCaret(30, 9);
        T << Input;
        EXPECT_EQ(T.Caret(), At(X, Y)) << Input;
        EXPECT_EQ(T.Unhandled, "") << Input;
    }
}

TEST(TermScreen, TextFlowsWrapsScrollsAndErases)
{
    // '|' parts the input into separate receives.
    const struct {
        std::string Input;
        Rows Want;
        TTermPos Caret;
        bool Wrap = false;
        TVT Emulation = TVT::teVT100orANSI;
    } Cases[] = {
        {"abc^[1;4;7m^c", {"abc.....", "........", "........"}, At(4, 1)},
        {"^[2;2H^#8", {"EEEEEEEE", "EEEEEEEE", "EEEEEEEE"}, At(2, 2)},
        {"x\r\b\b", {"x.......", "........", "........"}, At(1, 1)},
        {"a\r\nb\r\nc\r\nd", {"b.......", "c.......", "d......."}, At(2, 3)},
        {"abcdefghijk", {"abcdefgk", "........", "........"}, At(8, 1)},
        {"abcdefghijklmnopqrstuvwxyz0123456789", {"qrstuvwx", "yz012345", "6789...."}, At(5, 3), true},
        {"top^I", {"........", "top.....", "........"}, At(4, 1), false, TVT::teVT52},
        {"^Y!|!X", {"........", ".X......", "........"}, At(3, 2), false, TVT::teVT52},
        {"\bab\b\x07^\x00z\r\f"s, {"az......", "........", "........"}, At(1, 2), false, TVT::teNone},
        {"^[2Jhi", {"[2Jhi...", "........", "........"}, At(6, 1), false, TVT::teNone},
        {"aaaaaaaa^[2;1Hbbbbbbbb^[3;1Hcccc^[2;3H^[J", {"aaaaaaaa", "bb......", "........"}, At(3, 2)},
        {"aaaaaaaa^[2;3H^[2J", {"........", "........", "........"}, At(1, 1)},
        {"aaaaaaaa^[2;1Hbbbbbbbb^[3;1Hcccc^[2;3H^[K", {"aaaaaaaa", "bb......", "cccc...."}, At(3, 2)},
    };
    for (const auto& C : Cases) {
        Term T(C.Emulation, 8, 3);
        T.Screen.WrapLines = C.Wrap;
        for (const std::string& Part : Blocks(C.Input))
            T << Part;
        EXPECT_EQ(Text(T.Screen.Buffer), C.Want) << C.Input;
        EXPECT_EQ(T.Caret(), C.Caret) << C.Input;
        EXPECT_EQ(T.Unhandled + T.Replies, "") << C.Input;
    }
}

TEST(TermScreen, RepliesToStatusAndIdentityQueriesAndUnhandledCodes)
{
    const std::tuple<TVT, std::string, std::string> Cases[] = {
        {TVT::teVT100orANSI, "^[5;10H^[6n", "^[5;10R"}, {TVT::teVT100orANSI, "^[6n", "^[1;1R"},
        {TVT::teVT100orANSI, "^[c", "^[?1;2c"},         {TVT::teVT100orANSI, "^[0c", "^[?1;2c"},
        {TVT::teVT100orANSI, "^[5n", "^[0n"},           {TVT::teVT52, "^Z", "^/Z"},
        {TVT::teVT100orANSI, "^[0n^[3n^[?1;2c", ""}, // replies that arrive are not answered
    };
    for (const auto& [Emulation, Input, Want] : Cases) {
        Term T(Emulation);
        T << Input;
        EXPECT_EQ(T.Replies, E(Want)) << Input;
    }
    Term T;
    T << "^[3;4R^Q^[9z";
    EXPECT_EQ(T.Unhandled, "ReportCursorPos([3;4R)Unknown(Q)Unknown([9z)");
    EXPECT_EQ(T.Screen.Buffer.GetLastLine(), 0);
}

TEST(TermScreen, AttributesAndTheWideMode)
{
    Term T;
    T.Screen.FontColor = 0xFFFFFF;
    T.Screen.Color = 0x000080;
    T.Screen.AltColor = 0xA6A6A6;
    T << "^[1;4mX^[mY^[7mR^[27;4mU^[24;1;21mN^[1;7mB^cZ";
    const std::tuple<char, TTermColor, TTermColor, bool> Want[] = {
        {'X', 0xA6A6A6, 0x000080, true}, {'Y', 0xFFFFFF, 0x000080, false}, {'R', 0x000080, 0xFFFFFF, false},
        {'U', 0xFFFFFF, 0x000080, true}, {'N', 0xFFFFFF, 0x000080, false}, {'B', 0xA6A6A6, 0xFFFFFF, false},
        {'Z', 0xFFFFFF, 0x000080, false}};
    for (int X = 1; auto [Ch, Front, Back, Underline] : Want)
        EXPECT_EQ(T.Screen.Buffer.GetChar(X++, 1),
                  (TComTermChar{static_cast<unsigned char>(Ch), Front, Back, Underline}))
            << Ch;

    T << "^[?3h";
    EXPECT_EQ(std::pair(T.Screen.Columns(), T.Screen.Buffer.GetLastLine()), std::pair(132, 0)); // wide and emptied
}

TEST(TermScreen, SizeChangesKeepTheCaretsInsideTheGrid)
{
    Term T;
    int Changes = 0;
    T.Screen.OnSizeChanged = [&Changes] { ++Changes; };
    T.Screen.SetColumns(1000);
    T.Screen.SetRows(1000);
    EXPECT_EQ(std::pair(T.Screen.Columns(), T.Screen.Rows()), std::pair(256, 100));
    T << "^[90;200H^[s";
    T.Screen.SetColumns(80);
    T.Screen.SetRows(1);
    EXPECT_EQ(T.Screen.Rows(), 2);
    EXPECT_EQ(T.Caret(), At(80, 2));
    EXPECT_EQ(T.Screen.SavedCaretPos(), At(80, 2));
    T << "^[1;1H^[uQ";
    T.Screen.SetColumns(80); // same value: the screen stays
    T.Screen.SetRows(-7);    // limited to 2, the same: stays
    EXPECT_EQ(T.Screen.Buffer.GetChar(80, 2).Ch, 'Q');
    EXPECT_EQ(Changes, 4);
}

TEST(TermScreen, SaveWritesLinesJoinedByCrLfAndLoadStopsAtTheStreamEnd)
{
    Term T;
    T << "ab^[3;5H\xe9\xff";
    std::ostringstream Out;
    T.Screen.SaveToStream(Out);
    EXPECT_EQ(Out.str(), "ab\r\n\r\n    \xe9\xff");
    Term Loaded;
    std::istringstream In(E("skip^[2Jab\r\ncd"));
    In.seekg(4);
    Loaded.Screen.LoadFromStream(In);
    // No escape processing: ESC is not shown, the rest is text.
    EXPECT_EQ(Loaded.Row(1).substr(0, 8) + Loaded.Row(2).substr(0, 3), "[2Jab...cd.");
    EXPECT_EQ(Loaded.Caret(), At(3, 2));
}
