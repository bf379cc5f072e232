// The TCP image read and write against the simulated unit, each both ways: the tool connected to the unit, and
// the unit connected in to the tool.
#include "ImageDiff.h"
#include "TcpRig.h"

#include "link/net/TcpLink.h"
#include "link/protocol/Protocol.h"
#include "link/protocol/TcpProtocol.h"

#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <optional>

using Strings = std::vector<std::string>;

namespace
{
const Strings kRead{"kv", "kvpw=1234", "kvrea0"};
const Strings kWrite{"kv", "kvpw=1234", "KVWEB0", "KVWEB1", "KVWEB2", "KVWEB3", "KVWEB4", "KVWEB5", "KVWEB6", "KVWEB7"};

// Closes the progress window when the transfer shows this step; the close runs when the window next does.
void CloseAtStep(TcpRig& rig, const std::string& at)
{
    rig.host.OnStep = [&rig, at](const std::string& step) {
        if (step == at)
            QTimer::singleShot(0, [&rig] { rig.server.Transfer.FormSaveClosed(); });
    };
}
} // namespace

// An image of our own with fresh edits, never read: the TCP write does not ask.
struct TcpImage : TcpRig {
    std::string imageBefore, unitBefore;

    void Begin(LinkMode mode)
    {
        MakeLink(mode);
        std::string ramp;
        for (int i = 0; i < 3072; ++i)
            ramp.push_back(static_cast<char>((i * 29 + 5) & 0xFF));
        store.LoadPlain(0, ramp);
        store.WriteImageString("(edit)", 20, 1);
        store.WriteImageString("(high)", 2600, 1);
        store.ImageLoaded = 0;
        imageBefore = store.Image.Bytes(0, 65536);
        unitBefore = UnitMemory(0, 3072);
    }
    // Runs a transfer, then the window until the transfer and its result are over.
    void Run(bool write)
    {
        write ? server.Transfer.WriteButtonTCPClick() : server.Transfer.ReadButtonTCPClick();
        ASSERT_TRUE(PumpUntil([this] { return server.Transfer.Idle(); }));
    }
    int Results() const
    {
        return static_cast<int>(std::count_if(host.Calls.begin(), host.Calls.end(),
                                              [](const std::string& c) { return c.rfind("Result:", 0) == 0; }));
    }
    // What the unit must have received for a whole write of the image as it stands: the commands, then the eight
    // frames made by the unit's own framing.
    std::string WriteBytes() const
    {
        std::string bytes = "kv\r" + std::string("kvpw=") + host.Password + "\r";
        for (int b = 0; b < 8; ++b)
            bytes += SimUnit::TcpFrame(b, store.Image.Bytes(256 * b, 256));
        return bytes;
    }
    // A transfer that failed changed no image byte, and the unit holds the image only in the blocks it stored.
    void ExpectOnlyStoredBlocksChanged()
    {
        EXPECT_EQ(store.Image.Bytes(0, 65536), imageBefore);
        EXPECT_EQ(host.FinishImageReads, 0);
        const size_t stored = static_cast<size_t>(Unit().BlocksStored) * 256;
        EXPECT_EQ(UnitMemory(0, 3072), imageBefore.substr(0, stored) + unitBefore.substr(stored));
    }
};

struct TcpImageBothWays : TcpImage, ::testing::WithParamInterface<LinkMode> {
    void SetUp() override { Begin(GetParam()); }
};

TEST_P(TcpImageBothWays, ReadFillsTheImage)
{
    sim->WithUnit([](SimUnit& u) {
        u.Memory[300] = 0x7D;                 // escaped on the wire, one byte in the image
        u.Faults.PrepareReply = "\r\nOK\r\n"; // short: the wait runs to its limit, and the read goes on
    });
    server.Timing.TcpReplyLimitMs = 200;
    store.ImageSize = 65536; // the read sets its own
    Run(false);
    EXPECT_EQ(Image(0, 3072), UnitMemory(0, 3072));
    EXPECT_EQ(store.Image.Byte(300), 0x7D);
    EXPECT_FALSE(store.Image.AnyMarked(0, 3072));
    EXPECT_EQ(store.ImageSize, 3072);
    EXPECT_EQ(host.FinishImageReads, 1);
    EXPECT_EQ(host.Status, Msg::kReadOk);
    EXPECT_TRUE(server.Transfer.tcpReadDone);
    EXPECT_EQ(host.ProgressPosition, 3072);
    EXPECT_EQ(sim->Received(), "kv\rkvpw=1234\rkvrea0"); // "kvrea0" without CR, and no "kvrw0"
    EXPECT_TRUE(Unit().Violations.empty());
    EXPECT_TRUE(host.InOrder({"StartProgress:Read:3072", "Step:Invoke KV-Commands", "Step:Checking Password",
                              "Step:Start Reading", "Status:", "FinishImageRead", "Status:EEPROM Read OK!",
                              "Result:OK:EEPROM Read OK!", "EndResult", "Caption", "CloseProgress"}));
    for (const char* line : {"CMD:kvrea0", "Pwd Check OK", "1st Read Block Received OK", "2nd Read Block Received OK",
                             "3rd Read Block Received OK", "12th Read Block Received OK", "Checksum OK"})
        EXPECT_TRUE(HasLine(page.Memo2, line)) << line;
}

// However the unit shapes the header around "REA=", ends its lines, and whatever it says after its "OK" lines, the
// read and the write go through.
TEST_P(TcpImageBothWays, ReadAndWriteWhateverTheUnitSaysAroundItsReplies)
{
    using Ends = SimUnit::LineEnds;
    const struct {
        std::string header, afterOk;
        Ends ends = Ends::CrLf;
    } shapes[] = {{"\r\nREA=", ""},           {"REA=\r\n", "> "},          {"\r\nREA=", "READY\r\n"},
                  {"REA=:0", "\r\n> "},       {"\nREA=\r", "> "},          {"\r\nREA=", "", Ends::Lf},
                  {"\nREA=\r", "", Ends::Cr}, {"\r\nREA=", "> ", Ends::Lf}};
    int round = 0;
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape.header + "|" + shape.afterOk);
        ++round;
        sim->WithUnit([&shape](SimUnit& u) {
            u.TcpReadHeader = shape.header;
            u.TcpAfterOk = shape.afterOk;
            u.TcpLineEnds = shape.ends;
        });
        Run(false);
        EXPECT_EQ(host.Count(std::string("Result:OK:") + Msg::kReadOk), round);
        EXPECT_EQ(ChangedAddresses(Image(0, 3072), UnitMemory(0, 3072)).size(), 0u);
        std::string fresh;
        for (int i = 0; i < 2048; ++i)
            fresh.push_back(static_cast<char>((i * 13 + round) & 0xFF));
        store.LoadPlain(0, fresh);
        Run(true);
        EXPECT_EQ(host.Count(std::string("Result:OK:") + Msg::kWriteOk), round);
        EXPECT_EQ(ChangedAddresses(UnitMemory(0, 2048), fresh).size(), 0u);
    }
    EXPECT_EQ(host.FinishImageReads, round);
    EXPECT_TRUE(Unit().Violations.empty());
}

// A status line the unit sends apart after the password answer lands before the read request goes out: it is
// that answer's, shown but not counted, and the header is what comes after the request.
TEST_P(TcpImageBothWays, TextAfterOkThatLandsBeforeTheRequestIsNoPartOfTheHeader)
{
    sim->WithUnit([](SimUnit& u) {
        u.TcpAfterOk = "READY\r\n";
        u.TcpAfterOkApart = true;
    });
    sim->HoldAfter(3); // "kv" answered with its status line, the password answered; its status line held
    QTcpSocket* socket = server.Tcp.LinkSocket();
    host.OnStep = [this, socket](const std::string& step) {
        if (step != Msg::kStepStartReading)
            return;
        sim->Release();
        EXPECT_TRUE(WaitWithoutPumping([&] { return sim->RepliesSent() == 4 && TcpLink::Pending(socket) > 0; }));
    };
    Run(false);
    EXPECT_EQ(host.Status, Msg::kReadOk);
    EXPECT_EQ(ChangedAddresses(Image(0, 3072), UnitMemory(0, 3072)).size(), 0u);
    ASSERT_TRUE(PumpUntil([this] { return ShownBytes(page.Memo3) == sim->BytesSent(); })); // shown all the same
}

TEST_P(TcpImageBothWays, WriteLeavesTheUnitEqualToTheImagesFirst2048Bytes)
{
    Run(true);
    EXPECT_EQ(host.Status, Msg::kWriteOk);
    EXPECT_EQ(UnitMemory(0, 2048), Image(0, 2048));
    EXPECT_EQ(UnitMemory(2048, 1024), unitBefore.substr(2048)); // never sent over TCP
    EXPECT_EQ(Unit().Commands, kWrite);
    EXPECT_EQ(FirstDifference(sim->Received(), WriteBytes()), -1); // not a byte more between or after the frames
    EXPECT_TRUE(Unit().Violations.empty());
    EXPECT_FALSE(store.Image.AnyMarked(0, 2048));
    EXPECT_TRUE(store.Image.AnyMarked(2600, 6));
    EXPECT_EQ(host.Count("Stamp"), 0);
    EXPECT_TRUE(host.InOrder({"Commit", "StartProgress:Write:3072", "Step:Block 8: Waiting for ack...",
                              "Result:OK:EEPROM Write OK!", "CloseProgress"}));
    EXPECT_EQ(host.ProgressPosition, 4096);
    for (const char* line : {"Block1Writing...", "Block1Waiting for ack...", "8th Block Send/Write OK"})
        EXPECT_TRUE(HasLine(page.Memo2, line)) << line;
    EXPECT_EQ(HasLine(page.Memo2, "Len:0"), GetParam() == LinkMode::Server);
}

// The user closes the progress window while the blocks come in: the read stops, the rest is only shown.
TEST_P(TcpImageBothWays, ClosingTheWindowDuringTheBlocksStopsTheRead)
{
    sim->HoldAfter(5); // the answers and three blocks
    server.Transfer.ReadButtonTCPClick();
    ASSERT_TRUE(PumpUntil([this] { return host.ProgressPosition == 3 * 256; }));
    server.Transfer.FormSaveClosed();
    EXPECT_FALSE(server.Transfer.tcpReading);
    sim->Release();
    ASSERT_TRUE(PumpUntil([this] { return sim->RepliesSent() == 15 && ShownBytes(page.Memo3) == sim->BytesSent(); }));
    ASSERT_TRUE(PumpUntil([this] { return server.Transfer.Idle(); }));
    EXPECT_EQ(host.ProgressPosition, 3 * 256);
    EXPECT_EQ(Results(), 0);
    ExpectOnlyStoredBlocksChanged();
}

// A read started while a failed write's result still shows owns the window: the old result cannot close it.
TEST_P(TcpImageBothWays, AReadStartedWhileAResultShowsOwnsTheWindow)
{
    sim->WithUnit([](SimUnit& u) { u.Faults.RefuseBlock = 2; });
    host.WhileResultShows = [this] {
        host.WhileResultShows = nullptr;
        server.Transfer.ReadButtonTCPClick();
    };
    Run(true);
    EXPECT_EQ(host.Status, Msg::kReadOk);
    EXPECT_EQ(Image(0, 3072), UnitMemory(0, 3072));
    EXPECT_EQ(host.Count("CloseProgress"), 1);
    EXPECT_TRUE(
        host.InOrder({"Result:ERROR:", "StartProgress:Read:3072", "Result:OK:EEPROM Read OK!", "CloseProgress"}));
}

// The user closes a write's window while a block's answer is still on its way, and starts the write again once it
// has landed but before anything read it: the new write starts clean. Counted, the late answer would stand for the
// answer to "kv", each later answer for the one before it, and the write would end OK without its last block.
TEST_P(TcpImageBothWays, ALateAnswerOfACancelledWriteIsShownNotCounted)
{
    sim->HoldAfter(4); // "kv", the password, blocks 1 and 2 answered; block 3 stored, its answer held back
    CloseAtStep(*this, "Block 3: Waiting for ack...");
    Run(true);
    ASSERT_EQ(Unit().BlocksStored, 3);
    EXPECT_EQ(Results(), 0);
    host.OnStep = nullptr;
    sim->Release();
    QTcpSocket* socket = server.Tcp.LinkSocket();
    ASSERT_TRUE(WaitWithoutPumping([&] { return sim->RepliesSent() == 5 && TcpLink::Pending(socket) > 0; }));

    Run(true);
    EXPECT_EQ(host.Status, Msg::kWriteOk);
    EXPECT_EQ(Results(), 1);
    Strings commands(kWrite.begin(), kWrite.begin() + 5);
    commands.insert(commands.end(), kWrite.begin(), kWrite.end());
    EXPECT_EQ(Unit().Commands, commands);
    EXPECT_EQ(ChangedAddresses(UnitMemory(0, 2048), Image(0, 2048)).size(), 0u);
    ASSERT_TRUE(PumpUntil([this] { return ShownBytes(page.Memo3) == sim->BytesSent(); })); // shown all the same
}

// An answer that has ended its line is judged after a short quiet, not after the whole time limit: a refused
// password shows at once, and an "OK" the unit ends with a bare CR still lets the read go on. The first block's
// answer has the block's own limit, not a command's.
TEST_P(TcpImageBothWays, AnAnswerThatEndedItsLineIsJudgedWithoutWaitingOutTheLimit)
{
    const struct {
        const char* name;
        std::function<void()> setup;
        std::string result;
        bool write = false;
    } cases[] = {
        {"refused password", [this] { host.Password = "9999"; }, std::string("ERROR:") + Msg::kPasswordIncorrect},
        {"OK and a bare CR",
         [this] {
             sim->WithUnit([](SimUnit& u) { u.Faults.PrepareReply = "\r\nKIV Corvo command mode ready\r\nOK\r"; });
         },
         std::string("OK:") + Msg::kReadOk},
        // shorter than the 10 bytes the block's wait looks for, its line never ended: both waits run their limit
        {"first block refused, its line open",
         [this] {
             server.Timing.TcpAckLimitMs = 300;
             sim->WithUnit([](SimUnit& u) {
                 u.Faults.RefuseBlock = 0;
                 u.Faults.BlockRefusal = "\r\nERR";
             });
         },
         "ERROR:", true},
    };
    // Waits inside the transfer do not run the window: a slip shows as a read that takes the whole limit. The
    // quiet is 1 s here: one as long as the field's reply limit would take 3 s.
    constexpr int kLimitMs = 60000;
    server.Timing.TcpReplyLimitMs = kLimitMs;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.setup();
        const auto start = std::chrono::steady_clock::now();
        c.write ? server.Transfer.WriteButtonTCPClick() : server.Transfer.ReadButtonTCPClick();
        ASSERT_TRUE(PumpUntil([this] { return server.Transfer.Idle(); }, kLimitMs));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
        EXPECT_EQ(host.Count("Result:" + c.result), 1);
        host.Password = "1234";
    }
}

INSTANTIATE_TEST_SUITE_P(BothWays, TcpImageBothWays, ::testing::Values(LinkMode::Client, LinkMode::Server),
                         [](const auto& info) { return LinkModeName(info.param); });

namespace
{
struct TcpFault {
    const char* name;
    bool write;
    std::function<void(TcpRig&)> setup;
    std::optional<std::string> message; // the result shown; none for a transfer the user closed
    bool statusShown;
    Strings commands; // empty: not fixed, the unit hangs up while the tool sends
};
void PrintTo(const TcpFault& c, std::ostream* os)
{
    *os << c.name;
}
// A read reply cut short by the unit: the read notices once nothing more comes for the (shortened) limit.
void ShortBlockCut(TcpRig& r)
{
    r.server.Timing.TcpReplyLimitMs = 400;
    r.sim->WithUnit([](SimUnit& u) { u.Faults.ShortReadBlock = 4; });
    r.sim->CutReplies({SimCut::Middle, 20});
}
void ShortClosingReply(TcpRig& r)
{
    r.server.Timing.TcpReplyLimitMs = 400;
    r.sim->WithUnit([](SimUnit& u) { u.Faults.ClosingReply = "\r\nOK\r\n"; });
}
} // namespace

struct TcpImageFault : TcpImage, ::testing::WithParamInterface<std::tuple<LinkMode, TcpFault>> {
    void SetUp() override { Begin(std::get<0>(GetParam())); }
};

// Every failure ends the transfer once: one result (or none when the user closed the window), the window closed,
// no image byte changed, and nothing sent after the failure.
TEST_P(TcpImageFault, EndsTheTransferAndKeepsTheImage)
{
    const TcpFault& c = std::get<1>(GetParam());
    c.setup(*this);
    Run(c.write);
    if (!c.commands.empty()) {
        EXPECT_EQ(Unit().Commands, c.commands);
    }
    EXPECT_EQ(Results(), c.message ? 1 : 0);
    if (c.message) {
        EXPECT_EQ(host.Count("Result:ERROR:" + *c.message), 1);
        EXPECT_EQ(host.Count("CloseProgress"), 1);
        if (!c.message->empty()) {
            EXPECT_EQ(host.Count("Status:" + *c.message) > 0, c.statusShown);
        }
    }
    EXPECT_FALSE(server.Transfer.tcpReading || server.Transfer.tcpWriting);
    ExpectOnlyStoredBlocksChanged();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, TcpImageFault,
    ::testing::Combine(
        ::testing::Values(LinkMode::Client, LinkMode::Server),
        ::testing::Values(
            TcpFault{"ReadWrongPassword",
                     false,
                     [](TcpRig& r) { r.host.Password = "9999"; },
                     Msg::kPasswordIncorrect,
                     false,
                     {"kv", "kvpw=9999"}},
            TcpFault{"ReadWrongPasswordLfCrEnds",
                     false,
                     [](TcpRig& r) {
                         r.host.Password = "9999";
                         r.sim->WithUnit([](SimUnit& u) { u.TcpLineEnds = SimUnit::LineEnds::LfCr; });
                     },
                     Msg::kPasswordIncorrect,
                     false,
                     {"kv", "kvpw=9999"}},
            TcpFault{"ReadKvRefused",
                     false,
                     [](TcpRig& r) {
                         r.sim->WithUnit([](SimUnit& u) { u.Faults.PrepareReply = "\r\nKIV Corvo busy\r\nNO\r\n"; });
                     },
                     "",
                     false,
                     {"kv"}},
            TcpFault{"ReadBadChecksum", false,
                     [](TcpRig& r) { r.sim->WithUnit([](SimUnit& u) { u.Faults.BadReadChecksum = true; }); },
                     Msg::kChecksumFailed, true, kRead},
            TcpFault{"ReadClosingReplyOfNineBytes", false,
                     [](TcpRig& r) { r.sim->WithUnit([](SimUnit& u) { u.Faults.ClosingReply = "\r\nOK:0\r\n\r"; }); },
                     Msg::kReadFailed, true, kRead},
            // Short by the unit, however the network cuts it: the read fails once the stream stops coming.
            TcpFault{"ReadShortBlock", false, ShortBlockCut, Msg::kReadFailed, true, kRead},
            TcpFault{"ReadClosingReplyOfSixBytes", false, ShortClosingReply, Msg::kReadFailed, true, kRead},
            TcpFault{"ReadHangUp", false, [](TcpRig& r) { r.sim->HangUpAfter(6); }, Msg::kCommFailure, true, kRead},
            // Closed while the password goes out: the read request is never sent.
            TcpFault{"ReadClosedBeforeTheRequest",
                     false,
                     [](TcpRig& r) { CloseAtStep(r, Msg::kStepPassword); },
                     std::nullopt,
                     false,
                     {"kv", "kvpw=1234"}},
            TcpFault{"WriteWrongPassword",
                     true,
                     [](TcpRig& r) { r.host.Password = "0000"; },
                     Msg::kPasswordIncorrect,
                     false,
                     {"kv", "kvpw=0000"}},
            TcpFault{"WriteRefusedBlockBlankLineAfter",
                     true,
                     [](TcpRig& r) {
                         r.sim->WithUnit([](SimUnit& u) {
                             u.Faults.RefuseBlock = 2;
                             u.TcpLineEnds = SimUnit::LineEnds::BlankLineAfter;
                         });
                     },
                     "",
                     false,
                     {"kv", "kvpw=1234", "KVWEB0", "KVWEB1", "KVWEB2"}},
            TcpFault{"WriteRefusedBlock",
                     true,
                     [](TcpRig& r) { r.sim->WithUnit([](SimUnit& u) { u.Faults.RefuseBlock = 2; }); },
                     "",
                     false,
                     {"kv", "kvpw=1234", "KVWEB0", "KVWEB1", "KVWEB2"}},
            TcpFault{"WriteHangUp", true, [](TcpRig& r) { r.sim->HangUpAfter(4); }, Msg::kCommFailure, true, {}},
            // Closed while block 3 waits for its answer: block 4 never goes out.
            TcpFault{"WriteClosedAtBlock3",
                     true,
                     [](TcpRig& r) { CloseAtStep(r, "Block 3: Waiting for ack..."); },
                     std::nullopt,
                     false,
                     {"kv", "kvpw=1234", "KVWEB0", "KVWEB1", "KVWEB2"}})),
    [](const auto& info) { return std::string(std::get<1>(info.param).name) + LinkModeName(std::get<0>(info.param)); });

namespace
{
struct CutCase {
    const char* name;
    SimCuts cuts;
    std::function<void(SimUnit&)> unit = nullptr;
    double limitScale = TcpRig::kLimitScale;
};
void PrintTo(const CutCase& c, std::ostream* os)
{
    *os << c.name;
}
constexpr int kPieceGapMs = 30;
// The longest pause a GPRS link puts inside a reply, on the field's table and scaled as the limits are here.
constexpr int kLongestPauseMs = 3000;
constexpr auto kLongPauseMs = static_cast<int>(kLongestPauseMs * TcpRig::kLimitScale);
// Inside a line: past the quiet after a line end, within the reply limit (8 s on the field's table).
constexpr auto kMidLinePauseMs = static_cast<int>(8000 * TcpRig::kLimitScale);
// A long pause falls inside the answers to "kv" and the password and the first block or block answer.
SimCuts Late(std::function<std::vector<size_t>(const std::string&)> where, int replies = 3)
{
    return {std::move(where), kLongPauseMs, false, 0, replies};
}
std::vector<size_t> OkLineAndLastByte(const std::string& reply)
{
    return {SimCut::BeforeOk(reply)[0], reply.size() - 1};
}

// Units that say more after their "OK" lines, and put more than "REA=" into the header.
void PromptAfterOk(SimUnit& u)
{
    u.TcpAfterOk = "> ";
    u.TcpReadHeader = "\r\nREA=";
}
void StatusLineAfterOk(SimUnit& u)
{
    u.TcpAfterOk = "READY\r\n";
    u.TcpReadHeader = "REA=:0";
}
// Units that end their lines with one byte, and begin the header with a line end of the other kind.
void LfEndsCrLfHeader(SimUnit& u)
{
    u.TcpLineEnds = SimUnit::LineEnds::Lf;
    u.TcpReadHeader = "\r\nREA=";
}
void CrEndsLfHeader(SimUnit& u)
{
    u.TcpLineEnds = SimUnit::LineEnds::Cr;
    u.TcpReadHeader = "\nREA=\r";
}
// A unit that ends one line with LF alone, a banner before its first answer, and its "OK" lines CR LF.
void BannerEndsLf(SimUnit& u)
{
    u.Faults.PrepareReply = "Corvo 5318\n\r\nKIV Corvo command mode ready\r\nOK\r\n";
}
// The same with the banner ended by CR alone, before a header that starts with the CR LF the LF late could join.
void BannerEndsCr(SimUnit& u)
{
    u.Faults.PrepareReply = "Corvo 5318\r\r\nKIV Corvo command mode ready\r\nOK\r\n";
    u.TcpReadHeader = "\r\nREA=";
}

// Long runs of joined replies every 700 bytes, a short answer in its middle.
std::vector<size_t> JoinedCuts(const std::string& reply)
{
    return reply.size() > 700 ? SimCut::Every(700)(reply) : SimCut::Middle(reply);
}
} // namespace

// The network cuts the unit's replies, the pieces 30 ms apart or as far apart as a GPRS link puts them: the
// transfers take each reply whole, however the unit ends its lines.
struct TcpImageCut : TcpImage, ::testing::WithParamInterface<std::tuple<LinkMode, CutCase>> {
    void SetUp() override
    {
        const CutCase& c = std::get<1>(GetParam());
        server.Timing = LinkTiming{}.Scaled(0.05, c.limitScale);
        Begin(std::get<0>(GetParam()));
        if (c.unit)
            sim->WithUnit(c.unit);
        sim->CutReplies(c.cuts);
    }
    // Every line once, in this order.
    void ExpectLinesOnce(const Strings& lines)
    {
        const Strings memo = MemoLines(page.Memo2);
        auto at = memo.begin();
        for (const std::string& line : lines) {
            EXPECT_EQ(std::count(memo.begin(), memo.end(), line), 1) << line;
            at = std::find(at, memo.end(), line);
            EXPECT_NE(at, memo.end()) << line << " out of order";
        }
    }
};

TEST_P(TcpImageCut, ReadTakesEveryReplyWhole)
{
    Run(false);
    EXPECT_EQ(host.Status, Msg::kReadOk);
    EXPECT_EQ(ChangedAddresses(Image(0, 3072), UnitMemory(0, 3072)).size(), 0u);
    EXPECT_EQ(host.FinishImageReads, 1);
    EXPECT_EQ(host.ProgressPosition, 3072);
    EXPECT_EQ(sim->Received(), "kv\rkvpw=1234\rkvrea0");
    Strings lines{TcpMsg::kKvCheckOk, TcpMsg::kPwdCheckOk};
    for (int k = 1; k <= 12; ++k)
        lines.push_back(TcpProtocol::Ordinal(k) + TcpMsg::kReadBlockOk);
    lines.insert(lines.end(), {TcpMsg::kAllReadBlocksOk, TcpMsg::kChecksumOk});
    ExpectLinesOnce(lines);
    EXPECT_NE(sim->PiecesSent(), sim->RepliesSent()); // not one send a reply
}

TEST_P(TcpImageCut, WriteCountsEachAnswerOnceWhole)
{
    Run(true);
    EXPECT_EQ(host.Status, Msg::kWriteOk);
    EXPECT_EQ(Results(), 1);
    EXPECT_EQ(ChangedAddresses(UnitMemory(0, 2048), Image(0, 2048)).size(), 0u);
    EXPECT_EQ(Unit().Commands, kWrite);
    EXPECT_EQ(FirstDifference(sim->Received(), WriteBytes()), -1);
    Strings lines{TcpMsg::kKvCheckOk, TcpMsg::kPwdCheckOk};
    for (int k = 1; k <= 8; ++k)
        lines.push_back(TcpProtocol::Ordinal(k) + TcpMsg::kWriteBlockOk);
    lines.push_back(TcpMsg::kAllWriteBlocksOk);
    ExpectLinesOnce(lines);
    EXPECT_NE(sim->PiecesSent(), sim->RepliesSent()); // not one send a reply
}

INSTANTIATE_TEST_SUITE_P(
    Cut, TcpImageCut,
    ::testing::Combine(
        ::testing::Values(LinkMode::Client, LinkMode::Server),
        ::testing::Values(
            CutCase{"AfterTheFirstByte", {SimCut::AfterFirstByte, kPieceGapMs}},
            // in the read's last block: between the checksum's bytes or inside the low byte's escape
            CutCase{"BeforeTheLastByte", {SimCut::BeforeLastByte, kPieceGapMs}},
            CutCase{"InsideAnEscapePair", {SimCut::InsideEscapePair, kPieceGapMs}},
            CutCase{"InsideTheHeader", {SimCut::InsideHeader, kPieceGapMs}},
            CutCase{"InTheMiddle", {SimCut::Middle, kPieceGapMs}},
            CutCase{"JustBeforeOk", {SimCut::BeforeOk, kPieceGapMs}},
            // the blocks and the closing reply together, cut across their bounds
            CutCase{"JoinedAndCutEvery700Bytes", {JoinedCuts, kPieceGapMs, true}},
            // the LF after "OK" CR late: the read's would be taken for the header's first byte
            CutCase{"LastByteLate", Late(SimCut::BeforeLastByte)},
            // the "OK" line late after a first line without it: no quiet may refuse the answer meanwhile
            CutCase{"OkLineLate", Late(SimCut::BeforeOk)},
            // line after line, each pause shorter than the quiet, all of them longer
            CutCase{"EachLineLate", Late(SimCut::AfterEachLine, 1),
                    [](SimUnit& u) { u.Faults.PrepareReply = "\r\nKIV Corvo command mode ready\r\nfw 2.1\r\nOK\r\n"; }},
            CutCase{"InsideOkLongerThanTheQuiet", {SimCut::InsideOk, kMidLinePauseMs, false, 0, 1}},
            CutCase{"BlankLineAfterOk",
                    {SimCut::Middle, kPieceGapMs},
                    [](SimUnit& u) { u.TcpLineEnds = SimUnit::LineEnds::BlankLineAfter; }},
            CutCase{"LfCrEndsTheCrLate", Late(SimCut::BeforeLastByte),
                    [](SimUnit& u) { u.TcpLineEnds = SimUnit::LineEnds::LfCr; }},
            // the LF after "OK" CR late, the header's own CR LF right after it
            CutCase{"LastByteLateBeforeACrLfHeader", Late(SimCut::BeforeLastByte),
                    [](SimUnit& u) { u.TcpReadHeader = "\r\nREA="; }},
            // lines ended by one byte: nothing late is owed, the header keeps its first byte
            CutCase{"LfEndsLastByteLateBeforeACrLfHeader", Late(SimCut::BeforeLastByte), LfEndsCrLfHeader},
            CutCase{"CrEndsCutInsideAnLfHeader", {SimCut::InsideHeader, kPieceGapMs}, CrEndsLfHeader},
            // a banner line ended by LF alone: the LF after "OK" CR is still owed
            CutCase{"BannerEndsLfLastByteLate", Late(SimCut::BeforeLastByte), BannerEndsLf},
            CutCase{"BannerEndsCrLastByteLate", Late(SimCut::BeforeLastByte), BannerEndsCr},
            // a prompt or a status line after each "OK" line, in the same send
            CutCase{"PromptAfterOk", {SimCut::Middle, kPieceGapMs}, PromptAfterOk},
            CutCase{"StatusLineAfterOkCutInsideTheHeader", {SimCut::InsideHeader, kPieceGapMs}, StatusLineAfterOk},
            // the field's own table, 2 s pauses: the password answer's "OK" line and its LF late
            CutCase{"FieldTimingOkLineAndLastByteLate", {OkLineAndLastByte, 2000, false, 1, 1}, nullptr, 1.0})),
    [](const auto& info) { return std::string(std::get<1>(info.param).name) + LinkModeName(std::get<0>(info.param)); });

TEST_F(TcpImage, NothingStartsWithoutALinkOrWhenAnEditCannotBeCommitted)
{
    server.Transfer.ReadButtonTCPClick();
    server.Transfer.WriteButtonTCPClick(); // the edits are committed all the same
    const std::string noSocket = "Status:" + std::string(TcpMsg::kNoValidSocket);
    EXPECT_EQ(host.Calls, (Strings{noSocket, "Commit", noSocket}));
    ConnectToUnit();
    host.CommitSucceeds = false;
    server.Transfer.WriteButtonTCPClick();
    PumpFor(50);
    EXPECT_EQ(host.Calls.back(), "Commit");
    EXPECT_EQ(sim->Received(), "");
    EXPECT_TRUE(server.Transfer.Idle());
}
