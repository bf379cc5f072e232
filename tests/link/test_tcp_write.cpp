#include "TcpRig.h"

#include "link/protocol/Protocol.h"
#include "link/protocol/TcpProtocol.h"

#include <QTimer>

#include <algorithm>

using Strings = std::vector<std::string>;

namespace
{
std::string Ramp(int count, int seed)
{
    std::string s;
    for (int i = 0; i < count; ++i)
        s.push_back(static_cast<char>((i * 29 + seed) & 0xFF));
    return s;
}

const Strings kFullWrite{"kv",     "kvpw=1234", "KVWEB0", "KVWEB1", "KVWEB2",
                         "KVWEB3", "KVWEB4",    "KVWEB5", "KVWEB6", "KVWEB7"};
} // namespace

struct TcpWrite : TcpRig, ::testing::WithParamInterface<LinkMode> {
    std::string unitBefore;

    void SetUp() override
    {
        MakeLink(GetParam());
        // An image of our own, some of it freshly edited, and none ever read: the TCP write does not ask.
        store.LoadPlain(0, Ramp(3072, 5));
        store.WriteImageString("(edit)", 20, 1);
        store.WriteImageString("(high)", 2600, 1);
        store.ImageLoaded = 0;
        unitBefore = UnitMemory(0, 3072);
    }
    void Write()
    {
        RunTransfer([this] { server.Transfer.WriteButtonTCPClick(); });
    }
    Strings Commands() { return Unit().Commands; }
    int Sent(const std::string& command)
    {
        const Strings c = Commands();
        return static_cast<int>(std::count(c.begin(), c.end(), command));
    }
};

TEST_P(TcpWrite, GoodWriteLeavesTheUnitEqualToTheImagesFirst2048Bytes)
{
    Write();
    EXPECT_EQ(host.Status, Msg::kWriteOk);
    EXPECT_EQ(UnitMemory(0, 2048), Image(0, 2048));
    EXPECT_EQ(UnitMemory(2048, 1024), unitBefore.substr(2048)); // never sent over TCP
    EXPECT_EQ(Commands(), kFullWrite);
    EXPECT_TRUE(Unit().Violations.empty()) << Unit().Violations.front();
    EXPECT_EQ(Unit().BlocksStored, 8);
    // The bytes that went out lost their edit marks; those above 2047 keep theirs.
    EXPECT_FALSE(store.Image.AnyMarked(0, 2048));
    EXPECT_TRUE(store.Image.AnyMarked(2600, 6));
    EXPECT_EQ(host.Count("Stamp"), 0);
    EXPECT_LT(host.IndexOf("Commit"), host.IndexOf("StartProgress:Write:3072"));
    EXPECT_GE(host.IndexOf("Result:OK:EEPROM Write OK!"), 0);
    EXPECT_GT(host.IndexOf("CloseProgress"), host.IndexOf("Result:OK:EEPROM Write OK!"));
    EXPECT_EQ(host.ProgressPosition, 4096);
    for (const char* line :
         {"KV Check OK", "Pwd Check OK", "Block1Writing...", "Block1Waiting for ack...", "1st Block Send/Write OK",
          "Block8Writing...", "8th Block Send/Write OK", "All Blocks Send/Write OK"})
        EXPECT_TRUE(HasLine(page.Memo2, line)) << line;
    EXPECT_EQ(HasLine(page.Memo2, "Len:0"), GetParam() == LinkMode::Server);
    EXPECT_GE(host.IndexOf("Step:Block 8: Waiting for ack..."), 0);
}

TEST_P(TcpWrite, WrongPasswordSendsNoBlock)
{
    host.Password = "0000";
    Write();
    EXPECT_EQ(Commands(), (Strings{"kv", "kvpw=0000"}));
    EXPECT_EQ(host.Count("Result:ERROR:ERROR: Password Incorrect"), 1);
    EXPECT_EQ(UnitMemory(0, 3072), unitBefore);
}

TEST_P(TcpWrite, ARefusedBlockStopsTheWrite)
{
    sim->WithUnit([](SimUnit& u) { u.Faults.RefuseBlock = 2; });
    Write();
    EXPECT_EQ(Commands(), (Strings{"kv", "kvpw=1234", "KVWEB0", "KVWEB1", "KVWEB2"}));
    EXPECT_EQ(Unit().BlocksStored, 2);
    EXPECT_EQ(host.Count("Result:ERROR:"), 1);
    EXPECT_NE(host.Status, Msg::kWriteOk);
    EXPECT_EQ(UnitMemory(512, 2560), unitBefore.substr(512));
}

TEST_P(TcpWrite, ClosingTheProgressWindowStopsTheBlocks)
{
    // The user closes the window while the third block waits for its answer.
    host.OnStep = [this](const std::string& step) {
        if (step == "Block 3: Waiting for ack...")
            QTimer::singleShot(0, [this] { server.Transfer.FormSaveClosed(); });
    };
    Write();
    EXPECT_EQ(Sent("KVWEB2"), 1);
    EXPECT_EQ(Sent("KVWEB3"), 0);
    EXPECT_FALSE(server.Transfer.tcpWriting);
    EXPECT_EQ(host.Count("Result:OK:EEPROM Write OK!") + host.Count("Result:ERROR:"), 0);
    EXPECT_EQ(UnitMemory(768, 2304), unitBefore.substr(768));
}

TEST_P(TcpWrite, UnitHangingUpMidTransferFailsTheWrite)
{
    sim->HangUpAfter(4); // answers to "kv", the password, blocks 0 and 1
    Write();
    EXPECT_EQ(host.Status, Msg::kCommFailure);
    EXPECT_EQ(host.Count("Result:ERROR:" + std::string(Msg::kCommFailure)), 1);
    EXPECT_EQ(Sent("KVWEB7"), 0);
    EXPECT_LE(Unit().BlocksStored, 3);
    EXPECT_FALSE(server.Transfer.tcpWriting);
}

INSTANTIATE_TEST_SUITE_P(BothWays, TcpWrite, ::testing::Values(LinkMode::Client, LinkMode::Server), LinkModeName);

struct TcpWriteAlone : TcpRig {
};

TEST_F(TcpWriteAlone, WithoutALinkTheEditsAreStillCommitted)
{
    server.Transfer.WriteButtonTCPClick();
    EXPECT_EQ(host.Calls, (Strings{"Commit", "Status:ERROR: No Valid Socket Open"}));
    EXPECT_FALSE(server.Transfer.tcpWriting);
}

TEST_F(TcpWriteAlone, AnEditThatCannotBeCommittedStopsTheWrite)
{
    ConnectToUnit();
    host.CommitSucceeds = false;
    server.Transfer.WriteButtonTCPClick();
    PumpFor(50);
    EXPECT_EQ(host.Calls, (Strings{"Commit"}));
    EXPECT_EQ(sim->Received(), "");
}
