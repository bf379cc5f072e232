// The data packet splitter: packets by start and stop strings, size and the owner's tests, what is discarded,
// the buffer limit, large blocks, and packets cut from what a port receives.
#include "FakeComBackend.h"
#include "PtyPair.h"
#include "cport/ComNotify.h"
#include "cport/Cport.h"
#include "cport/DataPacket.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// Records every report in order: "P:" for a packet, "D:" for discarded bytes.
struct Recorder {
    std::vector<std::string> Events;
    void Attach(TComDataPacket& p)
    {
        p.OnPacket = [this](TComDataPacket*, const std::string& s) { Events.push_back("P:" + s); };
        p.OnDiscard = [this](TComDataPacket*, const std::string& s) { Events.push_back("D:" + s); };
    }
};

using Events = std::vector<std::string>;

struct PacketTest : ::testing::Test {
    TComDataPacket packet;
    Recorder rec;
    void SetUp() override { rec.Attach(packet); }
};

} // namespace

TEST_F(PacketTest, BracketedWordWithoutItsBrackets)
{
    packet.SetStartString("<");
    packet.SetStopString(">");
    packet.AddData("ab<word>cd");
    EXPECT_EQ(rec.Events, (Events{"D:ab", "P:word"}));
    EXPECT_EQ(packet.Collected(), "cd");
    EXPECT_FALSE(packet.InPacket());
}

TEST_F(PacketTest, IncludeStringsKeepsTheBrackets)
{
    packet.SetStartString("<");
    packet.SetStopString(">");
    packet.SetIncludeStrings(true);
    packet.AddData("ab<word>cd");
    EXPECT_EQ(rec.Events, (Events{"D:ab", "P:<word>"}));
}

TEST_F(PacketTest, PacketsFollowingEachOtherInOneBlockAndAcrossBlocks)
{
    packet.SetStartString("{{");
    packet.SetStopString("}}");
    packet.AddData("x{{one}}{{tw");
    packet.AddData("o}}..{{thr");
    packet.AddData("ee}");
    EXPECT_EQ(rec.Events, (Events{"D:x", "P:one", "P:two", "D:.."}));
    packet.AddData("}");
    EXPECT_EQ(rec.Events.back(), "P:three");
    EXPECT_EQ(packet.Collected(), "");
}

TEST_F(PacketTest, StopStringIsLookedForBehindTheStartString)
{
    // Start and stop are the same text: the stop found is the second one.
    packet.SetStartString("#");
    packet.SetStopString("#");
    packet.AddData("#abc#def#");
    EXPECT_EQ(rec.Events, (Events{"P:abc", "D:def"}));
    EXPECT_EQ(packet.Collected(), "#");
    EXPECT_TRUE(packet.InPacket());
}

TEST_F(PacketTest, SizeCutsFixedPackets)
{
    packet.SetSize(4);
    packet.AddData("0123456789");
    EXPECT_EQ(rec.Events, (Events{"P:0123", "P:4567"}));
    EXPECT_EQ(packet.Collected(), "89");
    EXPECT_TRUE(packet.InPacket());
}

TEST_F(PacketTest, LinesEndedByCarriageReturn)
{
    packet.SetStopString("\r");
    packet.AddData("OK\r\nREA=1\r");
    packet.AddData("part");
    EXPECT_EQ(rec.Events, (Events{"P:OK", "P:\nREA=1"}));
    EXPECT_EQ(packet.Collected(), "part");
}

TEST_F(PacketTest, WithoutAnEndTestEveryBlockIsAPacket)
{
    packet.SetStartString("<");
    packet.AddData("no start here");
    packet.AddData(std::string("\0\xFF", 2));
    EXPECT_EQ(rec.Events, (Events{"P:no start here", std::string("P:\0\xFF", 4)}));
    EXPECT_EQ(packet.Collected(), "");
}

TEST_F(PacketTest, SizeOrStopWhicheverComesFirst)
{
    packet.SetSize(5);
    packet.SetStopString(";");
    packet.AddData("ab;cdefghij;");
    EXPECT_EQ(rec.Events, (Events{"P:ab", "P:cdefg", "P:hij"}));
}

TEST_F(PacketTest, CaseInsensitiveMatching)
{
    packet.SetStartString("BEGIN");
    packet.SetStopString("end");
    packet.SetCaseInsensitive(true);
    packet.AddData("xxbegin data ENDyy");
    EXPECT_EQ(rec.Events, (Events{"D:xx", "P: data "}));

    rec.Events.clear();
    packet.SetCaseInsensitive(false); // empties what is collected
    EXPECT_EQ(rec.Events, (Events{"D:yy"}));
    rec.Events.clear();
    packet.AddData("begin x end BEGIN y end");
    EXPECT_EQ(rec.Events, (Events{"D:begin x end ", "P: y "}));
}

TEST_F(PacketTest, BufferLimitDiscardsAnOpenPacket)
{
    packet.SetStartString("<");
    packet.SetStopString(">");
    packet.AddData("<" + std::string(1000, 'a'));
    EXPECT_TRUE(rec.Events.empty());
    packet.AddData(std::string(22, 'b'));
    EXPECT_TRUE(rec.Events.empty()); // 1023 bytes: not yet
    packet.AddData("c");
    ASSERT_EQ(rec.Events.size(), 1u);
    EXPECT_EQ(rec.Events[0], "D:<" + std::string(1000, 'a') + std::string(22, 'b') + "c");
    EXPECT_FALSE(packet.InPacket());
    rec.Events.clear();
    packet.AddData("z<ok>");
    EXPECT_EQ(rec.Events, (Events{"D:z", "P:ok"}));
}

TEST_F(PacketTest, NoLimitKeepsCollecting)
{
    packet.SetStartString("<");
    packet.SetStopString(">");
    packet.SetMaxBufferSize(0);
    packet.AddData("<" + std::string(5000, 'a'));
    EXPECT_TRUE(rec.Events.empty());
    packet.AddData(">");
    EXPECT_EQ(rec.Events, (Events{"P:" + std::string(5000, 'a')}));
}

TEST_F(PacketTest, ChangingATestEmptiesTheCollectedData)
{
    packet.SetStopString(">");
    packet.AddData("half");
    packet.SetStartString("[");
    EXPECT_EQ(rec.Events, (Events{"D:half"}));
    EXPECT_FALSE(packet.InPacket());
    packet.SetStartString("["); // the same value: nothing
    EXPECT_EQ(rec.Events.size(), 1u);
}

TEST_F(PacketTest, LargeBlockWithPacketSizeOne)
{
    packet.SetSize(1);
    std::string block(500 * 1024, '\0');
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = char((i * 31 + i / 977) & 0xFF);
    std::size_t count = 0;
    std::string joined;
    joined.reserve(block.size());
    bool oneByteEach = true;
    packet.OnPacket = [&](TComDataPacket*, const std::string& s) {
        ++count;
        oneByteEach = oneByteEach && s.size() == 1;
        joined += s;
    };
    int discards = 0;
    packet.OnDiscard = [&](TComDataPacket*, const std::string&) { ++discards; };
    packet.AddData(block);
    EXPECT_EQ(count, block.size());
    EXPECT_TRUE(oneByteEach);
    EXPECT_TRUE(joined == block);
    EXPECT_EQ(discards, 0);
    EXPECT_EQ(packet.Collected(), "");
}

TEST_F(PacketTest, OwnersTestsDecideAndPositionsBeyondTheDataAreHeld)
{
    // Start at the first digit; end three bytes on, or far beyond the data once "!" is seen.
    packet.OnCustomStart = [](TComDataPacket*, const std::string& s, int& pos) {
        const auto at = s.find_first_of("0123456789");
        pos = at == std::string::npos ? 0 : int(at) + 1;
    };
    packet.OnCustomStop = [](TComDataPacket*, const std::string& s, int& pos) {
        pos = s.find('!') != std::string::npos ? 1000 : (s.size() >= 3 ? 3 : 0);
    };
    packet.AddData("ab12345x");
    EXPECT_EQ(rec.Events, (Events{"D:ab", "P:123", "P:45x"}));
    rec.Events.clear();
    packet.AddData("zz9!");
    EXPECT_EQ(rec.Events, (Events{"D:zz", "P:9!"}));
    EXPECT_EQ(packet.Collected(), "");

    // A start beyond the data discards it all and opens a packet.
    rec.Events.clear();
    packet.OnCustomStart = [](TComDataPacket*, const std::string&, int& pos) { pos = 99; };
    packet.OnCustomStop = [](TComDataPacket*, const std::string&, int& pos) { pos = 0; };
    packet.AddData("hello");
    EXPECT_EQ(rec.Events, (Events{"D:hello"}));
    EXPECT_TRUE(packet.InPacket());
}

TEST_F(PacketTest, AnEndTestThatAlwaysSaysYesEndsWithTheData)
{
    packet.OnCustomStop = [](TComDataPacket*, const std::string&, int& pos) { pos = 1; };
    packet.AddData("abc");
    EXPECT_EQ(rec.Events, (Events{"P:a", "P:b", "P:c"}));
}

TEST_F(PacketTest, MinusOneLeavesTheTestToTheStrings)
{
    int starts = 0;
    packet.OnCustomStart = [&](TComDataPacket*, const std::string&, int& pos) {
        ++starts;
        pos = -1;
    };
    packet.SetStartString("<");
    packet.SetStopString(">");
    packet.AddData("-<a>");
    EXPECT_EQ(rec.Events, (Events{"D:-", "P:a"}));
    EXPECT_GE(starts, 1);
}

TEST_F(PacketTest, AHandlerMayFeedMoreData)
{
    packet.SetStopString(";");
    bool fed = false;
    packet.OnPacket = [&](TComDataPacket* p, const std::string& s) {
        rec.Events.push_back("P:" + s);
        if (!fed) {
            fed = true;
            p->AddData("in;");
        }
    };
    packet.AddData("a;b;");
    EXPECT_EQ(rec.Events, (Events{"P:a", "P:b", "P:in"}));
}

TEST(PacketOnPort, PacketsFromWhatThePortReceives)
{
    TPtyPair pty;
    TComPort port;
    port.SetPort(pty.SlavePath());
    TComDataPacket packet;
    Recorder rec;
    rec.Attach(packet);
    packet.SetStartString("<");
    packet.SetStopString(">");
    packet.SetComPort(&port);
    EXPECT_EQ(packet.ComPort(), &port);
    port.Open();

    ASSERT_TRUE(pty.Send("noise<OK>tail<RE"));
    ASSERT_TRUE(pty.Send("A=5>"));
    EXPECT_TRUE(PumpUntil([&] { return rec.Events.size() >= 4; }));
    EXPECT_EQ(rec.Events, (Events{"D:noise", "P:OK", "D:tail", "P:REA=5"}));
    // The splitter takes the bytes: none stay queued for the application.
    EXPECT_EQ(port.InputCount(), 0);

    packet.SetComPort(nullptr);
    ASSERT_TRUE(pty.Send("<late>"));
    EXPECT_TRUE(WaitWithoutPumping([&] { return port.InputCount() == 6; }));
    port.Close();
}

TEST(PacketOnPort, APortThatGoesLeavesTheSplitterUnbound)
{
    TComDataPacket packet;
    {
        TComPort port;
        TComPortWatch watch(port);
        packet.SetComPort(&port);
        EXPECT_TRUE(port.HasLink());
    }
    EXPECT_EQ(packet.ComPort(), nullptr);
    packet.SetStopString(";");
    std::string got;
    packet.OnPacket = [&](TComDataPacket*, const std::string& s) { got = s; };
    packet.AddData("still works;");
    EXPECT_EQ(got, "still works");
}
