// The TCP read and write as steps fed with the unit's replies as a byte stream, the TCP block frame, and the
// traffic texts.
#include "link/protocol/Protocol.h"
#include "link/protocol/TcpAnswer.h"
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
// Everything the unit answers to the commands, as one stream.
std::string UnitStream(SimUnit& unit, const Strings& commands)
{
    std::string stream;
    for (const std::string& command : commands)
        stream += unit.Feed(command);
    return stream;
}
const Strings kReadCommands{"kv\r", "kvpw=1234\r", "kvrea0"};

std::string Memory(const SimUnit& unit, int count = 3072)
{
    return std::string(reinterpret_cast<const char*>(unit.Memory.data()), static_cast<size_t>(count));
}

// Feeds the stream in reads that end at the given positions (the last read ends with the stream); the steps
// are told the reply stalled when the stream ran out before they ended. The outcome carries every log line.
template <typename Steps>
typename Steps::Outcome FeedCut(Steps& steps, const std::string& stream, std::vector<size_t> cuts)
{
    typename Steps::Outcome last;
    Strings lines;
    cuts.push_back(stream.size());
    size_t from = 0;
    for (size_t cut : cuts) {
        last = steps.Feed(std::string_view(stream).substr(from, cut - from));
        from = cut;
        lines.insert(lines.end(), last.logLines.begin(), last.logLines.end());
        if (last.result != Steps::Result::Going)
            break;
    }
    if (last.result == Steps::Result::Going) {
        last = steps.Stalled();
        lines.insert(lines.end(), last.logLines.begin(), last.logLines.end());
    }
    last.logLines = lines;
    return last;
}
} // namespace

TEST(TcpAnswer, WholeOnceTheLineWithOkEndsRefusedWhenItCanNoLongerPass)
{
    using State = TcpAnswer::State;
    const struct {
        const char* name;
        Strings pieces;
        State state;      // after the pieces
        size_t taken;     // bytes taken in all
        State afterClose; // once it stopped coming
        std::string next; // a later read, after the next command
        size_t nextTaken; // of it, by this answer
    } cases[] = {
        {"whole, the next reply left", {"\r\nOK\r\n", "REA="}, State::Accepted, 6, State::Accepted, "\r\nOK", 0},
        {"OK cut in two", {"\r\nO", "K\r", "\n"}, State::Accepted, 6, State::Accepted, "", 0},
        {"OK line ended by a CR, its LF late", {"\r\nOK:0\r"}, State::Accepted, 7, State::Accepted, "\n\r\nOK", 1},
        {"OK line not ended", {"\r\nOK:0"}, State::Open, 6, State::Accepted, "", 0},
        {"a blank line after OK", {"\r\nOK\r\n\r\n", "REA="}, State::Accepted, 8, State::Accepted, "\r\nOK", 0},
        {"a blank line, its LF late", {"OK\r\n\r"}, State::Accepted, 5, State::Accepted, "\nREA=", 1},
        {"LF CR ends", {"\n\rOK\n\r", "REA="}, State::Accepted, 6, State::Accepted, "\n\rOK", 0},
        {"LF CR ends, the CR late", {"\n\rOK\n"}, State::Accepted, 5, State::Accepted, "\r\n\rOK", 1},
        {"no OK yet", {"\r\nKIV Corvo ready\r\n"}, State::Open, 19, State::Refused, "", 0},
        {"nothing but line ends", {"\r\n", "\r\n"}, State::Open, 4, State::Open, "", 0},
        {"zero byte before OK", {std::string("\r\n\0OK\r\n", 7)}, State::Refused, 3, State::Refused, "", 0},
        {"zero byte after OK", {std::string("OK\0\r\n", 5)}, State::Accepted, 5, State::Accepted, "", 0},
        {"the limit reached", {std::string(255, ' '), "OK\r\n"}, State::Refused, 256, State::Refused, "", 0},
    };
    for (const auto& c : cases) {
        TcpAnswer answer(256);
        size_t taken = 0;
        for (const std::string& piece : c.pieces)
            taken += answer.Take(piece);
        EXPECT_EQ(answer.Result(), c.state) << c.name;
        EXPECT_EQ(taken, c.taken) << c.name;
        EXPECT_EQ(answer.Text().size(), c.taken) << c.name;
        answer.Close();
        EXPECT_EQ(answer.Result(), c.afterClose) << c.name;
        answer.StartNext();
        EXPECT_EQ(answer.Take(c.next), c.next.size()) << c.name;
        EXPECT_EQ(answer.Text(), c.next.substr(c.nextTaken)) << c.name;
    }
}

const SimUnit::LineEnds kLineEnds[] = {SimUnit::LineEnds::CrLf, SimUnit::LineEnds::BlankLineAfter,
                                       SimUnit::LineEnds::LfCr};

// Every reply is taken by content and length however the network cuts the stream: in one read, at every
// position in two reads, or byte by byte, the read ends the same way, however the unit ends its lines.
TEST(TcpReadSteps, AnyCutOfTheStreamReadsTheImage)
{
    for (const SimUnit::LineEnds ends : kLineEnds) {
        SimUnit unit(SimUnit::Dialect::Tcp);
        unit.TcpLineEnds = ends;
        const std::string stream = UnitStream(unit, kReadCommands);
        // Line ends matter to the answers and the header; past them one way of ending lines is as good as another.
        const size_t lastCut = ends == SimUnit::LineEnds::CrLf ? stream.size() : 200;
        std::vector<std::vector<size_t>> ways{{}};
        for (size_t cut = 1; cut < lastCut; ++cut)
            ways.push_back({cut});
        std::vector<size_t> everyByte;
        for (size_t cut = 1; cut < stream.size(); ++cut)
            everyByte.push_back(cut);
        ways.push_back(everyByte);
        for (const auto& cuts : ways) {
            TcpReadSteps steps;
            const auto out = FeedCut(steps, stream, cuts);
            ASSERT_EQ(out.message, Msg::kReadOk)
                << static_cast<int>(ends) << " cut at " << (cuts.empty() ? 0 : cuts[0]);
            EXPECT_EQ(out.image, Memory(unit));
            EXPECT_EQ(steps.Step(), 15);
            EXPECT_EQ(out.logLines.size(), 2u + 2u + 12u + 2u);
        }
    }
}

// A reply the unit truly sent short fails, however the stream is cut, at the latest when it stops coming; a
// closing reply of the wrong length or without "OK" ends the read with its own message.
TEST(TcpReadSteps, ARepliesCutShortByTheUnitFailTheRead)
{
    const struct {
        const char* name;
        std::function<void(SimUnit&)> fault;
        Result result;
        std::string message;
        bool stalls; // only the end of the stream shows it
    } cases[] = {
        {"a short block", [](SimUnit& u) { u.Faults.ShortReadBlock = 4; }, Result::Failed, Msg::kReadFailed, true},
        {"a short last block", [](SimUnit& u) { u.Faults.ShortReadBlock = 11; }, Result::Failed, Msg::kReadFailed,
         true},
        {"closing reply of 6 bytes", [](SimUnit& u) { u.Faults.ClosingReply = "\r\nOK\r\n"; }, Result::Finished,
         Msg::kReadFailed, true},
        {"closing reply of 9 bytes", [](SimUnit& u) { u.Faults.ClosingReply = "\r\nOK:0\r\n\r"; }, Result::Finished,
         Msg::kReadFailed, false},
        {"closing reply without OK", [](SimUnit& u) { u.Faults.ClosingReply = "\r\nNO:0\r\n"; }, Result::Finished,
         Msg::kReadFailed, false},
        {"bad checksum", [](SimUnit& u) { u.Faults.BadReadChecksum = true; }, Result::Finished, Msg::kChecksumFailed,
         false},
    };
    for (const auto& c : cases) {
        SimUnit unit(SimUnit::Dialect::Tcp);
        c.fault(unit);
        const std::string stream = UnitStream(unit, kReadCommands);
        for (size_t cut = 1; cut < stream.size(); cut += 97) {
            TcpReadSteps steps;
            const auto whole = steps.Feed(stream);
            EXPECT_EQ(whole.result, c.stalls ? Result::Going : c.result) << c.name;
            EXPECT_EQ(steps.InsideReply(), c.stalls) << c.name;
            TcpReadSteps cutSteps;
            const auto out = FeedCut(cutSteps, stream, {cut});
            EXPECT_EQ(out.result, c.result) << c.name << " cut at " << cut;
            EXPECT_EQ(out.message, c.message) << c.name;
            EXPECT_TRUE(out.reportStatus) << c.name;
            EXPECT_EQ(out.image, "") << c.name;
            EXPECT_FALSE(cutSteps.InsideReply());
        }
    }
}

TEST(TcpReadSteps, RefusedAnswersAndABadHeaderTakeTheFailurePath)
{
    const std::string good = "\r\nanything\r\nOK\r\n";
    const std::string block1 = "REA=\r\n" + std::string(256, 'x');
    const struct {
        const char* name;
        std::string stream;
        bool stalls; // refused only once it stops coming
        std::string message;
        int step;
    } cases[] = {
        {"kv of 256 bytes", "OK" + std::string(254, ' ') + "\r\n", false, "", 1},
        {"OK after a zero byte", std::string("\0OK\r\n", 5), false, "", 1},
        {"kv refused", "\r\nKIV Corvo busy\r\nNO\r\n", true, "", 1},
        {"password refused", good + "\r\nERROR\r\n", true, Msg::kPasswordIncorrect, 2},
        {"no REA= in the header", good + good + "REX=\r\n" + std::string(256, 'x'), false, "", 3},
        {"the first block cut short", good + good + "REA=\r\n" + std::string(255, 'a') + "\x7D", true, Msg::kReadFailed,
         2},
    };
    for (const auto& c : cases) {
        TcpReadSteps steps;
        TcpReadSteps::Outcome out = steps.Feed(c.stream);
        EXPECT_EQ(out.result == Result::Going, c.stalls) << c.name;
        EXPECT_EQ(steps.InsideReply(), c.stalls) << c.name;
        if (c.stalls)
            out = steps.Stalled();
        EXPECT_EQ(out.result, Result::Failed) << c.name;
        EXPECT_EQ(out.message, c.message) << c.name;
        EXPECT_EQ(out.reportStatus, c.message == Msg::kReadFailed) << c.name;
        EXPECT_EQ(steps.Step(), c.step) << c.name;
        EXPECT_EQ(steps.Feed(good + block1).result, Result::Going) << c.name; // nothing later is taken
        EXPECT_EQ(steps.Step(), c.step) << c.name;
    }
}

TEST(TcpReadSteps, NothingStallsBeforeTheReplyBegins)
{
    TcpReadSteps steps;
    EXPECT_FALSE(steps.InsideReply());
    EXPECT_EQ(steps.Stalled().result, Result::Going);
    steps.Feed("\r\nOK\r\n\r\nOK\r\n");
    EXPECT_EQ(steps.Step(), 2);
    EXPECT_FALSE(steps.InsideReply()); // a silent unit: the read waits as long as the user lets it
    EXPECT_EQ(steps.Stalled().result, Result::Going);
    steps.Feed("REA");
    EXPECT_TRUE(steps.InsideReply());
}

// As a running transfer takes the replies: told when each command goes out, each read what the unit sent in one
// go. The header is the first six bytes after the read request, whatever they are; kept out of it are only what
// the password answer's read held after its "OK" line, what came before the request went out, and the one byte
// the answer still missed from its last line end.
TEST(TcpReadSteps, TheHeaderIsTheFirstSixBytesAfterTheRequest)
{
    const std::string ok = "\r\nKIV Corvo password accepted\r\nOK";
    const struct {
        const char* name;
        std::string header;
        std::string passwordRead; // the read that ends the password answer
        Strings before;           // later reads, before the request goes out
        std::string late;         // first after the request, before the header
    } cases[] = {
        {"CR LF REA=", "\r\nREA=", ok + "\r\n", {}, ""},
        {"REA= CR LF", "REA=\r\n", ok + "\r\n", {}, ""},
        {"the unit's own bytes after REA=", "REA=:0", ok + "\r\n", {}, ""},
        {"a bare CR, its LF late", "\r\nREA=", ok + "\r", {}, "\n"},
        {"a bare CR, its LF never", "\r\nREA=", ok + "\r", {}, ""},
        {"LF CR ends, the CR never", "\nREA=\r", ok + "\n", {}, ""},
        {"a prompt after OK", "REA=\r\n", ok + "\r\n> ", {}, ""},
        {"a status line after OK", "\r\nREA=", ok + "\r\nREADY\r\n", {}, ""},
        {"a status line apart", "\r\nREA=", ok + "\r\n", {"READY\r\n"}, ""},
        {"a blank line apart", "\r\nREA=", ok + "\r\n", {"\r\n"}, ""},
        {"the LF before the request", "\r\nREA=", ok + "\r", {"\n"}, ""},
    };
    for (const auto& c : cases) {
        SimUnit unit(SimUnit::Dialect::Tcp);
        unit.TcpReadHeader = c.header;
        const std::string kvAnswer = unit.Feed("kv\r");
        unit.Feed("kvpw=1234\r");
        const std::string reply = c.late + unit.Feed("kvrea0");
        for (size_t cut = 0; cut < 12; ++cut) {
            TcpReadSteps steps(0);
            steps.CommandSent();
            steps.Feed(kvAnswer);
            steps.CommandSent();
            const auto answered = steps.Feed(c.passwordRead);
            ASSERT_EQ(answered.logLines.size(), 2u) << c.name;
            EXPECT_EQ(answered.logLines[0], c.passwordRead) << c.name; // the whole read is the answer
            for (const std::string& read : c.before)
                steps.Feed(read);
            EXPECT_FALSE(steps.InsideReply()) << c.name;
            steps.CommandSent();
            const auto out = FeedCut(steps, reply, cut == 0 ? std::vector<size_t>{} : std::vector<size_t>{cut});
            EXPECT_EQ(out.message, Msg::kReadOk) << c.name << " cut at " << cut;
            EXPECT_EQ(out.image, Memory(unit)) << c.name;
            EXPECT_EQ(steps.Blocks()[0].substr(0, 6), c.header) << c.name;
        }
    }
}

// Nothing is taken before the first command goes out.
TEST(TcpReadSteps, NothingCountsBeforeTheFirstCommand)
{
    TcpReadSteps steps(0);
    EXPECT_EQ(steps.Feed("\r\nOK\r\n").logLines.size(), 0u);
    EXPECT_EQ(steps.Step(), 0);
    steps.CommandSent();
    EXPECT_EQ(steps.Feed("\r\nOK\r\n").logLines, (Strings{"\r\nOK\r\n", TcpMsg::kKvCheckOk}));
}

namespace
{
// The unit's ten answers to a TCP write, as one stream.
std::string WriteAnswers(SimUnit& unit, const std::string& block)
{
    std::string stream = unit.Feed("kv\r");
    stream += unit.Feed("kvpw=1234\r");
    for (int b = 0; b < 8; ++b)
        stream += unit.Feed(TcpBlockFrame(b, block));
    return stream;
}
} // namespace

// An answer counts once it is whole: however the answers are cut or joined, and their lines ended, the write
// takes ten.
TEST(TcpWriteSteps, AnyCutOfTheAnswersCountsTenWholeAnswers)
{
    for (const SimUnit::LineEnds ends : kLineEnds) {
        SimUnit unit(SimUnit::Dialect::Tcp);
        unit.TcpLineEnds = ends;
        const std::string stream = WriteAnswers(unit, std::string(256, '\x7D'));
        ASSERT_EQ(unit.BlocksStored, 8);
        for (size_t cut = 0; cut < stream.size(); ++cut) {
            TcpWriteSteps steps;
            const auto out = FeedCut(steps, stream, cut == 0 ? std::vector<size_t>{} : std::vector<size_t>{cut});
            ASSERT_EQ(out.result, TcpWriteSteps::Result::Finished) << static_cast<int>(ends) << " cut at " << cut;
            EXPECT_EQ(out.message, Msg::kWriteOk);
            EXPECT_EQ(steps.Step(), 10);
            EXPECT_EQ(out.logLines.back(), TcpMsg::kAllWriteBlocksOk);
        }
    }
    TcpWriteSteps steps;
    const auto out = steps.Feed("\r\nKIV Corvo command mode ready\r\nOK\r");
    EXPECT_EQ(steps.Step(), 1); // its line has ended
    EXPECT_EQ(out.logLines, (Strings{"\r\nKIV Corvo command mode ready\r\nOK\r", TcpMsg::kKvCheckOk}));
    steps.Feed("\n"); // its LF, late
    EXPECT_FALSE(steps.InsideReply());
    EXPECT_EQ(steps.Feed("\r\nKIV Corvo password accepted\r\nOK\r\n").logLines,
              (Strings{"\r\nKIV Corvo password accepted\r\nOK\r\n", TcpMsg::kPwdCheckOk}));
}

// What the unit says after an answer's "OK" line, in the same read or apart before the next command goes out, is
// that answer's: the next answer begins only with bytes that came after its command.
TEST(TcpWriteSteps, WhatFollowsAnOkLineBeforeTheNextCommandBelongsToThatAnswer)
{
    const struct {
        std::string text;
        bool apart;
    } cases[] = {{"> ", false}, {"READY\r\n", false}, {"READY\r\n", true}, {"\r\n> ", true}};
    for (const auto& c : cases) {
        SimUnit unit(SimUnit::Dialect::Tcp);
        unit.TcpAfterOk = c.text;
        unit.TcpAfterOkApart = c.apart;
        Strings commands{"kv\r", "kvpw=1234\r"};
        for (int b = 0; b < 8; ++b)
            commands.push_back(TcpBlockFrame(b, std::string(256, static_cast<char>(b))));
        TcpWriteSteps steps(0);
        int finished = 0;
        Strings lines;
        for (const std::string& command : commands) {
            steps.CommandSent();
            const Strings reads = unit.FeedReplies(command);
            ASSERT_EQ(reads.size(), c.apart ? 2u : 1u) << c.text;
            for (const std::string& read : reads) {
                const auto out = steps.Feed(read);
                finished += out.result == TcpWriteSteps::Result::Finished ? 1 : 0;
                lines.insert(lines.end(), out.logLines.begin(), out.logLines.end());
                EXPECT_FALSE(steps.InsideReply()) << c.text << " after " << steps.Step();
            }
        }
        EXPECT_EQ(finished, 1) << c.text;
        EXPECT_EQ(steps.Step(), 10) << c.text;
        EXPECT_EQ(unit.BlocksStored, 8);
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[0], "\r\nKIV Corvo command mode ready\r\nOK\r\n" + (c.apart ? "" : c.text));
    }
}

// A refused answer stops the write; a long one passes while it stays under the write's own limit of 512 bytes.
TEST(TcpWriteSteps, ARefusedAnswerStopsTheWrite)
{
    const std::string ok = "\r\nOK\r\n";
    const std::string banner = "\r\n" + std::string(500, '*') + "\r\n"; // longer than a read's answer may be
    const struct {
        int step;
        std::string answer, message;
        bool stalls;
        bool refused = true;
    } cases[] = {{1, "\r\nNO\r\n", "", true},
                 {2, "\r\nERROR\r\n", Msg::kPasswordIncorrect, true},
                 {5, "\r\nKVWEB ERROR\r\n", "", true},
                 {7, "OK" + std::string(510, ' '), "", false}, // "OK" too far into a long answer
                 {1, banner + "OK\r\n", "", false, false},
                 {2, banner + "OK\r\n", "", false, false}};
    for (const auto& c : cases) {
        TcpWriteSteps steps;
        for (int step = 1; step < c.step; ++step)
            steps.Feed(ok);
        auto out = steps.Feed(c.answer);
        EXPECT_EQ(out.result == TcpWriteSteps::Result::Going, c.stalls || !c.refused) << c.step;
        if (c.stalls)
            out = steps.Stalled();
        EXPECT_EQ(out.result == TcpWriteSteps::Result::Failed, c.refused) << c.step;
        EXPECT_EQ(out.message, c.message) << c.step;
        EXPECT_EQ(steps.Step(), c.step);
        // Once refused nothing later is taken; once passed the next answer counts.
        EXPECT_EQ(steps.Feed(ok).result, TcpWriteSteps::Result::Going);
        EXPECT_EQ(steps.Step(), c.refused ? c.step : c.step + 1);
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
