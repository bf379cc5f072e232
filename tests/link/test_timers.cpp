#include "LinkRig.h"
#include "RecordingPort.h"

#include "link/protocol/Protocol.h"

using Strings = std::vector<std::string>;

struct Timers : LinkRig {};

TEST_F(Timers, SetSendsTheFiveEdits)
{
    host.TimerEdits = {"15", "0", "1440", "7", "30"};
    link.SetSWTButtonClick();
    EXPECT_EQ(Commands(), (Strings{"---", "KVSWT=1,00:00,15", "KVSWT=2,00:00,0", "KVSWT=3,00:00,1440",
                                   "KVSWT=4,00:00,7", "KVSWT=5,00:00,30"}));
    EXPECT_EQ(Unit().Timers, host.TimerEdits);
    EXPECT_TRUE(host.StatusHistory.empty());
}

TEST_F(Timers, ReadPutsThePeriodsIntoTheEdits)
{
    sim.WithUnit([](SimUnit& u) { u.Timers = {"1", "22", "333", "1440", "0"}; });
    link.ReadSWTButtonClick();
    EXPECT_EQ(host.Status, Msg::kTimersReadOk);
    EXPECT_EQ(host.TimerEdits, (std::array<std::string, 5>{"1", "22", "333", "1440", "0"}));
    EXPECT_EQ(Commands(), (Strings{"---", "KVSWT?"}));
    EXPECT_EQ(host.Count("ClearMemo4"), 1);
}

TEST_F(Timers, BadAnswerKeepsTheEdits)
{
    const auto before = host.TimerEdits;
    sim.WithUnit([](SimUnit& u) { u.Timers = {"1", "2", "1441", "4", "5"}; });
    link.ReadSWTButtonClick();
    EXPECT_EQ(host.Status, Msg::kTimersReadFailed);
    EXPECT_EQ(host.TimerEdits, before);

    sim.WithUnit([](SimUnit& u) { u.Timers = {"1", "2", "", "4", "5"}; });
    link.ReadSWTButtonClick();
    EXPECT_EQ(host.Status, Msg::kTimersReadFailed);
    EXPECT_EQ(host.TimerEdits, before);
}

TEST_F(Timers, NoAnswer)
{
    const auto before = host.TimerEdits;
    sim.WithUnit([](SimUnit& u) { u.Faults.Silent = true; });
    link.ReadSWTButtonClick();
    EXPECT_EQ(host.Status, Msg::kTimersReadFailed);
    EXPECT_EQ(host.TimerEdits, before);
}

TEST_F(Timers, HardwareTypeReadTrimsTheWord)
{
    sim.WithUnit([](SimUnit& u) { u.HardwareAnswer = "KVRP1: KIV tarn\r\n"; });
    link.Timers.ReadModemType();
    EXPECT_EQ(host.ModemType, "tarn");
    EXPECT_EQ(host.DeviceLabel, "Found device: KIV-TARN");
    EXPECT_EQ(host.Status, Msg::kModemTypeOk);
    EXPECT_EQ(host.Count("ApplyModemTypeLabels"), 1);
    EXPECT_EQ(Commands(), (Strings{"---", "KVRP1"}));
}

TEST_F(Timers, HardwareTypeWithoutAnAnswer)
{
    for (const char* answer : {"", ":::"}) {
        sim.WithUnit([&](SimUnit& u) { u.HardwareAnswer = answer; });
        host.Calls.clear();
        link.Timers.ReadModemType();
        EXPECT_EQ(host.ModemType, "unset") << answer;
        EXPECT_EQ(host.DeviceLabel, "") << answer;
        EXPECT_EQ(host.Status, Msg::kModemTypeFailed) << answer;
        EXPECT_EQ(host.Count("ApplyModemTypeLabels"), 1) << answer;
    }
}

TEST(TimersOffline, ClosedPortDoesNothingButRelabel)
{
    RecordingPort port;
    port.Open = false;
    FakeHost host;
    ImageStore store;
    SerialLink link{port, host, store};
    link.Timing = LinkTiming{}.Scaled(0, 0.05);
    link.SetSWTButtonClick();
    link.ReadSWTButtonClick();
    link.Timers.ReadModemType();
    EXPECT_TRUE(port.Writes.empty());
    EXPECT_EQ(port.Clears, 0);
    EXPECT_TRUE(host.StatusHistory.empty());
    EXPECT_EQ(host.Calls, (Strings{"ApplyModemTypeLabels"}));
}

TEST(TimersOffline, BadCharDelayIsReported)
{
    RecordingPort port;
    FakeHost host;
    host.CharDelay = "";
    ImageStore store;
    SerialLink link{port, host, store};
    link.Timing = LinkTiming{}.Scaled(0, 0.05);
    link.SetSWTButtonClick();
    EXPECT_EQ(host.Status, "'' is not a valid integer value");
    EXPECT_TRUE(port.Writes.empty());
    EXPECT_FALSE(link.Busy.Busy());
}
