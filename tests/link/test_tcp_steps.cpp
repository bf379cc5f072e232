// The TCP read and write as steps fed with the unit's replies as a byte stream, the TCP block frame, and the
// traffic texts.
#include "link/protocol/Framing.h"
#include "link/protocol/Protocol.h"
#include "link/protocol/TcpAnswer.h"
#include "link/protocol/TcpProtocol.h"
#include "link/protocol/TcpReadSteps.h"
#include "link/protocol/TcpWriteSteps.h"
#include "sim/SimUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using Strings = std::vector<std::string>;
using Result = TcpReadSteps::Result;

namespace
{
// What the unit answers to each command, one reply a command.
Strings UnitReplies(SimUnit& unit, const Strings& commands)
{
    Strings replies;
    for (const std::string& command : commands)
        replies.push_back(unit.Feed(command));
    return replies;
}
const Strings kReadCommands{"kv\r", "kvpw=1234\r", "kvrea0"};

size_t StreamSize(const Strings& replies)
{
    size_t size = 0;
    for (const std::string& reply : replies)
        size += reply.size();
    return size;
}

std::string Memory(const SimUnit& unit, int count = 3072)
{
    return std::string(reinterpret_cast<const char*>(unit.Memory.data()), static_cast<size_t>(count));
}

// How FeedCut plays the transfer.
struct Driving {
    int firstCommand = 0;   // the replies answer the commands from this one on; those before it are out already
    bool stallAtEnd = true; // where the stream ends the reply under way stops coming, and is judged
    // Every command went out before the first reply came: a unit slower than the transfer's wait for each reply.
    bool sentAhead = false;
};

// Feeds the unit's replies as a running transfer takes them: the replies, one per command, run on as one stream
// that the network cuts into reads ending at the given positions (the last read ends with the stream). A command
// goes out (CommandSent) only once the answer before it is decided, and before the first byte of its reply: a read
// that reaches into a reply before the answer ahead of it was decided is two reads, split where the reply starts,
// as the unit cannot answer a command not yet sent; one that reaches into it later is fed whole after the
// command, late line-end bytes of the answer before and all. An answer still open where the next reply starts is
// judged as stopped, as the transfer does after its quiet. The outcome carries every log line.
template <typename Steps>
typename Steps::Outcome FeedCut(Steps& steps, const Strings& replies, std::vector<size_t> cuts, Driving how = {})
{
    using Outcome = typename Steps::Outcome;
    std::string stream;
    std::vector<size_t> starts;
    for (const std::string& reply : replies) {
        starts.push_back(stream.size());
        stream += reply;
    }
    Outcome last;
    Strings lines;
    const auto take = [&](Outcome out) {
        lines.insert(lines.end(), out.logLines.begin(), out.logLines.end());
        last = std::move(out);
        return last.result == Steps::Result::Going;
    };
    cuts.push_back(stream.size());
    size_t from = 0;
    size_t next = 0; // the reply whose command goes out next
    for (; how.sentAhead && next < replies.size(); ++next)
        steps.CommandSent();
    bool going = true;
    for (size_t cut : cuts) {
        while (going && from < cut) {
            const int command = how.firstCommand + static_cast<int>(next);
            if (next == replies.size() || starts[next] >= cut) {
                going = take(steps.Feed(std::string_view(stream).substr(from, cut - from)));
                from = cut;
            } else if (steps.Step() >= command) {
                steps.CommandSent();
                ++next;
            } else if (from < starts[next]) {
                going = take(steps.Feed(std::string_view(stream).substr(from, starts[next] - from)));
                from = starts[next];
            } else {
                going = take(steps.Stalled()) && steps.Step() >= command;
            }
        }
    }
    if (going && how.stallAtEnd)
        take(steps.Stalled());
    last.logLines = lines;
    return last;
}
} // namespace

namespace
{
// The unit's ten answers to a TCP write, one a command.
Strings WriteAnswers(SimUnit& unit, const std::string& block)
{
    Strings commands{"kv\r", "kvpw=1234\r"};
    for (int b = 0; b < 8; ++b)
        commands.push_back(TcpBlockFrame(b, block));
    return UnitReplies(unit, commands);
}
} // namespace

namespace
{
// How a unit ends the lines of an answer: its lines' end, a blank line after the "OK" line or not, and a banner
// line in front that ends another way, or none.
struct AnswerStyle {
    const char* name;
    std::string ends;
    std::string afterOk = "";
    std::string bannerEnd = "";
};
const AnswerStyle kAnswerStyles[] = {
    {"CR LF", "\r\n"},
    {"CR LF, a banner ending CR", "\r\n", "", "\r"},
    {"CR LF, a banner ending CR CR LF", "\r\n", "", "\r\r\n"},
    {"CR LF, a blank line after", "\r\n", "\r\n"},
    {"CR LF, a blank line after, a banner ending LF", "\r\n", "\r\n", "\n"},
    {"LF CR", "\n\r"},
    {"LF CR, a banner ending LF", "\n\r", "", "\n"},
    {"LF", "\n"},
    {"LF, a banner ending CR LF", "\n", "", "\r\n"},
    {"CR", "\r"},
    {"CR, a banner ending LF", "\r", "", "\n"},
    {"CR CR LF", "\r\r\n"},
    {"CR CR LF, a banner ending LF", "\r\r\n", "", "\n"},
};
std::string StyledAnswer(const AnswerStyle& style, const std::string& line)
{
    const std::string banner = style.bannerEnd.empty() ? "" : "Corvo 5318" + style.bannerEnd;
    return banner + style.ends + line + style.ends + "OK" + style.ends + style.afterOk;
}
void AnswerIn(SimUnit& unit, const AnswerStyle& kv, const AnswerStyle& password)
{
    unit.Faults.PrepareReply = StyledAnswer(kv, "KIV Corvo command mode ready");
    unit.Faults.PasswordReply = StyledAnswer(password, "KIV Corvo password accepted");
}
// What comes after the next command went out: the last bytes of an answer, when all of them end lines.
struct Lateness {
    const char* name;
    size_t answer; // 0 "kv", 1 the password
    size_t bytes;
};
const Lateness kLateness[] = {{"nothing late", 0, 0},
                              {"kv's last byte late", 0, 1},
                              {"the password's last byte late", 1, 1},
                              {"the password's last two bytes late", 1, 2}};
bool MoveLate(Strings& replies, const Lateness& late)
{
    std::string& answer = replies[late.answer];
    const std::string moved = answer.substr(answer.size() - late.bytes);
    if (moved.find_first_not_of("\r\n") != std::string::npos)
        return false;
    answer.resize(answer.size() - late.bytes);
    replies[late.answer + 1].insert(0, moved);
    return true;
}
} // namespace

// An answer is whole once its "OK" line ends. A byte of that line end that comes only after the next command went
// out opens the next answer, which line ends alone never begin.
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
        bool nextBegun;   // it began the next answer
    } cases[] = {
        {"whole, the next reply left", {"\r\nOK\r\n", "REA="}, State::Accepted, 6, State::Accepted, "\r\nOK", true},
        {"OK cut in two", {"\r\nO", "K\r", "\n"}, State::Accepted, 6, State::Accepted, "", false},
        {"OK line ended by a CR, its LF late", {"\r\nOK:0\r"}, State::Accepted, 7, State::Accepted, "\n", false},
        {"OK line not ended", {"\r\nOK:0"}, State::Open, 6, State::Accepted, "", false},
        {"a blank line after OK", {"\r\nOK\r\n\r\n", "REA="}, State::Accepted, 8, State::Accepted, "\r\nOK", true},
        {"a blank line, its LF late", {"OK\r\n\r"}, State::Accepted, 5, State::Accepted, "\n\r\n", false},
        {"LF CR ends", {"\n\rOK\n\r", "REA="}, State::Accepted, 6, State::Accepted, "\n\rOK", true},
        {"LF CR ends, the CR late", {"\n\rOK\n"}, State::Accepted, 5, State::Accepted, "\r\n\rOK", true},
        {"no OK yet", {"\r\nKIV Corvo ready\r\n"}, State::Open, 19, State::Refused, "", false},
        {"nothing but line ends", {"\r\n", "\r\n"}, State::Open, 4, State::Open, "", false},
        {"zero byte before OK", {std::string("\r\n\0OK\r\n", 7)}, State::Refused, 3, State::Refused, "", false},
        {"zero byte after OK", {std::string("OK\0\r\n", 5)}, State::Accepted, 5, State::Accepted, "", false},
        {"the limit reached", {std::string(255, ' '), "OK\r\n"}, State::Refused, 256, State::Refused, "", false},
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
        EXPECT_EQ(answer.Text(), c.next) << c.name;
        EXPECT_EQ(answer.Begun(), c.nextBegun) << c.name;
        answer.Close(); // line ends alone are no answer to judge
        EXPECT_EQ(answer.Decided(), c.nextBegun) << c.name;
    }
}

const SimUnit::LineEnds kLineEnds[] = {SimUnit::LineEnds::CrLf, SimUnit::LineEnds::BlankLineAfter,
                                       SimUnit::LineEnds::LfCr, SimUnit::LineEnds::Lf, SimUnit::LineEnds::Cr};

// Every reply is taken by content and length however the network cuts the stream: in one read, at every
// position in two reads, or byte by byte, the read ends the same way, however the unit ends its lines and whatever
// its header holds around "REA=". A cut inside the blank line that ends the password answer leaves line ends to come
// after the request, in front of a header that may start with line ends of its own: the reply's checks place it.
TEST(TcpReadSteps, AnyCutOfTheStreamReadsTheImage)
{
    using Ends = SimUnit::LineEnds;
    const struct {
        Ends ends;
        std::string header;
    } shapes[] = {{Ends::CrLf, "REA=\r\n"},
                  {Ends::BlankLineAfter, "REA=\r\n"},
                  {Ends::LfCr, "REA=\r\n"},
                  {Ends::CrLf, "\r\nREA="},
                  {Ends::CrLf, "REA=:0"},
                  {Ends::CrLf, "\nREA=\r"},
                  {Ends::LfCr, "\nREA=\r"},
                  {Ends::LfCr, "\n\rREA="},
                  {Ends::BlankLineAfter, "REA=:0"},
                  {Ends::Lf, "\r\nREA="},
                  {Ends::Cr, "\nREA=\r"}};
    for (const auto& shape : shapes) {
        SimUnit unit(SimUnit::Dialect::Tcp);
        unit.TcpLineEnds = shape.ends;
        unit.TcpReadHeader = shape.header;
        const Strings replies = UnitReplies(unit, kReadCommands);
        const size_t size = StreamSize(replies);
        // Line ends matter to the answers and the header; past them one way of ending lines is as good as another.
        const size_t lastCut = &shape == &shapes[0] ? size : 200;
        std::vector<std::vector<size_t>> ways{{}};
        for (size_t cut = 1; cut < lastCut; ++cut)
            ways.push_back({cut});
        std::vector<size_t> everyByte;
        for (size_t cut = 1; cut < size; ++cut)
            everyByte.push_back(cut);
        ways.push_back(everyByte);
        for (const auto& cuts : ways) {
            SCOPED_TRACE(testing::Message() << static_cast<int>(shape.ends) << testing::PrintToString(shape.header)
                                            << " cut at " << (cuts.empty() ? 0 : cuts[0]));
            TcpReadSteps steps;
            const auto out = FeedCut(steps, replies, cuts);
            ASSERT_EQ(out.message, Msg::kReadOk);
            EXPECT_EQ(out.image, Memory(unit));
            EXPECT_EQ(steps.Step(), 15);
            EXPECT_EQ(out.logLines.size(), 2u + 2u + 12u + 2u);
            EXPECT_EQ(steps.Blocks()[0].substr(0, 6), shape.header);
        }
    }
}

// A reply the unit truly sent short fails, however the stream is cut, at the latest when it stops coming; a
// closing reply of the wrong length or without "OK" ends the read with its own message.
namespace
{
// A unit's fault in the read reply, and how the read ends on it.
struct ReadFault {
    const char* name;
    std::function<void(SimUnit&)> fault;
    Result result;
    std::string message;
    bool stalls = true; // only the end of the stream shows it
};
} // namespace

TEST(TcpReadSteps, ARepliesCutShortByTheUnitFailTheRead)
{
    const ReadFault cases[] = {
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
        const Strings replies = UnitReplies(unit, kReadCommands);
        for (size_t cut = 1; cut < StreamSize(replies); cut += 97) {
            TcpReadSteps steps;
            const auto whole = FeedCut(steps, replies, {}, {.stallAtEnd = false});
            EXPECT_EQ(whole.result, c.stalls ? Result::Going : c.result) << c.name;
            EXPECT_EQ(steps.InsideReply(), c.stalls) << c.name;
            TcpReadSteps cutSteps;
            const auto out = FeedCut(cutSteps, replies, {cut});
            EXPECT_EQ(out.result, c.result) << c.name << " cut at " << cut;
            EXPECT_EQ(out.message, c.message) << c.name;
            EXPECT_TRUE(out.reportStatus) << c.name;
            EXPECT_EQ(out.image, "") << c.name;
            EXPECT_FALSE(cutSteps.InsideReply());
        }
    }
}

// A header that begins with line ends leaves readings that skip them open, each waiting for bytes the unit never
// sends: a read that fails ends at the stall, with the message of the reading that got furthest.
TEST(TcpReadSteps, AFailedReadGivesTheMessageOfTheReadingThatGotFurthest)
{
    const ReadFault cases[] = {
        // the unit's own reading: a good closing reply, then a checksum that differs
        {"bad checksum", [](SimUnit& u) { u.Faults.BadReadChecksum = true; }, Result::Finished, Msg::kChecksumFailed},
        {"a short block", [](SimUnit& u) { u.Faults.ShortReadBlock = 7; }, Result::Failed, Msg::kReadFailed},
        {"closing reply without OK", [](SimUnit& u) { u.Faults.ClosingReply = "\r\nNO:0\r\n"; }, Result::Finished,
         Msg::kReadFailed},
    };
    for (const auto& c : cases) {
        SimUnit unit(SimUnit::Dialect::Tcp);
        unit.TcpReadHeader = "\r\nREA=";
        c.fault(unit);
        TcpReadSteps steps;
        EXPECT_EQ(FeedCut(steps, UnitReplies(unit, kReadCommands), {}, {.stallAtEnd = false}).result, Result::Going)
            << c.name;
        ASSERT_TRUE(steps.InsideReply()) << c.name;
        const auto out = steps.Stalled();
        EXPECT_EQ(out.result, c.result) << c.name;
        EXPECT_EQ(out.message, c.message) << c.name;
        EXPECT_EQ(out.checksumCompared, c.message == Msg::kChecksumFailed) << c.name;
        EXPECT_EQ(out.image, "") << c.name;
        EXPECT_EQ(steps.Blocks()[0].substr(0, 6), unit.TcpReadHeader) << c.name;
    }
}

namespace
{
// Sets the unit's image so that the reading one byte short of the header, the password answer's late LF taken for
// its first byte, finds a checksum that matches: its image is the header's last byte and image bytes 0..3070, its
// checksum image byte 3071 and the real checksum's high byte.
void ChecksumMatchedOneByteShort(SimUnit& unit, uint8_t headerLast)
{
    auto& memory = unit.Memory;
    constexpr size_t kFill = 300; // bytes 0..299 make up any sum
    uint32_t rest = 0;
    for (size_t a = kFill; a < 3071; ++a)
        rest += memory[a];
    for (uint32_t last = 0; last < 256; ++last) {
        for (uint32_t fill = 0; fill < 0x10000; ++fill) {
            const uint32_t sum = rest + fill; // of bytes 0..3070
            const uint32_t real = (0xFFFF - sum - last) & 0xFFFF;
            const uint32_t shifted = (0xFFFF - sum - headerLast) & 0xFFFF;
            if (shifted != (last << 8 | real >> 8))
                continue;
            for (size_t a = 0; a < kFill; ++a) {
                memory[a] = static_cast<uint8_t>(std::min<uint32_t>(fill, 255));
                fill -= memory[a];
            }
            memory[3071] = static_cast<uint8_t>(last);
            return;
        }
    }
    FAIL() << "no image found";
}
} // namespace

// The reading that skips too few line ends finishes first. Where the network ends a read one byte short of the
// closing reply and that reading's checksum matches by chance, it passes both checks: the image is still not taken
// while the reading that skips one more may pass, and that one's closing reply decides.
TEST(TcpReadSteps, AShiftedImageIsNeverTaken)
{
    SimUnit unit(SimUnit::Dialect::Tcp);
    unit.TcpReadHeader = "REA=\r\n";
    ChecksumMatchedOneByteShort(unit, '\n');
    Strings replies = UnitReplies(unit, kReadCommands);
    ASSERT_TRUE(MoveLate(replies, {"", 1, 1})); // the password answer's LF comes after the request
    // What the reading one byte short sees: "REA=" in its header and a checksum that matches.
    const std::string shifted = Framing::Unescape(replies[2]).substr(0, 6 + 3072 + 2);
    ASSERT_TRUE(Framing::ReplyContains(shifted.substr(0, 6), "REA="));
    ASSERT_EQ(Framing::BlockChecksum(shifted.substr(6, 3072)),
              static_cast<uint8_t>(shifted[3078]) << 8 | static_cast<uint8_t>(shifted[3079]));
    const size_t size = StreamSize(replies);
    for (const std::vector<size_t>& cuts : {std::vector<size_t>{}, {size - 1}, {size - 2, size - 1}}) {
        TcpReadSteps steps;
        const auto out = FeedCut(steps, replies, cuts);
        EXPECT_EQ(out.message, Msg::kReadOk) << cuts.size();
        EXPECT_EQ(out.image, Memory(unit)) << cuts.size();
        EXPECT_EQ(steps.Blocks()[0].substr(0, 6), unit.TcpReadHeader) << cuts.size();
    }
}

TEST(TcpReadSteps, RefusedAnswersAndABadHeaderTakeTheFailurePath)
{
    const std::string good = "\r\nanything\r\nOK\r\n";
    const std::string block1 = "REA=\r\n" + std::string(256, 'x');
    const struct {
        const char* name;
        Strings replies;
        bool stalls; // refused only once it stops coming
        std::string message;
        int step;
    } cases[] = {
        {"kv of 256 bytes", {"OK" + std::string(254, ' ') + "\r\n"}, false, "", 1},
        {"OK after a zero byte", {std::string("\0OK\r\n", 5)}, false, "", 1},
        {"kv refused", {"\r\nKIV Corvo busy\r\nNO\r\n"}, true, "", 1},
        {"password refused", {good, "\r\nERROR\r\n"}, true, Msg::kPasswordIncorrect, 2},
        {"no REA= in the header", {good, good, "REX=\r\n" + std::string(256, 'x')}, false, "", 3},
        {"the first block cut short",
         {good, good, "REA=\r\n" + std::string(255, 'a') + "\x7D"},
         true,
         Msg::kReadFailed,
         2},
    };
    for (const auto& c : cases) {
        TcpReadSteps steps;
        TcpReadSteps::Outcome out = FeedCut(steps, c.replies, {}, {.stallAtEnd = false});
        EXPECT_EQ(out.result == Result::Going, c.stalls) << c.name;
        EXPECT_EQ(steps.InsideReply(), c.stalls) << c.name;
        if (c.stalls)
            out = steps.Stalled();
        EXPECT_EQ(out.result, Result::Failed) << c.name;
        EXPECT_EQ(out.message, c.message) << c.name;
        EXPECT_EQ(out.reportStatus, c.message == Msg::kReadFailed) << c.name;
        EXPECT_EQ(steps.Step(), c.step) << c.name;
        // nothing later is taken, though the next command went out
        const Driving next{.firstCommand = c.step, .stallAtEnd = false};
        EXPECT_EQ(FeedCut(steps, {good + block1}, {}, next).result, Result::Going) << c.name;
        EXPECT_EQ(steps.Step(), c.step) << c.name;
    }
}

TEST(TcpReadSteps, NothingStallsBeforeTheReplyBegins)
{
    TcpReadSteps steps;
    EXPECT_FALSE(steps.InsideReply());
    EXPECT_EQ(steps.Stalled().result, Result::Going);
    FeedCut(steps, {"\r\nOK\r\n", "\r\nOK\r\n"}, {}, {.stallAtEnd = false});
    EXPECT_EQ(steps.Step(), 2);
    EXPECT_FALSE(steps.InsideReply()); // a silent unit: the read waits as long as the user lets it
    EXPECT_EQ(steps.Stalled().result, Result::Going);
    FeedCut(steps, {"REA"}, {}, {.firstCommand = 2, .stallAtEnd = false});
    EXPECT_TRUE(steps.InsideReply());
}

// As a running transfer takes the replies: told when each command goes out, each read what the unit sent in one
// go. The header is the six bytes the unit sent after the read request, whatever they are around "REA="; kept out of
// it are what the password answer's read held after its "OK" line, what came before the request went out, and the
// line ends of the answer's last line end that come after the request.
TEST(TcpReadSteps, TheHeaderIsTheSixBytesTheUnitSentAfterTheRequest)
{
    const std::string ok = "\r\nKIV Corvo password accepted\r\nOK";
    const struct {
        const char* name;
        std::string header;
        std::string passwordRead;  // the read that ends the password answer
        Strings before;            // later reads, before the request goes out
        std::string late;          // first after the request, before the header
        std::string kvAnswer = ""; // the unit's own when empty
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
        {"answers ending in LF alone", "\r\nREA=", "OK\n", {}, "", "OK\n"},
        {"answers ending in CR alone", "\nREA=\r", "OK\r", {}, "", "OK\r"},
        {"LF alone, a blank line after the first answer", "\r\nREA=", "OK\n", {}, "", "OK\n\n"},
    };
    for (const auto& c : cases) {
        SimUnit unit(SimUnit::Dialect::Tcp);
        unit.TcpReadHeader = c.header;
        unit.Faults.PrepareReply = c.kvAnswer;
        const std::string kvAnswer = unit.Feed("kv\r");
        unit.Feed("kvpw=1234\r");
        const std::string reply = c.late + unit.Feed("kvrea0");
        for (size_t cut = 0; cut < 12; ++cut) {
            TcpReadSteps steps;
            steps.CommandSent();
            steps.Feed(kvAnswer);
            steps.CommandSent();
            const auto answered = steps.Feed(c.passwordRead);
            ASSERT_EQ(answered.logLines.size(), 2u) << c.name;
            EXPECT_EQ(answered.logLines[0], c.passwordRead) << c.name; // the whole read is the answer
            for (const std::string& read : c.before)
                steps.Feed(read);
            EXPECT_FALSE(steps.InsideReply()) << c.name;
            const auto out = FeedCut(steps, {reply}, cut == 0 ? std::vector<size_t>{} : std::vector<size_t>{cut},
                                     {.firstCommand = 2});
            EXPECT_EQ(out.message, Msg::kReadOk) << c.name << " cut at " << cut;
            EXPECT_EQ(out.image, Memory(unit)) << c.name;
            EXPECT_EQ(steps.Blocks()[0].substr(0, 6), c.header) << c.name;
        }
    }
}

// A unit slower than the transfer's wait for each reply answers only after the next command went out. The line ends
// that follow the password answer's "OK" line then go to the read reply, in the answer's own read or a later one,
// and a header that starts with line ends keeps them.
TEST(TcpReadSteps, AnAnswerThatCameAfterTheNextCommandLeavesTheHeaderItsLineEnds)
{
    using Ends = SimUnit::LineEnds;
    const struct {
        Ends ends;
        std::string header;
        size_t early;        // the reads end this many bytes before each reply's end
        bool joined = false; // the password answer and the read reply come in one read
    } cases[] = {{Ends::CrLf, "\r\nREA=", 0},       {Ends::CrLf, "\r\nREA=", 1},
                 {Ends::LfCr, "\nREA=\r", 0},       {Ends::LfCr, "\nREA=\r", 1},
                 {Ends::CrLf, "\nREA=\r", 1},       {Ends::BlankLineAfter, "REA=\r\n", 0},
                 {Ends::CrLf, "\r\nREA=", 0, true}, {Ends::BlankLineAfter, "\r\nREA=", 0, true},
                 {Ends::Lf, "\n\rREA=", 0, true},   {Ends::Cr, "\rREA=\n", 0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.ends) << testing::PrintToString(c.header) << c.early
                                        << (c.joined ? " joined" : ""));
        SimUnit unit(SimUnit::Dialect::Tcp);
        unit.TcpLineEnds = c.ends;
        unit.TcpReadHeader = c.header;
        const Strings replies = UnitReplies(unit, kReadCommands);
        const size_t kvEnd = replies[0].size();
        std::vector<size_t> cuts{kvEnd - c.early, kvEnd + replies[1].size() - c.early};
        if (c.joined)
            cuts.pop_back();
        TcpReadSteps steps;
        const auto out = FeedCut(steps, replies, cuts, {.sentAhead = true});
        EXPECT_EQ(out.message, Msg::kReadOk);
        EXPECT_TRUE(out.image == Memory(unit));
        EXPECT_EQ(steps.Blocks()[0].substr(0, 6), c.header);
    }
}

// However the unit ends the lines of each answer, and whichever of their last line-end bytes come only after the
// next command went out, the read takes the image with its header as the unit sent them, and the write takes ten
// answers: the reply's own checks place the header among the line ends in front of it.
TEST(TcpReadSteps, EveryWayOfEndingTheAnswersLinesReadsTheImageAndItsHeader)
{
    const std::string headers[] = {
        "REA=\r\n", "REA=\n\r", "REA=:0", "\r\nREA=", "\n\rREA=", "\nREA=\r", "\rREA=\n", "\r\rREA="};
    int rows = 0;
    for (const AnswerStyle& kv : kAnswerStyles) {
        for (const AnswerStyle& password : kAnswerStyles) {
            for (const Lateness& late : kLateness) {
                SCOPED_TRACE(testing::Message()
                             << "kv " << kv.name << ", password " << password.name << ", " << late.name);
                SimUnit writer(SimUnit::Dialect::Tcp);
                AnswerIn(writer, kv, password);
                Strings answers = WriteAnswers(writer, std::string(256, 'w'));
                if (!MoveLate(answers, late))
                    continue;
                TcpWriteSteps writeSteps;
                EXPECT_EQ(FeedCut(writeSteps, answers, {}).message, Msg::kWriteOk);
                for (const std::string& header : headers) {
                    SCOPED_TRACE(testing::Message() << "header " << testing::PrintToString(header));
                    SimUnit unit(SimUnit::Dialect::Tcp);
                    AnswerIn(unit, kv, password);
                    unit.TcpReadHeader = header;
                    Strings replies = UnitReplies(unit, kReadCommands);
                    MoveLate(replies, late);
                    TcpReadSteps steps;
                    const auto out = FeedCut(steps, replies, {});
                    ASSERT_EQ(out.message, Msg::kReadOk);
                    EXPECT_EQ(out.image, Memory(unit));
                    EXPECT_EQ(steps.Blocks()[0].substr(0, 6), header);
                    EXPECT_EQ(out.logLines.size(), 2u + 2u + 12u + 2u);
                    ++rows;
                }
            }
        }
    }
    EXPECT_GT(rows, 4000);
}

// Nothing is taken before the first command goes out.
TEST(TcpReadSteps, NothingCountsBeforeTheFirstCommand)
{
    TcpReadSteps steps;
    EXPECT_EQ(steps.Feed("\r\nOK\r\n").logLines.size(), 0u);
    EXPECT_EQ(steps.Step(), 0);
    steps.CommandSent();
    EXPECT_EQ(steps.Feed("\r\nOK\r\n").logLines, (Strings{"\r\nOK\r\n", TcpMsg::kKvCheckOk}));
}

// An answer counts once it is whole: however the answers are cut or joined, and their lines ended, the write
// takes ten.
TEST(TcpWriteSteps, AnyCutOfTheAnswersCountsTenWholeAnswers)
{
    for (const SimUnit::LineEnds ends : kLineEnds) {
        SimUnit unit(SimUnit::Dialect::Tcp);
        unit.TcpLineEnds = ends;
        const Strings answers = WriteAnswers(unit, std::string(256, '\x7D'));
        ASSERT_EQ(unit.BlocksStored, 8);
        for (size_t cut = 0; cut < StreamSize(answers); ++cut) {
            TcpWriteSteps steps;
            const auto out = FeedCut(steps, answers, cut == 0 ? std::vector<size_t>{} : std::vector<size_t>{cut});
            ASSERT_EQ(out.result, TcpWriteSteps::Result::Finished) << static_cast<int>(ends) << " cut at " << cut;
            EXPECT_EQ(out.message, Msg::kWriteOk);
            EXPECT_EQ(steps.Step(), 10);
            EXPECT_EQ(out.logLines.back(), TcpMsg::kAllWriteBlocksOk);
        }
    }
    TcpWriteSteps steps;
    const auto out = FeedCut(steps, {"\r\nKIV Corvo command mode ready\r\nOK\r"}, {}, {.stallAtEnd = false});
    EXPECT_EQ(steps.Step(), 1); // its line has ended
    EXPECT_EQ(out.logLines, (Strings{"\r\nKIV Corvo command mode ready\r\nOK\r", TcpMsg::kKvCheckOk}));
    steps.CommandSent(); // the password goes out
    steps.Feed("\n");    // the answer's LF, late: it opens the next answer, but does not begin it
    EXPECT_FALSE(steps.InsideReply());
    EXPECT_EQ(steps.Feed("\r\nKIV Corvo password accepted\r\nOK\r\n").logLines,
              (Strings{"\n\r\nKIV Corvo password accepted\r\nOK\r\n", TcpMsg::kPwdCheckOk}));
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
        TcpWriteSteps steps;
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
        Strings answers(static_cast<size_t>(c.step - 1), ok);
        answers.push_back(c.answer);
        auto out = FeedCut(steps, answers, {}, {.stallAtEnd = false});
        EXPECT_EQ(out.result == TcpWriteSteps::Result::Going, c.stalls || !c.refused) << c.step;
        if (c.stalls)
            out = steps.Stalled();
        EXPECT_EQ(out.result == TcpWriteSteps::Result::Failed, c.refused) << c.step;
        EXPECT_EQ(out.message, c.message) << c.step;
        EXPECT_EQ(steps.Step(), c.step);
        // Once refused nothing later is taken; once passed the next answer counts.
        EXPECT_EQ(FeedCut(steps, {ok}, {}, {.firstCommand = c.step, .stallAtEnd = false}).result,
                  TcpWriteSteps::Result::Going);
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
