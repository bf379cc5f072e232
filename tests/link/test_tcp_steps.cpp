// The TCP read and write as steps fed with the unit's replies, the TCP block frame, and the traffic texts.
#include "link/protocol/Protocol.h"
#include "link/protocol/TcpProtocol.h"
#include "link/protocol/TcpReadSteps.h"
#include "link/protocol/TcpWriteSteps.h"
#include "sim/SimUnit.h"

#include <gtest/gtest.h>

#include <functional>

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

std::string Memory(const SimUnit& unit)
{
    return std::string(reinterpret_cast<const char*>(unit.Memory.data()), 3072);
}
} // namespace

// Blocks are taken by their size, however the network cuts or joins them; a block that ends short fails the read
// without reading past it, and the closing reply cannot make up for it.
TEST(TcpReadSteps, BlocksAreTakenBySizeHoweverTheyArrive)
{
    enum Feed { TheRestInOneRead, LastTwoInOneRead, FirstBlockCut };
    const struct {
        const char* name;
        std::function<void(SimUnit&)> fault;
        Feed feed;
        Result result;
        std::string message;
    } cases[] = {
        {"all blocks in one read", nullptr, TheRestInOneRead, Result::Finished, Msg::kReadOk},
        {"last block and closing reply in one read", nullptr, LastTwoInOneRead, Result::Finished, Msg::kReadOk},
        {"a block cut by the network", nullptr, FirstBlockCut, Result::Failed, Msg::kReadFailed},
        {"a short block in one read", [](SimUnit& u) { u.Faults.ShortReadBlock = 4; }, TheRestInOneRead, Result::Failed,
         Msg::kReadFailed},
        {"closing reply of 6 bytes", [](SimUnit& u) { u.Faults.ClosingReply = "\r\nOK\r\n"; }, TheRestInOneRead,
         Result::Finished, Msg::kReadFailed},
        {"closing reply without OK", [](SimUnit& u) { u.Faults.ClosingReply = "\r\nNO:0\r\n"; }, TheRestInOneRead,
         Result::Finished, Msg::kReadFailed},
    };
    for (const auto& c : cases) {
        SimUnit unit(SimUnit::Dialect::Tcp);
        if (c.fault)
            c.fault(unit);
        const Strings replies = UnitReplies(unit);
        const size_t joinFrom = c.feed == TheRestInOneRead ? 2 : c.feed == LastTwoInOneRead ? 13 : replies.size();
        TcpReadSteps steps;
        TcpReadSteps::Outcome out;
        std::string rest;
        for (size_t i = 0; i < replies.size() && out.result == Result::Going; ++i) {
            std::string read = replies[i];
            if (c.feed == FirstBlockCut && i == 2)
                read.resize(100);
            if (i >= joinFrom) {
                rest += read;
                if (i + 1 < replies.size())
                    continue;
                read = rest;
            }
            out = steps.Feed(read);
        }
        EXPECT_EQ(out.result, c.result) << c.name;
        EXPECT_EQ(out.message, c.message) << c.name;
        EXPECT_EQ(out.image, c.message == Msg::kReadOk ? Memory(unit) : "") << c.name;
    }
}

TEST(TcpReadSteps, RefusedAnswersAndABadHeaderTakeTheFailurePath)
{
    const std::string good = "\r\nanything\r\nOK\r\n";
    const std::string block1 = "REA=\r\n" + std::string(256, 'x');
    const struct {
        const char* name;
        std::string kv, password, block1;
        std::string message;
        int step;
    } cases[] = {
        {"kv of 256 bytes", "OK" + std::string(254, ' '), good, block1, "", 1},
        {"OK after a zero byte", std::string("\0OK", 3), good, block1, "", 1},
        {"password refused", good, "\r\nERROR\r\n", block1, Msg::kPasswordIncorrect, 2},
        {"no REA= in the header", good, good, "REX=\r\n" + std::string(256, 'x'), "", 3},
        {"escape mark at the end of a read", good, good, "REA=\r\n" + std::string(255, 'a') + "\x7D", Msg::kReadFailed,
         2},
    };
    for (const auto& c : cases) {
        TcpReadSteps steps;
        TcpReadSteps::Outcome out;
        for (const std::string* reply : {&c.kv, &c.password, &c.block1})
            if (out.result == Result::Going)
                out = steps.Feed(*reply);
        EXPECT_EQ(out.result, Result::Failed) << c.name;
        EXPECT_EQ(out.message, c.message) << c.name;
        EXPECT_EQ(out.reportStatus, c.message == Msg::kReadFailed) << c.name;
        EXPECT_EQ(steps.Step(), c.step) << c.name;
        EXPECT_EQ(steps.Feed(good).result, Result::Going) << c.name; // nothing later is taken
        EXPECT_EQ(steps.Step(), c.step) << c.name;
    }
}

TEST(TcpWriteSteps, ARefusedAnswerStopsTheWrite)
{
    const struct {
        int step;
        std::string answer, message;
    } cases[] = {{1, "\r\nNO\r\n", ""},
                 {2, "\r\nERROR\r\n", Msg::kPasswordIncorrect},
                 {5, "\r\nKVWEB ERROR\r\n", ""},
                 {7, "OK" + std::string(510, ' '), ""}}; // "OK" too far into a long answer
    for (const auto& c : cases) {
        TcpWriteSteps steps;
        for (int step = 1; step < c.step; ++step)
            steps.Feed("OK");
        const auto out = steps.Feed(c.answer);
        EXPECT_EQ(out.result, TcpWriteSteps::Result::Failed) << c.step;
        EXPECT_EQ(out.message, c.message) << c.step;
        EXPECT_EQ(steps.Feed("OK").result, TcpWriteSteps::Result::Going); // nothing later is taken
        EXPECT_EQ(steps.Step(), c.step);
    }
}

TEST(TcpBlockFrame, EscapesDataAndChecksumAndEndsWithoutCR)
{
    std::string data(256, '\0');
    const std::string special("\x0D\x08\x7D\x11\x13", 5);
    data.replace(0, 5, special);
    const std::string frame = TcpBlockFrame(3, data);
    EXPECT_EQ(frame.substr(0, 6), "KVWEB3");
    EXPECT_EQ(frame.substr(6, 10), std::string("\x7D\x2D\x7D\x28\x7D\x5D\x7D\x31\x7D\x33", 10));
    EXPECT_EQ(frame.substr(16, 251), std::string(251, '\0'));
    EXPECT_EQ(frame.substr(267), "\xFF\x49"); // 0xFFFF - (0x0D + 0x08 + 0x7D + 0x11 + 0x13)

    // A checksum byte 0x7D goes out escaped: 131 x 0xFF + 0x82 = 0x82FF, checksum 0x7D00.
    std::string toEscape(256, '\0');
    toEscape.replace(0, 132, std::string(131, '\xFF') + "\x82");
    EXPECT_EQ(TcpBlockFrame(1, toEscape).substr(6 + 132), std::string(124, '\0') + std::string("\x7D\x5D\x00", 3));
}
