#pragma once

#include "cport/terminal/Cportesc.h"
#include "cport/terminal/TermBuffer.h"

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

// A 1-based cell position: column X, row Y.
struct TTermPos {
    int X = 1;
    int Y = 1;
    bool operator==(const TTermPos&) const = default;
};

// Character attributes set by escape codes; how they colour a cell is decided when the cell is written.
struct TTermAttr {
    bool Reverse = false;
    bool Bold = false;
    bool Underline = false;
    bool operator==(const TTermAttr&) const = default;
};

enum class TAdvanceCaret { acChar, acReturn, acLineFeed, acReverseLineFeed, acTab, acBackspace };

// What a terminal shows and how received bytes change it: the cell buffer, the caret, the attributes and the
// escape-code parser with its executor. No drawing and no port here; replies to the unit go out through OnReply.
class TermScreen
{
  public:
    TermScreen();

    int Columns() const { return Buffer.Columns(); }
    int Rows() const { return Buffer.Rows(); }
    // Both limit the value; a real change empties the screen and keeps the caret and the saved caret inside it.
    void SetColumns(int Value);
    void SetRows(int Value);

    // The parser in use (none: every byte is a plain character). The screen owns it.
    void SetEscapeCodes(std::unique_ptr<TEscapeCodes> Codes) { EscapeCodes = std::move(Codes); }
    TEscapeCodes* GetEscapeCodes() const { return EscapeCodes.get(); }

    // The receive path: bytes through the parser onto the screen.
    void Write(const char* Data, std::size_t Count);
    void WriteStr(const std::string& Str) { Write(Str.data(), Str.size()); }

    void PutChar(unsigned char Ch);
    // Executes a code as if it had been received; false for a code that is not executed here.
    bool PutEscapeCode(TEscapeCode Code, const TEscapeParams* Params);
    void MoveCaret(long long X, long long Y);
    void AdvanceCaret(TAdvanceCaret Kind);
    void ClearScreen();

    // The text as lines of bytes joined by CR LF, an empty cell as a space; attributes are not kept.
    void SaveToStream(std::ostream& Stream) const;
    // Puts every byte from the stream's position to its end through PutChar (no escape processing).
    void LoadFromStream(std::istream& Stream);

    TTermPos CaretPos() const { return Caret; }
    TTermPos SavedCaretPos() const { return SavedCaret; }
    TTermAttr CurrentAttr() const { return Attr; }
    // The cell that a character written now would get.
    TComTermChar GetCharAttr() const;

    TComTermBuffer Buffer;
    bool WrapLines = false;
    bool AppCursorKeys = false;
    TTermColor FontColor = 0xFFFFFF;
    TTermColor Color = 0x000000;
    TTermColor AltColor = 0xA6A6A6;

    std::function<void(const std::string& Bytes)> OnReply;
    std::function<void(char Ch)> OnChar;
    std::function<void(TEscapeCode Code, const std::string& Data)> OnUnhandledCode;
    // Columns or Rows changed (also through an escape code).
    std::function<void()> OnSizeChanged;

  private:
    void Resize(int NewColumns, int NewRows);
    void Reply(TEscapeCode Code, const TEscapeParams* Params);
    void SetAttributes(const TEscapeParams& Params);
    void SetMode(const TEscapeParams& Params, bool On);
    TTermPos Clamped(TTermPos Pos) const;

    std::unique_ptr<TEscapeCodes> EscapeCodes;
    TTermPos Caret;
    TTermPos SavedCaret;
    TTermAttr Attr;
    TTermAttr SavedAttr;
};
