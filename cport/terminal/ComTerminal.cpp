#include "cport/terminal/ComTerminal.h"

#include "cport/terminal/Cporttrmset.h"
#include "cport/terminal/TermPortLink.h"
#include "cport/terminal/TermRx.h"

#include <QFontDatabase>
#include <QFontDialog>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <exception>

namespace
{

QColor ToQColor(TTermColor Value)
{
    return QColor::fromRgb(0xFF000000u | Value);
}

TTermColor ToTermColor(const QColor& Value)
{
    return Value.rgb() & 0xFFFFFFu;
}

QFont DefaultTerminalFont()
{
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

} // namespace

TCustomComTerminal::TCustomComTerminal(QWidget* Parent) : QAbstractScrollArea(Parent)
{
    resize(400, 250);
    setFocusPolicy(Qt::StrongFocus);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    horizontalScrollBar()->setTracking(false);
    verticalScrollBar()->setTracking(false);

    ComLink.OnRxBuf = [this](TCustomComPort*, const void* Data, int Count) { RxBuf(Data, Count); };
    Screen.OnChar = [this](char Ch) { DoChar(Ch); };
    Screen.OnUnhandledCode = [this](TEscapeCode Code, const std::string& Data) { DoUnhandledCode(Code, Data); };
    Screen.OnSizeChanged = [this] { SizeChanged(); };
    Screen.OnReply = [this](const std::string& Bytes) {
        // A reply that cannot be written must not cost the rest of the received block.
        try {
            SendToPort(Bytes);
        } catch (const std::exception& Error) {
            ReportError(Error.what());
        }
    };

    setFont(DefaultTerminalFont());
    FontChanged();
    CreateEscapeCodes();
}

TCustomComTerminal::~TCustomComTerminal()
{
    try {
        SetComPort(nullptr);
    } catch (...) {
        // The port no longer lists the link: detached either way.
    }
}

// ---- port ----

void TCustomComTerminal::SetComPort(TermPortLink* Port)
{
    if (Port == FComPort)
        return;
    if (TermPortLink* Old = FComPort) {
        Old->RemoveFreeNotification(this);
        FComPort = nullptr;
        Old->UnRegisterLink(&ComLink);
    }
    if (Port) {
        Port->RegisterLink(&ComLink);
        FComPort = Port;
        Port->FreeNotification(this, [this, Port](bool Whole) {
            FComPort = nullptr;
            if (!Whole)
                return;
            try {
                Port->UnRegisterLink(&ComLink);
            } catch (const std::exception&) {
                // Not listed any more: detached either way.
            }
        });
    }
}

bool TCustomComTerminal::Connected() const
{
    return FComPort && FComPort->Connected();
}

void TCustomComTerminal::SetConnected(bool Value)
{
    if (!FComPort || FComPort->Connected() == Value)
        return;
    if (Value)
        FComPort->Open();
    else
        FComPort->Close();
}

void TCustomComTerminal::RxBuf(const void* Data, int Count)
{
    std::string Str(static_cast<const char*>(Data), static_cast<std::size_t>(std::max(Count, 0)));
    if (FForce7Bit)
        ForceSevenBit(Str);
    if (FAppendLF)
        AppendLineFeeds(Str);
    StringReceived(Str);
}

void TCustomComTerminal::StringReceived(std::string& Str)
{
    DoStrRecieved(Str);
    WriteStr(Str);
}

void TCustomComTerminal::SendToPort(const std::string& Bytes)
{
    if (Connected() && !Bytes.empty())
        FComPort->WriteStr(Bytes);
}

void TCustomComTerminal::SendChar(char Ch)
{
    if (!Connected())
        return;
    FComPort->WriteStr(std::string(1, Ch));
    if (FLocalEcho) {
        Screen.PutChar(static_cast<unsigned char>(Ch));
        Changed();
    }
    if (Ch == '\r' && FSendLF)
        SendChar('\n');
}

void TCustomComTerminal::SendCode(TEscapeCode Code, const TEscapeParams* Params)
{
    if (!Connected() || !EscapeCodes())
        return;
    const std::string Bytes = EscapeCodes()->EscCodeToStr(Code, Params);
    if (Bytes.empty())
        return;
    FComPort->WriteStr(Bytes);
    if (FLocalEcho) {
        Screen.PutEscapeCode(Code, Params);
        Changed();
    }
}

void TCustomComTerminal::SendCodeNoEcho(TEscapeCode Code, const TEscapeParams* Params)
{
    if (!Connected() || !EscapeCodes())
        return;
    SendToPort(EscapeCodes()->EscCodeToStr(Code, Params));
}

// ---- screen ----

void TCustomComTerminal::ClearScreen()
{
    Screen.ClearScreen();
    Changed();
}

void TCustomComTerminal::MoveCaret(int X, int Y)
{
    Screen.MoveCaret(X, Y);
    Changed();
}

void TCustomComTerminal::Write(const char* Buffer, int Count)
{
    if (Count <= 0)
        return;
    Screen.Write(Buffer, static_cast<std::size_t>(Count));
    Changed();
}

void TCustomComTerminal::WriteStr(const std::string& Str)
{
    Write(Str.data(), static_cast<int>(Str.size()));
}

void TCustomComTerminal::WriteEscCode(TEscapeCode Code, const TEscapeParams& Params)
{
    if (!EscapeCodes())
        return;
    Screen.PutEscapeCode(Code, &Params);
    Changed();
}

void TCustomComTerminal::SaveToStream(std::ostream& Stream) const
{
    Screen.SaveToStream(Stream);
}

void TCustomComTerminal::LoadFromStream(std::istream& Stream)
{
    Screen.LoadFromStream(Stream);
    Changed();
}

void TCustomComTerminal::SelectFont()
{
    bool Ok = false;
    const QFont Chosen = QFontDialog::getFont(&Ok, font(), this, QString(), QFontDialog::MonospacedFonts);
    if (Ok)
        setFont(Chosen);
}

void TCustomComTerminal::ShowSetupDialog()
{
    EditComTerminal(this);
}

void TCustomComTerminal::CreateEscapeCodes()
{
    std::unique_ptr<TEscapeCodes> Codes = MakeEscapeCodes(FEmulation);
    if (FEmulation == TTermEmulation::teNone)
        DoGetEscapeCodes(Codes);
    Screen.SetEscapeCodes(std::move(Codes));
}

void TCustomComTerminal::SetEmulation(TTermEmulation Value)
{
    if (Value == FEmulation)
        return;
    FEmulation = Value;
    CreateEscapeCodes();
}

void TCustomComTerminal::Changed()
{
    viewport()->update();
}

void TCustomComTerminal::SizeChanged()
{
    UpdateScrollRange();
    updateGeometry();
    Changed();
}

void TCustomComTerminal::ReportError(const char* What)
{
    auto* Box = new QMessageBox(QMessageBox::Critical, QStringLiteral("Error"), QString::fromLocal8Bit(What),
                                QMessageBox::Ok, this);
    Box->setAttribute(Qt::WA_DeleteOnClose);
    Box->show();
}

// ---- events ----

void TCustomComTerminal::DoChar(char Ch)
{
    if (OnChar)
        OnChar(this, Ch);
}

void TCustomComTerminal::DoGetEscapeCodes(std::unique_ptr<TEscapeCodes>& Codes)
{
    if (OnGetEscapeCodes)
        OnGetEscapeCodes(this, Codes);
}

void TCustomComTerminal::DoStrRecieved(std::string& Str)
{
    if (OnStrRecieved)
        OnStrRecieved(this, Str);
}

void TCustomComTerminal::DoUnhandledCode(TEscapeCode Code, const std::string& Data)
{
    if (OnUnhandledCode)
        OnUnhandledCode(this, Code, Data);
}

// ---- keys and focus ----

void TCustomComTerminal::keyPressEvent(QKeyEvent* Event)
{
    try {
        if (const TEscapeCode Code = CursorKeyCode(Event->key()); Code != TEscapeCode::ecUnknown) {
            CursorKeyDown(Code);
            Event->accept();
            return;
        }
        const int Typed = KeyToChar(Event->key(), Event->text(), FWantTab);
        if (Typed < 0) {
            QWidget::keyPressEvent(Event);
            return;
        }
        char Key = static_cast<char>(Typed);
        if (OnKeyPress)
            OnKeyPress(this, Key);
        if (Key != 0)
            SendChar(Key);
        Event->accept();
    } catch (const std::exception& Error) {
        ReportError(Error.what());
    }
}

void TCustomComTerminal::CursorKeyDown(TEscapeCode Code)
{
    if (Screen.AppCursorKeys) {
        if (const TEscapeCode App = AppCursorKeyCode(Code); App != TEscapeCode::ecUnknown)
            SendCode(App, nullptr);
        return;
    }
    if (FArrowKeys == TArrowKeys::akTerminal) {
        SendCode(Code, nullptr);
    } else {
        Screen.PutEscapeCode(Code, nullptr);
        Changed();
    }
}

bool TCustomComTerminal::focusNextPrevChild(bool Next)
{
    return FWantTab ? false : QAbstractScrollArea::focusNextPrevChild(Next);
}

void TCustomComTerminal::focusInEvent(QFocusEvent* Event)
{
    QAbstractScrollArea::focusInEvent(Event);
    CreateTerminalCaret();
    Changed();
}

void TCustomComTerminal::focusOutEvent(QFocusEvent* Event)
{
    FCaretExists = false;
    Changed();
    QAbstractScrollArea::focusOutEvent(Event);
}

void TCustomComTerminal::mousePressEvent(QMouseEvent* Event)
{
    if (Event->button() == Qt::LeftButton && (focusPolicy() & Qt::ClickFocus))
        setFocus(Qt::MouseFocusReason);
    QAbstractScrollArea::mousePressEvent(Event);
}

void TCustomComTerminal::CreateTerminalCaret()
{
    switch (FCaret) {
    case TTermCaret::tcBlock:
        FCaretHeight = FCellHeight;
        break;
    case TTermCaret::tcUnderline:
        FCaretHeight = std::max(1, FCellHeight / 8);
        break;
    case TTermCaret::tcNone:
        FCaretHeight = 0;
        break;
    }
    FCaretExists = FCaretHeight > 0;
}

void TCustomComTerminal::SetCaret(TTermCaret Value)
{
    if (Value == FCaret)
        return;
    FCaret = Value;
    if (hasFocus()) {
        CreateTerminalCaret();
        Changed();
    }
}

// ---- font, colours, frame ----

QColor TCustomComTerminal::AltColor() const
{
    return ToQColor(Screen.AltColor);
}

void TCustomComTerminal::SetAltColor(const QColor& Value)
{
    Screen.AltColor = ToTermColor(Value);
}

QColor TCustomComTerminal::Color() const
{
    return ToQColor(Screen.Color);
}

void TCustomComTerminal::SetColor(const QColor& Value)
{
    Screen.Color = ToTermColor(Value);
    Changed();
}

QColor TCustomComTerminal::FontColor() const
{
    return ToQColor(Screen.FontColor);
}

void TCustomComTerminal::SetFontColor(const QColor& Value)
{
    Screen.FontColor = ToTermColor(Value);
}

void TCustomComTerminal::changeEvent(QEvent* Event)
{
    QAbstractScrollArea::changeEvent(Event);
    if (Event->type() == QEvent::FontChange)
        FontChanged();
}

void TCustomComTerminal::FontChanged()
{
    if (FFontGuard)
        return;
    FFontGuard = true;
    QFont Font = font();
    bool Replace = Font.underline();
    Font.setUnderline(false);
    if (!CalculateMetrics()) {
        // Cells need a fixed pitch; keep the size and style, take the system's fixed family.
        Font.setFamily(DefaultTerminalFont().family());
        Replace = true;
    }
    if (Replace) {
        setFont(Font);
        CalculateMetrics();
    }
    FFontGuard = false;
    if (FCaretExists)
        CreateTerminalCaret();
    UpdateScrollRange();
    updateGeometry();
    Changed();
}

bool TCustomComTerminal::CalculateMetrics()
{
    const QFontMetrics Metrics(font());
    FCellHeight = std::max(1, Metrics.height());
    int Widest = 1;
    for (char16_t Ch = 32; Ch <= 255; ++Ch)
        Widest = std::max(Widest, Metrics.horizontalAdvance(QChar(Ch)));
    FCellWidth = Widest;
    return Metrics.horizontalAdvance(QLatin1Char('i')) == Metrics.horizontalAdvance(QLatin1Char('W'));
}

void TCustomComTerminal::SetBorderStyle(TBorderStyle Value)
{
    FBorderStyle = Value;
    setFrameStyle(Value == TBorderStyle::bsSingle ? (QFrame::StyledPanel | QFrame::Sunken) : QFrame::NoFrame);
}

QSize TCustomComTerminal::sizeHint() const
{
    return {400, 250};
}

// ---- scrolling ----

void TCustomComTerminal::SetScrollBars(TScrollStyle Value)
{
    FScrollBars = Value;
    const bool Horizontal = Value == TScrollStyle::ssHorizontal || Value == TScrollStyle::ssBoth;
    const bool Vertical = Value == TScrollStyle::ssVertical || Value == TScrollStyle::ssBoth;
    setHorizontalScrollBarPolicy(Horizontal ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Vertical ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    UpdateScrollRange();
}

void TCustomComTerminal::SetSmoothScroll(bool Value)
{
    FSmoothScroll = Value;
    horizontalScrollBar()->setTracking(Value);
    verticalScrollBar()->setTracking(Value);
}

void TCustomComTerminal::UpdateScrollRange()
{
    const bool Horizontal = FScrollBars == TScrollStyle::ssHorizontal || FScrollBars == TScrollStyle::ssBoth;
    const bool Vertical = FScrollBars == TScrollStyle::ssVertical || FScrollBars == TScrollStyle::ssBoth;
    // Showing or hiding one bar changes the room for the other: settle in a few rounds.
    for (int Round = 0; Round < 3; ++Round) {
        const QSize Room = viewport()->size();
        const int VisibleColumns = Room.width() / FCellWidth;
        const int VisibleRows = Room.height() / FCellHeight;
        QScrollBar* HBar = horizontalScrollBar();
        QScrollBar* VBar = verticalScrollBar();
        HBar->setPageStep(std::max(1, VisibleColumns));
        VBar->setPageStep(std::max(1, VisibleRows));
        HBar->setRange(0, Horizontal ? std::max(0, Columns() - VisibleColumns) : 0);
        VBar->setRange(0, Vertical ? std::max(0, Rows() - VisibleRows) : 0);
        if (viewport()->size() == Room)
            break;
    }
    UpdateScrollPos();
}

void TCustomComTerminal::UpdateScrollPos()
{
    const TTermPos Old = FTopLeft;
    FTopLeft.X = horizontalScrollBar()->value() + 1;
    FTopLeft.Y = verticalScrollBar()->value() + 1;
    if (!(Old == FTopLeft))
        Changed();
}

void TCustomComTerminal::resizeEvent(QResizeEvent* Event)
{
    QAbstractScrollArea::resizeEvent(Event);
    UpdateScrollRange();
}

void TCustomComTerminal::scrollContentsBy(int, int)
{
    UpdateScrollPos();
}

// ---- painting ----

void TCustomComTerminal::paintEvent(QPaintEvent* Event)
{
    QPainter Painter(viewport());
    Painter.fillRect(Event->rect(), Color());
    PaintCells(Painter, Event->rect());
    if (FCaretExists)
        PaintCaret(Painter);
}

void TCustomComTerminal::PaintCells(QPainter& Painter, const QRect& Dirty)
{
    // Screen cells touched by the dirty rectangle, cut to the buffer cells in view.
    const int Left = Dirty.left() / FCellWidth + 1;
    const int Right = std::min(Dirty.right() / FCellWidth + 1, Columns() - FTopLeft.X + 1);
    const int Top = Dirty.top() / FCellHeight + 1;
    const int Bottom = std::min(Dirty.bottom() / FCellHeight + 1, Rows() - FTopLeft.Y + 1);

    QFont Plain = font();
    QFont Underlined = Plain;
    Underlined.setUnderline(true);
    Painter.setFont(Plain);
    bool InUnderline = false;
    const int Ascent = QFontMetrics(Plain).ascent();

    for (int Row = Top; Row <= Bottom; ++Row) {
        for (int Column = Left; Column <= Right; ++Column) {
            const TComTermChar Cell = Screen.Buffer.GetChar(FTopLeft.X + Column - 1, FTopLeft.Y + Row - 1);
            if (Cell.Ch == 0)
                continue;
            const QRect Box((Column - 1) * FCellWidth, (Row - 1) * FCellHeight, FCellWidth, FCellHeight);
            Painter.fillRect(Box, ToQColor(Cell.BackColor));
            if (Cell.Underline != InUnderline) {
                InUnderline = Cell.Underline;
                Painter.setFont(InUnderline ? Underlined : Plain);
            }
            Painter.setPen(ToQColor(Cell.FrontColor));
            Painter.drawText(Box.left(), Box.top() + Ascent, QString(QChar(char16_t(Cell.Ch))));
        }
    }
}

void TCustomComTerminal::PaintCaret(QPainter& Painter)
{
    const TTermPos Caret = Screen.CaretPos();
    const QRect Box((Caret.X - FTopLeft.X) * FCellWidth,
                    (Caret.Y - FTopLeft.Y) * FCellHeight + FCellHeight - FCaretHeight, FCellWidth, FCaretHeight);
    Painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    Painter.fillRect(Box, Qt::white);
}
