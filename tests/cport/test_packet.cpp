// The data packet splitter: packets by start and stop strings, size and the owner's tests, what is discarded,
// the buffer limit, large blocks, and packets cut from what a port receives.
#include "PtyPair.h"
#include "cport/ComNotify.h"
#include "cport/Cport.h"
#include "cport/DataPacket.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::string_literals;

namespace
{
using Events = std::vector<std::string>;

// Records every report in order: "P:" for a packet, "D:" for discarded bytes.
struct PacketTest : ::testing::Test {
    TComDataPacket packet;
    Events events;
    void SetUp() override { Attach(packet, events); }
    static void Attach(TComDataPacket& p, Events& e)
    {
        p.OnPacket = [&e](TComDataPacket*, const std::string& s) { e.push_back("P:" + s); };
        p.OnDiscard = [&e](TComDataPacket*, const std::string& s) { e.push_back("D:" + s); };
    }
};
} // namespace

TEST_F(PacketTest, StringsSizeAndLimits)
{
    const struct {
        const char* name;
        std::string start{}, stop{};
        int size = 0, limit = 1024;
        bool include = false, caseBlind = false;
        Events blocks{}, want{};
        std::string left{};
    } cases[] = {
        {.name = "bracketed word",
         .start = "<",
         .stop = ">",
         .blocks = {"ab<word>cd"},
         .want = {"D:ab", "P:word"},
         .left = "cd"},
        {.name = "brackets kept",
         .start = "<",
         .stop = ">",
         .include = true,
         .blocks = {"ab<word>"},
         .want = {"D:ab", "P:<word>"}},
        {.name = "packets in one block and across blocks",
         .start = "{{",
         .stop = "}}",
         .blocks = {"x{{one}}{{tw", "o}}..{{thr", "ee}", "}"},
         .want = {"D:x", "P:one", "P:two", "D:..", "P:three"}},
        {.name = "stop looked for behind the start",
         .start = "#",
         .stop = "#",
         .blocks = {"#abc#def#"},
         .want = {"P:abc", "D:def"},
         .left = "#"},
        {.name = "fixed size", .size = 4, .blocks = {"0123456789"}, .want = {"P:0123", "P:4567"}, .left = "89"},
        {.name = "lines ended by CR",
         .stop = "\r",
         .blocks = {"OK\r\nREA=1\r", "part"},
         .want = {"P:OK", "P:\nREA=1"},
         .left = "part"},
        {.name = "without an end test every block is a packet",
         .start = "<",
         .blocks = {"no start", "\0\xFF"s},
         .want = {"P:no start", "P:\0\xFF"s}},
        {.name = "size or stop, whichever comes first",
         .stop = ";",
         .size = 5,
         .blocks = {"ab;cdefghij;"},
         .want = {"P:ab", "P:cdefg", "P:hij"}},
        {.name = "case-blind",
         .start = "BEGIN",
         .stop = "end",
         .caseBlind = true,
         .blocks = {"xxbegin data ENDyy"},
         .want = {"D:xx", "P: data "},
         .left = "yy"},
        {.name = "the limit discards an open packet",
         .start = "<",
         .stop = ">",
         .blocks = {"<" + std::string(1000, 'a'), std::string(22, 'b'), "c", "z<ok>"},
         .want = {"D:<" + std::string(1000, 'a') + std::string(22, 'b') + "c", "D:z", "P:ok"}},
        {.name = "no limit",
         .start = "<",
         .stop = ">",
         .limit = 0,
         .blocks = {"<" + std::string(5000, 'a'), ">"},
         .want = {"P:" + std::string(5000, 'a')}},
    };
    for (const auto& c : cases) {
        TComDataPacket p;
        Events got;
        Attach(p, got);
        p.SetStartString(c.start);
        p.SetStopString(c.stop);
        p.SetSize(c.size);
        p.SetMaxBufferSize(c.limit);
        p.SetIncludeStrings(c.include);
        p.SetCaseInsensitive(c.caseBlind);
        for (const std::string& b : c.blocks)
            p.AddData(b);
        EXPECT_EQ(got, c.want) << c.name;
        EXPECT_EQ(p.Collected(), c.left) << c.name;
    }
}

TEST_F(PacketTest, ChangingATestEmptiesTheCollectedDataOutsideAPacket)
{
    packet.OnDiscard = [&](TComDataPacket* p, const std::string& s) {
        events.push_back((p->InPacket() ? "*D:" : "D:") + s);
    };
    packet.SetStopString(">");
    packet.AddData("half");
    ASSERT_TRUE(packet.InPacket());
    packet.SetStartString("[");
    packet.SetStartString("["); // the same value: nothing
    EXPECT_EQ(events, (Events{"D:half"})) << "the flag is clear when the discard is told";
    EXPECT_FALSE(packet.InPacket());

    events.clear();
    Attach(packet, events);
    packet.SetStartString("BEGIN");
    packet.SetStopString("end");
    packet.SetCaseInsensitive(true);
    packet.SetCaseInsensitive(false);
    packet.AddData("begin x end BEGIN y end");
    EXPECT_EQ(events, (Events{"D:begin x end ", "P: y "}));
}

TEST_F(PacketTest, LargeBlockWithPacketSizeOne)
{
    packet.SetSize(1);
    std::string block(500 * 1024, '\0');
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = char((i * 31 + i / 977) & 0xFF);
    std::string joined;
    bool oneByteEach = true;
    packet.OnPacket = [&](TComDataPacket*, const std::string& s) {
        oneByteEach = oneByteEach && s.size() == 1;
        joined += s;
    };
    packet.AddData(block);
    EXPECT_TRUE(oneByteEach);
    EXPECT_TRUE(joined == block);
    EXPECT_TRUE(events.empty());
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
    packet.AddData("zz9!");
    EXPECT_EQ(events, (Events{"D:ab", "P:123", "P:45x", "D:zz", "P:9!"}));

    // A start beyond the data discards it all and opens a packet; an end test that always says yes ends
    // a packet at every byte.
    events.clear();
    packet.OnCustomStart = [](TComDataPacket*, const std::string&, int& pos) { pos = 99; };
    packet.OnCustomStop = [](TComDataPacket*, const std::string&, int& pos) { pos = 0; };
    packet.AddData("hello");
    EXPECT_EQ(events, (Events{"D:hello"}));
    EXPECT_TRUE(packet.InPacket());
    packet.OnCustomStart = nullptr;
    packet.OnCustomStop = [](TComDataPacket*, const std::string&, int& pos) { pos = 1; };
    packet.AddData("abc");
    EXPECT_EQ(events, (Events{"D:hello", "P:a", "P:b", "P:c"}));

    // -1 leaves the test to the strings.
    TComDataPacket strings;
    Events got;
    Attach(strings, got);
    strings.OnCustomStart = [](TComDataPacket*, const std::string&, int& pos) { pos = -1; };
    strings.SetStartString("<");
    strings.SetStopString(">");
    strings.AddData("-<a>");
    EXPECT_EQ(got, (Events{"D:-", "P:a"}));
}

TEST_F(PacketTest, AHandlerMayFeedMoreData)
{
    packet.SetStopString(";");
    packet.OnPacket = [&](TComDataPacket* p, const std::string& s) {
        events.push_back("P:" + s);
        if (events.size() == 1)
            p->AddData("in;");
    };
    packet.AddData("a;b;");
    EXPECT_EQ(events, (Events{"P:a", "P:b", "P:in"}));
}

TEST(PacketOnPort, PacketsFromWhatThePortReceivesAndAPortThatGoes)
{
    TPtyPair pty;
    TComDataPacket packet;
    Events events;
    packet.OnPacket = [&](TComDataPacket*, const std::string& s) { events.push_back("P:" + s); };
    packet.OnDiscard = [&](TComDataPacket*, const std::string& s) { events.push_back("D:" + s); };
    packet.SetStartString("<");
    packet.SetStopString(">");
    {
        TComPort port;
        TComPortWatch watch(port);
        port.SetPort(pty.SlavePath());
        packet.SetComPort(&port);
        port.Open();
        ASSERT_TRUE(pty.Send("noise<OK>tail<RE"));
        ASSERT_TRUE(pty.Send("A=5>"));
        EXPECT_TRUE(PumpUntil([&] { return events.size() >= 4; }));
        EXPECT_EQ(events, (Events{"D:noise", "P:OK", "D:tail", "P:REA=5"}));
        EXPECT_EQ(port.InputCount(), 0) << "the splitter takes the bytes";

        packet.SetComPort(nullptr);
        ASSERT_TRUE(pty.Send("<late>"));
        EXPECT_TRUE(WaitWithoutPumping([&] { return port.InputCount() == 6; }));
        packet.SetComPort(&port);
    }
    EXPECT_EQ(packet.ComPort(), nullptr);
    packet.AddData("<still works>");
    EXPECT_EQ(events.back(), "P:still works");
}
