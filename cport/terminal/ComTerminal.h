#pragma once

#include "cport/port/ComLink.h"
#include "cport/terminal/TermKeys.h"
#include "cport/terminal/TermScreen.h"

#include <QAbstractScrollArea>
#include <QColor>

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

class TermPortLink;

enum class TTermCaret { tcBlock, tcUnderline, tcNone };
enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum class TBorderStyle { bsNone, bsSingle };

// A character terminal on a serial port: shows what the port receives (optionally through a VT52 or VT100
// parser) and sends what the user types. Cells are single bytes drawn as Latin-1 in a fixed-pitch font.
class TCustomComTerminal : public QAbstractScrollArea
{
    Q_OBJECT

  public:
    explicit TCustomComTerminal(QWidget* Parent = nullptr);
    ~TCustomComTerminal() override;

    // Binds the terminal to a port (none detaches it); the port then feeds every received block to the terminal.
    void SetComPort(TermPortLink* Port);
    TermPortLink* ComPort() const { return FComPort; }
    // A port is bound and open.
    bool Connected() const;
    // Opens or closes the bound port; nothing without one.
    void SetConnected(bool Value);

    void ClearScreen();
    void MoveCaret(int X, int Y);
    // The screen-writing path: bytes through the parser onto the screen, as if received.
    void Write(const char* Buffer, int Count);
    void WriteStr(const std::string& Str);
    // Executes a code as if received (only with a parser).
    void WriteEscCode(TEscapeCode Code, const TEscapeParams& Params);
    void SaveToStream(std::ostream& Stream) const;
    void LoadFromStream(std::istream& Stream);
    void SelectFont();
    void ShowSetupDialog();

    // The sending path; each does nothing unless a port is bound and open.
    void SendChar(char Ch);
    void SendCode(TEscapeCode Code, const TEscapeParams* Params);
    void SendCodeNoEcho(TEscapeCode Code, const TEscapeParams* Params);

    QColor AltColor() const;
    void SetAltColor(const QColor& Value);
    QColor Color() const;
    void SetColor(const QColor& Value);
    QColor FontColor() const;
    void SetFontColor(const QColor& Value);
    bool AppendLF() const { return FAppendLF; }
    void SetAppendLF(bool Value) { FAppendLF = Value; }
    TArrowKeys ArrowKeys() const { return FArrowKeys; }
    void SetArrowKeys(TArrowKeys Value) { FArrowKeys = Value; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TTermCaret Caret() const { return FCaret; }
    void SetCaret(TTermCaret Value);
    int Columns() const { return Screen.Columns(); }
    void SetColumns(int Value) { Screen.SetColumns(Value); }
    int Rows() const { return Screen.Rows(); }
    void SetRows(int Value) { Screen.SetRows(Value); }
    TTermEmulation Emulation() const { return FEmulation; }
    void SetEmulation(TTermEmulation Value);
    bool Force7Bit() const { return FForce7Bit; }
    void SetForce7Bit(bool Value) { FForce7Bit = Value; }
    bool LocalEcho() const { return FLocalEcho; }
    void SetLocalEcho(bool Value) { FLocalEcho = Value; }
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    bool SendLF() const { return FSendLF; }
    void SetSendLF(bool Value) { FSendLF = Value; }
    bool SmoothScroll() const { return FSmoothScroll; }
    void SetSmoothScroll(bool Value);
    bool WantTab() const { return FWantTab; }
    void SetWantTab(bool Value) { FWantTab = Value; }
    bool WrapLines() const { return Screen.WrapLines; }
    void SetWrapLines(bool Value) { Screen.WrapLines = Value; }

    TTermPos CaretPos() const { return Screen.CaretPos(); }
    TTermPos TopLeft() const { return FTopLeft; }
    TTermAttr CurrentAttr() const { return Screen.CurrentAttr(); }
    bool AppCursorKeys() const { return Screen.AppCursorKeys; }
    const TComTermBuffer& Buffer() const { return Screen.Buffer; }
    TEscapeCodes* EscapeCodes() const { return Screen.GetEscapeCodes(); }
    int CellWidth() const { return FCellWidth; }
    int CellHeight() const { return FCellHeight; }
    bool CaretExists() const { return FCaretExists; }
    int CaretHeight() const { return FCaretHeight; }

    std::function<void(TCustomComTerminal* Sender, char Ch)> OnChar;
    std::function<void(TCustomComTerminal* Sender, std::unique_ptr<TEscapeCodes>& EscapeCodes)> OnGetEscapeCodes;
    std::function<void(TCustomComTerminal* Sender, std::string& Str)> OnStrRecieved;
    std::function<void(TCustomComTerminal* Sender, TEscapeCode Code, std::string Data)> OnUnhandledCode;
    // Runs before a typed character is sent; setting Key to 0 swallows it.
    std::function<void(TCustomComTerminal* Sender, char& Key)> OnKeyPress;

    QSize sizeHint() const override;

  protected:
    virtual void DoChar(char Ch);
    virtual void DoGetEscapeCodes(std::unique_ptr<TEscapeCodes>& Codes);
    virtual void DoStrRecieved(std::string& Str);
    virtual void DoUnhandledCode(TEscapeCode Code, const std::string& Data);

    void paintEvent(QPaintEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void scrollContentsBy(int Dx, int Dy) override;
    void changeEvent(QEvent* Event) override;
    bool focusNextPrevChild(bool Next) override;

  private:
    void RxBuf(const void* Data, int Count);
    void StringReceived(std::string& Str);
    void CursorKeyDown(TEscapeCode Code);
    void SendToPort(const std::string& Bytes);
    void CreateEscapeCodes();
    void FontChanged();
    bool CalculateMetrics();
    void CreateTerminalCaret();
    void UpdateScrollRange();
    void UpdateScrollPos();
    void SizeChanged();
    void Changed();
    void ReportError(const char* What);
    void PaintCells(QPainter& Painter, const QRect& Dirty);
    void PaintCaret(QPainter& Painter);

    TComLink ComLink;
    TermScreen Screen;
    TermPortLink* FComPort = nullptr;
    int FCellWidth = 8;
    int FCellHeight = 16;
    bool FCaretExists = false;
    int FCaretHeight = 0;
    TTermPos FTopLeft;

    bool FAppendLF = false;
    TArrowKeys FArrowKeys = TArrowKeys::akTerminal;
    TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
    TTermCaret FCaret = TTermCaret::tcBlock;
    TTermEmulation FEmulation = TTermEmulation::teVT100orANSI;
    bool FForce7Bit = false;
    bool FLocalEcho = false;
    TScrollStyle FScrollBars = TScrollStyle::ssBoth;
    bool FSendLF = false;
    bool FSmoothScroll = false;
    bool FWantTab = false;
    bool FFontGuard = false;
};

// The terminal as placed on a form.
class TComTerminal : public TCustomComTerminal
{
    Q_OBJECT

  public:
    using TCustomComTerminal::TCustomComTerminal;
};
