#include "TcpRig.h"

#include "link/protocol/Protocol.h"
#include "link/protocol/TcpProtocol.h"

#include <QTimer>

using Strings = std::vector<std::string>;

// Every read runs both ways: the tool connected to the unit, and the unit connected in to the tool.
struct TcpRead : TcpRig, ::testing::WithParamInterface<LinkMode> {
    std::string imageBefore;

    void SetUp() override
    {
        MakeLink(GetParam());
        store.WriteImageString("(mark)", 40, 1);
        store.ImageSize = 65536; // the read sets its own size
        imageBefore = store.Image.Bytes(0, 65536);
    }
    void Read()
    {
        RunTransfer([this] { server.Transfer.ReadButtonTCPClick(); });
    }
    std::vector<std::string> Commands() { return Unit().Commands; }
    void ExpectImageUnchanged()
    {
        EXPECT_EQ(store.Image.Bytes(0, 65536), imageBefore);
        EXPECT_EQ(host.FinishImageReads, 0);
    }
};

TEST_P(TcpRead, GoodReadFillsTheImage)
{
    sim->WithUnit([](SimUnit& u) { u.Memory[300] = 0x7D; }); // escaped on the wire, one byte in the image
    Read();

    EXPECT_EQ(Image(0, 3072), UnitMemory(0, 3072));
    EXPECT_EQ(store.Image.Byte(300), 0x7D);
    EXPECT_FALSE(store.Image.AnyMarked(0, 3072));
    EXPECT_EQ(store.ImageSize, 3072);
    EXPECT_EQ(host.FinishImageReads, 1);
    EXPECT_EQ(host.Status, Msg::kReadOk);
    EXPECT_TRUE(server.Transfer.tcpReadDone);
    EXPECT_EQ(server.Transfer.tcpStep(), 15);
    EXPECT_EQ(host.ProgressPosition, 3072);
    // What went on the wire, exactly: "kv" CR, the password, "kvrea0" without CR, and no "kvrw0".
    EXPECT_EQ(sim->Received(), "kv\rkvpw=1234\rkvrea0");
    EXPECT_TRUE(Unit().Violations.empty());

    const Strings order{"StartProgress:Read:3072",
                        "Step:Invoke KV-Commands",
                        "Step:Checking Password",
                        "Step:Start Reading",
                        "Status:",
                        "FinishImageRead",
                        "Status:EEPROM Read OK!",
                        "Result:OK:EEPROM Read OK!",
                        "EndResult",
                        "Caption",
                        "CloseProgress"};
    int last = -1;
    for (const auto& call : order) {
        const int at = host.IndexOf(call);
        EXPECT_GT(at, last) << call;
        last = at;
    }
    for (const char* line :
         {"CMD:kv", "CMD:kvpw=1234", "CMD:kvrea0", "KV Check OK", "Pwd Check OK", "1st Read Block Received OK",
          "12th Read Block Received OK", "All Read Blocks Received OK", "Checksum OK"})
        EXPECT_TRUE(HasLine(page.Memo2, line)) << line;
}

TEST_P(TcpRead, WrongPasswordStopsBeforeTheReadRequest)
{
    host.Password = "9999";
    Read();
    EXPECT_EQ(Commands(), (Strings{"kv", "kvpw=9999"}));
    EXPECT_EQ(host.Count("Result:ERROR:ERROR: Password Incorrect"), 1);
    EXPECT_EQ(host.Count("Status:ERROR: Password Incorrect"), 0);
    EXPECT_EQ(host.Count("CloseProgress"), 1);
    ExpectImageUnchanged();
}

TEST_P(TcpRead, UnitRefusingKvStopsAtOnce)
{
    sim->WithUnit([](SimUnit& u) { u.Faults.PrepareReply = "\r\nKIV Corvo busy, try again later\r\nNO\r\n"; });
    Read();
    EXPECT_EQ(Commands(), (Strings{"kv"}));
    EXPECT_EQ(host.Count("Result:ERROR:"), 1);
    ExpectImageUnchanged();
}

TEST_P(TcpRead, ChecksumErrorLeavesTheImage)
{
    sim->WithUnit([](SimUnit& u) { u.Faults.BadReadChecksum = true; });
    Read();
    EXPECT_EQ(host.Status, Msg::kChecksumFailed);
    EXPECT_EQ(host.Count("Result:ERROR:ERROR: EEPROM Checksum!"), 1);
    EXPECT_TRUE(server.Transfer.tcpReadDone);
    ExpectImageUnchanged();
}

TEST_P(TcpRead, ShortBlockFailsTheRead)
{
    sim->WithUnit([](SimUnit& u) { u.Faults.ShortReadBlock = 6; });
    Read();
    EXPECT_EQ(host.Status, Msg::kReadFailed);
    EXPECT_EQ(host.Count("Result:ERROR:ERROR: EEPROM Read!"), 1);
    EXPECT_FALSE(server.Transfer.tcpReadDone);
    ExpectImageUnchanged();
}

TEST_P(TcpRead, ClosingReplyOfTheWrongSizeFailsTheRead)
{
    sim->WithUnit([](SimUnit& u) { u.Faults.ClosingReply = "\r\nOK:0\r\n\r"; });
    Read();
    EXPECT_EQ(host.Status, Msg::kReadFailed);
    ExpectImageUnchanged();
}

TEST_P(TcpRead, ClosingTheProgressWindowBeforeTheRequestSendsNothingMore)
{
    // The user closes the window while the password goes out; the close runs when the window next does.
    host.OnStep = [this](const std::string& step) {
        if (step == Msg::kStepPassword)
            QTimer::singleShot(0, [this] { server.Transfer.FormSaveClosed(); });
    };
    Read();
    EXPECT_EQ(Commands(), (Strings{"kv", "kvpw=1234"}));
    EXPECT_EQ(host.Count("Result:OK:EEPROM Read OK!") + host.Count("Result:ERROR:"), 0);
    EXPECT_EQ(server.Transfer.tcpStep(), 0);
    ExpectImageUnchanged();
}

TEST_P(TcpRead, ClosingTheProgressWindowDuringTheBlocksStopsTheRead)
{
    sim->HoldAfter(5); // the answers and three blocks
    server.Transfer.ReadButtonTCPClick();
    ASSERT_TRUE(PumpUntil([this] { return host.ProgressPosition == 3 * 256; }));
    server.Transfer.FormSaveClosed();
    EXPECT_FALSE(server.Transfer.tcpReading);
    EXPECT_EQ(server.Transfer.tcpStep(), 0);
    sim->Release();
    // The rest arrives and is only shown.
    ASSERT_TRUE(PumpUntil([this] { return sim->RepliesSent() == 15 && ShownBytes(page.Memo3) == sim->BytesSent(); }));
    ASSERT_TRUE(PumpUntil([this] { return server.Transfer.Idle(); }));
    EXPECT_EQ(host.ProgressPosition, 3 * 256);
    EXPECT_EQ(host.Count("Result:OK:EEPROM Read OK!") + host.Count("Result:ERROR:"), 0);
    ExpectImageUnchanged();
}

TEST_P(TcpRead, UnitHangingUpMidTransferFailsTheRead)
{
    sim->HangUpAfter(6);
    Read();
    EXPECT_EQ(host.Status, Msg::kCommFailure);
    EXPECT_EQ(host.Count("Result:ERROR:" + std::string(Msg::kCommFailure)), 1);
    EXPECT_FALSE(server.Transfer.tcpReading);
    EXPECT_FALSE(HasLine(page.Memo3, "Error connecting to:127.0.0.1")); // a hang-up is no socket error
    ExpectImageUnchanged();
    if (GetParam() == LinkMode::Client) {
        // The client connection ended: the tool listens again.
        EXPECT_TRUE(server.Tcp.Listening());
        EXPECT_EQ(tcpHost.LinkState, "SERVER: Listening...");
    } else {
        EXPECT_FALSE(server.Tcp.ServerMode());
    }
}

TEST_P(TcpRead, StartingAReadDuringAWriteTakesOver)
{
    sim->HoldAfter(3); // "kv", the password and block 0 answered; the write then waits
    host.OnStep = [this](const std::string& step) {
        if (step == "Block 2: Waiting for ack...") {
            host.OnStep = nullptr;
            sim->Release();
            server.Transfer.ReadButtonTCPClick();
        }
    };
    server.Transfer.WriteButtonTCPClick();
    ASSERT_TRUE(PumpUntil([this] { return server.Transfer.Idle(); }));
    EXPECT_FALSE(server.Transfer.tcpWriting);
    // The write sent no block after the read began; the read went through.
    const Strings commands = Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "KVWEB2"), 0);
    EXPECT_EQ(commands.back(), "kvrea0");
    EXPECT_EQ(host.Status, Msg::kReadOk);
    EXPECT_EQ(Image(0, 3072), UnitMemory(0, 3072));
}

INSTANTIATE_TEST_SUITE_P(BothWays, TcpRead, ::testing::Values(LinkMode::Client, LinkMode::Server), LinkModeName);

struct TcpReadAlone : TcpRig {
};

TEST_F(TcpReadAlone, WithoutALinkNothingStarts)
{
    server.Transfer.ReadButtonTCPClick();
    EXPECT_EQ(host.Status, TcpMsg::kNoValidSocket);
    EXPECT_EQ(host.Calls, (Strings{"Status:ERROR: No Valid Socket Open"}));
    EXPECT_FALSE(server.Transfer.tcpReading);
}

TEST_F(TcpReadAlone, AShortAnswerToKvRunsTheWaitToItsLimitAndTheReadGoesOn)
{
    ConnectToUnit();
    server.Timing.TcpReplyLimitMs = 200;
    sim->WithUnit([](SimUnit& u) { u.Faults.PrepareReply = "\r\nOK\r\n"; });
    RunTransfer([this] { server.Transfer.ReadButtonTCPClick(); });
    EXPECT_EQ(host.Status, Msg::kReadOk);
    EXPECT_EQ(Image(0, 3072), UnitMemory(0, 3072));
}
