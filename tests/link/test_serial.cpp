// The serial transfers and timer commands against the simulated unit over a pseudo-terminal, their failures,
// and what they do with no unit to talk to.
#include "LinkRig.h"
#include "RecordingPort.h"

#include "link/protocol/Protocol.h"
#include "platform/Convert.h"

using Strings = std::vector<std::string>;

namespace
{
const Strings kRead{"---", "KVRP1", "---", "kvrw1", "kvpw=1234", "kvrea0", "kvrw0"};
} // namespace

// An image of our own over the configuration area, with marks a read must clear and a write must take, and
// bytes above the configuration area that both leave alone.
struct Serial : LinkRig {
    Serial()
    {
        std::string ramp;
        for (int i = 0; i < 3072; ++i)
            ramp.push_back(static_cast<char>((i * 31 + 3) & 0xFF));
        store.LoadPlain(0, ramp);
        store.WriteImageString("(marked)", 10, 1);
        store.WriteImageString("(marked)", 2044, 1); // spans block 3 and the part never sent
        store.WriteImageString("beyond", 3072, 1);
    }
};

TEST_F(Serial, LogReadFillsTheWholeMemoryAndRedrawsWhileTheResultShows)
{
    store.WriteImageString("(edited)", 40000, 1);
    int imageSizeSeen = 0;
    host.OnRedraw = [&] { imageSizeSeen = store.ImageSize; };
    link.readLogValuesClick();

    EXPECT_EQ(host.Status, Msg::kReadOk);
    EXPECT_TRUE(SameBytes(Image(0, 65536), UnitMemory(0, 65536)));
    EXPECT_FALSE(store.Image.AnyMarked(0, 65536));
    EXPECT_EQ(imageSizeSeen, 65536);
    EXPECT_EQ(store.LogCapacity[1], 61696 / 9);
    EXPECT_EQ(host.FinishImageReads, 0);
    EXPECT_TRUE(host.InOrder({"Result:OK:EEPROM Read OK!", "ImageToControls", "EndResult"}));
    EXPECT_EQ(Commands(), (Strings{"---", "kvrw1", "kvpw=1234", "kvrea", "kvrw0"}));
}

TEST_F(Serial, TimerReadTakesFiveGoodPeriodsOrKeepsTheEdits)
{
    const struct {
        std::array<std::string, 5> unit;
        bool silent;
        int shortBy; // the answer read before its last bytes came in
        std::string status;
    } cases[] = {{{"1", "22", "333", "1440", "0"}, false, 0, Msg::kTimersReadOk},
                 {{"1", "2", "1441", "4", "5"}, false, 0, Msg::kTimersReadFailed},
                 {{"1", "2", "", "4", "5"}, false, 0, Msg::kTimersReadFailed},
                 {{"1", "2", "3", "4", "5"}, true, 0, Msg::kTimersReadFailed},
                 {{"1", "2", "3", "4", "1440"}, false, 8, Msg::kTimersReadFailed}, // "...5,00:00,14"
                 {{"1", "2", "3", "4", "1440"}, false, 4, Msg::kTimersReadOk}};    // only "OK" CR LF missing
    for (const auto& c : cases) {
        const std::array<std::string, 5> edits{"10", "20", "30", "40", "50"};
        host.TimerEdits = edits;
        sim.WithUnit([&](SimUnit& u) {
            u.Timers = c.unit;
            u.Faults.Silent = c.silent;
            u.Faults.TimersAnswerShort = c.shortBy;
        });
        link.ReadSWTButtonClick();
        EXPECT_EQ(host.Status, c.status);
        EXPECT_EQ(host.TimerEdits, c.status == Msg::kTimersReadOk ? c.unit : edits);
    }
    EXPECT_EQ(host.Count("ClearMemo4"), 6);
    Strings asked;
    for (int i = 0; i < 6; ++i)
        asked.insert(asked.end(), {"---", "KVSWT?"});
    EXPECT_EQ(Commands(), asked);
}

// --- the unit's faults: every path sends "kvrw0", shows the result, closes the window, attaches the terminal ---

namespace
{
enum class Op { Read, LogRead, Write };
struct FaultCase {
    const char* name;
    Op op;
    std::function<void(SimUnit&)> fault;
    const char* message;
    Strings commands;
};
void PrintTo(const FaultCase& c, std::ostream* os)
{
    *os << c.name;
}
} // namespace

struct SerialFault : Serial, ::testing::WithParamInterface<FaultCase> {
};

// A failed read leaves the image as it was; a failed write leaves the unit with the blocks it took, the image's
// values unchanged and the marks of the blocks that never went out.
TEST_P(SerialFault, EndsTheTransferAndKeepsWhatWasThere)
{
    const auto& c = GetParam();
    sim.WithUnit([&](SimUnit& u) { c.fault(u); });
    host.ClearMem = c.op == Op::Write;
    const std::string image = store.Image.Bytes(0, 65536), unit = UnitMemory(0, 3072);
    if (c.op == Op::Read)
        link.ReadEEPROMExecuteClick();
    else if (c.op == Op::LogRead)
        link.readLogValuesClick();
    else
        link.WriteEEPROMExecuteClick();

    EXPECT_EQ(host.Status, c.message);
    EXPECT_EQ(Commands(), c.commands);
    EXPECT_EQ(host.Count(std::string("Result:ERROR:") + c.message), 1);
    EXPECT_TRUE(host.InOrder({"Step:Restore Comm settings", "EndResult", "CloseProgress", "Attach"}));
    EXPECT_TRUE(host.TerminalAttached);
    EXPECT_EQ(host.FinishImageReads + host.Redraws, 0);
    EXPECT_TRUE(SameBytes(store.Image.Bytes(0, 65536), image));
    const int stored = Unit().BlocksStored * 512;
    EXPECT_TRUE(SameBytes(UnitMemory(0, 3072), image.substr(0, stored) + unit.substr(stored)));
    const bool blockSent = std::count(c.commands.begin(), c.commands.end(), "KVWEB0") > 0;
    EXPECT_EQ(store.Image.AnyMarked(10, 8), !blockSent);
    EXPECT_TRUE(store.Image.AnyMarked(2044, 4));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SerialFault,
    ::testing::Values(
        FaultCase{"ReadSilence",
                  Op::Read,
                  [](SimUnit& u) { u.Faults.Silent = true; },
                  Msg::kCommFailure,
                  {"---", "KVRP1", "---", "kvrw1", "kvrw0"}},
        FaultCase{"ReadWrongPassword",
                  Op::Read,
                  [](SimUnit& u) { u.Password = "other"; },
                  Msg::kPasswordIncorrect,
                  {"---", "KVRP1", "---", "kvrw1", "kvpw=1234", "kvrw0"}},
        FaultCase{"ReadBadChecksum", Op::Read, [](SimUnit& u) { u.Faults.BadReadChecksum = true; },
                  Msg::kChecksumFailed, kRead},
        // Image and checksum complete, tail missing: the last six bytes cannot be the tail.
        FaultCase{"ReadNoTail", Op::Read, [](SimUnit& u) { u.Faults.ShortData = 3072 + 6; }, Msg::kReadFailed, kRead},
        FaultCase{"LogReadBadChecksum",
                  Op::LogRead,
                  [](SimUnit& u) { u.Faults.BadReadChecksum = true; },
                  Msg::kChecksumFailed,
                  {"---", "kvrw1", "kvpw=1234", "kvrea", "kvrw0"}},
        // The log area is cleared after the restore whatever the outcome: the user asked for it with the write.
        FaultCase{"WriteSilence",
                  Op::Write,
                  [](SimUnit& u) { u.Faults.Silent = true; },
                  Msg::kCommFailure,
                  {"---", "kvrw1", "kvrw0", "kvspi=0,0"}},
        FaultCase{"WriteWrongPassword",
                  Op::Write,
                  [](SimUnit& u) { u.Password = "0000"; },
                  Msg::kPasswordIncorrect,
                  {"---", "kvrw1", "kvpw=1234", "kvrw0", "kvspi=0,0"}},
        FaultCase{"WriteRefusedBlock",
                  Op::Write,
                  [](SimUnit& u) { u.Faults.RefuseBlock = 2; },
                  Msg::kWriteChecksumFailed,
                  {"---", "kvrw1", "kvpw=1234", "KVWEB0", "KVWEB1", "KVWEB2", "kvrw0", "kvspi=0,0"}},
        // "0" CR acknowledges block 1 only.
        FaultCase{"WriteZeroCrForBlock0",
                  Op::Write,
                  [](SimUnit& u) { u.Faults.ZeroCrAckBlock = 0; },
                  Msg::kWriteChecksumFailed,
                  {"---", "kvrw1", "kvpw=1234", "KVWEB0", "kvrw0", "kvspi=0,0"}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- without the unit: bad settings, port errors, a closed port -----------------------------------------------

namespace
{
struct Offline : ::testing::Test {
    RecordingPort port;
    FakeHost host;
    ImageStore store;
    SerialLink link{port, host, store};
    Offline()
    {
        link.Timing = LinkTiming{}.Scaled(0, 0.05);
        store.ImageLoaded = 1;
    }
};
} // namespace

TEST_F(Offline, NothingGoesOutWithABadDelayAFailedCommitOrNoImage)
{
    // The bad delay reaches the caller's handler guard (the window's error message), never the status bar.
    host.CharDelay = "fast";
    EXPECT_THROW(link.ReadEEPROMExecuteClick(), EConvertError);
    EXPECT_THROW(link.WriteEEPROMExecuteClick(), EConvertError);
    EXPECT_THROW(link.readLogValuesClick(), EConvertError);
    EXPECT_TRUE(port.Events.empty()); // nothing written, nothing purged
    EXPECT_THROW(link.SetSWTButtonClick(), EConvertError);
    EXPECT_TRUE(port.Writes.empty());
    EXPECT_EQ(host.Count("Status:'fast' is not a valid integer value"), 0);
    EXPECT_EQ(host.Count("Detach") + host.Count("StartProgress:Read:3072") + host.Count("StartProgress:Write:3072"), 0);
    EXPECT_FALSE(link.Busy.Busy());
    host.Calls.clear();

    host.CharDelay = "0";
    host.CommitSucceeds = false;
    link.WriteEEPROMExecuteClick();
    EXPECT_EQ(host.Count("Stamp") + host.Count("ResetProgress:3072"), 0);
    host.CommitSucceeds = true;
    store.ImageLoaded = 0;
    link.WriteEEPROMExecuteClick();
    EXPECT_EQ(host.Status, Msg::kReadFirst);
    EXPECT_EQ(host.Count("Stamp"), 1); // the commit and stamp come first, as before a save
    EXPECT_EQ(host.Count("StartProgress:Write:3072"), 0);
    EXPECT_TRUE(port.Writes.empty());
    EXPECT_FALSE(link.Busy.Busy());
}

TEST_F(Offline, PortErrorMidwayStillRestoresAndReattaches)
{
    port.FailClearAt = 1; // the clear before the password
    port.Input = "\r\nRW1 OK\r\n";
    link.ReadEEPROMExecuteClick();
    EXPECT_EQ(host.PortErrors, Strings{"PurgeComm function failed"});
    EXPECT_EQ(host.Status, Msg::kCommFailure);
    EXPECT_TRUE(port.Wire().ends_with("kvrw0\r"));
    EXPECT_TRUE(host.InOrder({"CloseProgress", "Attach"}));
    EXPECT_FALSE(link.Busy.Busy());
}

TEST_F(Offline, FrameBytesLeaveTheLineBeforeThePurgeAndTheClosingCR)
{
    store.LoadPlain(512, std::string(512, '\x0D'));
    link.Transfer.WriteEEPROMBlock(1);
    // 512 escaped CRs and the checksum 0xFFFF - 512 x 13 = 0xE5FF, each byte its own write, then the CR.
    std::string frame = "KVWEB1";
    for (int i = 0; i < 512; ++i)
        frame += "\x7D\x2D";
    EXPECT_TRUE(SameBytes(port.Wire(), frame + "\xE5\xFF\r"));
    EXPECT_EQ(port.Writes.size(), 6u + 1024u + 2u + 1u);
    const auto cr = std::find(port.Events.begin(), port.Events.end(), "W:\r");
    ASSERT_GE(cr - port.Events.begin(), 3);
    EXPECT_EQ(Strings(cr - 3, cr + 1), (Strings{"W:\xFF", "Drain", "Clear", "W:\r"}));
    EXPECT_EQ(std::count(port.Events.begin(), port.Events.end(), "Drain"), 1);
    EXPECT_EQ(port.Events.back(), "Clear");
}

// A port never opened: any purge or write would raise. The refused "kvrw0" has the last word in the status bar.
TEST(ClosedComPort, TransfersAndTimerCommandsLeaveItAloneAndTheRefusalIsTheLastWord)
{
    TComPort com;
    ComPortLink port{com};
    FakeHost host;
    ImageStore store;
    store.ImageLoaded = 1;
    SerialLink link{port, host, store};
    link.Timing = LinkTiming{}.Scaled(0, 0.05);
    host.ClearMem = true;
    const std::string failure = "Status:" + std::string(Msg::kCommFailure), refused = "Status:Communication failure";
    for (auto click :
         {&SerialLink::ReadEEPROMExecuteClick, &SerialLink::readLogValuesClick, &SerialLink::WriteEEPROMExecuteClick}) {
        host.Calls.clear();
        (link.*click)();
        EXPECT_EQ(host.Count("Result:ERROR:" + std::string(Msg::kCommFailure)), 1);
        EXPECT_TRUE(host.InOrder(
            {failure, refused, "Result:ERROR:" + std::string(Msg::kCommFailure), "CloseProgress", "Attach"}));
        EXPECT_EQ(host.Status, Msg::kPortClosed);
        EXPECT_EQ(host.Count("StartProgress:Read:3072") + host.Count("StartProgress:Write:3072"), 0); // never shown
    }
    EXPECT_EQ(host.Count(refused), 2); // the write's "kvrw0" and its log-area clear
    host.Calls.clear();
    link.ReadSWTButtonClick();
    link.SetSWTButtonClick();
    link.Timers.ReadModemType();
    EXPECT_EQ(host.Calls, Strings{"ApplyModemTypeLabels"});
    EXPECT_TRUE(host.PortErrors.empty());
    EXPECT_EQ(host.Status, Msg::kPortClosed);
}

// --- the delays as they stand: the unit answers within the times the firmware expects ------------------------

struct RealTiming : Serial {
    RealTiming() { link.Timing = LinkTiming{}; }
};

// With timers asked for they are read first; the password goes out as typed.
TEST_F(RealTiming, ReadWithTimers)
{
    host.RS = true;
    host.Password = "a[13]b";
    sim.WithUnit([](SimUnit& u) { u.Password = "a[13]b"; });
    std::string imageSeen;
    host.OnRedraw = [&] { imageSeen = Image(0, 3072); };
    host.OnStep = [&](const std::string& step) {
        if (step == Msg::kStepPassword)
            host.CharDelay = "x"; // gone bad midway: the read goes on with the delay it began with
    };
    link.ReadEEPROMExecuteClick();

    EXPECT_EQ(host.Status, Msg::kReadOk);
    EXPECT_TRUE(SameBytes(Image(0, 3072), UnitMemory(0, 3072)));
    EXPECT_TRUE(SameBytes(imageSeen, UnitMemory(0, 3072))); // FinishImageRead ran on the new image
    EXPECT_FALSE(store.Image.AnyMarked(0, 3072));
    EXPECT_TRUE(SameBytes(Image(3072, 6), "beyond"));
    EXPECT_TRUE(store.Image.AnyMarked(3072, 6));
    EXPECT_EQ(store.ImageSize, 3072);
    EXPECT_EQ(host.ProgressPosition, 3072 + 8);
    EXPECT_EQ(host.DeviceLabel, "Found device: KIV-MOSS");
    EXPECT_EQ(host.TimerEdits, Unit().Timers);
    EXPECT_EQ(Commands(), (Strings{"---", "KVRP1", "---", "KVSWT?", "kvrw1", "kvpw=a[13]b", "kvrea0", "kvrw0"}));
    EXPECT_TRUE(Unit().Violations.empty());
    EXPECT_TRUE(
        host.InOrder({"FocusHelpPanel", "ResetProgress:3072", "StartProgress:Read:3072", "Step:Read Modem Type",
                      "ApplyModemTypeLabels", "Step:Invoke KV-Commands and read Timers", "Status:Timers Read OK!",
                      "Detach", "Step:Prepare Comm settings", "Step:Checking Password", "Step:Start Reading",
                      "FinishImageRead", "Status:EEPROM Read OK!", "Step:Restore Comm settings",
                      "Result:OK:EEPROM Read OK!", "EndResult", "Caption", "CloseProgress", "Attach"}));
}

// The unit ends with the image's first 2048 bytes; the image keeps its values and the marks above them.
TEST_F(RealTiming, WriteWithTimersAndLogClear)
{
    host.RS = true;
    host.ClearMem = true;
    sim.WithUnit([](SimUnit& u) { u.Faults.ZeroCrAckBlock = 1; }); // "0" CR acknowledges block 1, as units do
    const std::string image = Image(0, 3072), unitHigh = UnitMemory(2048, 1024);
    link.WriteEEPROMExecuteClick();

    EXPECT_EQ(host.Status, Msg::kWriteOk);
    EXPECT_TRUE(SameBytes(UnitMemory(0, 2048), image.substr(0, 2048)));
    EXPECT_TRUE(SameBytes(UnitMemory(2048, 1024), unitHigh));
    EXPECT_TRUE(SameBytes(UnitMemory(3072, 16), std::string(16, '\xFF'))); // the log area cleared
    EXPECT_TRUE(SameBytes(Image(0, 3072), image));
    EXPECT_FALSE(store.Image.AnyMarked(0, 2048));
    EXPECT_TRUE(store.Image.AnyMarked(2048, 4)); // the tail of "(marked)" above block 3
    EXPECT_EQ(Unit().Timers, host.TimerEdits);
    EXPECT_EQ(Commands(), (Strings{"---", "KVSWT=1,00:00,10", "KVSWT=2,00:00,20", "KVSWT=3,00:00,30",
                                   "KVSWT=4,00:00,40", "KVSWT=5,00:00,50", "kvrw1", "kvpw=1234", "KVWEB0", "KVWEB1",
                                   "KVWEB2", "KVWEB3", "kvrw0", "kvspi=0,0"}));
    EXPECT_TRUE(Unit().Violations.empty()); // every byte escaped that must be, every checksum right
    EXPECT_EQ(host.ProgressPosition, 3072);
    EXPECT_TRUE(host.InOrder({"Commit", "Stamp", "StartProgress:Write:3072", "Step:Invoke KV-Commands and write Timers",
                              "Step:Block 1: Writing...", "Step:Block 1: Waiting for ack...",
                              "Step:Block 4: Waiting for ack...", "Status:EEPROM Write OK!", "Step:Clear Log Area",
                              "Result:OK:EEPROM Write OK!", "CloseProgress", "Attach"}));
    EXPECT_EQ(host.Count("Caption"), 0);
}
