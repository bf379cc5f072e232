#include "cport/ComTerminal.h"
#include "test_term_fakeport.h"

#include <QApplication>
#include <QFocusEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace
{

void Key(QWidget& Target, int Code, const QString& Text = {}, Qt::KeyboardModifiers Modifiers = Qt::NoModifier)
{
    QKeyEvent Event(QEvent::KeyPress, Code, Modifiers, Text);
    QCoreApplication::sendEvent(&Target, &Event);
}

void Type(QWidget& Target, const std::string& Text)
{
    for (const char Ch : Text)
        Key(Target, Qt::Key_unknown, QString(QChar(char16_t(static_cast<unsigned char>(Ch)))));
}

std::string Row(const TCustomComTerminal& Term, int Y)
{
    std::string Text;
    for (int X = 1; X <= Term.Columns(); ++X) {
        const unsigned char Ch = Term.Buffer().GetChar(X, Y).Ch;
        Text.push_back(Ch ? static_cast<char>(Ch) : '.');
    }
    return Text;
}

// Closes the error boxes the terminal has shown and tells how many there were.
int CloseErrorBoxes()
{
    int Count = 0;
    for (QWidget* Widget : QApplication::topLevelWidgets())
        if (auto* Box = qobject_cast<QMessageBox*>(Widget); Box && Box->isVisible()) {
            ++Count;
            Box->close();
        }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return Count;
}

// A terminal bound to an open fake port.
struct Attached : testing::Test {
    Attached()
    {
        Port.Open();
        Term.SetComPort(&Port);
    }
    TermFakePort Port;
    TComTerminal Term;
};

} // namespace

TEST_F(Attached, KeysToBytesOnTheWire)
{
    struct Case {
        const char* Name;
        int Code;
        QString Text;
        Qt::KeyboardModifiers Modifiers;
        bool WantTab;
        std::string Want;
    };
    const std::vector<Case> Cases = {
        {"letter", Qt::Key_A, "a", Qt::NoModifier, false, "a"},
        {"Return", Qt::Key_Return, "\r", Qt::NoModifier, false, "\r"},
        {"keypad Enter", Qt::Key_Enter, "\r", Qt::KeypadModifier, false, "\r"},
        {"Backspace", Qt::Key_Backspace, "\b", Qt::NoModifier, false, "\b"},
        {"Esc", Qt::Key_Escape, "\x1b", Qt::NoModifier, false, "\x1b"},
        {"Tab wanted", Qt::Key_Tab, "\t", Qt::NoModifier, true, "\t"},
        {"Tab not wanted", Qt::Key_Tab, "\t", Qt::NoModifier, false, ""},
        {"Shift+Tab wanted", Qt::Key_Backtab, "\t", Qt::ShiftModifier, true, "\t"},
        {"Delete types nothing", Qt::Key_Delete, "\x7f", Qt::NoModifier, false, ""},
        {"Ctrl+C", Qt::Key_C, "\x03", Qt::ControlModifier, false, "\x03"},
        {"Latin-1 letter", Qt::Key_Eacute, QString(QChar(0xE9)), Qt::NoModifier, false, "\xe9"},
        {"outside Latin-1", Qt::Key_unknown, QString(QChar(0x20AC)), Qt::NoModifier, false, ""},
        {"function key", Qt::Key_F1, "", Qt::NoModifier, false, ""},
        {"cursor up", Qt::Key_Up, "", Qt::NoModifier, false, "\x1b[A"},
        {"cursor down", Qt::Key_Down, "", Qt::NoModifier, false, "\x1b[B"},
        {"cursor left", Qt::Key_Left, "", Qt::NoModifier, false, "\x1b[D"},
        {"cursor right", Qt::Key_Right, "", Qt::NoModifier, false, "\x1b[C"},
        {"Home", Qt::Key_Home, "", Qt::NoModifier, false, "\x1b[H"},
    };
    for (const Case& C : Cases) {
        Port.Written.clear();
        Term.SetWantTab(C.WantTab);
        Key(Term, C.Code, C.Text, C.Modifiers);
        EXPECT_EQ(Port.Written, C.Want) << C.Name;
    }
    EXPECT_EQ(Term.Buffer().GetLastLine(), 0); // nothing echoed
}

TEST_F(Attached, CursorKeysFollowTheModeAndTheEmulation)
{
    struct Case {
        const char* Name;
        TTermEmulation Emulation;
        std::string Received;
        TArrowKeys Arrows;
        int Code;
        std::string Want;
    };
    const std::vector<Case> Cases = {
        {"application up", TTermEmulation::teVT100orANSI, "\x1b[?1h", TArrowKeys::akTerminal, Qt::Key_Up, "\x1bOA"},
        {"application left", TTermEmulation::teVT100orANSI, "\x1b[?1h", TArrowKeys::akTerminal, Qt::Key_Left, "\x1bOD"},
        {"application Home", TTermEmulation::teVT100orANSI, "\x1b[?1h", TArrowKeys::akTerminal, Qt::Key_Home, ""},
        {"back to normal", TTermEmulation::teVT100orANSI, "\x1b[?1l", TArrowKeys::akTerminal, Qt::Key_Up, "\x1b[A"},
        {"VT52 down", TTermEmulation::teVT52, "", TArrowKeys::akTerminal, Qt::Key_Down,
         "\x1b"
         "B"},
        {"no emulation", TTermEmulation::teNone, "", TArrowKeys::akTerminal, Qt::Key_Up, ""},
        {"windows keys", TTermEmulation::teVT100orANSI, "", TArrowKeys::akWindows, Qt::Key_Right, ""},
    };
    for (const Case& C : Cases) {
        Term.SetEmulation(C.Emulation);
        Term.SetArrowKeys(C.Arrows);
        Port.Receive(C.Received);
        Port.Written.clear();
        Key(Term, C.Code);
        EXPECT_EQ(Port.Written, C.Want) << C.Name;
    }
    // Windows keys move the caret here instead.
    Term.MoveCaret(1, 1);
    Key(Term, Qt::Key_Right);
    Key(Term, Qt::Key_Down);
    EXPECT_EQ(Term.CaretPos(), (TTermPos{2, 2}));
}

TEST_F(Attached, SendLfAndLocalEcho)
{
    Term.SetSendLF(true);
    Term.SetLocalEcho(true);
    Type(Term, "hi");
    Key(Term, Qt::Key_Return, "\r");
    Key(Term, Qt::Key_Right);
    EXPECT_EQ(Port.Written, "hi\r\n\x1b[C");
    EXPECT_EQ(Row(Term, 1).substr(0, 3), "hi.");
    EXPECT_EQ(Term.CaretPos(), (TTermPos{2, 2}));
}

TEST_F(Attached, WithoutEchoOrAnOpenPortTypingShowsNothing)
{
    Type(Term, "ab");
    EXPECT_EQ(Port.Written, "ab");
    EXPECT_EQ(Term.Buffer().GetLastLine(), 0);

    Port.Close();
    Term.SetLocalEcho(true);
    Port.Written.clear();
    Type(Term, "cd");
    Key(Term, Qt::Key_Up);
    EXPECT_EQ(Port.Written, "");
    EXPECT_EQ(Term.Buffer().GetLastLine(), 0);
}

TEST_F(Attached, AKeyHandlerMayChangeOrSwallowTheKey)
{
    Term.OnKeyPress = [](TCustomComTerminal*, char& Key) { Key = Key == 'x' ? 0 : static_cast<char>(Key + 1); };
    Type(Term, "axb");
    EXPECT_EQ(Port.Written, "bc");
}

TEST_F(Attached, ReceivedBlocksGoThroughOnStrRecieved)
{
    std::vector<std::string> Blocks;
    Term.OnStrRecieved = [&Blocks](TCustomComTerminal*, std::string& Str) {
        Blocks.push_back(Str);
        for (char& Ch : Str)
            Ch = static_cast<char>(std::toupper(static_cast<unsigned char>(Ch)));
    };
    Port.Receive("hello");
    Port.Receive("\r\nok");
    EXPECT_EQ(Blocks, (std::vector<std::string>{"hello", "\r\nok"}));
    EXPECT_EQ(Row(Term, 1).substr(0, 6), "HELLO.");
    EXPECT_EQ(Row(Term, 2).substr(0, 3), "OK.");

    Term.OnStrRecieved = [](TCustomComTerminal*, std::string& Str) { Str.clear(); };
    Port.Receive("gone");
    EXPECT_EQ(Term.Buffer().GetLastLine(), 2);
    EXPECT_EQ(Row(Term, 2).substr(0, 3), "OK.");
}

TEST_F(Attached, AppendLF)
{
    std::string Seen;
    Term.OnStrRecieved = [&Seen](TCustomComTerminal*, std::string& Str) { Seen += Str; };
    Port.Receive("ab\rcd");
    EXPECT_EQ(Row(Term, 1).substr(0, 3), "cd.");
    Term.ClearScreen();
    Term.SetAppendLF(true);
    Seen.clear();
    Port.Receive("ab\rcd\r\n");
    EXPECT_EQ(Seen, "ab\r\ncd\r\n\n");
    EXPECT_EQ(Row(Term, 1).substr(0, 3), "ab.");
    EXPECT_EQ(Row(Term, 2).substr(0, 3), "cd.");
    EXPECT_EQ(Term.CaretPos(), (TTermPos{1, 4}));
}

TEST_F(Attached, Force7BitMasksWhatArrives)
{
    std::string Seen;
    Term.OnStrRecieved = [&Seen](TCustomComTerminal*, std::string& Str) { Seen += Str; };
    Term.SetForce7Bit(true);
    Port.Receive("\xc1\xe2");
    EXPECT_EQ(Seen, "Ab");
    EXPECT_EQ(Row(Term, 1).substr(0, 2), "Ab");
}

TEST_F(Attached, RepliesGoToThePort)
{
    Port.Receive("\x1b[3;7H\x1b[6n\x1b[c\x1b[5n");
    EXPECT_EQ(Port.Written, "\x1b[3;7R\x1b[?1;2c\x1b[0n");
    Port.Close();
    Port.Written.clear();
    Term.WriteStr("\x1b[6n");
    EXPECT_EQ(Port.Written, "");
}

TEST_F(Attached, AFailedReplyCostsNothingElse)
{
    Port.FailWrites = true;
    EXPECT_NO_THROW(Port.Receive("\x1b[6nAB"));
    EXPECT_EQ(Row(Term, 1).substr(0, 3), "AB.");
    EXPECT_EQ(CloseErrorBoxes(), 1);

    EXPECT_NO_THROW(Key(Term, Qt::Key_A, "a"));
    EXPECT_EQ(CloseErrorBoxes(), 1);
}

TEST_F(Attached, EventsSeeCharactersAndUnhandledCodes)
{
    std::string Chars;
    std::vector<std::pair<TEscapeCode, std::string>> Codes;
    Term.OnChar = [&Chars](TCustomComTerminal*, char Ch) { Chars += Ch; };
    Term.OnUnhandledCode = [&Codes](TCustomComTerminal*, TEscapeCode Code, std::string Data) {
        Codes.emplace_back(Code, Data);
    };
    Port.Receive("a\x1bQ\x07"
                 "b\x1b[1;1R");
    EXPECT_EQ(Chars, "a\x07"
                     "b");
    EXPECT_EQ(Codes, (std::vector<std::pair<TEscapeCode, std::string>>{{TEscapeCode::ecUnknown, "Q"},
                                                                       {TEscapeCode::ecReportCursorPos, "[1;1R"}}));
}

TEST_F(Attached, DetachedTheTerminalSeesNothing)
{
    ASSERT_EQ(Port.Links.size(), 1u);
    Term.SetComPort(&Port); // the same port: no second registration
    EXPECT_EQ(Port.Links.size(), 1u);
    Term.SetComPort(nullptr);
    EXPECT_TRUE(Port.Links.empty());
    EXPECT_FALSE(Term.Connected());
    Port.Receive("lost");
    Type(Term, "x");
    EXPECT_EQ(Term.Buffer().GetLastLine(), 0);
    EXPECT_EQ(Port.Written, "");

    Term.SetComPort(&Port);
    Port.Receive("back");
    EXPECT_EQ(Row(Term, 1).substr(0, 5), "back.");
}

namespace
{

// Stands for the serial port class: the same methods, no common base.
struct RawPort {
    bool Connected() const { return IsOpen; }
    void Open() { IsOpen = true; }
    void Close() { IsOpen = false; }
    int WriteStr(const std::string& Str)
    {
        Written += Str;
        return static_cast<int>(Str.size());
    }
    void RegisterLink(TComLink* Link) { Links.push_back(Link); }
    void UnRegisterLink(TComLink* Link) { std::erase(Links, Link); }

    bool IsOpen = false;
    std::string Written;
    std::vector<TComLink*> Links;
};

} // namespace

TEST(TermWidget, AdapterBindsAPortAndUnregistersWhenItGoes)
{
    TComTerminal Term;
    RawPort Raw;
    {
        TermPortAdapter<RawPort> Link(Raw);
        Term.SetComPort(&Link);
        ASSERT_EQ(Raw.Links.size(), 1u);
        Term.SetConnected(true);
        EXPECT_TRUE(Raw.IsOpen);
        Key(Term, Qt::Key_Return, "\r");
        EXPECT_EQ(Raw.Written, "\r");
        const std::string Block = "seen";
        Raw.Links[0]->OnRxBuf(nullptr, Block.data(), static_cast<int>(Block.size()));
        EXPECT_EQ(Row(Term, 1).substr(0, 5), "seen.");
    }
    EXPECT_TRUE(Raw.Links.empty());
    EXPECT_EQ(Term.ComPort(), nullptr);
}

TEST(TermWidget, APortThatGoesAwayIsDropped)
{
    TComTerminal Term;
    auto Port = std::make_unique<TermFakePort>();
    Port->DetachOnDestroy = false; // only the base is left to tell the terminal
    Term.SetComPort(Port.get());
    Port.reset();
    EXPECT_EQ(Term.ComPort(), nullptr);
    EXPECT_FALSE(Term.Connected());

    // Switching ports leaves no notification behind at the old one.
    TermFakePort First;
    auto Second = std::make_unique<TermFakePort>();
    Term.SetComPort(Second.get());
    Term.SetComPort(&First);
    Second.reset();
    EXPECT_EQ(Term.ComPort(), &First);
}

TEST(TermWidget, ConnectedOpensAndClosesTheBoundPort)
{
    TComTerminal Term;
    Term.SetConnected(true); // no port: nothing
    TermFakePort Port;
    Term.SetComPort(&Port);
    Term.SetConnected(true);
    EXPECT_TRUE(Port.IsOpen);
    EXPECT_TRUE(Term.Connected());
    Term.SetConnected(false);
    EXPECT_FALSE(Port.IsOpen);
}

TEST(TermWidget, ParserFollowsTheEmulation)
{
    TComTerminal Term;
    EXPECT_NE(dynamic_cast<TEscapeCodesVT100*>(Term.EscapeCodes()), nullptr);
    Term.SetEmulation(TTermEmulation::teVT52);
    EXPECT_NE(dynamic_cast<TEscapeCodesVT52*>(Term.EscapeCodes()), nullptr);
    Term.SetEmulation(TTermEmulation::teNone);
    EXPECT_EQ(Term.EscapeCodes(), nullptr);
    Term.WriteEscCode(TEscapeCode::ecCursorMove, {"3", "4"}); // no parser: not executed
    EXPECT_EQ(Term.CaretPos(), (TTermPos{1, 1}));

    Term.OnGetEscapeCodes = [](TCustomComTerminal*, std::unique_ptr<TEscapeCodes>& Codes) {
        Codes = std::make_unique<TEscapeCodesVT52>();
    };
    Term.SetEmulation(TTermEmulation::teVT100orANSI);
    Term.SetEmulation(TTermEmulation::teNone);
    EXPECT_NE(dynamic_cast<TEscapeCodesVT52*>(Term.EscapeCodes()), nullptr);
    Term.WriteEscCode(TEscapeCode::ecCursorMove, {"3", "4"});
    EXPECT_EQ(Term.CaretPos(), (TTermPos{4, 3}));
}

TEST(TermWidget, SaveAndLoadThroughStreams)
{
    TComTerminal Term;
    Term.WriteStr("\x1b[3;5HQ");
    std::ostringstream Out;
    Term.SaveToStream(Out);
    EXPECT_EQ(Out.str(), "\r\n\r\n    Q");

    TComTerminal Copy;
    std::istringstream In(Out.str());
    Copy.LoadFromStream(In);
    EXPECT_EQ(Row(Copy, 3).substr(0, 6), "    Q.");
    EXPECT_EQ(Copy.CaretPos(), (TTermPos{6, 3}));
}

TEST(TermWidget, SizeLimitsAndEscapeCodeColumns)
{
    TComTerminal Term;
    Term.WriteStr("text");
    Term.SetColumns(1000);
    Term.SetRows(1);
    EXPECT_EQ(Term.Columns(), 256);
    EXPECT_EQ(Term.Rows(), 2);
    EXPECT_EQ(Term.Buffer().GetLastLine(), 0);
    Term.WriteStr("\x1b[?3h");
    EXPECT_EQ(Term.Columns(), 132);
    EXPECT_EQ(Term.Buffer().Columns(), 132);
}

TEST(TermWidget, FontIsAlwaysFixedPitchWithoutUnderline)
{
    TComTerminal Term;
    QFont Proportional(QStringLiteral("DejaVu Sans"), 14);
    Proportional.setUnderline(true);
    Term.setFont(Proportional);
    const QFontMetrics Metrics(Term.font());
    EXPECT_FALSE(Term.font().underline());
    EXPECT_EQ(Metrics.horizontalAdvance(QLatin1Char('i')), Metrics.horizontalAdvance(QLatin1Char('W')));
    EXPECT_EQ(Term.CellWidth(), Metrics.horizontalAdvance(QLatin1Char('W')));
    EXPECT_EQ(Term.CellHeight(), Metrics.height());
}

namespace
{

int Distance(QRgb A, QRgb B)
{
    return std::abs(qRed(A) - qRed(B)) + std::abs(qGreen(A) - qGreen(B)) + std::abs(qBlue(A) - qBlue(B));
}

// Whether the screen cell (X, Y) holds ink; the faint edge a glyph leaves in its neighbour does not count.
bool CellInked(const QImage& Image, const TCustomComTerminal& Term, int X, int Y)
{
    const QRgb Background = Term.Color().rgb();
    for (int Py = (Y - 1) * Term.CellHeight(); Py < Y * Term.CellHeight(); ++Py)
        for (int Px = (X - 1) * Term.CellWidth(); Px < X * Term.CellWidth(); ++Px)
            if (Distance(Image.pixel(Px, Py), Background) > 64)
                return true;
    return false;
}

} // namespace

TEST(TermWidget, PaintsCellsAtTheScrollPosition)
{
    TComTerminal Term;
    Term.SetColor(Qt::darkBlue);
    Term.SetCaret(TTermCaret::tcNone);
    Term.resize(400, 250);
    Term.SetColumns(256);
    Term.SetRows(40);
    Term.show();
    QCoreApplication::processEvents();
    ASSERT_GT(Term.horizontalScrollBar()->maximum(), 0);
    ASSERT_GT(Term.verticalScrollBar()->maximum(), 0);

    Term.WriteStr("X\x1b[1;12HY");
    QImage Image = Term.viewport()->grab().toImage();
    EXPECT_TRUE(CellInked(Image, Term, 1, 1));
    EXPECT_FALSE(CellInked(Image, Term, 2, 1));
    EXPECT_TRUE(CellInked(Image, Term, 12, 1));

    Term.horizontalScrollBar()->setValue(11);
    EXPECT_EQ(Term.TopLeft(), (TTermPos{12, 1}));
    Image = Term.viewport()->grab().toImage();
    EXPECT_TRUE(CellInked(Image, Term, 1, 1)); // buffer column 12
    EXPECT_FALSE(CellInked(Image, Term, 2, 1));

    Term.SetScrollBars(TScrollStyle::ssNone);
    QCoreApplication::processEvents();
    EXPECT_EQ(Term.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(Term.TopLeft(), (TTermPos{1, 1}));
}

TEST(TermWidget, CaretShowsWhileFocused)
{
    TComTerminal Term;
    Term.resize(400, 250);
    Term.show();
    QCoreApplication::processEvents();
    QFocusEvent In(QEvent::FocusIn);
    QCoreApplication::sendEvent(&Term, &In);
    EXPECT_TRUE(Term.CaretExists());
    EXPECT_EQ(Term.CaretHeight(), Term.CellHeight());
    Term.MoveCaret(3, 2);
    QImage Image = Term.viewport()->grab().toImage();
    EXPECT_TRUE(CellInked(Image, Term, 3, 2));
    EXPECT_FALSE(CellInked(Image, Term, 1, 1));

    Term.SetCaret(TTermCaret::tcUnderline);
    QCoreApplication::sendEvent(&Term, &In);
    EXPECT_EQ(Term.CaretHeight(), std::max(1, Term.CellHeight() / 8));
    Term.SetCaret(TTermCaret::tcNone);
    QCoreApplication::sendEvent(&Term, &In);
    EXPECT_FALSE(Term.CaretExists());

    QFocusEvent Out(QEvent::FocusOut);
    Term.SetCaret(TTermCaret::tcBlock);
    QCoreApplication::sendEvent(&Term, &In);
    QCoreApplication::sendEvent(&Term, &Out);
    EXPECT_FALSE(Term.CaretExists());
    Image = Term.viewport()->grab().toImage();
    EXPECT_FALSE(CellInked(Image, Term, 3, 2));
}
