// The service panel's block writer: frames, CRC, pacing, the retry and the outcome, on a port whose unit answers
// at once, and end to end over a pseudo-terminal.
#include "LinkRig.h"
#include "TermPageRig.h"

#include "link/protocol/Framing.h"
#include "link/protocol/Protocol.h"
#include "link/ui/ByteMemo.h"

#include <QLineEdit>

using Strings = std::vector<std::string>;

namespace
{
struct AltWrite : TermPageRig {
    SimUnit unit;

    AltWrite()
    {
        port.Unit = &unit;
        store.ImageLoaded = 1;
    }
    void Write(const char* area, const char* value, const char* blocks, const char* size)
    {
        page.areaNo->setText(area);
        page.valueX->setText(QString::fromLatin1(value));
        page.Sbuffr->setText(blocks);
        page.Edit1->setText(size);
        page.Button3Click();
    }
    void Fresh()
    {
        unit = SimUnit{};
        port.Forget();
        page.SpeedButton2Click();
    }
    const std::string& Log() const { return page.Memo1->Bytes(); }
};
} // namespace

TEST_F(AltWrite, StartValuesOnTheWire)
{
    page.Button3Click();

    const std::string data(1024, '8');
    const uint16_t crc = Framing::CrcX25(data);
    std::string paced;
    for (char c : data)
        paced += c + std::string("<2>");
    EXPECT_EQ(port.Timeline, "<500>kvrw1\r<500><750>kvpw=1234\r<800><300>KVWXB=" + Byte(21) + Byte(20) + paced +
                                 Byte(crc & 0xFF) + Byte(crc >> 8) + "\r<100><500>kvrw0\r");
    // Every frame byte has left before the purge that precedes the frame's CR.
    const auto drain = std::find(port.Events.begin(), port.Events.end(), "Drain");
    ASSERT_LT(drain + 2, port.Events.end());
    EXPECT_EQ(Strings(drain - 1, drain + 3), (Strings{"W:" + Byte(crc >> 8), "Drain", "Clear", "W:\r"}));
    ASSERT_EQ(unit.AltBlocks.size(), 1u);
    EXPECT_EQ(unit.AltBlocks[0].Area, 1);
    EXPECT_EQ(unit.AltBlocks[0].Data, data);
    EXPECT_TRUE(unit.AltBlocks[0].CrcOk);
    EXPECT_TRUE(unit.Violations.empty());

    EXPECT_EQ(host.Status, Msg::kWriteOk);
    EXPECT_EQ(host.ProgressPosition, 3072);
    EXPECT_TRUE(host.InOrder({"Commit", "SetIOCheckBox", "Stamp", "StartProgress:Write:3072", "Step:Invoke KV-Commands",
                              "Detach", "Step:Block 1: Writing...", "Step:Block 1: Waiting for ack...",
                              "Result:OK:EEPROM Write OK!", "CloseProgress", "Attach"}));
    EXPECT_NE(Log().find("KVWXB=[21][20]\r\n::" + std::to_string(AltBlockWriter::CalcBlockCrc(data)) + ":1024"),
              std::string::npos);
    EXPECT_TRUE(Log().ends_with("Block: 1 OK!\r\nTotal: \r\nOK: 1\r\nERROR: 0")) << Log();
}

// A refused block goes once more, after the same pause; refused again it fails the write, and the rest go on.
TEST_F(AltWrite, RefusedBlockIsSentOnceMore)
{
    for (int times : {1, 2}) {
        Fresh();
        unit.Faults.RefuseAltBlock = 1;
        unit.Faults.RefuseAltTimes = times;
        Write("3", "z", "3", "16");
        std::vector<int> seen;
        for (const auto& b : unit.AltBlocks)
            seen.push_back(b.Block + 10 * b.Area);
        EXPECT_EQ(seen, (std::vector<int>{30, 31, 31, 32}));
        EXPECT_EQ(host.Status, times == 1 ? Msg::kWriteOk : Msg::kWriteChecksumFailed);
        EXPECT_EQ(host.ProgressPosition, 3072); // the bar ends at its end
        EXPECT_NE(Log().find("Block: 2 ERROR! Retry!"), std::string::npos);
        EXPECT_TRUE(Log().ends_with(times == 1 ? "OK: 3\r\nERROR: 0" : "OK: 2\r\nERROR: 1")) << Log();
        size_t pauses = 0;
        for (size_t at = port.Timeline.find("<300>KVWXB="); at != std::string::npos;
             at = port.Timeline.find("<300>KVWXB=", at + 1))
            ++pauses;
        EXPECT_EQ(pauses, 4u);
        EXPECT_EQ(unit.Commands.back(), "kvrw0");
    }
}

TEST_F(AltWrite, ValueBytesGoOutWithoutTouchingTheImage)
{
    store.WriteImageString("(q)", 5, 1);
    const std::string image = store.Image.Bytes(0, 65536);
    const struct {
        const char *value, *size;
        std::string data; // as the unit takes it
        bool crcOk;
        std::string paced, logged;
    } cases[] = {
        {"8", "1199", std::string(1199, '8'), true, "8<2>8<2>", "Block: 1 OK!"}, // the largest block fits
        {"(8)", "100", std::string(100, '8'), true, "8<2>8<2>", "Block: 1 OK!"}, // as a freshly edited cell reads
        // Escaped on the wire, counted raw in the CRC.
        {"}", "3", "}}}", true, "\x7D<2>\x5D<2>\x7D<2>\x5D<2>\x7D<2>\x5D<2>", "[125][93][125][93][125][93]"},
        // No value: fill bytes that count for nothing, so the CRC is that of no bytes.
        {"", "4", "\xFF\xFF\xFF\xFF", false, "\xFF<3>\xFF<3>\xFF<3>\xFF<3>", "::0:0"},
    };
    for (const auto& c : cases) {
        Fresh();
        Write("1", c.value, "1", c.size);
        ASSERT_FALSE(unit.AltBlocks.empty()) << c.value;
        EXPECT_EQ(unit.AltBlocks[0].Data, c.data) << c.value;
        EXPECT_EQ(unit.AltBlocks[0].CrcOk, c.crcOk) << c.value;
        EXPECT_NE(port.Timeline.find(c.paced), std::string::npos) << c.value;
        EXPECT_NE(Log().find(c.logged), std::string::npos) << c.value;
    }
    EXPECT_EQ(store.Image.Bytes(0, 65536), image);
    EXPECT_TRUE(store.Image.AnyMarked(5, 3));
}

TEST_F(AltWrite, NothingGoesOutForABadPanelNoImageABadDelayOrAClosedPort)
{
    const struct {
        const char *blocks, *size;
        std::string status;
    } cases[] = {
        {"1", "1200", "ERROR: Block size must be 1..1199!"}, {"1", "0", "ERROR: Block size must be 1..1199!"},
        {"1", "-5", "ERROR: Block size must be 1..1199!"},   {"0", "10", "ERROR: Number of blocks must be at least 1!"},
        {"1", "abc", "'abc' is not a valid integer value"},  {"", "10", "'' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        Write("1", "8", c.blocks, c.size);
        EXPECT_EQ(host.Status, c.status) << c.size;
    }
    store.ImageLoaded = 0;
    Write("1", "8", "1", "10");
    EXPECT_EQ(host.Status, Msg::kReadFirst);
    store.ImageLoaded = 1;
    host.CharDelay = "fast";
    Write("1", "8", "1", "10");
    // The bad delay is the window's error message, before anything is sent or shown.
    EXPECT_EQ(dialogs.Messages(), Strings{"'fast' is not a valid integer value"});
    EXPECT_EQ(host.Status, "");
    EXPECT_TRUE(port.Timeline.empty());
    EXPECT_EQ(host.IndexOf("StartProgress:Write:3072") + host.IndexOf("Detach") + host.IndexOf("Result:ERROR:"), -3);

    // A closed port: the refused "kvrw0" has the last word in the status bar.
    host.CharDelay = "fast";
    port.Open = false;
    Write("1", "8", "1", "10");
    EXPECT_TRUE(port.Wire().empty());
    EXPECT_EQ(host.Status, Msg::kPortClosed);
    EXPECT_EQ(host.IndexOf("StartProgress:Write:3072"), -1);
    const std::string failure = Msg::kCommFailure;
    EXPECT_TRUE(host.InOrder(
        {"Status:" + failure, "Status:" + std::string(Msg::kPortClosed), "Result:ERROR:" + failure, "Attach"}));
    EXPECT_EQ(dialogs.Messages().size(), 1u);
}

// A wrong password sends no block; a port error ends the block. Both still restore the unit and clear its log.
TEST_F(AltWrite, WrongPasswordOrAPortErrorStillRestores)
{
    host.ClearMem = true;
    unit.Password = "secret";
    page.Button3Click();
    EXPECT_EQ(host.Status, Msg::kPasswordIncorrect);
    EXPECT_EQ(unit.Commands, (Strings{"kvrw1", "kvpw=1234", "kvrw0", "kvspi=0,0"}));
    Fresh();
    port.FailWriteAt = 30; // inside the block's data
    Write("1", "8", "1", "50");
    EXPECT_EQ(host.PortErrors.size(), 1u);
    EXPECT_EQ(host.Status, Msg::kCommFailure);
    EXPECT_TRUE(port.Wire().ends_with("kvrw0\rkvspi=0,0\r"));
    EXPECT_TRUE(host.InOrder({"CloseProgress", "Attach"}));
    EXPECT_FALSE(link.Busy.Busy());
}

// Over a pseudo-terminal, the unit answering from its own thread.
struct AltWritePty : LinkRig {
    FakePageHost pageHost{host};
    TermTiming timing;
    AltBlockWriter writer{link, host, pageHost, store, timing};
    Strings log;

    AltWritePty()
    {
        timing.Wait = [](int ms) { DelayMs(ms / 10); };
        writer.AddLogLine = [this](const std::string& line) { log.push_back(line); };
    }
};

TEST_F(AltWritePty, RefusedBlockRetriedOnce)
{
    sim.WithUnit([](SimUnit& u) { u.Faults.RefuseAltBlock = 1; });
    writer.Button3Click({"2", "K", "3", "64"});

    EXPECT_EQ(host.Status, Msg::kWriteOk);
    const auto unit = Unit();
    EXPECT_TRUE(unit.Violations.empty());
    EXPECT_EQ(unit.Commands, (Strings{"kvrw1", "kvpw=1234", "KVWXB=", "KVWXB=", "KVWXB=", "KVWXB=", "kvrw0"}));
    std::vector<int> seen;
    for (const auto& b : unit.AltBlocks)
        seen.push_back(b.CrcOk && b.Data == std::string(64, 'K') ? b.Block + 10 * b.Area : -1);
    EXPECT_EQ(seen, (std::vector<int>{20, 21, 21, 22}));
    EXPECT_EQ(log.back(), "ERROR: 0");
    EXPECT_TRUE(host.TerminalAttached);
}
