// The port against a pseudo-terminal pair: bytes on the wire, the receive queue, time-outs, open errors.
#include "PtyPair.h"
#include "cport/BaudOther.h"
#include "cport/Cport.h"

#include "ComExpect.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

using namespace std::string_literals;

namespace
{
std::string AllBytes()
{
    std::string s;
    for (int i = 0; i < 256; ++i)
        s.push_back(char(i));
    s += std::string(7, '\xFF') + "\xFF\x00\x00\xFF\x00A\xFF"s; // runs of 0xFF and what a mark looks like
    return s;
}

std::string Pattern(std::size_t n)
{
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = char((i * 7 + i / 256) & 0xFF);
    return s;
}

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
        std::string got;
        WaitWithoutPumping([&] {
            std::string part;
            port.ReadStr(part, int(n - got.size()));
            got += part;
            return got.size() >= n;
        });
        return got;
    }
};
} // namespace

TEST_F(PtyPortTest, EveryByteValueCrossesUnchangedBothWays)
{
    port.Open();
    const std::string bytes = AllBytes();

    ASSERT_TRUE(pty.Send(bytes));
    ASSERT_TRUE(WaitWithoutPumping([&] { return port.InputCount() >= int(bytes.size()); }));
    EXPECT_EQ(port.InputCount(), int(bytes.size()));
    std::string in;
    EXPECT_EQ(port.ReadStr(in, int(bytes.size()) + 10), int(bytes.size()));
    EXPECT_EQ(in, bytes);

    EXPECT_EQ(port.WriteStr(bytes), int(bytes.size()));
    EXPECT_EQ(pty.Receive(bytes.size()), bytes);
}

TEST_F(PtyPortTest, QueueFillsWhileTheWindowThreadDoesNotPump)
{
    port.Open();
    const std::string data = Pattern(70000);
    std::thread sender([&] { pty.Send(data); });

    // Polls the count without reading and without pumping events, as the image transfers do.
    const bool reached = WaitWithoutPumping([&] { return port.InputCount() >= 70000; });
    sender.join();
    ASSERT_TRUE(reached) << port.InputCount();
    EXPECT_EQ(port.InputCount(), 70000);
    std::string in;
    EXPECT_EQ(port.ReadStr(in, 70000), 70000);
    EXPECT_EQ(in, data);
    EXPECT_EQ(port.InputCount(), 0);
}

TEST_F(PtyPortTest, FullQueueHoldsBackTheDeviceWithoutLosingBytes)
{
    port.Buffer().SetInputSize(1024);
    port.Open();
    const std::string data = Pattern(20000);
    std::thread sender([&] { pty.Send(data); });

    ASSERT_TRUE(WaitWithoutPumping([&] { return port.InputCount() == 1024; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(port.InputCount(), 1024); // never more than the input buffer setting
    const std::string in = ReadAll(data.size());
    sender.join();
    EXPECT_EQ(in, data);
}

TEST_F(PtyPortTest, ReadReturnsAtOnceWithWhatIsQueuedByDefault)
{
    port.Open();
    std::string in = "stale";
    EXPECT_EQ(port.ReadStr(in, 100), 0);
    EXPECT_EQ(in, "");
    EXPECT_EQ(port.ReadStr(in, 0), 0);

    ASSERT_TRUE(pty.Send("1234567"));
    ASSERT_TRUE(WaitWithoutPumping([&] { return port.InputCount() == 7; }));
    EXPECT_EQ(port.ReadStr(in, 100), 7);
    EXPECT_EQ(in, "1234567");
}

TEST_F(PtyPortTest, ReadWaitsForTheFirstByteUnderTheFirstByteRule)
{
    port.Timeouts().SetReadTotalMultiplier(-1);
    port.Timeouts().SetReadTotalConstant(10000);
    port.Open();
    std::thread sender([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        pty.Send("x");
    });
    std::string in;
    EXPECT_EQ(port.ReadStr(in, 10), 1);
    EXPECT_EQ(in, "x");
    sender.join();
}

TEST_F(PtyPortTest, ReadEndsWithTheTotalTimeOutOrTheCount)
{
    port.Timeouts().SetReadInterval(0);
    port.Timeouts().SetReadTotalConstant(100);
    port.Open();
    ASSERT_TRUE(pty.Send("abc"));
    std::string in;
    EXPECT_EQ(port.ReadStr(in, 10), 3); // the total runs out with three of ten
    EXPECT_EQ(in, "abc");

    ASSERT_TRUE(pty.Send("defghij"));
    EXPECT_EQ(port.ReadStr(in, 4), 4); // the count is there: no waiting for the limit
    EXPECT_EQ(in, "defg");
    EXPECT_EQ(port.InputCount(), 3);
}

TEST_F(PtyPortTest, ReadEndsWhenTheIntervalPassesAfterTheFirstByte)
{
    port.Timeouts().SetReadInterval(30);
    port.Open();
    std::thread sender([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        pty.Send("hello");
    });
    std::string in;
    EXPECT_EQ(port.ReadStr(in, 100), 5); // no total: waits for the first byte, ends on the pause
    EXPECT_EQ(in, "hello");
    sender.join();
}

TEST_F(PtyPortTest, OpenErrorsCarryTheSystemErrorAndLeaveThePortClosed)
{
    int beforeOpen = 0;
    port.OnBeforeOpen = [&](TCustomComPort*) { ++beforeOpen; };

    port.SetPort("/dev/ttyNoSuchPort99");
    EXPECT_TRUE(RaisesCom([&] { port.Open(); }, 1, ENOENT));
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(beforeOpen, 1);

    port.SetPort("/dev/null");
    EXPECT_TRUE(RaisesCom([&] { port.Open(); }, 1, ENOTTY));

    port.SetPort(pty.SlavePath());
    port.Open();
    TComPort other;
    other.SetPort(pty.SlavePath());
    try {
        other.Open();
        FAIL() << "a busy device opened twice";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.Code, 1);
        EXPECT_EQ(e.WinCode, EBUSY);
        EXPECT_STREQ(e.what(), ("Unable to open com port (system error code: " + std::to_string(EBUSY) + ")").c_str());
    }
    EXPECT_FALSE(other.Connected());
    EXPECT_TRUE(port.Connected());
    port.Close();
    other.Open(); // free again once closed
    EXPECT_TRUE(other.Connected());
}

TEST_F(PtyPortTest, CloseDiscardsTheQueueAndLineOperationsFailAfterwards)
{
    port.Open();
    ASSERT_TRUE(pty.Send("unread"));
    ASSERT_TRUE(WaitWithoutPumping([&] { return port.InputCount() == 6; }));
    port.Close();

    EXPECT_THROW(port.InputCount(), EComPort);
    EXPECT_TRUE(RaisesCom([&] { port.SetDTR(true); }, 12, EBADF));
    EXPECT_TRUE(RaisesCom([&] { port.WriteStr("x"); }, 2));

    port.Open();
    EXPECT_EQ(port.InputCount(), 0);
    ASSERT_TRUE(pty.Send("fresh"));
    EXPECT_EQ(ReadAll(5), "fresh");
}

TEST_F(PtyPortTest, ClearBufferEmptiesTheQueue)
{
    port.Open();
    ASSERT_TRUE(pty.Send("old reply"));
    ASSERT_TRUE(WaitWithoutPumping([&] { return port.InputCount() == 9; }));
    port.ClearBuffer(true, true);
    EXPECT_EQ(port.InputCount(), 0);
    ASSERT_TRUE(pty.Send("OK\r"));
    EXPECT_EQ(ReadAll(3), "OK\r");
}

TEST_F(PtyPortTest, RatesWithoutASpeedConstantReachTheDevice)
{
    port.SetBaudRate(br14400);
    port.Open();
    int rate = 0;
    ASSERT_EQ(ReadRate(pty.Slave(), rate), 0);
    EXPECT_EQ(rate, 14400);

    port.SetBaudRate(brCustom);
    port.SetCustomBaudRate(31250);
    ASSERT_EQ(ReadRate(pty.Slave(), rate), 0);
    EXPECT_EQ(rate, 31250);

    port.SetBaudRate(br57600);
    ASSERT_EQ(ReadRate(pty.Slave(), rate), 0);
    EXPECT_EQ(rate, 57600);
}

TEST_F(PtyPortTest, PseudoTerminalHasNoModemLines)
{
    port.FlowControl().SetControlDTR(dtrEnable);
    port.FlowControl().SetControlRTS(rtsEnable);
    port.Open();
    EXPECT_TRUE(port.Signals().Empty());
    port.SetDTR(false);
    port.SetRTS(true);
    port.SetBreak(true);
    port.SetBreak(false);
    EXPECT_TRUE(port.Connected());
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
    ASSERT_TRUE(WaitWithoutPumping([&] { return port.InputCount() == 4; }));
    pty.CloseMaster();

    ASSERT_TRUE(PumpUntil([&] { return errorsSeen > 0; }));
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(errorsSeen, 1);
    EXPECT_TRUE(last.Contains(ceIO));
    std::string in;
    EXPECT_EQ(port.ReadStr(in, 10), 4); // what came before is still there
    EXPECT_EQ(in, "tail");
    EXPECT_TRUE(RaisesCom([&] { port.WriteStr("more"); }, 2, EIO));
    port.Close();
}
