#include "LinkRig.h"
#include "RecordingPort.h"

#include "link/protocol/Protocol.h"

using Strings = std::vector<std::string>;

namespace {
const Strings kFullWrite{"---", "kvrw1", "kvpw=1234", "KVWEB0", "KVWEB1", "KVWEB2", "KVWEB3", "kvrw0"};

std::string Ramp(int count, int seed)
{
    std::string s;
    for (int i = 0; i < count; ++i)
        s.push_back(static_cast<char>((i * 31 + seed) & 0xFF));
    return s;
}
} // namespace

struct Write : LinkRig {
    Write()
    {
        // An image of our own over the whole configuration area, some of it freshly edited.
        store.LoadPlain(0, Ramp(3072, 3));
        store.WriteImageString("(marked)", 10, 1);
        store.WriteImageString("(marked)", 2044, 1); // spans block 3 and the unsent part
        store.WriteImageString("(high)", 2500, 1);
    }
};

TEST_F(Write, GoodWriteLeavesTheUnitEqualToTheImagesFirst2048Bytes)
{
    const std::string unitHigh = UnitMemory(2048, 1024);

    link.WriteEEPROMExecuteClick();

    EXPECT_EQ(host.Status, Msg::kWriteOk);
    EXPECT_TRUE(SameBytes(UnitMemory(0, 2048), Image(0, 2048)));
    EXPECT_TRUE(SameBytes(UnitMemory(2048, 1024), unitHigh)); // not sent: the unit keeps what it had
    EXPECT_FALSE(store.Image.AnyMarked(0, 2048));
    EXPECT_FALSE(store.Image.AnyMarked(2044, 4));
    EXPECT_TRUE(store.Image.AnyMarked(2048, 4)); // the tail of "(marked)" above block 3
    EXPECT_TRUE(store.Image.AnyMarked(2500, 6));
    EXPECT_TRUE(SameBytes(Image(10, 8), "(marked)"));
    EXPECT_EQ(Commands(), kFullWrite);
    auto unit = Unit();
    EXPECT_TRUE(unit.Violations.empty()) << unit.Violations.front();
    EXPECT_EQ(unit.BlocksStored, 4);
    EXPECT_EQ(host.ProgressPosition, 3072);
    EXPECT_LT(host.IndexOf("Commit"), host.IndexOf("Stamp"));
    EXPECT_LT(host.IndexOf("Stamp"), host.IndexOf("StartProgress:Write:3072"));
    EXPECT_LT(host.IndexOf("Step:Block 1: Writing..."), host.IndexOf("Step:Block 1: Waiting for ack..."));
    EXPECT_LT(host.IndexOf("Step:Block 4: Waiting for ack..."), host.IndexOf("Status:EEPROM Write OK!"));
    EXPECT_EQ(host.Count("Result:OK:EEPROM Write OK!"), 1);
    EXPECT_EQ(host.Count("Caption"), 0);
    EXPECT_TRUE(host.TerminalAttached);
}

TEST_F(Write, EscapedBytesAndChecksumOnTheWire)
{
    // Block 0 full of the five escaped bytes; block 1 all 0xFF.
    const uint8_t escaped[] = {0x0D, 0x08, 0x7D, 0x11, 0x13};
    std::string block0;
    for (int i = 0; i < 512; ++i)
        block0.push_back(static_cast<char>(escaped[i % 5]));
    store.LoadPlain(0, block0);
    store.LoadPlain(512, std::string(512, '\xFF'));

    link.WriteEEPROMExecuteClick();
    ASSERT_EQ(host.Status, Msg::kWriteOk);

    // Expected wire, byte by byte: 0x7D then byte ^ 0x20 for each; the checksum 0xFFFF - sum, high first.
    std::string wire;
    unsigned sum = 0;
    for (char c : block0) {
        wire += '\x7D';
        wire += static_cast<char>(static_cast<uint8_t>(c) ^ 0x20);
        sum += static_cast<uint8_t>(c);
    }
    const unsigned checksum = 0xFFFF - (sum & 0xFFFF);
    for (unsigned b : {checksum >> 8, checksum & 0xFF}) {
        if (b == 0x0D || b == 0x08 || b == 0x7D || b == 0x11 || b == 0x13) {
            wire += '\x7D';
            b ^= 0x20;
        }
        wire += static_cast<char>(b);
    }
    auto unit = Unit();
    ASSERT_EQ(unit.Frames.size(), 4u);
    EXPECT_TRUE(SameBytes(unit.Frames[0], wire));
    EXPECT_TRUE(SameBytes(unit.Frames[1], std::string(512, '\xFF') + "\x01\xFF"));
    EXPECT_TRUE(SameBytes(UnitMemory(0, 1024), block0 + std::string(512, '\xFF')));
    EXPECT_TRUE(unit.Violations.empty());
}

TEST_F(Write, WrongPasswordWritesNothingButStillRestoresAndClearsTheLog)
{
    sim.WithUnit([](SimUnit& u) { u.Password = "0000"; });
    host.ClearMem = true;
    const std::string unitBefore = UnitMemory(0, 3072);

    link.WriteEEPROMExecuteClick();

    EXPECT_EQ(host.Status, Msg::kPasswordIncorrect);
    EXPECT_EQ(host.Count("Result:ERROR:ERROR: Password Incorrect"), 1);
    EXPECT_TRUE(SameBytes(UnitMemory(0, 3072), unitBefore));
    EXPECT_EQ(Commands(), (Strings{"---", "kvrw1", "kvpw=1234", "kvrw0", "kvspi=0,0"}));
    EXPECT_TRUE(store.Image.AnyMarked(10, 8)); // no block went out, so no mark was taken
    EXPECT_GT(host.IndexOf("Step:Clear Log Area"), host.IndexOf("Step:Restore Comm settings"));
}

TEST_F(Write, RefusedBlockEndsTheWrite)
{
    sim.WithUnit([](SimUnit& u) { u.Faults.RefuseBlock = 2; });
    const std::string unitBefore = UnitMemory(0, 3072);

    link.WriteEEPROMExecuteClick();

    EXPECT_EQ(host.Status, Msg::kWriteChecksumFailed);
    EXPECT_EQ(Commands(), (Strings{"---", "kvrw1", "kvpw=1234", "KVWEB0", "KVWEB1", "KVWEB2", "kvrw0"}));
    EXPECT_TRUE(SameBytes(UnitMemory(0, 1024), Image(0, 1024)));
    EXPECT_TRUE(SameBytes(UnitMemory(1024, 2048), unitBefore.substr(1024, 2048)));
    // Block 2 lost its marks as it went out; block 3 was never sent.
    EXPECT_FALSE(store.Image.AnyMarked(0, 1536));
    EXPECT_TRUE(store.Image.AnyMarked(2044, 8));
}

TEST_F(Write, ZeroCrIsAnAcknowledgementForBlockOneOnly)
{
    sim.WithUnit([](SimUnit& u) { u.Faults.ZeroCrAckBlock = 1; });
    link.WriteEEPROMExecuteClick();
    EXPECT_EQ(host.Status, Msg::kWriteOk);
    EXPECT_EQ(Commands(), kFullWrite);

    host.Calls.clear();
    sim.WithUnit([](SimUnit& u) {
        u.Faults.ZeroCrAckBlock = 0;
        u.Commands.clear();
    });
    link.WriteEEPROMExecuteClick();
    EXPECT_EQ(host.Status, Msg::kWriteChecksumFailed);
    EXPECT_EQ(Commands(), (Strings{"---", "kvrw1", "kvpw=1234", "KVWEB0", "kvrw0"}));
}

TEST_F(Write, SilentUnit)
{
    sim.WithUnit([](SimUnit& u) { u.Faults.Silent = true; });
    link.WriteEEPROMExecuteClick();
    EXPECT_EQ(host.Status, Msg::kCommFailure);
    EXPECT_EQ(Commands(), (Strings{"---", "kvrw1", "kvrw0"}));
    EXPECT_EQ(host.Count("CloseProgress"), 1);
    EXPECT_TRUE(host.TerminalAttached);
}

TEST_F(Write, WithTimersSetsThemWhileTheTerminalIsAttached)
{
    host.RS = true;
    host.TimerEdits = {"1", "2", "3", "4", "1440"};
    link.WriteEEPROMExecuteClick();
    EXPECT_EQ(host.Status, Msg::kWriteOk);
    EXPECT_EQ(Unit().Timers, host.TimerEdits);
    EXPECT_EQ(Commands(), (Strings{"---", "KVSWT=1,00:00,1", "KVSWT=2,00:00,2", "KVSWT=3,00:00,3", "KVSWT=4,00:00,4",
                                   "KVSWT=5,00:00,1440", "kvrw1", "kvpw=1234", "KVWEB0", "KVWEB1", "KVWEB2",
                                   "KVWEB3", "kvrw0"}));
    EXPECT_GE(host.IndexOf("Step:Invoke KV-Commands and write Timers"), 0);
}

TEST_F(Write, NeedsAnImageFirst)
{
    store.ImageLoaded = 0;
    link.WriteEEPROMExecuteClick();
    EXPECT_EQ(host.Status, Msg::kReadFirst);
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(host.Count("StartProgress:Write:3072"), 0);
    EXPECT_EQ(host.Count("Stamp"), 1); // the commit and stamp come first, as before a save
}

TEST_F(Write, StoppedByACommitErrorSendsNothing)
{
    host.CommitSucceeds = false;
    link.WriteEEPROMExecuteClick();
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(host.Count("Stamp"), 0);
    EXPECT_EQ(host.Count("ResetProgress:3072"), 0);
    EXPECT_FALSE(link.Busy.Busy());
}

TEST(WriteBlock, FrameBytesLeaveTheLineBeforeThePurgeAndTheClosingCR)
{
    RecordingPort port;
    FakeHost host;
    ImageStore store;
    SerialLink link{port, host, store};
    link.Timing = LinkTiming{}.Scaled(0, 0.01);
    store.LoadPlain(512, std::string(512, '\x0D'));

    link.Transfer.WriteEEPROMBlock(1);

    // ... last checksum byte, drain, purge, CR, (acknowledgement wait), purge.
    const auto& e = port.Events;
    auto cr = std::find(e.begin(), e.end(), "W:\r");
    ASSERT_NE(cr, e.end());
    ASSERT_GE(cr - e.begin(), 3);
    EXPECT_EQ(*(cr - 1), "Clear");
    EXPECT_EQ(*(cr - 2), "Drain");
    EXPECT_EQ(*(cr - 3), "W:\xFF");
    EXPECT_EQ(e.back(), "Clear");
    EXPECT_EQ(port.Drains, 1);
    // 512 escaped CRs and the checksum 0xFFFF - 512 x 13 = 0xE5FF, each byte its own write, then the CR.
    std::string expected = "KVWEB1";
    for (int i = 0; i < 512; ++i)
        expected += "\x7D\x2D";
    expected += "\xE5\xFF\r";
    EXPECT_TRUE(SameBytes(port.Wire(), expected));
    EXPECT_EQ(port.Writes.size(), 6u + 1024u + 2u + 1u);
}
