// The terminal page: the send box on the wire, the receive display and its log, the port button, and one
// operation at a time.
#include "TermPageRig.h"

#include "cport/test_term_fakeport.h"
#include "link/protocol/Protocol.h"
#include "link/ui/ByteMemo.h"
#include "platform/ui/CheckBox.h"
#include "sim/SimPty.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using Strings = std::vector<std::string>;

namespace
{
using TermPage = TermPageRig;

// The page's terminal on a port stand-in that delivers received blocks as the real port does.
struct TermPageReceive : TermPage {
    TermFakePort terminalPort;
    TermPageReceive()
    {
        terminalPort.IsOpen = true;
        page.AttachTerminal(&terminalPort);
    }
    ~TermPageReceive() override { page.DetachTerminal(); }
};
} // namespace

TEST_F(TermPage, SendBoxLinesOnTheWire)
{
    using Texts = std::vector<std::string>;
    const struct {
        std::string text, charDelay;
        bool open;
        std::string timeline, status;
        Texts boxes;
    } cases[] = {
        {"---", "0", true, "---", "", {}}, // mode switches and the escape go out alone, without pauses
        {"+++", "0", true, "+++", "", {}},
        {"<ESC>", "0", true, "\x1b", "", {}},
        // The character delay once before the line (besides the one before each character), 100 ms before the CR.
        {"KVI", "7", true, "<7>KVI<100>\r", "", {}},
        {"A[13]B[300]", "0", true, "<0>A\rB,<100>\r", "", {}},
        // A bad delay is the window's error message, not a status line.
        {"KVI", "x1", true, "", "", {"'x1' is not a valid integer value"}},
        {"KVRIS", "0", false, "<0><100>", Msg::kPortClosed, {}},
    };
    for (const auto& c : cases) {
        port.Forget();
        host.Status.clear();
        dialogs.Shown.clear();
        host.CharDelay = c.charDelay;
        port.Open = c.open;
        Send(c.text);
        EXPECT_EQ(port.Timeline, c.timeline) << c.text;
        EXPECT_EQ(host.Status, c.status) << c.text;
        EXPECT_EQ(dialogs.Messages(), c.boxes) << c.text;
    }
    port.Forget();
    port.Open = true;
    page.SendBox->setEditText("KVI"); // Enter in the send box sends too
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QCoreApplication::sendEvent(page.SendBox->lineEdit(), &enter);
    EXPECT_EQ(port.Timeline, "<0>KVI<100>\r");
}

// Inside the pause of a send, every other operation on the unit is refused, and so is closing the port or the
// window.
TEST_F(TermPage, NothingElseRunsInsideAPause)
{
    bool nested = false;
    page.Timing.Wait = [&](int ms) {
        port.Wait(ms);
        if (ms != 100 || nested)
            return;
        nested = true;
        page.SendBox->setEditText("KVRSL");
        page.SpeedButton1Click();
        page.SpeedButton7Click();
        page.SpeedButton12Click();
        page.Button3Click();
        link.ReadEEPROMExecuteClick();
        link.WriteEEPROMExecuteClick();
        link.ReadSWTButtonClick();
        EXPECT_TRUE(link.RefuseWhileBusy());
    };
    Send("KVI");
    EXPECT_EQ(port.Timeline, "<0>KVI<100>\r");
    EXPECT_EQ(host.Count("Status:" + BusyScope::Refusal()), 8);
    EXPECT_EQ(host.Count("Commit"), 0);
    EXPECT_FALSE(link.Busy.Busy());
}

TEST_F(TermPageReceive, RawCopyKeepsEveryByteAndTheLogRendersThem)
{
    const std::string block1("OK\r\0x", 5), block2("\ry\r\n", 4);
    terminalPort.Receive(block1);
    terminalPort.Receive(block2);
    EXPECT_EQ(page.Memo4Text(), block1 + block2);
    EXPECT_EQ(page.Memo1->Bytes(), "09:07:03.00 : " + block1 + block2);
    page.HexCheckBox->setChecked(true);
    now.Second = 4;
    terminalPort.Receive(block1);
    EXPECT_EQ(page.Memo1->Bytes(), "09:07:03.00 : " + block1 + block2 + "[4F][4B][0D][00][78]");

    // Erase empties the log, not the raw copy, which has a clear of its own.
    page.SpeedButton2Click();
    EXPECT_EQ(page.Memo1->Bytes(), "");
    EXPECT_EQ(page.Memo4Text(), block1 + block2 + block1);
    page.ClearMemo4();
    EXPECT_EQ(page.Memo4Text(), "");
}

TEST_F(TermPageReceive, UnitStartBannerGetsOneEscape)
{
    page.sendESC->setChecked(true);
    // A blank must stand right before "SYS", before any zero byte, within one block.
    for (const std::string& block : {std::string("\r\nKIV SYSTEM START\r\n"), std::string("\r\nSYSTEM START\r\n"),
                                     std::string("x\0 SYS", 6), std::string("KIV "), std::string("SYS")})
        terminalPort.Receive(block);
    EXPECT_EQ(port.Wire(), "\x1b");
    page.sendESC->setChecked(false);
    terminalPort.Receive(" SYS");
    EXPECT_EQ(port.Wire(), "\x1b");

    // A bad character delay during the automatic escape shows as the window's error message, never out of the
    // handler.
    page.sendESC->setChecked(true);
    host.CharDelay = "?";
    EXPECT_NO_THROW(terminalPort.Receive(" SYS"));
    EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{"'?' is not a valid integer value"});
    EXPECT_EQ(port.Wire(), "\x1b");
}

TEST_F(TermPage, PortButtonOpensAndClosesThePortButNotWhileTheLinkIsBusy)
{
    SimPty sim;
    comPort.SetPort(sim.SlavePath());
    comPort.SetBaudRate(br115200);
    page.ShowPortState();
    EXPECT_EQ(page.Button1->text().toStdString(), sim.SlavePath() + ": CLOSED");
    page.Button1Click();
    ASSERT_TRUE(comPort.Connected());
    EXPECT_EQ(page.Button1->text().toStdString(), sim.SlavePath() + " (115200): OPEN");
    EXPECT_TRUE(page.CheckBox8->isChecked());
    page.CheckBox7->click(); // the user drops DTR: the click reaches the open port
    EXPECT_FALSE(page.CheckBox7->isChecked());

    link.RunGuarded("test", [&] { page.Button1Click(); });
    EXPECT_TRUE(comPort.Connected());
    EXPECT_EQ(host.Status, BusyScope::Refusal());
    page.Button1Click();
    EXPECT_FALSE(comPort.Connected());
    EXPECT_EQ(page.Button1->text().toStdString(), sim.SlavePath() + ": CLOSED");
    EXPECT_FALSE(page.CheckBox7->isEnabled());
    EXPECT_TRUE(host.PortErrors.empty());
    EXPECT_TRUE(dialogs.Messages().empty());

    comPort.SetPort("/dev/kiv-no-such-port");
    host.SetStatusText("EEPROM Read OK!");
    page.Button1Click();
    EXPECT_FALSE(comPort.Connected());
    EXPECT_EQ(host.PortErrors.size(), 1u);
    EXPECT_EQ(host.Status, "EEPROM Read OK!"); // not cleared after an error
}

TEST(ByteMemo, KeepsEveryByteShowsLatin1AndSelectsTheMark)
{
    ByteMemo memo;
    const std::string bytes("a\0b\rc\r", 6);
    memo.Append(bytes);
    memo.Append("\nd\xE9\x7F\n");
    EXPECT_EQ(memo.Bytes(), bytes + "\nd\xE9\x7F\n");
    // The CR LF split over two appends is one line break, the lone CR one too; NUL and DEL show as pictures.
    EXPECT_EQ(memo.toPlainText(), QString("a") + QChar(0x2400) + "b\nc\nd" + QChar(0xE9) + QChar(0x2421) + "\n");
    memo.ClearAll();
    memo.Append("ab\r\n");
    memo.Append("12:00:00.00 : x", 13);
    memo.ShowMark();
    EXPECT_EQ(memo.textCursor().selectedText(), " ");
    EXPECT_EQ(memo.textCursor().selectionStart(), 3 + 13);
}
