// The terminal page: its controls, the send box on the wire, the receive display, the port button.
#include "TermPageRig.h"

#include "cport/ComTerminal.h"
#include "cport/test_term_fakeport.h"
#include "link/ui/ByteMemo.h"
#include "link/protocol/Protocol.h"
#include "sim/SimPty.h"

#include "platform/ui/CheckBox.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {
struct TermPage : TermPageRig {
    void Send(const std::string& text)
    {
        page.SendBox->setEditText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
        page.SpeedButton1Click();
    }
    std::vector<std::string> ScriptItems() const
    {
        std::vector<std::string> items;
        for (int i = 0; i < page.ScriptComboBox->count(); ++i)
            items.push_back(page.ScriptComboBox->itemText(i).toStdString());
        return items;
    }
};

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

TEST_F(TermPage, ControlsCarryTheirNamesAndStartValues)
{
    for (const char* name :
         {"Button1", "SpeedButton2", "ComTerminal1", "SendBox", "Label83", "Label84", "Label85", "SpeedButton1",
          "Label161", "charDelay", "Memo1", "Memo4", "Label113", "Label114", "CheckBox7", "CheckBox8", "CheckBox9",
          "CheckBox10", "CheckBox14", "ShowTS", "HexCheckBox", "ShowDataChBox", "sendESC", "ScriptComboBox",
          "SpeedButton6", "SpeedButton7", "SpeedButton8", "SpeedButton9", "Label89", "DelayEdit2", "Label130",
          "SetRTCButton", "setRTCDButton", "SpeedButton11", "SpeedButton12", "SpeedButton13", "SpeedButton14",
          "ComboBox8", "ComboBox9", "Panel20", "Button3", "areaNo", "valueX", "Sbuffr", "Edit1", "LedPanel"})
        EXPECT_NE(page.findChild<QObject*>(name), nullptr) << name;
    for (int n = 2; n <= 7; ++n)
        EXPECT_NE(page.LedPanel->findChild<QWidget*>(QString("ComLed%1Place").arg(n)), nullptr) << n;

    ASSERT_EQ(page.SendBox->count(), 60);
    EXPECT_EQ(page.SendBox->itemText(0), "---");
    EXPECT_EQ(page.SendBox->itemText(24), "KV&V");
    EXPECT_TRUE(page.SendBox->itemText(46).startsWith("KV-IP1="));
    EXPECT_TRUE(page.SendBox->itemText(47).endsWith(":2049"));
    EXPECT_EQ(page.SendBox->itemText(59), "KV-SL=");
    EXPECT_EQ(page.SendBox->currentText(), "<ESC>");
    EXPECT_EQ(page.ScriptComboBox->count(), 1);
    EXPECT_EQ(page.ScriptComboBox->currentText(), "KVI");
    EXPECT_EQ(page.DelayEdit2->text(), "2000");
    EXPECT_EQ(page.Button1->text(), "COM1: CLOSED");
    EXPECT_TRUE(page.CheckBox7->isChecked());
    EXPECT_FALSE(page.CheckBox7->isEnabled());
    EXPECT_TRUE(page.ShowTS->isChecked());
    EXPECT_TRUE(page.HexCheckBox->isEnabled());
    EXPECT_TRUE(page.Panel20->isHidden());
    EXPECT_TRUE(page.Memo1->isHidden());
    EXPECT_EQ(page.ComboBox8->currentText(), "+46");
    EXPECT_EQ(page.Edit1->text(), "1024");
}

TEST_F(TermPage, ModeSwitchAndEscapeGoOutAloneWithoutPauses)
{
    Send("---");
    EXPECT_EQ(port.Timeline(), "---");
    EXPECT_EQ(port.Writes.size(), 3u);
    port.Forget();
    Send("+++");
    EXPECT_EQ(port.Timeline(), "+++");
    port.Forget();
    Send("<ESC>");
    EXPECT_EQ(port.Timeline(), "\x1b");
}

TEST_F(TermPage, CommandLineGetsItsCrAfterAPause)
{
    host.CharDelay = "7";
    Send("KVI");
    // The character delay once before the line (besides the one before each character), 100 ms before the CR.
    EXPECT_EQ(port.Timeline(), "<7>KVI<100>\r");
    EXPECT_EQ(port.Writes, (std::vector<std::string>{"K", "V", "I", "\r"}));
}

TEST_F(TermPage, ByteCodesInTheSendBox)
{
    Send("A[13]B[300]");
    EXPECT_EQ(port.Timeline(), std::string("<0>A\rB,<100>\r"));
}

TEST_F(TermPage, SentLinesJoinTheScriptOnce)
{
    Send("KVI");
    Send("KV");
    Send("KVI");
    EXPECT_EQ(ScriptItems(), (std::vector<std::string>{"KV", "KVI"}));
    EXPECT_EQ(page.ScriptComboBox->currentText(), "KVI");

    page.ScriptComboBox->clear();
    Send("KVRVL");
    EXPECT_EQ(page.ScriptComboBox->count(), 0); // an empty list stays empty
    EXPECT_EQ(page.ScriptComboBox->currentText(), "KVRVL");
}

TEST_F(TermPage, BadCharDelaySendsAndRemembersNothing)
{
    host.CharDelay = "x1";
    Send("KVI");
    EXPECT_TRUE(port.Steps.empty());
    EXPECT_EQ(host.Status, "'x1' is not a valid integer value");
    EXPECT_EQ(page.ScriptComboBox->count(), 1);
}

TEST_F(TermPage, ClosedPortReportsTwiceAndStillRemembers)
{
    port.Open = false;
    Send("KVRIS");
    EXPECT_TRUE(port.Writes.empty());
    EXPECT_EQ(port.Timeline(), "<0><100>");
    EXPECT_EQ(std::count(host.StatusHistory.begin(), host.StatusHistory.end(), Msg::kPortClosed), 2);
    EXPECT_EQ(ScriptItems(), (std::vector<std::string>{"KV", "KVRIS"}));
}

TEST_F(TermPage, EnterInTheSendBoxSendsAndOtherKeysCount)
{
    page.SendBox->setEditText("KVI");
    QLineEdit* edit = page.SendBox->lineEdit();
    QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "A");
    QCoreApplication::sendEvent(edit, &a);
    EXPECT_EQ(page.Label84->text(), "4"); // counted before the key lands
    EXPECT_EQ(page.SendBox->currentText(), "KVIA");
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, "\b");
    QCoreApplication::sendEvent(edit, &back);
    EXPECT_EQ(page.Label84->text(), "3");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QCoreApplication::sendEvent(edit, &enter);
    EXPECT_EQ(port.Timeline(), "<0>KVI<100>\r");

    char key = 8;
    page.SendBox->setEditText("");
    page.Label84->setText("9");
    page.SendBoxKeyPress(key);
    EXPECT_EQ(page.Label84->text(), "9"); // Backspace on an empty box leaves the count
}

TEST_F(TermPage, PickingACommandShowsItsDescriptionAndLength)
{
    page.SendBox->setCurrentIndex(24);
    page.SendBoxClick();
    EXPECT_EQ(page.Label83->text(), "Show active profile(KV&V)");
    EXPECT_EQ(page.Label84->text(), "4");
    page.SendBox->setCurrentIndex(2);
    page.SendBoxClick();
    EXPECT_EQ(page.Label83->text(), "Escape Character(ESC)");
    EXPECT_EQ(page.Label84->text(), "1");
}

TEST_F(TermPage, SecondSendInsideAPauseIsRefused)
{
    bool nested = false;
    page.Timing.Wait = [&](int ms) {
        port.Wait(ms);
        if (ms == 100 && !nested) {
            nested = true;
            page.SendBox->setEditText("KVRSL");
            page.SpeedButton1Click();
            page.SpeedButton7Click();
        }
    };
    Send("KVI");
    EXPECT_EQ(port.Timeline(), "<0>KVI<100>\r");
    EXPECT_EQ(host.Count("Status:" + BusyScope::Refusal()), 2);
    EXPECT_FALSE(link.Busy.Busy());
}

TEST_F(TermPage, ShowTSOffDisablesAndClearsTheRenderingBoxes)
{
    page.HexCheckBox->setChecked(true);
    page.ShowDataChBox->setChecked(true);
    page.ShowTS->setChecked(false);
    EXPECT_FALSE(page.HexCheckBox->isEnabled());
    EXPECT_FALSE(page.HexCheckBox->isChecked());
    EXPECT_FALSE(page.ShowDataChBox->isChecked());
    page.ShowTS->setChecked(true);
    EXPECT_TRUE(page.ShowDataChBox->isEnabled());

    page.CheckBox14->setChecked(true);
    EXPECT_FALSE(page.Memo1->isHidden());
    EXPECT_FALSE(page.ShowTS->isHidden());
    EXPECT_FALSE(page.Label114->isHidden());
}

TEST_F(TermPage, OptionBoxesSetTheTerminal)
{
    page.CheckBox9->setChecked(true);
    page.CheckBox10->setChecked(true);
    EXPECT_TRUE(page.ComTerminal1->LocalEcho());
    EXPECT_TRUE(page.ComTerminal1->AppendLF());
    page.CheckBox9->setChecked(false);
    EXPECT_FALSE(page.ComTerminal1->LocalEcho());
}

TEST_F(TermPageReceive, RawCopyKeepsEveryByteAndTheLogRendersThem)
{
    const std::string block1("OK\r\0x", 5);
    const std::string block2("\ry\r\n", 4);
    terminalPort.Receive(block1);
    terminalPort.Receive(block2);
    EXPECT_EQ(page.Memo4Text(), block1 + block2);
    EXPECT_EQ(page.Memo1->Bytes(), "09:07:03.00 : " + block1 + block2);
    EXPECT_EQ(page.Label114->text(), "9");

    page.HexCheckBox->setChecked(true);
    now.Second = 4;
    terminalPort.Receive(block1);
    EXPECT_EQ(page.Memo1->Bytes(), "09:07:03.00 : " + block1 + block2 + "[4F][4B][0D][00][78]");
    page.HexCheckBox->setChecked(false);
    page.ShowDataChBox->setChecked(true);
    now.Second = 5;
    terminalPort.Receive("\xC8 A");
    EXPECT_TRUE(page.Memo1->Bytes().ends_with("\r\n09:07:05.00 : [200][32]A"));

    page.ClearMemo4();
    EXPECT_EQ(page.Memo4Text(), "");
}

TEST_F(TermPageReceive, EraseClearsLogAndCounterButNotTheRawCopy)
{
    terminalPort.Receive("hello");
    page.SpeedButton2Click();
    EXPECT_EQ(page.Memo1->Bytes(), "");
    EXPECT_EQ(page.Label114->text(), "0");
    EXPECT_EQ(page.Memo4Text(), "hello");

    terminalPort.Receive("abc");
    EXPECT_EQ(page.Label114->text(), "3");
    page.Label114Click();
    EXPECT_EQ(page.Label114->text(), "0");
}

TEST_F(TermPageReceive, UnitStartBannerGetsOneEscape)
{
    page.sendESC->setChecked(true);
    terminalPort.Receive("\r\nKIV SYSTEM START\r\n");
    EXPECT_EQ(port.Wire(), "\x1b");
    terminalPort.Receive("\r\nSYSTEM START\r\n"); // no blank before SYS
    terminalPort.Receive("KIV ");
    terminalPort.Receive("SYS"); // split over two blocks
    EXPECT_EQ(port.Wire(), "\x1b");

    page.sendESC->setChecked(false);
    terminalPort.Receive(" SYS");
    EXPECT_EQ(port.Wire(), "\x1b");
}

TEST_F(TermPageReceive, ABadCharDelayDuringTheAutomaticEscapeStaysInTheStatusBar)
{
    page.sendESC->setChecked(true);
    host.CharDelay = "?";
    EXPECT_NO_THROW(terminalPort.Receive(" SYS"));
    EXPECT_EQ(host.Status, "'?' is not a valid integer value");
    EXPECT_EQ(page.Memo4Text(), " SYS");
}

TEST_F(TermPage, AddedLogLinesStandOnLinesOfTheirOwn)
{
    page.AddLogLine("Block: 1");
    page.AddLogLine("KVWXB=[21][20]");
    EXPECT_EQ(page.Memo1->Bytes(), "Block: 1\r\nKVWXB=[21][20]");
}

// --- the port button, on a real port over a pseudo-terminal ------------------------------------------------------

TEST_F(TermPage, OpenAndCloseThePort)
{
    SimPty sim;
    comPort.SetPort(sim.SlavePath());
    comPort.SetBaudRate(br115200);
    page.ShowPortState();
    EXPECT_EQ(page.Button1->text().toStdString(), sim.SlavePath() + ": CLOSED");

    page.Button1Click();
    ASSERT_TRUE(comPort.Connected());
    EXPECT_EQ(page.Button1->text().toStdString(), sim.SlavePath() + " (115200): OPEN");
    EXPECT_TRUE(page.CheckBox7->isEnabled());
    EXPECT_TRUE(page.CheckBox8->isChecked());
    EXPECT_EQ(host.Status, "");

    // The user drops DTR: the box's click handler reaches the port without an error.
    page.CheckBox7->click();
    EXPECT_FALSE(page.CheckBox7->isChecked());
    EXPECT_TRUE(host.PortErrors.empty());
    EXPECT_TRUE(dialogs.Messages().empty());

    page.Button1Click();
    EXPECT_FALSE(comPort.Connected());
    EXPECT_EQ(page.Button1->text().toStdString(), sim.SlavePath() + ": CLOSED");
    EXPECT_FALSE(page.CheckBox7->isEnabled());
    EXPECT_FALSE(page.CheckBox8->isEnabled());
}

TEST_F(TermPage, PortThatCannotOpenShowsTheComPortError)
{
    comPort.SetPort("/dev/kiv-no-such-port");
    page.ShowPortState();
    host.SetStatusText("EEPROM Read OK!");
    page.Button1Click();
    EXPECT_FALSE(comPort.Connected());
    ASSERT_EQ(host.PortErrors.size(), 1u);
    EXPECT_EQ(page.Button1->text(), "/dev/kiv-no-such-port: CLOSED");
    EXPECT_EQ(host.Status, "EEPROM Read OK!"); // not cleared after an error
}

TEST_F(TermPage, PortStaysOpenWhileTheLinkIsBusy)
{
    SimPty sim;
    comPort.SetPort(sim.SlavePath());
    page.Button1Click();
    ASSERT_TRUE(comPort.Connected());
    link.RunGuarded("test", [&] { page.Button1Click(); });
    EXPECT_TRUE(comPort.Connected());
    EXPECT_EQ(host.Status, BusyScope::Refusal());
    page.Button1Click();
    EXPECT_FALSE(comPort.Connected());
}

TEST_F(TermPage, ToolBarButtonsOfTheMainWindowTakeOver)
{
    QWidget toolBar;
    auto* button1 = new QPushButton(&toolBar);
    auto* erase = new QToolButton(&toolBar);
    page.UseToolBarButtons(button1, erase);
    EXPECT_EQ(page.Button1, button1);
    EXPECT_EQ(button1->text(), "COM1: CLOSED");
    EXPECT_EQ(page.findChildren<QPushButton*>("Button1").size(), 0);

    comPort.SetPort("/dev/kiv-no-such-port");
    button1->click();
    EXPECT_EQ(host.PortErrors.size(), 1u); // the click reached the page's handler

    page.AddLogLine("x");
    erase->click();
    EXPECT_EQ(page.Memo1->Bytes(), "");
}

TEST_F(TermPage, SignalLedsTakeTheirPlaces)
{
    auto* cts = new QWidget;
    cts->setObjectName("ComLed2");
    auto* tx = new QWidget;
    tx->setObjectName("ComLed7");
    page.InstallSignalLed(2, cts);
    page.InstallSignalLed(7, tx);
    EXPECT_EQ(cts->parentWidget(), page.LedPanel);
    EXPECT_EQ(page.LedPanel->findChild<QWidget*>("ComLed2Place"), nullptr);
    EXPECT_EQ(cts->size(), QSize(25, 25));
    EXPECT_FALSE(tx->isEnabled());
    EXPECT_TRUE(tx->isHidden());
}
