// The terminal control: keys to bytes on the wire, what arrives through the port link, replies and echo, the
// port binding and its lifetime, painting and the caret, and the setup dialog's size texts. Bytes use '^' for ESC.
#include "CportTestSupport.h"
#include "cport/terminal/ComTerminal.h"
#include "cport/terminal/Cporttrmset.h"
#include "test_term_fakeport.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace
{
using TVT = TTermEmulation;
using TArrows = TArrowKeys;

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

// The first Count cells of row Y, an empty cell as '.'.
std::string Row(const TCustomComTerminal& Term, int Y, int Count = 6)
{
    std::string Text;
    for (int X = 1; X <= Count; ++X)
        Text.push_back(Term.Buffer().GetChar(X, Y).Ch ? char(Term.Buffer().GetChar(X, Y).Ch) : '.');
    return Text;
}

// Closes the error boxes the terminal has shown and tells how many there were.
int CloseErrorBoxes()
{
    int Count = 0;
    for (QWidget* Widget : QApplication::topLevelWidgets())
        if (auto* Box = qobject_cast<QMessageBox*>(Widget); Box && Box->isVisible())
            Count += Box->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return Count;
}

// Whether the screen cell (X, Y) holds ink; the faint edge a glyph leaves in its neighbour does not count.
bool Inked(TCustomComTerminal& Term, int X, int Y)
{
    const QImage Image = Term.viewport()->grab().toImage();
    const QRgb Back = Term.Color().rgb();
    for (int Py = (Y - 1) * Term.CellHeight(); Py < Y * Term.CellHeight(); ++Py)
        for (int Px = (X - 1) * Term.CellWidth(); Px < X * Term.CellWidth(); ++Px) {
            const QRgb P = Image.pixel(Px, Py);
            if (std::abs(qRed(P) - qRed(Back)) + std::abs(qGreen(P) - qGreen(Back)) + std::abs(qBlue(P) - qBlue(Back)) >
                64)
                return true;
        }
    return false;
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

// Stands for the serial port class: the same methods, no common base.
struct RawPort {
    bool Connected() const { return IsOpen; }
    void Open() { IsOpen = true; }
    void Close() { IsOpen = false; }
    int WriteStr(const std::string& Str) { return Written += Str, int(Str.size()); }
    void RegisterLink(TComLink* Link) { Links.push_back(Link); }
    void UnRegisterLink(TComLink* Link) { std::erase(Links, Link); }
    bool IsOpen = false;
    std::string Written;
    std::vector<TComLink*> Links;
};
} // namespace

TEST_F(Attached, KeysToBytesOnTheWire)
{
    // A tab only when the terminal wants tabs; no byte for Delete, F1 or a character outside Latin-1.
    // clang-format off
    const std::tuple<int, std::u16string, Qt::KeyboardModifiers, bool, std::string> Cases[] = {
        {Qt::Key_A, u"a", {}, false, "a"}, {Qt::Key_Return, u"\r", {}, false, "\r"},
        {Qt::Key_Enter, u"\r", Qt::KeypadModifier, false, "\r"}, {Qt::Key_Backspace, u"\b", {}, false, "\b"},
        {Qt::Key_Escape, u"\x1b", {}, false, "^"}, {Qt::Key_Tab, u"\t", {}, true, "\t"},
        {Qt::Key_Tab, u"\t", {}, false, ""}, {Qt::Key_Backtab, u"\t", Qt::ShiftModifier, true, "\t"},
        {Qt::Key_Delete, u"\x7f", {}, false, ""}, {Qt::Key_C, u"\x03", Qt::ControlModifier, false, "\x03"},
        {Qt::Key_Eacute, u"\u00e9", {}, false, "\xe9"}, {Qt::Key_unknown, u"\u20ac", {}, false, ""},
        {Qt::Key_Home, u"", {}, false, "^[H"}, {Qt::Key_Up, u"", {}, false, "^[A"},
        {Qt::Key_Down, u"", {}, false, "^[B"}, {Qt::Key_Left, u"", {}, false, "^[D"},
        {Qt::Key_Right, u"", {}, false, "^[C"}, {Qt::Key_F1, u"", {}, false, ""}};
    // clang-format on
    for (const auto& [Code, Text, Modifiers, WantTab, Want] : Cases) {
        Port.Written.clear();
        Term.SetWantTab(WantTab);
        Key(Term, Code, QString::fromStdU16String(Text), Modifiers);
        EXPECT_EQ(Port.Written, E(Want)) << Code;
    }
    EXPECT_EQ(Term.Buffer().GetLastLine(), 0); // nothing echoed
}

TEST_F(Attached, CursorKeysFollowTheModeAndTheEmulationAndEmptyCodesAreNotEchoed)
{
    const std::tuple<TVT, std::string, TArrows, int, std::string> Cases[] = {
        {TVT::teVT100orANSI, "^[?1h", TArrows::akTerminal, Qt::Key_Up, "^OA"},
        {TVT::teVT100orANSI, "^[?1h", TArrows::akTerminal, Qt::Key_Left, "^OD"},
        {TVT::teVT100orANSI, "^[?1h", TArrows::akTerminal, Qt::Key_Home, ""},
        {TVT::teVT52, "", TArrows::akTerminal, Qt::Key_Up, ""}, // still in application mode: VT52 has no such code
        {TVT::teVT100orANSI, "^[?1l", TArrows::akTerminal, Qt::Key_Up, "^[A"},
        {TVT::teVT52, "", TArrows::akTerminal, Qt::Key_Down, "^B"},
        {TVT::teNone, "", TArrows::akTerminal, Qt::Key_Up, ""},
        {TVT::teVT100orANSI, "", TArrows::akWindows, Qt::Key_Right, ""}, // moves the caret here instead
    };
    Term.SetLocalEcho(true);
    for (const auto& [Emulation, Received, Arrows, Code, Want] : Cases) {
        Term.SetEmulation(Emulation);
        Term.SetArrowKeys(Arrows);
        Port.Receive(E(Received));
        Port.Written.clear();
        Term.MoveCaret(5, 5);
        Key(Term, Code);
        EXPECT_EQ(Port.Written, E(Want)) << Code;
        EXPECT_EQ(Term.CaretPos() == (TTermPos{5, 5}), Want.empty() && Arrows == TArrows::akTerminal) << Code;
    }
}

TEST_F(Attached, KeyHandlerSendLfAndLocalEchoOnlyWhileThePortIsOpen)
{
    Term.OnKeyPress = [](TCustomComTerminal*, char& Key) { Key = Key == 'x' ? 0 : Key; }; // 0: nothing goes
    Type(Term, "axb");
    EXPECT_EQ(Term.Buffer().GetLastLine(), 0) << "no echo";
    Term.SetSendLF(true);
    Term.SetLocalEcho(true);
    Type(Term, "hi");
    Key(Term, Qt::Key_Return, "\r");
    Key(Term, Qt::Key_Right);
    EXPECT_EQ(Port.Written, E("abhi\r\n^[C"));
    EXPECT_EQ(Row(Term, 1, 3), "hi.");
    EXPECT_EQ(Term.CaretPos(), (TTermPos{2, 2}));
    Port.Close();
    Type(Term, "cd");
    Key(Term, Qt::Key_Up);
    EXPECT_EQ(Port.Written, E("abhi\r\n^[C"));
    EXPECT_EQ(Term.Buffer().GetLastLine(), 1);
}

TEST_F(Attached, ReceivedBlocksGoThroughTheFiltersAndTheHandler)
{
    std::string Blocks;
    Term.OnStrRecieved = [&Blocks](TCustomComTerminal*, std::string& Str) {
        Blocks += Str + "|";
        for (char& Ch : Str)
            Ch = static_cast<char>(std::toupper(static_cast<unsigned char>(Ch)));
    };
    Port.Receive(E("hello^Q\a\r\nok\rOK\r\n"));
    EXPECT_EQ(Row(Term, 1) + Row(Term, 2), "HELLO.OK....");
    Term.SetAppendLF(true);
    Term.SetForce7Bit(true);
    Port.Receive("ab\rc\xe4\r\n");
    EXPECT_EQ(Blocks, E("hello^Q\a\r\nok\rOK\r\n|ab\r\ncd\r\n\n|"));
    EXPECT_EQ(Row(Term, 3) + Row(Term, 4), "AB....CD....");
    EXPECT_EQ(Term.CaretPos(), (TTermPos{1, 6}));
    Term.OnStrRecieved = [](TCustomComTerminal*, std::string& Str) { Str.clear(); };
    Port.Receive("gone");
    EXPECT_EQ(Term.Buffer().GetLastLine(), 4);
}

TEST_F(Attached, RepliesGoToThePortAndAFailedWriteCostsNothingElse)
{
    Port.Receive(E("^[3;7H^[6n^[c^[5n"));
    EXPECT_EQ(Port.Written, E("^[3;7R^[?1;2c^[0n"));
    Port.FailWrites = true;
    EXPECT_NO_THROW(Port.Receive(E("^[6nAB")));
    EXPECT_EQ(Term.Buffer().GetChar(8, 3).Ch, 'B');
    EXPECT_EQ(CloseErrorBoxes(), 1);
    EXPECT_NO_THROW(Key(Term, Qt::Key_A, "a"));
    EXPECT_EQ(CloseErrorBoxes(), 1);
    Port.Close();
    Port.FailWrites = false;
    Term.WriteStr(E("^[6n"));
    EXPECT_EQ(Port.Written, E("^[3;7R^[?1;2c^[0n"));
}

TEST_F(Attached, DetachedTheTerminalSeesNothingAndAPortThatGoesDetachesIt)
{
    Term.SetComPort(&Port); // the same port: no second registration
    EXPECT_EQ(Port.Links.size(), 1u);
    Term.SetComPort(nullptr);
    EXPECT_TRUE(Port.Links.empty());
    EXPECT_FALSE(Term.Connected());
    Port.Receive("lost");
    Type(Term, "x");
    EXPECT_EQ(Term.Buffer().GetLastLine(), 0);
    EXPECT_EQ(Port.Written, "");

    auto Gone = std::make_unique<TermFakePort>();
    Gone->DetachOnDestroy = false; // only the base is left to tell the terminal
    Term.SetComPort(Gone.get());
    Gone.reset();
    EXPECT_EQ(Term.ComPort(), nullptr);
    // Switching ports leaves no notification behind at the old one.
    auto Second = std::make_unique<TermFakePort>();
    Term.SetComPort(Second.get());
    Term.SetComPort(&Port);
    Second.reset();
    EXPECT_EQ(Term.ComPort(), &Port);
    Port.Receive("back");
    EXPECT_EQ(Row(Term, 1, 5), "back.");
}

TEST(TermWidget, AdapterBindsAPortAndUnregistersWhenItGoes)
{
    TComTerminal Term;
    Term.SetConnected(true); // no port: nothing
    RawPort Raw;
    {
        TermPortAdapter<RawPort> Link(Raw);
        Term.SetComPort(&Link);
        ASSERT_EQ(Raw.Links.size(), 1u);
        Term.SetConnected(true);
        EXPECT_TRUE(Raw.IsOpen);
        Key(Term, Qt::Key_Return, "\r");
        EXPECT_EQ(Raw.Written, "\r");
        Raw.Links[0]->OnRxBuf(nullptr, "seen", 4);
        EXPECT_EQ(Row(Term, 1, 5), "seen.");
        Term.SetConnected(false);
        EXPECT_FALSE(Raw.IsOpen);
    }
    EXPECT_TRUE(Raw.Links.empty());
    EXPECT_EQ(Term.ComPort(), nullptr);
}

TEST(TermWidget, WithoutAnEmulationNoCodeRuns)
{
    TComTerminal Term;
    Term.SetEmulation(TVT::teNone);
    Term.WriteEscCode(TEscapeCode::ecCursorMove, {"3", "4"});
    EXPECT_EQ(Term.CaretPos(), (TTermPos{1, 1}));
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
    EXPECT_EQ(std::pair(Term.CellWidth(), Term.CellHeight()),
              std::pair(Metrics.horizontalAdvance(QLatin1Char('W')), Metrics.height()));
}

TEST(TermWidget, PaintsCellsAtTheScrollPositionAndTheCaretWhileFocused)
{
    TComTerminal Term;
    Term.SetColor(Qt::darkBlue);
    Term.SetCaret(TTermCaret::tcNone);
    Term.resize(400, 250);
    Term.SetColumns(256);
    Term.SetRows(40);
    Term.show();
    QCoreApplication::processEvents();
    ASSERT_GT(Term.verticalScrollBar()->maximum(), 0);
    Term.WriteStr(E("X^[1;12HY"));
    EXPECT_EQ((std::vector<bool>{Inked(Term, 1, 1), Inked(Term, 2, 1), Inked(Term, 12, 1)}),
              (std::vector<bool>{true, false, true}));
    Term.horizontalScrollBar()->setValue(11);
    EXPECT_EQ(Term.TopLeft(), (TTermPos{12, 1}));
    EXPECT_EQ((std::vector<bool>{Inked(Term, 1, 1), Inked(Term, 2, 1)}), (std::vector<bool>{true, false}));
    Term.SetScrollBars(TScrollStyle::ssNone);
    QCoreApplication::processEvents();
    EXPECT_EQ(Term.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(Term.TopLeft(), (TTermPos{1, 1}));

    QFocusEvent In(QEvent::FocusIn), Out(QEvent::FocusOut);
    Term.SetCaret(TTermCaret::tcBlock);
    QCoreApplication::sendEvent(&Term, &In);
    EXPECT_EQ(Term.CaretHeight(), Term.CellHeight());
    Term.MoveCaret(3, 2);
    EXPECT_TRUE(Inked(Term, 3, 2));
    Term.SetCaret(TTermCaret::tcNone);
    QCoreApplication::sendEvent(&Term, &In);
    EXPECT_FALSE(Term.CaretExists());
    Term.SetCaret(TTermCaret::tcBlock);
    QCoreApplication::sendEvent(&Term, &In);
    QCoreApplication::sendEvent(&Term, &Out);
    EXPECT_FALSE(Term.CaretExists());
    EXPECT_FALSE(Inked(Term, 3, 2));
}

TEST(TermSetup, ColumnsAndRowsTextsAndACaretOfNone)
{
    for (auto [Columns, Rows, WantColumns, WantRows] : {std::tuple{"abc", "", 80, 24},
                                                        {"1000", "0", 256, 2},
                                                        {" 132 ", "100", 132, 100},
                                                        {"-5", "9999999999", 2, 24}}) {
        TComTerminal Term;
        Term.SetColumns(40);
        Term.SetRows(10);
        Term.SetCaret(TTermCaret::tcNone);
        TComTrmSetForm Form;
        Form.LoadFrom(Term);
        EXPECT_EQ(Form.ComboBox1->currentIndex(), -1);
        Form.Edit1->setText(Columns);
        Form.Edit2->setText(Rows);
        Form.StoreTo(Term);
        EXPECT_EQ(std::pair(Term.Columns(), Term.Rows()), std::pair(WantColumns, WantRows)) << Columns << "/" << Rows;
        EXPECT_EQ(Term.Caret(), TTermCaret::tcNone) << "kept";
    }
}
