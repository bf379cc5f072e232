// The script runner and the direct unit commands: script files, line keywords, bytes and pauses on the wire.
#include "TermPageRig.h"

#include "link/protocol/Protocol.h"
#include "platform/ui/HandlerGuard.h"

#include <QLineEdit>

#include <cstdio>
#include <fstream>
#include <unistd.h>

using Lines = std::vector<std::string>;

namespace
{
struct Script : TermPageRig {
    void Run(const Lines& lines)
    {
        page.ScriptComboBox->clear();
        for (const auto& l : lines)
            page.ScriptComboBox->addItem(QString::fromLatin1(l.data(), static_cast<qsizetype>(l.size())));
        page.SpeedButton7Click();
    }
};

// The PC clock also moves on between two readings.
struct Direct : TermPageRig {
    Direct() { TickMs = 10; }
};
} // namespace

TEST(ScriptLines, FileLinesAndPauses)
{
    EXPECT_EQ(ScriptLines::Split("KVI\r\nKVSWT?\rT:500\nKV"), (Lines{"KVI", "KVSWT?", "T:500", "KV"}));
    EXPECT_EQ(ScriptLines::Split("a\r\n\r\nb\r\n"), (Lines{"a", "", "b"}));
    EXPECT_EQ(ScriptLines::Split("\n\r"), (Lines{"", ""}));
    EXPECT_EQ(ScriptLines::Split(std::string("x\0y", 3)), (Lines{std::string("x\0y", 3)}));
    const std::pair<const char*, std::optional<int>> pauses[] = {{"T:500", 500},
                                                                 {"T:", 0},
                                                                 {"T:  -20ms", -20},
                                                                 {"PORT:1", 0}, // read from its third character: "RT:1"
                                                                 {"KVSTT=07:00", std::nullopt},
                                                                 {"t:5", std::nullopt}};
    for (const auto& [line, pause] : pauses)
        EXPECT_EQ(ScriptLines::PauseValue(line), pause) << line;
}

TEST_F(Script, RunsOnTheWire)
{
    const struct {
        Lines lines;
        const char* delay;
        bool open;
        std::string timeline, status;
        Lines boxes;
    } cases[] = {
        {{"T:500", "KVI", "KVSWT?"}, "2000", true, "<500>KVI\r<500>KVSWT?\r<500>", "", {}},
        {{"---", "+++"}, "2000", true, "---<2000>+++<2000>", "", {}}, // mode switches without CR
        // An empty line is a lone CR; "<ESC>" means nothing in a run.
        {{"", "<ESC>", "[27]"}, "2000", true, "\r<2000><ESC>\r<2000>\x1b\r<2000>", "", {}},
        {{"T:10", "<SET RTC>"}, "2000", true, "<10>KVSRD=26-03-05\r<1000>KVSRTC=1:09:07:04\r<10>", "", {}},
        {{"T:5", "KVI"}, "2000", false, "", Msg::kPortClosed, {}},
        {{}, "2000", true, "", "", {}},
        // A bad pause text ends the run after the first line, with the window's error message.
        {{"KVI", "KVRVL"}, "2s", true, "KVI\r", "", {"'2s' is not a valid integer value"}},
    };
    for (const auto& c : cases) {
        port.Forget();
        port.Open = c.open;
        host.Status.clear();
        dialogs.Shown.clear();
        now = LocalTime{2026, 3, 5, 9, 7, 3, 0};
        page.DelayEdit2->setText(c.delay);
        Run(c.lines);
        EXPECT_EQ(port.Timeline, c.timeline) << c.lines.size();
        EXPECT_EQ(host.Status, c.status) << c.lines.size();
        EXPECT_EQ(dialogs.Messages(), c.boxes) << c.lines.size();
    }
    EXPECT_FALSE(link.Busy.Busy());
}

TEST_F(Script, LoadReplacesTheList)
{
    char path[] = "/tmp/kiv_scriptXXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    std::ofstream(path, std::ios::binary) << "KVI\r\nT:100\n<SET RTC>\r\xE9t\xE9\r\n";
    dialogs.AnswerFile(true, path);
    page.SpeedButton6Click();
    ASSERT_EQ(page.ScriptComboBox->count(), 4);
    EXPECT_EQ(page.ScriptComboBox->itemText(3), QString::fromLatin1("\xE9t\xE9"));
    EXPECT_EQ(page.ScriptComboBox->currentText(), "KVI");
    ASSERT_EQ(dialogs.Shown.size(), 1u);
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

TEST_F(Direct, ClockCommandsTakeDateAndTimeFromOneReading)
{
    const struct {
        LocalTime start;
        bool withDate;
        std::string timeline;
    } cases[] = {
        // The time is read after the pause, a second after the click.
        {{2026, 3, 5, 9, 7, 3, 0}, false, "KVSRD=26-03-05\r<1000>KVSRTC=1:09:07:04\r"},
        // A day that turns during the pause: its date goes out too.
        {{2026, 3, 5, 23, 59, 59, 50}, false, "KVSRD=26-03-05\r<1000>KVSRD=26-03-06\r<1000>KVSRTC=1:00:00:01\r"},
        {{2031, 1, 2, 3, 4, 5, 0}, true, "KVSCLK=31/01/02,03:04:05\r"},
        // The day turns right after the reading: date and time still of one moment.
        {{2026, 12, 31, 23, 59, 59, 99}, true, "KVSCLK=26/12/31,23:59:59\r"},
    };
    for (const auto& c : cases) {
        now = c.start;
        port.Forget();
        c.withDate ? page.setRTCDButtonClick() : page.SetRTCButtonClick();
        EXPECT_EQ(port.Timeline, c.timeline);
    }
}

TEST_F(Direct, CommandButtonsAndTheSmsSequence)
{
    page.SpeedButton12Click();
    page.SpeedButton13Click();
    page.SpeedButton14Click();
    EXPECT_EQ(port.Timeline, "KV&SR\rKV&MB\rKVESC\r");
    EXPECT_EQ(port.Writes.size(), 18u); // one write per character

    port.Forget();
    page.ComboBox8->setEditText("+4670123");
    page.ComboBox9->setEditText("Alarm [65]");
    page.SpeedButton11Click();
    EXPECT_EQ(port.Timeline, "KVSC1\r<1000>AT+CMGF=1\r<500>AT+CMGS=\"+4670123\"\r<500>Alarm A<500>\x1a");

    // A closed port sends nothing, and the pauses still run.
    port.Forget();
    port.Open = false;
    page.SpeedButton11Click();
    EXPECT_EQ(port.Timeline, "<1000><500><500><500>");
    EXPECT_EQ(host.Status, Msg::kPortClosed);
}
