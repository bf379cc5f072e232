// The service panel's block writer against the simulated unit: frames, CRC, pacing, the retry, the outcome.
#include "LinkRig.h"
#include "TermPageRig.h"

#include "link/ui/ByteMemo.h"
#include "link/protocol/Protocol.h"
#include "link/protocol/TrafficText.h"

#include <QLineEdit>

namespace {
// CRC-16/X-25, written here from its definition.
uint16_t X25(const std::string& data)
{
    uint16_t crc = 0xFFFF;
    for (char c : data)
        for (int bit = 0; bit < 8; ++bit) {
            const bool mix = ((crc ^ (static_cast<uint8_t>(c) >> bit)) & 1) != 0;
            crc = static_cast<uint16_t>((crc >> 1) ^ (mix ? 0x8408 : 0));
        }
    return static_cast<uint16_t>(crc ^ 0xFFFF);
}

std::string Repeat(const std::string& part, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += part;
    return out;
}

std::string Byte(int b)
{
    return std::string(1, static_cast<char>(b));
}

// The terminal page's writer on a port whose unit answers at once: exact bytes and pauses.
struct AltWrite : TermPageRig {
    SimUnit unit;

    AltWrite()
    {
        port.Unit = &unit;
        store.ImageLoaded = 1;
    }
    void Panel(const char* area, const char* value, const char* blocks, const char* size)
    {
        page.areaNo->setText(area);
        page.valueX->setText(QString::fromLatin1(value));
        page.Sbuffr->setText(blocks);
        page.Edit1->setText(size);
    }
    const std::string& Log() const { return page.Memo1->Bytes(); }
    std::vector<int> BlocksSeen() const
    {
        std::vector<int> seen;
        for (const auto& b : unit.AltBlocks)
            seen.push_back(b.Block);
        return seen;
    }
};
} // namespace

TEST(AltBlockCrc, SwappedX25)
{
    // The published check value 0x906E, its low byte in the high half.
    EXPECT_EQ(AltBlockWriter::CalcBlockCrc("123456789"), 0x6E90);
    EXPECT_EQ(AltBlockWriter::CalcBlockCrc(""), 0);
    const std::string eights(1024, '8');
    const uint16_t crc = X25(eights);
    EXPECT_EQ(AltBlockWriter::CalcBlockCrc(eights), static_cast<uint16_t>((crc & 0xFF) << 8 | crc >> 8));
}

TEST(AltBlockCrc, ReadableForm)
{
    EXPECT_EQ(TrafficText::RenderBytes(std::string("KVWXB=\x15\x14", 8), false), "KVWXB=[21][20]");
    EXPECT_EQ(TrafficText::RenderBytes(std::string("a \0\x7F\x80\xFF!", 7), false), "a[32][0]\x7F[128][255]!");
}

TEST_F(AltWrite, StartValuesOnTheWire)
{
    page.Button3Click();

    const std::string data(1024, '8');
    const uint16_t crc = X25(data);
    const std::string frame = "KVWXB=" + Byte(21) + Byte(20) + Repeat("8<2>", 1024) + Byte(crc & 0xFF) +
                              Byte(crc >> 8) + "\r<100>";
    EXPECT_EQ(port.Timeline(),
              "<500>kvrw1\r<500><750>kvpw=1234\r<800><300>" + frame + "<500>kvrw0\r");
    ASSERT_EQ(unit.AltBlocks.size(), 1u);
    EXPECT_EQ(unit.AltBlocks[0].Area, 1);
    EXPECT_EQ(unit.AltBlocks[0].Data, data);
    EXPECT_TRUE(unit.AltBlocks[0].CrcOk);
    EXPECT_TRUE(unit.Violations.empty()) << unit.Violations.front();

    EXPECT_EQ(host.Status, Msg::kWriteOk);
    EXPECT_EQ(host.Count("Result:OK:EEPROM Write OK!"), 1);
    EXPECT_EQ(host.ProgressPosition, 3072);
    EXPECT_LT(host.IndexOf("Commit"), host.IndexOf("SetIOCheckBox"));
    EXPECT_LT(host.IndexOf("SetIOCheckBox"), host.IndexOf("Stamp"));
    EXPECT_LT(host.IndexOf("Stamp"), host.IndexOf("StartProgress:Write:3072"));
    EXPECT_LT(host.IndexOf("Step:Invoke KV-Commands"), host.IndexOf("Detach"));
    EXPECT_LT(host.IndexOf("Step:Block 1: Writing..."), host.IndexOf("Step:Block 1: Waiting for ack..."));
    EXPECT_LT(host.IndexOf("CloseProgress"), host.IndexOf("Attach"));

    const uint16_t swapped = AltBlockWriter::CalcBlockCrc(data);
    const std::string expectedLog = "Block: 1\r\nKVWXB=[21][20]\r\n::" + std::to_string(swapped) + ":1024\r\n" + data +
                                    "\r\n" + data + "\r\n[" + std::to_string(crc & 0xFF) + "][" +
                                    std::to_string(crc >> 8) + "]";
    EXPECT_NE(Log().find(expectedLog), std::string::npos) << Log();
    EXPECT_TRUE(Log().ends_with("Block: 1 OK!\r\nTotal: \r\nOK: 1\r\nERROR: 0")) << Log();
}

TEST_F(AltWrite, RefusedBlockIsSentOnceMore)
{
    Panel("3", "A", "2", "10");
    unit.Faults.RefuseAltBlock = 0;
    page.Button3Click();
    EXPECT_EQ(BlocksSeen(), (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(unit.AltBlocks[0].Area, 3);
    EXPECT_EQ(host.Status, Msg::kWriteOk);
    const size_t retry = Log().find("Block: 1 ERROR! Retry!");
    ASSERT_NE(retry, std::string::npos);
    EXPECT_LT(retry, Log().find("Block: 1 OK!"));
    EXPECT_TRUE(Log().ends_with("OK: 2\r\nERROR: 0"));
    // The pause before each block, the retry's included.
    const std::string wire = port.Timeline();
    size_t pauses = 0;
    for (size_t at = wire.find("<300>KVWXB="); at != std::string::npos; at = wire.find("<300>KVWXB=", at + 1))
        ++pauses;
    EXPECT_EQ(pauses, 3u);
}

TEST_F(AltWrite, BlockRefusedTwiceFailsTheWriteButTheOthersGoOn)
{
    Panel("1", "z", "3", "16");
    unit.Faults.RefuseAltBlock = 1;
    unit.Faults.RefuseAltTimes = 2;
    page.Button3Click();
    EXPECT_EQ(BlocksSeen(), (std::vector<int>{0, 1, 1, 2}));
    // The last block was taken, but a block is missing in the unit: the write did not succeed.
    EXPECT_EQ(host.Status, Msg::kWriteChecksumFailed);
    EXPECT_EQ(host.Count("Result:ERROR:ERROR: EEPROM Write Checksum!"), 1);
    EXPECT_NE(Log().find("Block: 2 ERROR!\r\n"), std::string::npos);
    EXPECT_TRUE(Log().ends_with("Block: 3 OK!\r\nTotal: \r\nOK: 2\r\nERROR: 1")) << Log();
    EXPECT_EQ(unit.Commands.back(), "kvrw0");
}

TEST_F(AltWrite, PanelValuesOutsideTheBufferAreRefusedBeforeAnythingIsSent)
{
    struct Case {
        const char* blocks;
        const char* size;
        std::string status;
    } cases[] = {
        {"1", "1200", "ERROR: Block size must be 1..1199!"},
        {"1", "0", "ERROR: Block size must be 1..1199!"},
        {"1", "-5", "ERROR: Block size must be 1..1199!"},
        {"0", "10", "ERROR: Number of blocks must be at least 1!"},
        {"1", "abc", "'abc' is not a valid integer value"},
        {"", "10", "'' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        Panel("1", "8", c.blocks, c.size);
        host.Calls.clear();
        page.Button3Click();
        EXPECT_EQ(host.Status, c.status) << c.size;
        EXPECT_TRUE(port.Steps.empty()) << c.size;
        EXPECT_EQ(host.IndexOf("StartProgress:Write:3072"), -1);
        EXPECT_EQ(host.IndexOf("Detach"), -1);
    }
}

TEST_F(AltWrite, LargestBlockFitsItsBuffer)
{
    Panel("1", "8", "1", "1199");
    page.Button3Click();
    ASSERT_EQ(unit.AltBlocks.size(), 1u);
    EXPECT_EQ(unit.AltBlocks[0].Data, std::string(1199, '8'));
    EXPECT_EQ(host.Status, Msg::kWriteOk);
}

TEST_F(AltWrite, MarkedValueIsSentWithoutTouchingTheImage)
{
    store.WriteImageString("(q)", 5, 1);
    const std::string before = store.Image.Bytes(0, 65536);
    Panel("1", "(8)", "2", "100");
    page.Button3Click();
    EXPECT_EQ(unit.AltBlocks.size(), 2u);
    EXPECT_EQ(unit.AltBlocks[1].Data, std::string(100, '8'));
    EXPECT_EQ(store.Image.Bytes(0, 65536), before);
    EXPECT_TRUE(store.Image.AnyMarked(5, 3));
    EXPECT_FALSE(store.Image.AnyMarked(8, 200));
    EXPECT_EQ(host.Status, Msg::kWriteOk);
}

TEST_F(AltWrite, EscapedValueGoesOutAsTwoBytesAndCountsRawInTheCrc)
{
    Panel("1", "}", "1", "3");
    page.Button3Click();
    ASSERT_EQ(unit.Frames.size(), 1u);
    EXPECT_TRUE(unit.Frames[0].starts_with("\x7D\x5D\x7D\x5D\x7D\x5D"));
    EXPECT_EQ(unit.AltBlocks[0].Data, "}}}");
    EXPECT_TRUE(unit.AltBlocks[0].CrcOk);
    EXPECT_NE(port.Timeline().find("\x7D<2>\x5D<2>\x7D<2>\x5D<2>\x7D<2>\x5D<2>"), std::string::npos);
    EXPECT_NE(Log().find("[125][93][125][93][125][93]"), std::string::npos);
}

TEST_F(AltWrite, EmptyValueSendsFillBytesAndAZeroCrc)
{
    Panel("1", "", "1", "4");
    page.Button3Click();
    ASSERT_GE(unit.Frames.size(), 1u);
    EXPECT_EQ(unit.Frames[0], std::string("\xFF\xFF\xFF\xFF\0\0", 6));
    EXPECT_NE(port.Timeline().find("\xFF<3>\xFF<3>\xFF<3>\xFF<3>"), std::string::npos);
    EXPECT_NE(Log().find("::0:0"), std::string::npos);
}

TEST_F(AltWrite, WrongPasswordSendsNoBlockButRestores)
{
    unit.Password = "secret";
    host.ClearMem = true;
    page.Button3Click();
    EXPECT_EQ(host.Status, Msg::kPasswordIncorrect);
    EXPECT_EQ(unit.Commands, (std::vector<std::string>{"kvrw1", "kvpw=1234", "kvrw0", "kvspi=0,0"}));
    EXPECT_TRUE(Log().ends_with("Total: \r\nOK: 0\r\nERROR: 0"));
}

TEST_F(AltWrite, NoImageOrClosedPort)
{
    store.ImageLoaded = 0;
    page.Button3Click();
    EXPECT_EQ(host.Status, Msg::kReadFirst);
    EXPECT_TRUE(port.Steps.empty());
    EXPECT_EQ(host.IndexOf("Result:ERROR:"), -1);

    store.ImageLoaded = 1;
    port.Open = false;
    host.Calls.clear();
    page.Button3Click();
    EXPECT_TRUE(port.Writes.empty());
    EXPECT_EQ(host.Status, Msg::kCommFailure);
    EXPECT_EQ(host.IndexOf("StartProgress:Write:3072"), -1);
    EXPECT_EQ(host.Count("Result:ERROR:" + std::string(Msg::kCommFailure)), 1);
    EXPECT_NE(host.IndexOf("Attach"), -1);
}

TEST_F(AltWrite, BadCharDelayStopsBeforeTheCommits)
{
    host.CharDelay = "fast";
    page.Button3Click();
    EXPECT_EQ(host.Status, "'fast' is not a valid integer value");
    EXPECT_EQ(host.IndexOf("Commit"), -1);
    EXPECT_TRUE(port.Steps.empty());
}

TEST_F(AltWrite, PortErrorInTheMiddleEndsWithTheRestore)
{
    Panel("1", "8", "1", "50");
    port.FailWriteAt = 30; // inside the block's data
    page.Button3Click();
    EXPECT_EQ(host.PortErrors.size(), 1u);
    EXPECT_EQ(host.Status, Msg::kCommFailure);
    EXPECT_TRUE(port.Wire().ends_with("kvrw0\r"));
    EXPECT_NE(host.IndexOf("Attach"), -1);
    EXPECT_FALSE(link.Busy.Busy());
}

// --- over a pseudo-terminal, the unit answering from its own thread ---------------------------------------------

namespace {
struct AltWritePty : LinkRig {
    FakePageHost pageHost{host};
    TermTiming timing;
    AltBlockWriter writer{link, host, pageHost, store, timing};
    std::vector<std::string> log;

    AltWritePty()
    {
        timing.Wait = [](int ms) { DelayMs(ms / 10); };
        writer.AddLogLine = [this](const std::string& line) { log.push_back(line); };
    }
};
} // namespace

TEST_F(AltWritePty, RefusedBlockRetriedOnce)
{
    sim.WithUnit([](SimUnit& u) {
        u.Faults.RefuseAltBlock = 1;
        u.Faults.RefuseAltTimes = 1;
    });
    writer.Button3Click({"2", "K", "3", "64"});

    EXPECT_EQ(host.Status, Msg::kWriteOk);
    auto unit = Unit();
    EXPECT_TRUE(unit.Violations.empty()) << unit.Violations.front();
    EXPECT_EQ(unit.Commands,
              (std::vector<std::string>{"kvrw1", "kvpw=1234", "KVWXB=", "KVWXB=", "KVWXB=", "KVWXB=", "kvrw0"}));
    ASSERT_EQ(unit.AltBlocks.size(), 4u);
    const int blocks[] = {0, 1, 1, 2};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(unit.AltBlocks[i].Block, blocks[i]);
        EXPECT_EQ(unit.AltBlocks[i].Area, 2);
        EXPECT_EQ(unit.AltBlocks[i].Data, std::string(64, 'K'));
        EXPECT_TRUE(unit.AltBlocks[i].CrcOk);
    }
    EXPECT_NE(std::find(log.begin(), log.end(), "Block: 2 ERROR! Retry!"), log.end());
    EXPECT_EQ(log.back(), "ERROR: 0");
    EXPECT_TRUE(host.TerminalAttached);
}
