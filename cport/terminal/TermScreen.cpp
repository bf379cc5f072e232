#include "cport/terminal/TermScreen.h"

#include <algorithm>
#include <istream>
#include <iterator>
#include <ostream>

using EC = TEscapeCode;

TermScreen::TermScreen()
{
    Buffer.Init(80, 24);
}

TTermPos TermScreen::Clamped(TTermPos Pos) const
{
    return {std::clamp(Pos.X, 1, Columns()), std::clamp(Pos.Y, 1, Rows())};
}

void TermScreen::Resize(int NewColumns, int NewRows)
{
    NewColumns = std::clamp(NewColumns, TComTermBuffer::MinColumns, TComTermBuffer::MaxColumns);
    NewRows = std::clamp(NewRows, TComTermBuffer::MinRows, TComTermBuffer::MaxRows);
    if (NewColumns == Columns() && NewRows == Rows())
        return;
    Buffer.Init(NewColumns, NewRows);
    Caret = Clamped(Caret);
    SavedCaret = Clamped(SavedCaret);
    if (OnSizeChanged)
        OnSizeChanged();
}

void TermScreen::SetColumns(int Value)
{
    Resize(Value, Rows());
}

void TermScreen::SetRows(int Value)
{
    Resize(Columns(), Value);
}

void TermScreen::ClearScreen()
{
    Buffer.Init(Columns(), Rows());
    MoveCaret(1, 1);
}

void TermScreen::MoveCaret(long long X, long long Y)
{
    Caret.X = static_cast<int>(std::clamp<long long>(X, 1, Columns()));
    Caret.Y = static_cast<int>(std::clamp<long long>(Y, 1, Rows()));
}

TComTermChar TermScreen::GetCharAttr() const
{
    TComTermChar Cell;
    Cell.FrontColor = Attr.Bold ? AltColor : Attr.Reverse ? Color : FontColor;
    Cell.BackColor = Attr.Reverse ? FontColor : Color;
    Cell.Underline = Attr.Underline;
    return Cell;
}

void TermScreen::AdvanceCaret(TAdvanceCaret Kind)
{
    const int X = Caret.X;
    const int Y = Caret.Y;
    switch (Kind) {
    case TAdvanceCaret::acChar:
        if (X < Columns()) {
            MoveCaret(X + 1, Y);
        } else if (WrapLines) {
            if (Y == Rows())
                Buffer.ScrollDown();
            MoveCaret(1, Y + 1);
        }
        break;
    case TAdvanceCaret::acReturn:
        MoveCaret(1, Y);
        break;
    case TAdvanceCaret::acLineFeed:
        if (Y == Rows())
            Buffer.ScrollDown();
        MoveCaret(X, Y + 1);
        break;
    case TAdvanceCaret::acReverseLineFeed:
        if (Y == 1)
            Buffer.ScrollUp();
        MoveCaret(X, Y - 1);
        break;
    case TAdvanceCaret::acTab:
        if (const int Stop = Buffer.NextTab(X + 1); Stop > 0)
            MoveCaret(Stop, Y);
        break;
    case TAdvanceCaret::acBackspace:
        MoveCaret(X - 1, Y);
        break;
    }
}

void TermScreen::PutChar(unsigned char Ch)
{
    switch (Ch) {
    case 8:
        AdvanceCaret(TAdvanceCaret::acBackspace);
        break;
    case 9:
        AdvanceCaret(TAdvanceCaret::acTab);
        break;
    case 10:
    case 12:
        AdvanceCaret(TAdvanceCaret::acLineFeed);
        break;
    case 13:
        AdvanceCaret(TAdvanceCaret::acReturn);
        break;
    default:
        if (Ch >= 32) {
            TComTermChar Cell = GetCharAttr();
            Cell.Ch = Ch;
            Buffer.SetChar(Caret.X, Caret.Y, Cell);
            AdvanceCaret(TAdvanceCaret::acChar);
        }
        break;
    }
    if (OnChar)
        OnChar(static_cast<char>(Ch));
}

void TermScreen::Write(const char* Data, std::size_t Count)
{
    for (std::size_t i = 0; i < Count; ++i) {
        TEscapeCodes* Codes = EscapeCodes.get();
        if (!Codes) {
            PutChar(static_cast<unsigned char>(Data[i]));
            continue;
        }
        switch (Codes->ProcessChar(Data[i])) {
        case TEscapeResult::erChar:
            PutChar(static_cast<unsigned char>(Codes->Character));
            break;
        case TEscapeResult::erCode: {
            // Executed from copies: a handler called from here may replace the parser.
            const EC Code = Codes->Code;
            const std::string Sequence = Codes->Data;
            TEscapeParams Params;
            Params.swap(Codes->Params);
            if (!PutEscapeCode(Code, &Params) && OnUnhandledCode)
                OnUnhandledCode(Code, Sequence);
            break;
        }
        case TEscapeResult::erNothing:
            break;
        }
    }
}

void TermScreen::Reply(TEscapeCode Code, const TEscapeParams* Params)
{
    if (!EscapeCodes || !OnReply)
        return;
    const std::string Bytes = EscapeCodes->EscCodeToStr(Code, Params);
    if (!Bytes.empty())
        OnReply(Bytes);
}

bool TermScreen::PutEscapeCode(TEscapeCode Code, const TEscapeParams* Params)
{
    const int X = Caret.X;
    const int Y = Caret.Y;
    const long long P1 = TEscapeCodes::GetParam(1, Params);
    const long long P2 = TEscapeCodes::GetParam(2, Params);
    const TEscapeParams NoParams;
    const TEscapeParams& List = Params ? *Params : NoParams;
    switch (Code) {
    case EC::ecCursorUp:
    case EC::ecAppCursorUp:
        MoveCaret(X, Y - P1);
        break;
    case EC::ecCursorDown:
    case EC::ecAppCursorDown:
        MoveCaret(X, Y + P1);
        break;
    case EC::ecCursorLeft:
    case EC::ecAppCursorLeft:
        MoveCaret(X - P1, Y);
        break;
    case EC::ecCursorRight:
    case EC::ecAppCursorRight:
        MoveCaret(X + P1, Y);
        break;
    case EC::ecCursorHome:
    case EC::ecCursorMove:
        MoveCaret(P2, P1);
        break;
    case EC::ecReverseLineFeed:
        AdvanceCaret(TAdvanceCaret::acReverseLineFeed);
        break;
    case EC::ecEraseLineFrom:
        Buffer.EraseLine(X, Y);
        break;
    case EC::ecEraseScreenFrom:
        Buffer.EraseScreen(X, Y);
        break;
    case EC::ecEraseLine:
        Buffer.EraseLine(1, Y);
        MoveCaret(1, Y);
        break;
    case EC::ecEraseScreen:
        Buffer.EraseScreen(1, 1);
        MoveCaret(1, 1);
        break;
    case EC::ecSetTab:
        Buffer.SetTab(X, true);
        break;
    case EC::ecClearTab:
        Buffer.SetTab(X, false);
        break;
    case EC::ecClearAllTabs:
        Buffer.ClearAllTabs();
        break;
    case EC::ecIdentify: {
        const TEscapeParams Ident{"2"};
        Reply(EC::ecIdentResponse, &Ident);
        break;
    }
    case EC::ecQueryDevice:
        Reply(EC::ecReportDeviceOK, nullptr);
        break;
    case EC::ecQueryCursorPos: {
        const TEscapeParams Pos{std::to_string(Y), std::to_string(X)};
        Reply(EC::ecReportCursorPos, &Pos);
        break;
    }
    case EC::ecAttributes:
        SetAttributes(List);
        break;
    case EC::ecSetMode:
        SetMode(List, true);
        break;
    case EC::ecResetMode:
        SetMode(List, false);
        break;
    case EC::ecReset:
        SetAttributes(TEscapeParams{"0"});
        break;
    case EC::ecSaveCaretAndAttr:
        SavedCaret = Caret;
        SavedAttr = Attr;
        break;
    case EC::ecRestoreCaretAndAttr:
        MoveCaret(SavedCaret.X, SavedCaret.Y);
        Attr = SavedAttr;
        break;
    case EC::ecSaveCaret:
        SavedCaret = Caret;
        break;
    case EC::ecRestoreCaret:
        MoveCaret(SavedCaret.X, SavedCaret.Y);
        break;
    case EC::ecTest:
        Buffer.Fill(TComTermChar{'E', FontColor, Color, false});
        break;
    default:
        return false;
    }
    return true;
}

void TermScreen::SetAttributes(const TEscapeParams& Params)
{
    if (Params.empty()) {
        Attr = TTermAttr{};
        return;
    }
    for (int i = 1; i <= static_cast<int>(Params.size()); ++i) {
        switch (TEscapeCodes::GetParam(i, &Params)) {
        case 0:
            Attr = TTermAttr{};
            break;
        case 1:
            Attr.Bold = true;
            break;
        case 4:
            Attr.Underline = true;
            break;
        case 7:
            Attr.Reverse = true;
            break;
        case 21:
            Attr.Bold = false;
            break;
        case 24:
            Attr.Underline = false;
            break;
        case 27:
            Attr.Reverse = false;
            break;
        default:
            break; // colours and the rest are not shown
        }
    }
}

void TermScreen::SetMode(const TEscapeParams& Params, bool On)
{
    if (Params.empty())
        return;
    const std::string& Mode = Params.front();
    if (Mode == "?1")
        AppCursorKeys = On;
    else if (Mode == "7")
        WrapLines = On;
    else if (Mode == "?3")
        SetColumns(On ? 132 : 80);
}

void TermScreen::SaveToStream(std::ostream& Stream) const
{
    const int LastLine = Buffer.GetLastLine();
    for (int Y = 1; Y <= LastLine; ++Y) {
        const int Length = Buffer.GetLineLength(Y);
        for (int X = 1; X <= Length; ++X) {
            const unsigned char Ch = Buffer.GetChar(X, Y).Ch;
            Stream.put(static_cast<char>(Ch != 0 ? Ch : ' '));
        }
        if (Y < LastLine)
            Stream.write("\r\n", 2);
    }
}

void TermScreen::LoadFromStream(std::istream& Stream)
{
    for (std::istreambuf_iterator<char> It(Stream), End; It != End; ++It)
        PutChar(static_cast<unsigned char>(*It));
}
