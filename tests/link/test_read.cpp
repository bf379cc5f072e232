#include "LinkRig.h"
#include "RecordingPort.h"

#include "link/protocol/Protocol.h"

using Strings = std::vector<std::string>;

namespace {
// Marks and odd bytes the read must clear or leave alone.
void Scribble(ImageStore& store)
{
    store.WriteImageString("(edited)", 100, 1);
    store.WriteImageString("beyond", 3072, 1);
}
} // namespace

struct Read : LinkRig {};

TEST_F(Read, GoodReadPutsTheUnitsBytesInTheImageWithoutMarks)
{
    Scribble(store);
    std::string imageBefore = store.Image.Bytes(0, 65536);
    std::string imageSeen;
    host.OnRedraw = [&] { imageSeen = store.Image.Bytes(0, 3072); };

    link.ReadEEPROMExecuteClick();

    EXPECT_TRUE(SameBytes(Image(0, 3072), UnitMemory(0, 3072)));
    EXPECT_FALSE(SameBytes(Image(0, 3072), imageBefore.substr(0, 3072)));
    EXPECT_FALSE(store.Image.AnyMarked(0, 3072));
    // Bytes above the configuration area keep their values and marks.
    EXPECT_TRUE(SameBytes(Image(3072, 6), "beyond"));
    EXPECT_TRUE(store.Image.AnyMarked(3072, 6));
    EXPECT_EQ(host.FinishImageReads, 1);
    EXPECT_TRUE(SameBytes(imageSeen, UnitMemory(0, 3072))); // FinishImageRead ran on the new image
    EXPECT_EQ(store.ImageSize, 3072);
    EXPECT_EQ(host.Status, Msg::kReadOk);
    EXPECT_EQ(host.ModemType, "MOSS");
    EXPECT_EQ(host.DeviceLabel, "Found device: KIV-MOSS");
    EXPECT_EQ(Commands(), (Strings{"---", "KVRP1", "---", "kvrw1", "kvpw=1234", "kvrea0", "kvrw0"}));
    EXPECT_TRUE(Unit().Violations.empty());
    EXPECT_EQ(host.ProgressPosition, 3072 + 8);

    // The fixed order: progress shown, terminal detached, ..., result, caption, window closed, terminal back.
    const Strings order{"FocusHelpPanel", "ResetProgress:3072", "StartProgress:Read:3072", "Step:Read Modem Type",
                        "ApplyModemTypeLabels", "Step:Invoke KV-Commands", "Detach", "Step:Prepare Comm settings",
                        "Step:Checking Password", "Step:Start Reading", "FinishImageRead",
                        "Status:EEPROM Read OK!", "Step:Restore Comm settings", "Result:OK:EEPROM Read OK!",
                        "EndResult", "Caption", "CloseProgress", "Attach"};
    int last = -1;
    for (const auto& call : order) {
        int at = host.IndexOf(call);
        EXPECT_GT(at, last) << call;
        last = at;
    }
    EXPECT_TRUE(host.TerminalAttached);
}

TEST_F(Read, WithTimersReadsThemFirstAndSendsNoEscapeOfItsOwn)
{
    host.RS = true;
    link.ReadEEPROMExecuteClick();
    EXPECT_EQ(host.Status, Msg::kReadOk);
    EXPECT_EQ(host.TimerEdits, (std::array<std::string, 5>{"60", "1440", "5", "0", "720"}));
    EXPECT_EQ(Commands(), (Strings{"---", "KVRP1", "---", "KVSWT?", "kvrw1", "kvpw=1234", "kvrea0", "kvrw0"}));
    EXPECT_GE(host.IndexOf("Step:Invoke KV-Commands and read Timers"), 0);
    EXPECT_LT(host.IndexOf("Status:Timers Read OK!"), host.IndexOf("Detach"));
}

namespace {
struct FailureCase {
    const char* name;
    std::function<void(SimUnit&)> setup;
    const char* message;
    Strings commands;
};
void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }
} // namespace

struct ReadFailure : Read, ::testing::WithParamInterface<FailureCase> {};

TEST_P(ReadFailure, ReportsLeavesTheImageAndRestoresTheUnit)
{
    const auto& c = GetParam();
    sim.WithUnit([&](SimUnit& u) { c.setup(u); });
    Scribble(store);
    const std::string before = store.Image.Bytes(0, 65536);

    link.ReadEEPROMExecuteClick();

    EXPECT_EQ(host.Status, c.message);
    EXPECT_TRUE(SameBytes(store.Image.Bytes(0, 65536), before));
    EXPECT_TRUE(store.Image.AnyMarked(100, 8));
    EXPECT_EQ(host.FinishImageReads, 0);
    EXPECT_EQ(Commands(), c.commands);
    EXPECT_EQ(host.Count(std::string("Result:ERROR:") + c.message), 1);
    EXPECT_GT(host.IndexOf("CloseProgress"), host.IndexOf("EndResult"));
    EXPECT_GT(host.IndexOf("Attach"), host.IndexOf("CloseProgress"));
    EXPECT_TRUE(host.TerminalAttached);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ReadFailure,
    ::testing::Values(
        FailureCase{"Silence", [](SimUnit& u) { u.Faults.Silent = true; }, Msg::kCommFailure,
                    {"---", "KVRP1", "---", "kvrw1", "kvrw0"}},
        FailureCase{"WrongPassword", [](SimUnit& u) { u.Password = "other"; }, Msg::kPasswordIncorrect,
                    {"---", "KVRP1", "---", "kvrw1", "kvpw=1234", "kvrw0"}},
        FailureCase{"BadChecksum", [](SimUnit& u) { u.Faults.BadReadChecksum = true; }, Msg::kChecksumFailed,
                    {"---", "KVRP1", "---", "kvrw1", "kvpw=1234", "kvrea0", "kvrw0"}},
        FailureCase{"ShortData", [](SimUnit& u) { u.Faults.ShortData = 3000; }, Msg::kReadFailed,
                    {"---", "KVRP1", "---", "kvrw1", "kvpw=1234", "kvrea0", "kvrw0"}},
        // Image and checksum complete, tail missing: the last six bytes cannot be the tail.
        FailureCase{"NoTail", [](SimUnit& u) { u.Faults.ShortData = 3072 + 6; }, Msg::kReadFailed,
                    {"---", "KVRP1", "---", "kvrw1", "kvpw=1234", "kvrea0", "kvrw0"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Read, PasswordWithBracketsGoesOutAsTyped)
{
    sim.WithUnit([](SimUnit& u) { u.Password = "a[13]b"; });
    host.Password = "a[13]b";
    link.ReadEEPROMExecuteClick();
    EXPECT_EQ(host.Status, Msg::kReadOk);
}

TEST_F(Read, CharDelayGoneBadDuringTheReadStillEndsIt)
{
    host.OnStep = [&](const std::string& step) {
        if (step == Msg::kStepPassword)
            host.CharDelay = "x";
    };
    link.ReadEEPROMExecuteClick();
    EXPECT_EQ(host.Status, Msg::kReadOk);
    EXPECT_EQ(Commands().back(), "kvrw0");
}

TEST_F(Read, ASecondOperationInsideTheReadIsRefused)
{
    int refusals = 0;
    host.OnStep = [&](const std::string& step) {
        if (step == Msg::kStepPassword) {
            link.WriteEEPROMExecuteClick();
            link.ReadEEPROMExecuteClick();
            link.ReadSWTButtonClick();
            EXPECT_TRUE(link.RefuseWhileBusy()); // as the port close and the window close ask
            refusals = static_cast<int>(std::count(host.StatusHistory.begin(), host.StatusHistory.end(),
                                                   BusyScope::Refusal()));
            EXPECT_TRUE(link.Busy.Busy());
        }
    };
    link.ReadEEPROMExecuteClick();
    EXPECT_EQ(refusals, 4);
    EXPECT_EQ(host.Count("Commit"), 0);
    EXPECT_EQ(host.Status, Msg::kReadOk);
    EXPECT_EQ(Commands(), (Strings{"---", "KVRP1", "---", "kvrw1", "kvpw=1234", "kvrea0", "kvrw0"}));
    EXPECT_FALSE(link.Busy.Busy());
    EXPECT_FALSE(link.RefuseWhileBusy());
}

TEST_F(Read, LogReadFillsTheWholeMemory)
{
    store.WriteImageString("(edited)", 40000, 1);
    int imageSizeSeen = 0;
    host.OnRedraw = [&] { imageSizeSeen = store.ImageSize; };

    link.readLogValuesClick();

    EXPECT_EQ(host.Status, Msg::kReadOk);
    EXPECT_TRUE(SameBytes(Image(0, 65536), UnitMemory(0, 65536)));
    EXPECT_FALSE(store.Image.AnyMarked(0, 65536));
    EXPECT_EQ(store.ImageSize, 65536);
    EXPECT_EQ(imageSizeSeen, 65536);
    EXPECT_EQ(store.LogCapacity[1], 61696 / 9);
    EXPECT_EQ(host.FinishImageReads, 0);
    // The pages are redrawn while the result shows.
    EXPECT_GT(host.IndexOf("ImageToControls"), host.IndexOf("Result:OK:EEPROM Read OK!"));
    EXPECT_LT(host.IndexOf("ImageToControls"), host.IndexOf("EndResult"));
    EXPECT_EQ(Commands(), (Strings{"---", "kvrw1", "kvpw=1234", "kvrea", "kvrw0"}));
    EXPECT_EQ(host.Count("ApplyModemTypeLabels"), 0);
}

TEST_F(Read, LogReadWithChecksumErrorLeavesTheImage)
{
    sim.WithUnit([](SimUnit& u) { u.Faults.BadReadChecksum = true; });
    const std::string before = store.Image.Bytes(0, 65536);
    link.readLogValuesClick();
    EXPECT_EQ(host.Status, Msg::kChecksumFailed);
    EXPECT_TRUE(SameBytes(store.Image.Bytes(0, 65536), before));
    EXPECT_EQ(host.Redraws, 0);
    EXPECT_EQ(store.ImageSize, 65536);
}

// --- without the unit: closed port, bad settings, port errors -----------------------------------------------

namespace {
struct Offline : ::testing::Test {
    RecordingPort port;
    FakeHost host;
    ImageStore store;
    SerialLink link{port, host, store};
    Offline() { link.Timing = LinkTiming{}.Scaled(0, 0.05); }
};
} // namespace

TEST_F(Offline, ClosedPortReadSendsNothingPurgesNothingAndKeepsItsMessage)
{
    port.Open = false;
    link.ReadEEPROMExecuteClick();
    EXPECT_TRUE(port.Writes.empty());
    EXPECT_EQ(port.Clears, 0);
    EXPECT_EQ(host.Status, Msg::kCommFailure);
    EXPECT_EQ(host.Count("Status:Communication failure"), 0);
    EXPECT_EQ(host.Count("Result:ERROR:" + std::string(Msg::kCommFailure)), 1);
    EXPECT_EQ(host.Count("CloseProgress"), 1);
    EXPECT_EQ(host.Count("Attach"), 1);
    EXPECT_EQ(host.Count("StartProgress:Read:3072"), 0); // the window is never shown
}

TEST_F(Offline, ClosedPortWriteSendsNothingAndKeepsItsMessage)
{
    port.Open = false;
    store.ImageLoaded = 1;
    host.ClearMem = true;
    link.WriteEEPROMExecuteClick();
    EXPECT_TRUE(port.Writes.empty());
    EXPECT_EQ(port.Clears, 0);
    EXPECT_EQ(host.Status, Msg::kCommFailure);
    EXPECT_EQ(host.Count("Result:ERROR:" + std::string(Msg::kCommFailure)), 1);
    EXPECT_EQ(host.Count("Attach"), 1);
}

TEST_F(Offline, BadCharDelayIsReportedBeforeAnythingHappens)
{
    host.CharDelay = "fast";
    link.ReadEEPROMExecuteClick();
    link.WriteEEPROMExecuteClick();
    link.readLogValuesClick();
    EXPECT_TRUE(port.Writes.empty());
    EXPECT_EQ(port.Clears, 0);
    EXPECT_EQ(host.Status, "'fast' is not a valid integer value");
    EXPECT_EQ(host.Count("Detach"), 0);
    EXPECT_EQ(host.Count("Commit"), 0);
    EXPECT_EQ(host.Count("ResetProgress:3072"), 0);
    EXPECT_FALSE(link.Busy.Busy());
}

TEST_F(Offline, PortErrorMidwayStillRestoresAndReattaches)
{
    port.FailClearAt = 1; // the clear before the password
    port.Input = "\r\nRW1 OK\r\n";
    link.ReadEEPROMExecuteClick();
    ASSERT_EQ(host.PortErrors.size(), 1u);
    EXPECT_EQ(host.PortErrors[0], "PurgeComm function failed");
    EXPECT_EQ(host.Status, Msg::kCommFailure);
    const std::string wire = port.Wire();
    EXPECT_EQ(wire.substr(wire.size() - 6), "kvrw0\r");
    EXPECT_EQ(host.Count("CloseProgress"), 1);
    EXPECT_EQ(host.Count("Attach"), 1);
    EXPECT_FALSE(link.Busy.Busy());
}

TEST(ClosedComPort, TransfersAndTimerCommandsLeaveAClosedPortAlone)
{
    TComPort com; // never opened: any purge or write would raise
    ComPortLink port{com};
    FakeHost host;
    ImageStore store;
    store.ImageLoaded = 1;
    SerialLink link{port, host, store};
    link.Timing = LinkTiming{}.Scaled(0, 0.05);
    EXPECT_NO_THROW(link.ReadEEPROMExecuteClick());
    EXPECT_NO_THROW(link.readLogValuesClick());
    EXPECT_NO_THROW(link.WriteEEPROMExecuteClick());
    EXPECT_NO_THROW(link.ReadSWTButtonClick());
    EXPECT_NO_THROW(link.SetSWTButtonClick());
    EXPECT_EQ(host.Status, Msg::kCommFailure);
    EXPECT_TRUE(host.PortErrors.empty());
    EXPECT_EQ(host.Count("CloseProgress"), 3);
}
