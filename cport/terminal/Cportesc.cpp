#include "cport/terminal/Cportesc.h"

#include <charconv>

namespace
{

constexpr char ESC = 27;

using EC = TEscapeCode;

bool IsLetter(char Ch)
{
    return (Ch >= 'A' && Ch <= 'Z') || (Ch >= 'a' && Ch <= 'z');
}

std::string Esc(const char* Text)
{
    return std::string(1, ESC) + Text;
}

// The fields between "[" and the final letter, split at ";". A ";" that meets an empty field is kept and starts
// the next field, so ";5" stays one field that is not a number.
TEscapeParams SplitFields(const std::string& Data)
{
    TEscapeParams Fields;
    std::string Field;
    for (std::size_t i = 1; i + 1 < Data.size(); ++i) {
        const char Ch = Data[i];
        if (Ch == ';' && !Field.empty()) {
            Fields.push_back(Field);
            Field.clear();
        } else {
            Field.push_back(Ch);
        }
    }
    if (!Field.empty())
        Fields.push_back(Field);
    return Fields;
}

// The code picked by the first field out of a small choice; the fields are consumed either way.
EC ByFirstField(TEscapeParams& Fields, EC WhenNone, std::initializer_list<std::pair<const char*, EC>> Choices)
{
    EC Code = Fields.empty() ? WhenNone : EC::ecUnknown;
    if (!Fields.empty())
        for (const auto& [Text, Choice] : Choices)
            if (Fields[0] == Text)
                Code = Choice;
    Fields.clear();
    return Code;
}

} // namespace

TEscapeResult TEscapeCodes::ProcessChar(char Ch)
{
    if (!InSequence) {
        if (Ch != ESC) {
            Character = Ch;
            return TEscapeResult::erChar;
        }
        Data.clear();
        Params.clear();
        InSequence = true;
        return TEscapeResult::erNothing;
    }
    Data.push_back(Ch);
    EC Detected = DetectSequence();
    if (Detected == EC::ecNotCompleted && Data.size() >= MaxSequenceLength)
        Detected = EC::ecUnknown;
    if (Detected == EC::ecNotCompleted)
        return TEscapeResult::erNothing;
    Code = Detected;
    EndSequence();
    return TEscapeResult::erCode;
}

int TEscapeCodes::GetParam(int Index, const TEscapeParams* Params)
{
    if (!Params || Index < 1 || Index > static_cast<int>(Params->size()))
        return 1;
    const std::string& Text = (*Params)[Index - 1];
    const char* First = Text.data();
    const char* Last = First + Text.size();
    if (First != Last && *First == '+')
        ++First;
    int Value = 0;
    const auto [End, Error] = std::from_chars(First, Last, Value);
    if (Error != std::errc() || End != Last || First == Last)
        return 1;
    return Value;
}

// ---- VT52 ----

TEscapeCode TEscapeCodesVT52::DetectSequence()
{
    switch (Data[0]) {
    case 'A':
        return EC::ecCursorUp;
    case 'B':
        return EC::ecCursorDown;
    case 'C':
        return EC::ecCursorRight;
    case 'D':
        return EC::ecCursorLeft;
    case 'H':
        return EC::ecCursorHome;
    case 'I':
        return EC::ecReverseLineFeed;
    case 'J':
        return EC::ecEraseScreenFrom;
    case 'K':
        return EC::ecEraseLineFrom;
    case 'Z':
        return EC::ecIdentify;
    case '/':
        if (Data.size() < 2)
            return EC::ecNotCompleted;
        return Data[1] == 'Z' ? EC::ecIdentResponse : EC::ecUnknown;
    case 'Y':
        if (Data.size() < 3)
            return EC::ecNotCompleted;
        // Row and column travel as one byte each, offset by 31.
        Params.push_back(std::to_string(static_cast<unsigned char>(Data[1]) - 31));
        Params.push_back(std::to_string(static_cast<unsigned char>(Data[2]) - 31));
        return EC::ecCursorMove;
    default:
        return EC::ecUnknown;
    }
}

std::string TEscapeCodesVT52::EscCodeToStr(TEscapeCode Code, const TEscapeParams* Params) const
{
    switch (Code) {
    case EC::ecCursorUp:
        return Esc("A");
    case EC::ecCursorDown:
        return Esc("B");
    case EC::ecCursorLeft:
        return Esc("D");
    case EC::ecCursorRight:
        return Esc("C");
    case EC::ecCursorHome:
        return Esc("H");
    case EC::ecCursorMove:
        return Esc("Y") + static_cast<char>(GetParam(1, Params) + 31) + static_cast<char>(GetParam(2, Params) + 31);
    case EC::ecReverseLineFeed:
        return Esc("I");
    case EC::ecEraseLineFrom:
        return Esc("K");
    case EC::ecEraseScreenFrom:
        return Esc("J");
    case EC::ecIdentify:
        return Esc("Z");
    case EC::ecIdentResponse:
        return Esc("/Z");
    default:
        return {};
    }
}

// ---- VT100 / ANSI ----

void TEscapeCodesVT100::EndSequence()
{
    TEscapeCodes::EndSequence();
    InControlSequence = false;
}

TEscapeCode TEscapeCodesVT100::DetectSequence()
{
    if (InControlSequence)
        return DetectExtCode();
    if (Data[0] != '[')
        return DetectCode();
    InControlSequence = true;
    return EC::ecNotCompleted;
}

TEscapeCode TEscapeCodesVT100::DetectCode() const
{
    if (Data == "H")
        return EC::ecSetTab;
    if (Data == "7")
        return EC::ecSaveCaretAndAttr;
    if (Data == "8")
        return EC::ecRestoreCaretAndAttr;
    if (Data == "c")
        return EC::ecReset;
    if (Data == "#" || Data == "O")
        return EC::ecNotCompleted;
    if (Data == "#8")
        return EC::ecTest;
    if (Data == "OA")
        return EC::ecAppCursorUp;
    if (Data == "OB")
        return EC::ecAppCursorDown;
    if (Data == "OC")
        return EC::ecAppCursorRight;
    if (Data == "OD")
        return EC::ecAppCursorLeft;
    return EC::ecUnknown;
}

TEscapeCode TEscapeCodesVT100::DetectExtCode()
{
    const char Final = Data.back();
    if (!IsLetter(Final))
        return EC::ecNotCompleted;
    TEscapeParams Fields = SplitFields(Data);
    EC Code = EC::ecUnknown;
    switch (Final) {
    case 'A':
        Code = EC::ecCursorUp;
        break;
    case 'B':
        Code = EC::ecCursorDown;
        break;
    case 'C':
        Code = EC::ecCursorRight;
        break;
    case 'D':
        Code = EC::ecCursorLeft;
        break;
    case 'H':
        Code = EC::ecCursorHome;
        break;
    case 'f':
        Code = EC::ecCursorMove;
        break;
    case 'J':
        Code = ByFirstField(Fields, EC::ecEraseScreenFrom, {{"0", EC::ecEraseScreenFrom}, {"2", EC::ecEraseScreen}});
        break;
    case 'K':
        Code = ByFirstField(Fields, EC::ecEraseLineFrom, {{"0", EC::ecEraseLineFrom}, {"2", EC::ecEraseLine}});
        break;
    case 'g':
        Code = ByFirstField(Fields, EC::ecClearTab, {{"0", EC::ecClearTab}, {"3", EC::ecClearAllTabs}});
        break;
    case 'n':
        Code = ByFirstField(Fields, EC::ecUnknown,
                            {{"0", EC::ecReportDeviceOK},
                             {"3", EC::ecReportDeviceFailure},
                             {"5", EC::ecQueryDevice},
                             {"6", EC::ecQueryCursorPos}});
        break;
    case 'c':
        if (Fields.empty() || (Fields.size() == 1 && Fields[0] == "0"))
            Code = EC::ecIdentify;
        else if (Fields.size() == 2 && Fields[0] == "?1")
            Code = EC::ecIdentResponse;
        break;
    case 'R':
        Code = EC::ecReportCursorPos;
        break;
    case 'h':
        Code = EC::ecSetMode;
        break;
    case 'l':
        Code = EC::ecResetMode;
        break;
    case 'm':
        Code = EC::ecAttributes;
        break;
    case 's':
        Code = EC::ecSaveCaret;
        break;
    case 'u':
        Code = EC::ecRestoreCaret;
        break;
    default:
        break;
    }
    Params = std::move(Fields);
    return Code;
}

std::string TEscapeCodesVT100::EscCodeToStr(TEscapeCode Code, const TEscapeParams* Params) const
{
    const auto Two = [Params](const char* Lead, char Final) {
        return Esc(Lead) + std::to_string(GetParam(1, Params)) + ';' + std::to_string(GetParam(2, Params)) + Final;
    };
    switch (Code) {
    case EC::ecCursorUp:
        return Esc("[A");
    case EC::ecCursorDown:
        return Esc("[B");
    case EC::ecCursorLeft:
        return Esc("[D");
    case EC::ecCursorRight:
        return Esc("[C");
    case EC::ecCursorHome:
        return Esc("[H");
    case EC::ecCursorMove:
        return Two("[", 'f');
    case EC::ecAppCursorLeft:
        return Esc("OD");
    case EC::ecAppCursorRight:
        return Esc("OC");
    case EC::ecAppCursorUp:
        return Esc("OA");
    case EC::ecAppCursorDown:
        return Esc("OB");
    case EC::ecEraseLineFrom:
        return Esc("[K");
    case EC::ecEraseScreenFrom:
        return Esc("[J");
    case EC::ecEraseLine:
        return Esc("[2K");
    case EC::ecEraseScreen:
        return Esc("[2J");
    case EC::ecSetTab:
        return Esc("H");
    case EC::ecClearTab:
        return Esc("[g");
    case EC::ecClearAllTabs:
        return Esc("[3g");
    case EC::ecIdentify:
        return Esc("[c");
    case EC::ecIdentResponse:
        return Esc("[?1;") + std::to_string(GetParam(1, Params)) + 'c';
    case EC::ecQueryDevice:
        return Esc("[5n");
    case EC::ecReportDeviceOK:
        return Esc("[0n");
    case EC::ecReportDeviceFailure:
        return Esc("[3n");
    case EC::ecQueryCursorPos:
        return Esc("[6n");
    case EC::ecReportCursorPos:
        return Two("[", 'R');
    case EC::ecAttributes:
        return Esc("[m");
    case EC::ecSetMode:
        return Esc("[h");
    case EC::ecResetMode:
        return Esc("[l");
    case EC::ecReset:
        return Esc("c");
    case EC::ecSaveCaretAndAttr:
        return Esc("7");
    case EC::ecRestoreCaretAndAttr:
        return Esc("8");
    case EC::ecSaveCaret:
        return Esc("[s");
    case EC::ecRestoreCaret:
        return Esc("[u");
    case EC::ecTest:
        return Esc("#8");
    default:
        return {};
    }
}

std::unique_ptr<TEscapeCodes> MakeEscapeCodes(TTermEmulation Emulation)
{
    switch (Emulation) {
    case TTermEmulation::teVT100orANSI:
        return std::make_unique<TEscapeCodesVT100>();
    case TTermEmulation::teVT52:
        return std::make_unique<TEscapeCodesVT52>();
    case TTermEmulation::teNone:
        break;
    }
    return nullptr;
}
