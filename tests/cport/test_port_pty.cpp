// The port against a pseudo-terminal pair: bytes on the wire, the receive queue, time-outs, open errors.
#include "CportTestSupport.h"
#include "PtyPair.h"
#include "cport/port/BaudOther.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace std::string_literals;

namespace
{
struct PtyPortTest : ::testing::Test {
    TPtyPair pty;
    TComPort port;

    void SetUp() override
    {
        port.SetPort(pty.SlavePath());
        port.SetBaudRate(br115200);
        port.Buffer().SetInputSize(500000);
        port.Buffer().SetOutputSize(8192);
    }
    std::string ReadAll(std::size_t n)
    {
        std::string got, part;
        WaitWithoutPumping([&] {
            port.ReadStr(part, int(n - got.size()));
            got += part;
            return got.size() >= n;
        });
        return got;
    }
    bool Queued(int n)
    {
        return WaitWithoutPumping([&] { return port.InputCount() >= n; }) && port.InputCount() == n;
    }
};
} // namespace

TEST_F(PtyPortTest, EveryByteValueCrossesUnchangedBothWays)
{
    port.Open();
    std::string bytes =
        Pattern(256) + std::string(7, '\xFF') + "\xFF\x00\x00\xFF\x00A\xFF"s; // runs of 0xFF and what a mark looks like
    ASSERT_TRUE(pty.Send(bytes));
    ASSERT_TRUE(Queued(int(bytes.size())));
    std::string in;
    EXPECT_EQ(port.ReadStr(in, int(bytes.size()) + 10), int(bytes.size()));
    EXPECT_EQ(in, bytes);
    EXPECT_EQ(port.WriteStr(bytes), int(bytes.size()));
    EXPECT_EQ(pty.Receive(bytes.size()), bytes);
}

TEST_F(PtyPortTest, QueueFillsWithoutPumpingAndAFullQueueHoldsTheDeviceBack)
{
    for (int limit : {500000, 1024}) {
        port.Buffer().SetInputSize(limit);
        port.Open();
        const std::string data = Pattern(limit > 70000 ? 70000 : 20000);
        std::thread sender([&] { pty.Send(data); });
        // Polls the count without reading and without pumping events, as the image transfers do.
        const int most = std::min<int>(limit, int(data.size()));
        EXPECT_TRUE(Queued(most)) << port.InputCount();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(port.InputCount(), most) << "never more than the input buffer setting";
        EXPECT_EQ(ReadAll(data.size()), data) << "no byte lost";
        sender.join();
        EXPECT_EQ(port.InputCount(), 0);
        port.Close();
    }
}

TEST_F(PtyPortTest, ReadsEndAsTheTimeOutsSay)
{
    const struct {
        const char* name;
        int interval, multiplier, constant;
        std::string early, late; // sent before the read, and while it waits
        int count;
        std::string want;
    } cases[] = {
        {"at once, nothing queued", -1, 0, 0, "", "", 100, ""},
        {"at once with what is queued", -1, 0, 0, "1234567", "", 100, "1234567"},
        {"first byte rule waits", -1, -1, 10000, "", "x", 10, "x"},
        {"the total runs out with three of ten", 0, 0, 100, "abc", "", 10, "abc"},
        {"the count is there: no waiting for the limit", 0, 0, 5000, "defghij", "", 4, "defg"},
        {"no total: the first byte, then the pause", 30, 0, 0, "", "hello", 100, "hello"},
    };
    port.Open();
    for (const auto& c : cases) {
        port.ClearBuffer(true, false);
        port.Timeouts().SetReadInterval(c.interval);
        port.Timeouts().SetReadTotalMultiplier(c.multiplier);
        port.Timeouts().SetReadTotalConstant(c.constant);
        ASSERT_TRUE(pty.Send(c.early));
        ASSERT_TRUE(Queued(int(c.early.size())));
        std::thread sender([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            pty.Send(c.late);
        });
        std::string in = "stale";
        EXPECT_EQ(port.ReadStr(in, c.count), int(c.want.size())) << c.name;
        EXPECT_EQ(in, c.want) << c.name;
        sender.join();
    }
}

TEST_F(PtyPortTest, OpenErrorsCarryTheSystemErrorAndLeaveThePortClosed)
{
    int beforeOpen = 0;
    port.OnBeforeOpen = [&](TCustomComPort*) { ++beforeOpen; };
    for (auto [path, error] : {std::pair{"/dev/ttyNoSuchPort99", ENOENT}, {"/dev/null", ENOTTY}}) {
        port.SetPort(path);
        EXPECT_TRUE(RaisesCom([&] { port.Open(); }, 1, error)) << path;
        EXPECT_FALSE(port.Connected());
    }
    EXPECT_EQ(beforeOpen, 2);

    port.SetPort(pty.SlavePath());
    port.Open();
    TComPort other;
    other.SetPort(pty.SlavePath());
    EXPECT_TRUE(RaisesCom([&] { other.Open(); }, 1, EBUSY)) << "a busy device opened twice";
    EXPECT_FALSE(other.Connected());
    port.Close();
    other.Open(); // free again once closed
    EXPECT_TRUE(other.Connected());
}

TEST_F(PtyPortTest, ClearAndCloseDiscardTheQueueAndLineOperationsFailWhenClosed)
{
    port.Open();
    ASSERT_TRUE(pty.Send("old reply"));
    ASSERT_TRUE(Queued(9));
    port.ClearBuffer(true, true);
    EXPECT_EQ(port.InputCount(), 0);
    ASSERT_TRUE(pty.Send("unread"));
    ASSERT_TRUE(Queued(6));
    port.Close();

    EXPECT_THROW(port.InputCount(), EComPort);
    EXPECT_TRUE(RaisesCom([&] { port.SetDTR(true); }, 12, EBADF));
    EXPECT_TRUE(RaisesCom([&] { port.WriteStr("x"); }, 2));

    port.Open();
    EXPECT_EQ(port.InputCount(), 0);
    ASSERT_TRUE(pty.Send("fresh"));
    EXPECT_EQ(ReadAll(5), "fresh");
}

TEST_F(PtyPortTest, RatesWithoutASpeedConstantReachTheDeviceAndLinesAreNoFault)
{
    port.Open();
    for (auto [baud, custom, want] : {std::tuple{br14400, 0, 14400}, {brCustom, 31250, 31250}, {br57600, 0, 57600}}) {
        port.SetCustomBaudRate(custom ? custom : port.CustomBaudRate());
        port.SetBaudRate(baud);
        int rate = 0;
        ASSERT_EQ(ReadRate(pty.Slave(), rate), 0);
        EXPECT_EQ(rate, want);
    }
    // A pseudo-terminal has no modem lines: setting them is no error.
    EXPECT_TRUE(port.Signals().Empty());
    port.SetDTR(false);
    port.SetRTS(true);
    port.SetBreak(true);
    port.SetBreak(false);
    EXPECT_TRUE(port.Connected());
}

// A write is done once the device has its bytes; closing the port right after, with or without the event thread,
// and purging its output, leave them to reach the other side.
TEST_F(PtyPortTest, WrittenBytesReachThePeerThroughAnOutputPurgeAndACloseRightAfter)
{
    const std::string data = Pattern(3000);
    for (bool events : {true, false}) {
        port.SetEvents(events ? TComEvents{evRxChar, evTxEmpty} : TComEvents{});
        port.Open();
        EXPECT_EQ(port.WriteStr(data.substr(0, 1500)), 1500);
        port.ClearBuffer(true, true);
        EXPECT_EQ(port.WriteStr(data.substr(1500)), 1500);
        port.Close();
        EXPECT_EQ(pty.Receive(data.size()), data) << events;
    }
}

TEST_F(PtyPortTest, UnpluggedDeviceIsReportedOnceAndStopsTheReader)
{
    int errorsSeen = 0;
    TComErrors last;
    port.OnError = [&](TCustomComPort*, TComErrors e) {
        ++errorsSeen;
        last = e;
    };
    port.Open();
    ASSERT_TRUE(pty.Send("tail"));
    ASSERT_TRUE(Queued(4));
    pty.CloseMaster();

    ASSERT_TRUE(PumpUntil([&] { return errorsSeen > 0; }));
    PumpFor(100);
    EXPECT_EQ(errorsSeen, 1);
    EXPECT_TRUE(last.Contains(ceIO));
    std::string in;
    EXPECT_EQ(port.ReadStr(in, 10), 4); // what came before is still there
    EXPECT_EQ(in, "tail");
    EXPECT_TRUE(RaisesCom([&] { port.WriteStr("more"); }, 2, EIO));
    port.Close();
}
