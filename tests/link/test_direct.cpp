// The direct unit commands: their bytes and pauses on the wire, the clock read, the SMS number list.
#include "TermPageRig.h"

#include "link/protocol/Protocol.h"

#include <QComboBox>

#include <algorithm>

namespace {
struct Direct : TermPageRig {
    int clockReads = 0;
    Direct()
    {
        page.Clock = [this] {
            ++clockReads;
            return now;
        };
        // The PC clock runs on during the pauses.
        page.Timing.Wait = [this](int ms) {
            port.Wait(ms);
            Advance(ms);
        };
    }
    void Advance(int ms)
    {
        now.Hundredths += ms / 10;
        now.Second += now.Hundredths / 100;
        now.Hundredths %= 100;
        if (now.Second >= 60) {
            now.Second -= 60;
            if (++now.Minute == 60) {
                now.Minute = 0;
                if (++now.Hour == 24) {
                    now.Hour = 0;
                    ++now.Day;
                }
            }
        }
    }
};
} // namespace

TEST_F(Direct, ClockAndReferenceDate)
{
    page.SetRTCButtonClick();
    // The time is read after the pause, a second after the click.
    EXPECT_EQ(port.Timeline(), "KVSRD=26-03-05\r<1000>KVSRTC=1:09:07:04\r");
    EXPECT_EQ(clockReads, 2);
}

TEST_F(Direct, ClockWithDateFromOneReading)
{
    page.setRTCDButtonClick();
    EXPECT_EQ(port.Timeline(), "KVSCLK=26/03/05,09:07:03\r");
    EXPECT_EQ(clockReads, 1);
}

TEST_F(Direct, ClockWithDateAtMidnightPairsDateAndTimeOfTheSameMoment)
{
    // The year turns right after the first reading of the clock.
    const LocalTime readings[] = {{2026, 12, 31, 23, 59, 59, 99}, {2027, 1, 1, 0, 0, 0, 0}};
    page.Clock = [&] { return readings[std::min(clockReads++, 1)]; };
    page.setRTCDButtonClick();
    EXPECT_EQ(port.Timeline(), "KVSCLK=26/12/31,23:59:59\r");
}

TEST_F(Direct, ReferenceDateFollowsADayThatTurnsDuringThePause)
{
    now = LocalTime{2026, 3, 5, 23, 59, 59, 50};
    page.SetRTCButtonClick();
    EXPECT_EQ(port.Timeline(), "KVSRD=26-03-05\r<1000>KVSRD=26-03-06\r<1000>KVSRTC=1:00:00:01\r");
}

TEST_F(Direct, OneCommandButtons)
{
    page.SpeedButton12Click();
    page.SpeedButton13Click();
    page.SpeedButton14Click();
    EXPECT_EQ(port.Timeline(), "KV&SR\rKV&MB\rKVESC\r");
    EXPECT_EQ(port.Writes.size(), 18u); // one write per character
}

TEST_F(Direct, SmsSequence)
{
    page.ComboBox8->setEditText("+4670123");
    page.ComboBox9->setEditText("Alarm [65]");
    page.SpeedButton11Click();
    EXPECT_EQ(port.Timeline(), "KVSC1\r<1000>AT+CMGF=1\r<500>AT+CMGS=\"+4670123\"\r<500>Alarm A<500>\x1a");
    ASSERT_EQ(page.ComboBox8->count(), 3);
    EXPECT_EQ(page.ComboBox8->itemText(2), "+4670123");
    EXPECT_EQ(page.ComboBox8->currentText(), "+4670123");

    page.SpeedButton11Click();
    page.ComboBox8->setEditText("+61");
    page.SpeedButton11Click();
    EXPECT_EQ(page.ComboBox8->count(), 3); // numbers already listed are not added again
}

TEST_F(Direct, EmptyNumberSendsEmptyQuotes)
{
    page.ComboBox8->setEditText("");
    page.ComboBox9->setEditText("");
    page.SpeedButton11Click();
    EXPECT_EQ(port.Timeline(), "KVSC1\r<1000>AT+CMGF=1\r<500>AT+CMGS=\"\"\r<500><500>\x1a");
}

TEST_F(Direct, ClosedPortStillRunsThePauses)
{
    port.Open = false;
    page.SpeedButton11Click();
    page.SetRTCButtonClick();
    EXPECT_TRUE(port.Writes.empty());
    EXPECT_EQ(port.Timeline(), "<1000><500><500><500><1000>");
    EXPECT_EQ(host.Status, Msg::kPortClosed);
}

TEST_F(Direct, CommandsAreRefusedWhileAScriptRuns)
{
    page.ScriptComboBox->clear();
    page.ScriptComboBox->addItem("T:1");
    bool clicked = false;
    page.Timing.Wait = [&](int ms) {
        port.Wait(ms);
        if (!clicked) {
            clicked = true;
            page.SpeedButton12Click();
        }
    };
    page.SpeedButton7Click();
    EXPECT_EQ(port.Timeline(), "<1>");
    EXPECT_EQ(host.Status, BusyScope::Refusal());
}

TEST(DirectCommandTexts, TwoDigitFields)
{
    const LocalTime t{2031, 1, 2, 3, 4, 5, 0};
    EXPECT_EQ(DirectCommands::ReferenceDateCommand(t), "KVSRD=31-01-02\r");
    EXPECT_EQ(DirectCommands::ClockCommand(t), "KVSRTC=1:03:04:05\r");
    EXPECT_EQ(DirectCommands::ClockAndDateCommand(t), "KVSCLK=31/01/02,03:04:05\r");
}
