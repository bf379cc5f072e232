// The script runner: script files, line keywords, the run's bytes and pauses on the wire.
#include "TermPageRig.h"

#include "link/protocol/Protocol.h"
#include "platform/ui/HandlerGuard.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

using Lines = std::vector<std::string>;

namespace {
struct Script : TermPageRig {
    void Load(const Lines& lines)
    {
        page.ScriptComboBox->clear();
        for (const auto& l : lines)
            page.ScriptComboBox->addItem(QString::fromLatin1(l.data(), static_cast<qsizetype>(l.size())));
    }
    void Run(const Lines& lines)
    {
        Load(lines);
        page.SpeedButton7Click();
    }
};
} // namespace

TEST(ScriptLines, FileLinesEndAtCrLfOrCrLf)
{
    EXPECT_EQ(ScriptLines::Split("KVI\r\nKVSWT?\rT:500\nKV"), (Lines{"KVI", "KVSWT?", "T:500", "KV"}));
    EXPECT_EQ(ScriptLines::Split("a\r\n"), (Lines{"a"}));
    EXPECT_EQ(ScriptLines::Split("a\r\n\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(ScriptLines::Split("\n\r"), (Lines{"", ""}));
    EXPECT_EQ(ScriptLines::Split(""), Lines{});
    EXPECT_EQ(ScriptLines::Split(std::string("x\0y", 3)), (Lines{std::string("x\0y", 3)}));
}

TEST(ScriptLines, PauseLines)
{
    using ScriptLines::PauseValue;
    EXPECT_EQ(PauseValue("T:500"), 500);
    EXPECT_EQ(PauseValue("T:"), 0);
    EXPECT_EQ(PauseValue("T:  -20ms"), -20);
    EXPECT_EQ(PauseValue("T:+7"), 7);
    EXPECT_EQ(PauseValue("PORT:1"), 0); // read from its third character: "RT:1"
    EXPECT_EQ(PauseValue("xxT:3"), 0);
    EXPECT_EQ(PauseValue("T:99999999999999"), INT_MAX);
    EXPECT_EQ(PauseValue("T:-99999999999999"), INT_MIN);
    EXPECT_EQ(PauseValue("KVSTT=07:00"), std::nullopt);
    EXPECT_EQ(PauseValue("t:5"), std::nullopt); // case counts
    EXPECT_TRUE(ScriptLines::IsModeSwitch("+++"));
    EXPECT_FALSE(ScriptLines::IsModeSwitch("---\r"));
}

TEST(ScriptLinesSend, FormOfEachKindOfLine)
{
    using ScriptLines::SendFormOf;
    EXPECT_EQ(SendFormOf("+++").text, "+++");
    EXPECT_FALSE(SendFormOf("---").withCr);
    EXPECT_EQ(SendFormOf("<ESC>").text, std::string(1, '\x1b'));
    EXPECT_FALSE(SendFormOf("<ESC>").withCr);
    EXPECT_EQ(SendFormOf("<esc>").text, "<esc>"); // only the exact keyword
    EXPECT_TRUE(SendFormOf("<esc>").withCr);
    EXPECT_EQ(SendFormOf("KVI").text, "KVI");
    EXPECT_TRUE(SendFormOf("KVI").withCr);
}

TEST_F(Script, PauseLineThenCommands)
{
    Run({"T:500", "KVI", "KVSWT?"});
    EXPECT_EQ(port.Timeline(), "<500>KVI\r<500>KVSWT?\r<500>");
    EXPECT_EQ(page.DelayEdit2->text(), "500");
    EXPECT_EQ(page.ScriptComboBox->currentText(), "KVSWT?");
}

TEST_F(Script, ModeSwitchLinesGoOutWithoutCr)
{
    Run({"---", "+++"});
    EXPECT_EQ(port.Timeline(), "---<2000>+++<2000>");
}

TEST_F(Script, EmptyLineSendsALoneCrAndEscapeHasNoMeaning)
{
    Run({"", "<ESC>", "[27]"});
    EXPECT_EQ(port.Timeline(), "\r<2000><ESC>\r<2000>\x1b\r<2000>");
}

TEST_F(Script, SetRtcLineSetsTheClock)
{
    page.Timing.Wait = [this](int ms) {
        port.Wait(ms);
        now.Second += ms / 1000;
    };
    Run({"T:10", "<SET RTC>"});
    EXPECT_EQ(port.Timeline(), "<10>KVSRD=26-03-05\r<1000>KVSRTC=1:09:07:04\r<10>");
}

TEST_F(Script, ClosedPortRunsNothing)
{
    port.Open = false;
    Run({"T:5", "KVI"});
    EXPECT_TRUE(port.Steps.empty());
    EXPECT_EQ(host.Status, Msg::kPortClosed);
    EXPECT_EQ(page.DelayEdit2->text(), "2000");
}

TEST_F(Script, EmptyListSendsAndReportsNothing)
{
    Run({});
    EXPECT_TRUE(port.Steps.empty());
    EXPECT_TRUE(host.StatusHistory.empty());
}

TEST_F(Script, BadPauseTextEndsTheRunAfterTheFirstLine)
{
    page.DelayEdit2->setText("2s");
    Run({"KVI", "KVRVL"});
    EXPECT_EQ(port.Timeline(), "KVI\r");
    EXPECT_EQ(host.Status, "'2s' is not a valid integer value");
    EXPECT_FALSE(link.Busy.Busy());
}

TEST_F(Script, LinesAddedDuringAPauseRunToo)
{
    bool added = false;
    page.Timing.Wait = [&](int ms) {
        port.Wait(ms);
        if (!added) {
            added = true;
            page.SendBox->setEditText("KVRSL");
            page.SpeedButton9Click(); // Add: no send, not refused while the script runs
        }
    };
    Run({"T:1", "KVI"});
    EXPECT_EQ(port.Timeline(), "<1>KVI\r<1>KVRSL\r<1>");
}

TEST_F(Script, SingleSendKnowsEscapeButNoRunKeywords)
{
    page.ScriptComboBox->setEditText("<ESC>");
    page.SpeedButton8Click();
    page.ScriptComboBox->setEditText("T:5");
    page.SpeedButton8Click();
    page.ScriptComboBox->setEditText("+++");
    page.SpeedButton8Click();
    EXPECT_EQ(port.Timeline(), "\x1bT:5\r+++");
    EXPECT_EQ(page.DelayEdit2->text(), "2000");
    EXPECT_EQ(page.ScriptComboBox->count(), 4); // "KV" and the three lines
}

TEST_F(Script, EnterInTheScriptBoxSendsTheLine)
{
    page.ScriptComboBox->setEditText("KVI");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QCoreApplication::sendEvent(page.ScriptComboBox->lineEdit(), &enter);
    EXPECT_EQ(port.Timeline(), "KVI\r");
}

TEST_F(Script, LoadReplacesTheList)
{
    char path[] = "/tmp/kiv_scriptXXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    {
        std::ofstream file(path, std::ios::binary);
        file << "KVI\r\nT:100\n<SET RTC>\r\xE9t\xE9\r\n";
    }
    dialogs.AnswerFile(true, path);
    page.SpeedButton6Click();
    ASSERT_EQ(page.ScriptComboBox->count(), 4);
    EXPECT_EQ(page.ScriptComboBox->itemText(2), "<SET RTC>");
    EXPECT_EQ(page.ScriptComboBox->itemText(3), QString::fromLatin1("\xE9t\xE9"));
    EXPECT_EQ(page.ScriptComboBox->currentText(), "KVI");
    ASSERT_EQ(dialogs.Shown.size(), 1u);
    EXPECT_EQ(dialogs.Shown[0].Kind, "open");
    EXPECT_EQ(dialogs.Shown[0].Text, "Text-file|*.txt");

    // Cancel changes nothing; a file that cannot be read leaves the list and says so.
    page.SpeedButton6Click();
    std::remove(path);
    dialogs.AnswerFile(true, path);
    EXPECT_FALSE(RunGuarded([&] { page.SpeedButton6Click(); }));
    EXPECT_EQ(page.ScriptComboBox->count(), 4);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_NE(dialogs.Messages()[0].find(path), std::string::npos);
}
