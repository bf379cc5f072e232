// The data packet splitter: packets by start and stop strings, size and the owner's tests, what is discarded,
// the buffer limit and large blocks.
#include "CportTestSupport.h"
#include "cport/port/DataPacket.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace
{
// Records every report in order, '|' between: "P:" for a packet, "D:" for discarded bytes.
void Attach(TComDataPacket& p, std::string& Seen)
{
    const auto say = [&Seen](const char* Kind) {
        return [&Seen, Kind](TComDataPacket*, const std::string& s) {
            Seen += std::string(Seen.empty() ? "" : "|") + Kind + s;
        };
    };
    p.OnPacket = say("P:");
    p.OnDiscard = say("D:");
}

struct PacketTest : ::testing::Test {
    TComDataPacket packet;
    std::string seen;
    void SetUp() override { Attach(packet, seen); }
};
} // namespace

TEST_F(PacketTest, StringsSizeAndLimits)
{
    const std::string a1000(1000, 'a'), b22(22, 'b'), a5000(5000, 'a');
    // Start, stop, size, no buffer limit, the blocks split at '|', what is reported, and what is left collected.
    const std::tuple<std::string, std::string, int, bool, std::string, std::string, std::string> Cases[] = {
        {"<", ">", 0, false, "ab<word>cd", "D:ab|P:word", "cd"},
        {"{{", "}}", 0, false, "x{{one}}{{tw|o}}..{{thr|ee}|}", "D:x|P:one|P:two|D:..|P:three", ""},
        {"#", "#", 0, false, "#abc#def#", "P:abc|D:def", "#"}, // the stop is looked for behind the start
        {"", "", 4, false, "0123456789", "P:0123|P:4567", "89"},
        {"<", "", 0, false, "no start|\0\xFF"s, "P:no start|P:\0\xFF"s, ""}, // without an end test a block is a packet
        {"", ";", 5, false, "ab;cdefghij;", "P:ab|P:cdefg|P:hij", ""},       // whichever end comes first
        {"<", ">", 0, false, "<" + a1000 + "|" + b22 + "|c|z<ok>", "D:<" + a1000 + b22 + "c|D:z|P:ok", ""},
        {"<", ">", 0, true, "<" + a5000 + "|>", "P:" + a5000, ""},
    };
    for (const auto& [Start, Stop, Size, Unlimited, Data, Want, Left] : Cases) {
        TComDataPacket p;
        std::string got;
        Attach(p, got);
        p.SetStartString(Start);
        p.SetStopString(Stop);
        p.SetSize(Size);
        p.SetMaxBufferSize(Unlimited ? 0 : 1024);
        for (const std::string& Block : Blocks(Data))
            p.AddData(Block);
        EXPECT_EQ(got, Want) << Data.substr(0, 30);
        EXPECT_EQ(p.Collected(), Left) << Data.substr(0, 30);
    }
}

TEST_F(PacketTest, ChangingATestEmptiesTheCollectedDataOutsideAPacket)
{
    bool inPacket = true;
    packet.OnDiscard = [&](TComDataPacket* p, const std::string& s) { seen += s, inPacket = p->InPacket(); };
    packet.SetStopString(">");
    packet.AddData("half");
    ASSERT_TRUE(packet.InPacket());
    packet.SetStartString("[");
    packet.SetStartString("["); // the same value: nothing
    EXPECT_EQ(seen, "half");
    EXPECT_FALSE(inPacket) << "the flag is clear when the discard is told";
}

TEST_F(PacketTest, LargeBlockWithPacketSizeOne)
{
    packet.SetSize(1);
    const std::string block = Pattern(500 * 1024);
    std::string joined;
    bool oneByteEach = true;
    packet.OnPacket = [&](TComDataPacket*, const std::string& s) { oneByteEach &= s.size() == 1, joined += s; };
    packet.AddData(block);
    EXPECT_TRUE(oneByteEach);
    EXPECT_TRUE(joined == block);
    EXPECT_EQ(seen + packet.Collected(), "");
}

TEST_F(PacketTest, OwnersTestsDecideAndPositionsBeyondTheDataAreHeld)
{
    // Start at the first digit; end three bytes on, or far beyond the data once "!" is seen.
    packet.OnCustomStart = [](TComDataPacket*, const std::string& s, int& pos) {
        pos = s.find_first_of("0123456789") == std::string::npos ? 0 : int(s.find_first_of("0123456789")) + 1;
    };
    packet.OnCustomStop = [](TComDataPacket*, const std::string& s, int& pos) {
        pos = s.find('!') != std::string::npos ? 1000 : (s.size() >= 3 ? 3 : 0);
    };
    packet.AddData("ab12345x");
    packet.AddData("zz9!");
    EXPECT_EQ(seen, "D:ab|P:123|P:45x|D:zz|P:9!");

    // A start beyond the data discards it all and opens a packet; an end test that always says yes ends a
    // packet at every byte.
    packet.OnCustomStart = [](TComDataPacket*, const std::string&, int& pos) { pos = 99; };
    packet.OnCustomStop = [](TComDataPacket*, const std::string&, int& pos) { pos = 0; };
    packet.AddData("hello");
    EXPECT_TRUE(packet.InPacket());
    packet.OnCustomStart = nullptr;
    packet.OnCustomStop = [](TComDataPacket*, const std::string&, int& pos) { pos = 1; };
    packet.AddData("abc");
    EXPECT_EQ(seen, "D:ab|P:123|P:45x|D:zz|P:9!|D:hello|P:a|P:b|P:c");

    // -1 leaves the test to the strings; a handler may feed more data.
    TComDataPacket strings;
    std::string got;
    Attach(strings, got);
    strings.OnCustomStart = [](TComDataPacket*, const std::string&, int& pos) { pos = -1; };
    strings.SetStartString("<");
    strings.SetStopString(">");
    strings.OnPacket = [&](TComDataPacket* p, const std::string& s) {
        got += "|P:" + s;
        if (s == "a")
            p->AddData("<in>");
    };
    strings.AddData("-<a><b>");
    EXPECT_EQ(got, "D:-|P:a|P:b|P:in");
}
