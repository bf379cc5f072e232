#include "link/net/NetText.h"
#include "link/protocol/Protocol.h"
#include "link/protocol/TcpProtocol.h"
#include "link/protocol/TcpReadSteps.h"
#include "link/protocol/TcpWriteSteps.h"
#include "link/protocol/TrafficText.h"
#include "sim/SimUnit.h"

#include <gtest/gtest.h>

using Strings = std::vector<std::string>;
using Result = TcpReadSteps::Result;

namespace
{
// The unit's replies to a TCP read, each as the unit sends it: two answers, twelve blocks, the closing reply.
Strings UnitReplies(SimUnit& unit)
{
    Strings replies;
    for (const char* command : {"kv\r", "kvpw=1234\r", "kvrea0"})
        for (std::string& reply : unit.FeedReplies(command))
            replies.push_back(std::move(reply));
    return replies;
}

std::string Memory(const SimUnit& unit, int count)
{
    return std::string(reinterpret_cast<const char*>(unit.Memory.data()), static_cast<size_t>(count));
}

std::string Joined(const Strings& parts, size_t from)
{
    std::string all;
    for (size_t i = from; i < parts.size(); ++i)
        all += parts[i];
    return all;
}

// Feeds the two answers, then the rest as one read.
TcpReadSteps::Outcome FeedCoalesced(TcpReadSteps& steps, const Strings& replies)
{
    steps.Feed(replies[0]);
    steps.Feed(replies[1]);
    return steps.Feed(Joined(replies, 2));
}
} // namespace

TEST(TcpReadSteps, TwelveBlocksAndTheClosingReplyGiveTheImage)
{
    SimUnit unit(SimUnit::Dialect::Tcp);
    unit.Memory[255] = 0x7D; // an escape as the last byte of a block
    unit.Memory[256] = 0x0D; // and as the first of the next
    const Strings replies = UnitReplies(unit);
    ASSERT_EQ(replies.size(), 15u);

    TcpReadSteps steps;
    Strings log;
    TcpReadSteps::Outcome last;
    for (const std::string& reply : replies) {
        EXPECT_EQ(last.result, Result::Going);
        last = steps.Feed(reply);
        log.insert(log.end(), last.logLines.begin(), last.logLines.end());
    }
    EXPECT_EQ(last.result, Result::Finished);
    EXPECT_EQ(last.message, Msg::kReadOk);
    EXPECT_TRUE(last.reportStatus);
    EXPECT_TRUE(last.checksumCompared);
    EXPECT_EQ(last.image, Memory(unit, 3072));
    EXPECT_EQ(last.progress, 3072);
    EXPECT_EQ(steps.Step(), 15);

    EXPECT_EQ(log[0], replies[0]);
    EXPECT_EQ(log[1], "KV Check OK");
    EXPECT_EQ(log[3], "Pwd Check OK");
    EXPECT_EQ(log[4], "1st Read Block Received OK");
    EXPECT_EQ(log[5], "2nd Read Block Received OK");
    EXPECT_EQ(log[6], "3rd Read Block Received OK");
    EXPECT_EQ(log[15], "12th Read Block Received OK");
    EXPECT_EQ(log[16], "All Read Blocks Received OK");
    EXPECT_EQ(log[17], "Checksum OK");
    // Block 1 keeps its header; the closing reply is kept as it came.
    EXPECT_EQ(steps.Blocks()[0].substr(0, 4), "REA=");
    EXPECT_EQ(steps.Blocks()[12], replies[14]);
}

TEST(TcpReadSteps, BlocksThatMeetInOneReadAreEachCounted)
{
    SimUnit unit(SimUnit::Dialect::Tcp);
    const Strings replies = UnitReplies(unit);
    TcpReadSteps steps;
    auto out = FeedCoalesced(steps, replies);
    EXPECT_EQ(out.result, Result::Finished);
    EXPECT_EQ(out.image, Memory(unit, 3072));
    EXPECT_EQ(steps.Step(), 15);

    // The last block and the closing reply in one read, the blocks before one by one.
    TcpReadSteps again;
    for (size_t i = 0; i < 13; ++i)
        EXPECT_EQ(again.Feed(replies[i]).result, Result::Going) << i;
    out = again.Feed(replies[13] + replies[14]);
    EXPECT_EQ(out.result, Result::Finished);
    EXPECT_EQ(out.message, Msg::kReadOk);
}

TEST(TcpReadSteps, ABlockThatStopsShortFailsTheReadWithoutReadingPastIt)
{
    SimUnit unit(SimUnit::Dialect::Tcp);
    unit.Faults.ShortReadBlock = 4;
    const Strings replies = UnitReplies(unit);
    TcpReadSteps steps;
    TcpReadSteps::Outcome out;
    for (size_t i = 0; i < replies.size() && out.result == Result::Going; ++i)
        out = steps.Feed(replies[i]);
    EXPECT_EQ(out.result, Result::Failed);
    EXPECT_EQ(out.message, Msg::kReadFailed);
    EXPECT_TRUE(out.reportStatus);
    EXPECT_TRUE(out.image.empty());
    EXPECT_EQ(steps.Step(), 6); // answers and blocks 1 to 4

    // All of it in one read: the closing reply cannot make up for the missing bytes.
    TcpReadSteps coalesced;
    out = FeedCoalesced(coalesced, replies);
    EXPECT_NE(out.message, Msg::kReadOk);
    EXPECT_TRUE(out.image.empty());

    // A block cut in two by the network counts as stopped short, too: nothing after it is taken for it.
    SimUnit good(SimUnit::Dialect::Tcp);
    const Strings whole = UnitReplies(good);
    TcpReadSteps cut;
    cut.Feed(whole[0]);
    cut.Feed(whole[1]);
    out = cut.Feed(whole[2].substr(0, 100));
    EXPECT_EQ(out.result, Result::Failed);
    EXPECT_EQ(out.message, Msg::kReadFailed);
}

TEST(TcpReadSteps, AnEscapeMarkAtTheEndOfAReadIsAShortBlock)
{
    TcpReadSteps steps;
    steps.Feed("\r\nOK\r\n");
    steps.Feed("\r\nOK\r\n");
    auto out = steps.Feed("REA=\r\n" + std::string(255, 'a') + "\x7D");
    EXPECT_EQ(out.result, Result::Failed);
    EXPECT_EQ(out.message, Msg::kReadFailed);
}

TEST(TcpReadSteps, RefusedAnswersAndAMissingHeaderTakeTheFailurePath)
{
    struct Case {
        const char* name;
        std::string kv, password, block1;
        std::string message;
        int step;
    };
    const std::string good = "\r\nanything\r\nOK\r\n";
    const std::string block1 = "REA=\r\n" + std::string(256, 'x');
    const Case cases[] = {
        {"kv without OK", "\r\nNO\r\n", good, block1, "", 1},
        {"kv of 256 bytes", "OK" + std::string(254, ' '), good, block1, "", 1},
        {"OK after a zero byte", std::string("\0OK", 3), good, block1, "", 1},
        {"password refused", good, "\r\nERROR\r\n", block1, Msg::kPasswordIncorrect, 2},
        {"no REA= in the header", good, good, "REX=\r\n" + std::string(256, 'x'), "", 3},
    };
    for (const Case& c : cases) {
        TcpReadSteps steps;
        TcpReadSteps::Outcome out;
        for (const std::string* reply : {&c.kv, &c.password, &c.block1})
            if (out.result == Result::Going)
                out = steps.Feed(*reply);
        EXPECT_EQ(out.result, Result::Failed) << c.name;
        EXPECT_EQ(out.message, c.message) << c.name;
        EXPECT_FALSE(out.reportStatus) << c.name;
        EXPECT_EQ(steps.Step(), c.step) << c.name;
        // Whatever comes later is not taken.
        EXPECT_EQ(steps.Feed(good).result, Result::Going) << c.name;
        EXPECT_EQ(steps.Step(), c.step) << c.name;
    }
}

TEST(TcpReadSteps, TheClosingReplyMustBeEightBytesWithOK)
{
    for (const std::string& closing :
         {std::string("\r\nOK\r\n"), std::string("\r\nOK:00\r\n\r"), std::string("\r\nNO:0\r\n")}) {
        SimUnit unit(SimUnit::Dialect::Tcp);
        unit.Faults.ClosingReply = closing;
        TcpReadSteps steps;
        auto out = FeedCoalesced(steps, UnitReplies(unit));
        EXPECT_EQ(out.result, Result::Finished) << closing.size();
        EXPECT_EQ(out.message, Msg::kReadFailed) << closing.size();
        EXPECT_FALSE(out.checksumCompared);
        EXPECT_TRUE(out.image.empty());
    }
}

TEST(TcpReadSteps, AChecksumThatDiffersGivesNoImage)
{
    SimUnit unit(SimUnit::Dialect::Tcp);
    unit.Faults.BadReadChecksum = true;
    TcpReadSteps steps;
    auto out = FeedCoalesced(steps, UnitReplies(unit));
    EXPECT_EQ(out.result, Result::Finished);
    EXPECT_EQ(out.message, Msg::kChecksumFailed);
    EXPECT_TRUE(out.checksumCompared);
    EXPECT_TRUE(out.image.empty());
}

TEST(TcpWriteSteps, TenAcceptedAnswersFinishTheWrite)
{
    TcpWriteSteps steps;
    Strings log;
    TcpWriteSteps::Outcome out;
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(out.result, TcpWriteSteps::Result::Going);
        out = steps.Feed("\r\nKVWEB OK\r\n");
        log.insert(log.end(), out.logLines.begin(), out.logLines.end());
    }
    EXPECT_EQ(out.result, TcpWriteSteps::Result::Finished);
    EXPECT_EQ(out.message, Msg::kWriteOk);
    const Strings expected{"\r\nKVWEB OK\r\n",        "KV Check OK",
                           "\r\nKVWEB OK\r\n",        "Pwd Check OK",
                           "1st Block Send/Write OK", "2nd Block Send/Write OK",
                           "3rd Block Send/Write OK", "4th Block Send/Write OK",
                           "5th Block Send/Write OK", "6th Block Send/Write OK",
                           "7th Block Send/Write OK", "8th Block Send/Write OK",
                           "All Blocks Send/Write OK"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(steps.Feed("OK").result, TcpWriteSteps::Result::Going); // over: an eleventh answer is not taken
}

TEST(TcpWriteSteps, ARefusedAnswerStopsTheWrite)
{
    struct Case {
        int failingStep;
        std::string answer;
        std::string message;
    };
    for (const Case& c : {Case{1, "\r\nNO\r\n", ""}, Case{2, "\r\nERROR\r\n", Msg::kPasswordIncorrect},
                          Case{5, "\r\nKVWEB ERROR\r\n", ""}, Case{7, "OK" + std::string(510, ' '), ""}}) {
        TcpWriteSteps steps;
        TcpWriteSteps::Outcome out;
        for (int step = 1; step < c.failingStep; ++step)
            out = steps.Feed("OK");
        EXPECT_EQ(out.result, TcpWriteSteps::Result::Going);
        out = steps.Feed(c.answer);
        EXPECT_EQ(out.result, TcpWriteSteps::Result::Failed) << c.failingStep;
        EXPECT_EQ(out.message, c.message) << c.failingStep;
        EXPECT_EQ(steps.Feed("OK").result, TcpWriteSteps::Result::Going);
        EXPECT_EQ(steps.Step(), c.failingStep);
    }
}

TEST(TcpBlockFrame, EscapesDataAndChecksumAndEndsWithoutCR)
{
    std::string data(256, '\0');
    const uint8_t special[] = {0x0D, 0x08, 0x7D, 0x11, 0x13};
    for (int i = 0; i < 5; ++i)
        data[static_cast<size_t>(i)] = static_cast<char>(special[i]);
    const std::string frame = TcpBlockFrame(3, data);
    EXPECT_EQ(frame.substr(0, 6), "KVWEB3");
    EXPECT_EQ(frame.substr(6, 10), std::string("\x7D\x2D\x7D\x28\x7D\x5D\x7D\x31\x7D\x33", 10));
    EXPECT_EQ(frame.substr(16, 251), std::string(251, '\0'));
    // Sum 0x0D+0x08+0x7D+0x11+0x13 = 0xB6; 0xFFFF - 0xB6 = 0xFF49.
    EXPECT_EQ(frame.substr(267), "\xFF\x49");

    // 256 bytes 0xFF: checksum 0xFFFF - 0xFF00 = 0x00FF, high byte first.
    const std::string full = TcpBlockFrame(0, std::string(256, '\xFF'));
    EXPECT_EQ(full.size(), 6u + 256 + 2);
    EXPECT_EQ(full.substr(262), std::string("\x00\xFF", 2));

    // A checksum byte 0x7D goes out escaped: 131 x 0xFF + 0x82 = 0x82FF, checksum 0x7D00.
    std::string toEscape(256, '\0');
    for (size_t i = 0; i < 131; ++i)
        toEscape[i] = '\xFF';
    toEscape[131] = '\x82';
    EXPECT_EQ(TcpBlockFrame(1, toEscape).substr(6 + 131 + 1), std::string(124, '\0') + std::string("\x7D\x5D\x00", 3));
}

TEST(TrafficText, RendersBytesAsTheReceiveFieldShowsThem)
{
    EXPECT_EQ(TrafficText::RenderBytes("OK\r\n", false), "OK[13][10]");
    EXPECT_EQ(TrafficText::RenderBytes("OK\r\n", true), "[4F][4B][0D][0A]");
    EXPECT_EQ(TrafficText::RenderBytes(std::string("a \0\x7F\x80\xFF", 6), false), "a[32][0]\x7F[128][255]");
    EXPECT_EQ(TrafficText::TimeStamp(1, 2, 3, 4), "TS:01:02:03.04  : ");
    EXPECT_EQ(TrafficText::TimeStampNow().size(), 18u);
}

TEST(TrafficText, ByteCodesInATypedLine)
{
    EXPECT_EQ(TrafficText::ExpandByteCodes("[27]KVI"), "\x1BKVI");
    EXPECT_EQ(TrafficText::ExpandByteCodes("[300]"), ",");
    EXPECT_EQ(TrafficText::ExpandByteCodes("[-1]"), "\xFF");
    EXPECT_EQ(TrafficText::ExpandByteCodes("A[x]B"), std::string("A\0B", 3));
    EXPECT_EQ(TrafficText::ExpandByteCodes("ab[65cd"), "abA");
    EXPECT_EQ(TrafficText::ExpandByteCodes("[ 13]]"), "\r]");
    EXPECT_EQ(TrafficText::ExpandByteCodes(""), "");
}

TEST(TcpProtocol, OrdinalsOfTheStepMessages)
{
    const Strings expected{"1st", "2nd", "3rd", "4th", "10th", "11th", "12th", "13th", "21st", "22nd"};
    Strings got;
    for (int n : {1, 2, 3, 4, 10, 11, 12, 13, 21, 22})
        got.push_back(TcpProtocol::Ordinal(n));
    EXPECT_EQ(got, expected);
}

TEST(NetText, PortsFromOneTo65535)
{
    int port = 0;
    std::string error;
    EXPECT_TRUE(NetText::ParsePort("3004", port, error));
    EXPECT_EQ(port, 3004);
    EXPECT_TRUE(NetText::ParsePort("65535", port, error));
    for (const char* bad : {"0", "65536", "-1", "abc", ""}) {
        error.clear();
        EXPECT_FALSE(NetText::ParsePort(bad, port, error)) << bad;
        EXPECT_NE(error.find(std::string("'") + bad + "'"), std::string::npos) << error;
    }
}
