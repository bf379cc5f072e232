#include "cport/Cportesc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using EC = TEscapeCode;

const char* Name(EC Code)
{
    static const char* const Names[] = {"Unknown",
                                        "NotCompleted",
                                        "CursorUp",
                                        "CursorDown",
                                        "CursorLeft",
                                        "CursorRight",
                                        "CursorHome",
                                        "CursorMove",
                                        "ReverseLineFeed",
                                        "AppCursorLeft",
                                        "AppCursorRight",
                                        "AppCursorUp",
                                        "AppCursorDown",
                                        "EraseLineFrom",
                                        "EraseScreenFrom",
                                        "EraseLine",
                                        "EraseScreen",
                                        "SetTab",
                                        "ClearTab",
                                        "ClearAllTabs",
                                        "Identify",
                                        "IdentResponse",
                                        "QueryDevice",
                                        "ReportDeviceOK",
                                        "ReportDeviceFailure",
                                        "QueryCursorPos",
                                        "ReportCursorPos",
                                        "Attributes",
                                        "SetMode",
                                        "ResetMode",
                                        "Reset",
                                        "SaveCaretAndAttr",
                                        "RestoreCaretAndAttr",
                                        "SaveCaret",
                                        "RestoreCaret",
                                        "Test"};
    return Names[static_cast<int>(Code)];
}

// What the parser makes of the bytes: "'c'" for a character, "Code(p1,p2)" for a code. Params are cleared after
// each code, as the terminal does.
std::vector<std::string> Parse(TEscapeCodes& Codes, const std::string& Bytes)
{
    std::vector<std::string> Out;
    for (const char Ch : Bytes) {
        switch (Codes.ProcessChar(Ch)) {
        case TEscapeResult::erChar:
            Out.push_back(std::string("'") + Codes.Character + "'");
            break;
        case TEscapeResult::erCode: {
            std::string Text = Name(Codes.Code);
            Text += '(';
            for (std::size_t i = 0; i < Codes.Params.size(); ++i)
                Text += (i ? "," : "") + Codes.Params[i];
            Out.push_back(Text + ')');
            Codes.Params.clear();
            break;
        }
        case TEscapeResult::erNothing:
            break;
        }
    }
    return Out;
}

struct ParseCase {
    const char* Input;
    std::vector<std::string> Want;
};

std::string Esc(const std::string& Rest)
{
    return "\x1b" + Rest;
}

} // namespace

TEST(TermEscape, Vt100SequencesAreDetected)
{
    const std::vector<ParseCase> Cases = {
        {"\x1b[5;10H", {"CursorHome(5,10)"}},
        {"\x1b[H", {"CursorHome()"}},
        {"\x1b[;5H", {"CursorHome(;5)"}},
        {"\x1b[1;;2H", {"CursorHome(1,;2)"}},
        {"\x1b[7;3f", {"CursorMove(7,3)"}},
        {"\x1b[0A", {"CursorUp(0)"}},
        {"\x1b[B\x1b[C\x1b[D", {"CursorDown()", "CursorRight()", "CursorLeft()"}},
        {"\x1b[J\x1b[0J\x1b[2J\x1b[1J", {"EraseScreenFrom()", "EraseScreenFrom()", "EraseScreen()", "Unknown()"}},
        {"\x1b[K\x1b[0K\x1b[2K\x1b[1K", {"EraseLineFrom()", "EraseLineFrom()", "EraseLine()", "Unknown()"}},
        {"\x1b[g\x1b[0g\x1b[3g\x1b[2g", {"ClearTab()", "ClearTab()", "ClearAllTabs()", "Unknown()"}},
        {"\x1b[0n\x1b[3n\x1b[5n\x1b[6n\x1b[n\x1b[7n",
         {"ReportDeviceOK()", "ReportDeviceFailure()", "QueryDevice()", "QueryCursorPos()", "Unknown()", "Unknown()"}},
        {"\x1b[c\x1b[0c\x1b[?1;2c\x1b[1c", {"Identify()", "Identify(0)", "IdentResponse(?1,2)", "Unknown(1)"}},
        {"\x1b[12;40R", {"ReportCursorPos(12,40)"}},
        {"\x1b[?3h\x1b[?1l\x1b[1;4m\x1b[m", {"SetMode(?3)", "ResetMode(?1)", "Attributes(1,4)", "Attributes()"}},
        {"\x1b[s\x1b[u\x1b[5z", {"SaveCaret()", "RestoreCaret()", "Unknown(5)"}},
        {"\x1bH\x1b"
         "7\x1b"
         "8\x1b"
         "c\x1b#8",
         {"SetTab()", "SaveCaretAndAttr()", "RestoreCaretAndAttr()", "Reset()", "Test()"}},
        {"\x1bOA\x1bOB\x1bOC\x1bOD", {"AppCursorUp()", "AppCursorDown()", "AppCursorRight()", "AppCursorLeft()"}},
        {"\x1bQ\x1b#9\x1bOx", {"Unknown()", "Unknown()", "Unknown()"}},
        {"A\x1b[1mB", {"'A'", "Attributes(1)", "'B'"}},
        {"\r\n\a\x7f", {"'\r'", "'\n'", "'\a'", "'\x7f'"}},
        {"\x1b\x1b", {"Unknown()"}},
        {"\x1b[2\x1b", {}}, // ESC inside a sequence does not restart it
    };
    for (const ParseCase& C : Cases) {
        TEscapeCodesVT100 Codes;
        EXPECT_EQ(Parse(Codes, C.Input), C.Want) << testing::PrintToString(std::string(C.Input));
    }
}

TEST(TermEscape, Vt52SequencesAreDetected)
{
    const std::vector<ParseCase> Cases = {
        {"\x1b"
         "A\x1b"
         "B\x1b"
         "C\x1b"
         "D\x1bH",
         {"CursorUp()", "CursorDown()", "CursorRight()", "CursorLeft()", "CursorHome()"}},
        {"\x1bI\x1bJ\x1bK\x1bZ", {"ReverseLineFeed()", "EraseScreenFrom()", "EraseLineFrom()", "Identify()"}},
        {"\x1b/Z\x1b/X", {"IdentResponse()", "Unknown()"}},
        {"\x1bY$)", {"CursorMove(5,10)"}},
        {"\x1bY  ", {"CursorMove(1,1)"}},
        {"\x1bY\x01\xff", {"CursorMove(-30,224)"}},
        {"\x1bY$", {}},
        {"\x1b[A", {"Unknown()", "'A'"}},
        {"x\x1bq", {"'x'", "Unknown()"}},
    };
    for (const ParseCase& C : Cases) {
        TEscapeCodesVT52 Codes;
        EXPECT_EQ(Parse(Codes, C.Input), C.Want) << testing::PrintToString(std::string(C.Input));
    }
}

TEST(TermEscape, CollectedDataExcludesTheEsc)
{
    TEscapeCodesVT100 Codes;
    Parse(Codes, "\x1b[12;3q");
    EXPECT_EQ(Codes.Data, "[12;3q");
    TEscapeCodesVT52 Vt52;
    Parse(Vt52, "\x1bY$)");
    EXPECT_EQ(Vt52.Data, "Y$)");
}

TEST(TermEscape, ASequenceThatNeverEndsIsDroppedAfter64Bytes)
{
    TEscapeCodesVT100 Codes;
    // ESC "[" and 63 digits make 64 bytes behind ESC: given up; the digits after it and "A" are plain text.
    const std::string Input = "\x1b[" + std::string(70, '1') + "A";
    const std::vector<std::string> Got = Parse(Codes, Input);
    std::vector<std::string> Want = {"Unknown()"};
    for (int i = 0; i < 7; ++i)
        Want.push_back("'1'");
    Want.push_back("'A'");
    EXPECT_EQ(Got, Want);
    EXPECT_EQ(Codes.Data.size(), 64u);

    // Just under the bound a sequence still completes.
    TEscapeCodesVT100 Long;
    EXPECT_EQ(Parse(Long, "\x1b[" + std::string(62, '1') + "A"),
              std::vector<std::string>{"CursorUp(" + std::string(62, '1') + ")"});
}

TEST(TermEscape, GetParamCountsAbsentAndMalformedAsOne)
{
    const TEscapeParams Params = {"0", "12", ";5", "?1", "-3", "+4", "99999999999", "7x"};
    struct Case {
        int Index, Want;
    };
    for (const Case& C : {Case{1, 0}, Case{2, 12}, Case{3, 1}, Case{4, 1}, Case{5, -3}, Case{6, 4}, Case{7, 1},
                          Case{8, 1}, Case{9, 1}, Case{0, 1}})
        EXPECT_EQ(TEscapeCodes::GetParam(C.Index, &Params), C.Want) << C.Index;
    EXPECT_EQ(TEscapeCodes::GetParam(1, nullptr), 1);
}

TEST(TermEscape, Vt100Generator)
{
    const TEscapeParams Move = {"12", "40"};
    const TEscapeParams Ident = {"2"};
    struct Case {
        EC Code;
        const TEscapeParams* Params;
        std::string Want;
    };
    const std::vector<Case> Cases = {
        {EC::ecCursorUp, nullptr, Esc("[A")},
        {EC::ecCursorDown, nullptr, Esc("[B")},
        {EC::ecCursorLeft, nullptr, Esc("[D")},
        {EC::ecCursorRight, nullptr, Esc("[C")},
        {EC::ecCursorHome, nullptr, Esc("[H")},
        {EC::ecCursorMove, &Move, Esc("[12;40f")},
        {EC::ecCursorMove, nullptr, Esc("[1;1f")},
        {EC::ecReverseLineFeed, nullptr, ""},
        {EC::ecAppCursorLeft, nullptr, Esc("OD")},
        {EC::ecAppCursorRight, nullptr, Esc("OC")},
        {EC::ecAppCursorUp, nullptr, Esc("OA")},
        {EC::ecAppCursorDown, nullptr, Esc("OB")},
        {EC::ecEraseLineFrom, nullptr, Esc("[K")},
        {EC::ecEraseScreenFrom, nullptr, Esc("[J")},
        {EC::ecEraseLine, nullptr, Esc("[2K")},
        {EC::ecEraseScreen, nullptr, Esc("[2J")},
        {EC::ecSetTab, nullptr, Esc("H")},
        {EC::ecClearTab, nullptr, Esc("[g")},
        {EC::ecClearAllTabs, nullptr, Esc("[3g")},
        {EC::ecIdentify, nullptr, Esc("[c")},
        {EC::ecIdentResponse, &Ident, Esc("[?1;2c")},
        {EC::ecQueryDevice, nullptr, Esc("[5n")},
        {EC::ecReportDeviceOK, nullptr, Esc("[0n")},
        {EC::ecReportDeviceFailure, nullptr, Esc("[3n")},
        {EC::ecQueryCursorPos, nullptr, Esc("[6n")},
        {EC::ecReportCursorPos, &Move, Esc("[12;40R")},
        {EC::ecAttributes, &Move, Esc("[m")},
        {EC::ecSetMode, &Ident, Esc("[h")},
        {EC::ecResetMode, nullptr, Esc("[l")},
        {EC::ecReset, nullptr, Esc("c")},
        {EC::ecSaveCaretAndAttr, nullptr, Esc("7")},
        {EC::ecRestoreCaretAndAttr, nullptr, Esc("8")},
        {EC::ecSaveCaret, nullptr, Esc("[s")},
        {EC::ecRestoreCaret, nullptr, Esc("[u")},
        {EC::ecTest, nullptr, Esc("#8")},
        {EC::ecUnknown, nullptr, ""},
        {EC::ecNotCompleted, nullptr, ""},
    };
    TEscapeCodesVT100 Codes;
    for (const Case& C : Cases)
        EXPECT_EQ(Codes.EscCodeToStr(C.Code, C.Params), C.Want) << Name(C.Code);
}

TEST(TermEscape, Vt52Generator)
{
    const TEscapeParams Move = {"5", "10"};
    struct Case {
        EC Code;
        const TEscapeParams* Params;
        std::string Want;
    };
    const std::vector<Case> Cases = {
        {EC::ecCursorUp, nullptr, Esc("A")},
        {EC::ecCursorDown, nullptr, Esc("B")},
        {EC::ecCursorLeft, nullptr, Esc("D")},
        {EC::ecCursorRight, nullptr, Esc("C")},
        {EC::ecCursorHome, nullptr, Esc("H")},
        {EC::ecCursorMove, &Move, Esc("Y$)")},
        {EC::ecReverseLineFeed, nullptr, Esc("I")},
        {EC::ecEraseLineFrom, nullptr, Esc("K")},
        {EC::ecEraseScreenFrom, nullptr, Esc("J")},
        {EC::ecIdentify, nullptr, Esc("Z")},
        {EC::ecIdentResponse, nullptr, Esc("/Z")},
        {EC::ecEraseLine, nullptr, ""},
        {EC::ecAppCursorUp, nullptr, ""},
        {EC::ecQueryCursorPos, nullptr, ""},
        {EC::ecSetTab, nullptr, ""},
    };
    TEscapeCodesVT52 Codes;
    for (const Case& C : Cases)
        EXPECT_EQ(Codes.EscCodeToStr(C.Code, C.Params), C.Want) << Name(C.Code);
}

// Whatever a parser generates, the same kind of parser reads back as that code.
TEST(TermEscape, GeneratedSequencesParseBack)
{
    const TEscapeParams Two = {"7", "9"};
    for (auto Emulation : {TTermEmulation::teVT100orANSI, TTermEmulation::teVT52}) {
        auto Codes = MakeEscapeCodes(Emulation);
        for (int Ordinal = 0; Ordinal <= static_cast<int>(EC::ecTest); ++Ordinal) {
            const EC Code = static_cast<EC>(Ordinal);
            const std::string Bytes = Codes->EscCodeToStr(Code, &Two);
            if (Bytes.empty())
                continue;
            const std::vector<std::string> Got = Parse(*Codes, Bytes);
            ASSERT_EQ(Got.size(), 1u) << Name(Code);
            EXPECT_EQ(Got[0].substr(0, Got[0].find('(')), Name(Code));
        }
    }
    EXPECT_EQ(MakeEscapeCodes(TTermEmulation::teNone), nullptr);
}
