// The port over a scripted device: when settings reach the device and in which order, what a refusal leaves
// behind, events and their order, links, closing from handlers, handler failures, async records, a device
// that goes away.
#include "CportTestSupport.h"
#include "FakeComBackend.h"
#include "PtyPair.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>

using namespace std::string_literals;

namespace
{
using Log = std::vector<std::string>;

struct PortTest : ::testing::Test, TFakePort {
    Log log;
    void TearDown() override { Port.Close(); } // the handlers use the fixture's members

    TCustomComPort::TComSignalEvent Line(const std::string& What)
    {
        return [this, What](TCustomComPort*, bool On) { log.push_back(What + (On ? " on" : " off")); };
    }
    static TComLink::TRxBufEvent Append(std::string& To)
    {
        return [&To](TCustomComPort*, const void* b, int n) { To.append(static_cast<const char*>(b), n); };
    }
};
} // namespace

TEST_F(PortTest, SettingsReachTheDeviceAtOpenAndAfterTheLastEndUpdate)
{
    Port.SetBaudRate(brCustom);
    Port.SetCustomBaudRate(123457);
    Port.Parity().SetBits(prEven);
    Port.Buffer().SetInputSize(500000);
    Port.Buffer().SetOutputSize(8192);
    Port.Timeouts().SetWriteTotalConstant(250);
    Port.FlowControl().SetFlowControl(fcSoftware);
    EXPECT_TRUE(Dev->Log().empty());
    Port.Open();
    EXPECT_EQ(Dev->Log(), (Log{"open /dev/ttyFAKE0", "buffer 500000 8192", "line 123457", "timeouts 4294967295 250"}));
    EXPECT_EQ(Dev->LastLine().Parity, prEven);
    EXPECT_TRUE(Dev->LastLine().XonXoffIn && Dev->LastLine().XonXoffOut);
    EXPECT_EQ(Dev->LastLine().XonLim, 59464); // the low 16 bits of a quarter of 500000

    Dev->ClearLog();
    Port.BeginUpdate();
    Port.BeginUpdate();
    Port.SetBaudRate(br38400);
    Port.SetDataBits(dbSeven);
    Port.Buffer().SetInputSize(4096);
    Port.EndUpdate();
    EXPECT_TRUE(Dev->Log().empty());
    Port.EndUpdate();
    const Log pushed = {"buffer 4096 8192", "line 38400", "timeouts 4294967295 250"};
    EXPECT_EQ(Dev->Log(), pushed);
    EXPECT_EQ(Dev->LastLine().DataBits, 7);
    Port.EndUpdate();                // without a BeginUpdate: nothing
    Port.SetBaudRate(br38400);       // unchanged: nothing
    Port.SetStopBits(sbTwoStopBits); // open, no update: at once
    EXPECT_EQ(Dev->Log().size(), 4u);

    // A port reopened under a new name inside an update never runs cooked until EndUpdate.
    Dev->ClearLog();
    Port.BeginUpdate();
    Port.SetPort("ttyFAKE1");
    EXPECT_EQ(Dev->Log(), (Log{"flush 10", "close", "open /dev/ttyFAKE1", "line 38400"}));
    Dev->ClearLog();
    Port.EndUpdate();
    EXPECT_EQ(Dev->Log(), pushed);

    // Closing discards unread input only when the event thread ran, that is when events were wanted at the open.
    for (bool events : {true, false}) {
        Port.Close();
        Port.SetEvents(events ? TComEvents{evRxChar} : TComEvents{});
        Port.Open();
        Dev->ClearLog();
        Port.Close();
        EXPECT_EQ(Dev->Log(), (events ? Log{"flush 10", "close"} : Log{"close"})) << events;
    }
}

TEST_F(PortTest, RefusalsRaiseTheirCodesKeepTheNewValueAndAFailedOpenLeavesThePortClosed)
{
    int notices = 0;
    Port.OnAfterOpen = Port.OnAfterClose = [&](TCustomComPort*) { ++notices; };
    Dev->RefuseLine = EINVAL;
    EXPECT_TRUE(RaisesCom([&] { Port.Open(); }, 7));
    EXPECT_FALSE(Port.Connected());
    EXPECT_EQ(Dev->Log().back(), "close");
    Dev->RefuseLine = 0;
    Port.Buffer().SetInputSize(0);
    EXPECT_TRUE(RaisesCom([&] { Port.Open(); }, 9, EINVAL));
    EXPECT_FALSE(Port.Connected());
    EXPECT_EQ(notices, 0);

    Port.Buffer().SetInputSize(1024);
    Port.Open();
    Dev->RefuseLine = EINVAL;
    EXPECT_TRUE(RaisesCom([&] { Port.SetBaudRate(br1200); }, 7, EINVAL));
    EXPECT_EQ(Port.BaudRate(), br1200);
    EXPECT_EQ(Dev->LastLine().BaudRate, 9600);
    Dev->RefuseTimeouts = EIO;
    EXPECT_TRUE(RaisesCom([&] { Port.Timeouts().SetReadInterval(10); }, 8));
    Dev->RefuseBuffer = ENOMEM;
    EXPECT_TRUE(RaisesCom([&] { Port.Buffer().SetInputSize(100); }, 9));
}

TEST_F(PortTest, LineOperationsReachTheDeviceAndLinesAreReportedAsTheyStand)
{
    Port.OnCTSChange = Line("CTS");
    Port.OnDSRChange = Line("DSR");
    Port.OnRLSDChange = Line("RLSD");
    Dev->SetLines(mlCTS);
    Port.Open();
    EXPECT_EQ(log, (Log{"CTS on", "DSR off", "RLSD off"}));
    Dev->ClearLog();
    Port.SetDTR(true);
    Port.SetRTS(false);
    Port.SetBreak(true);
    Port.SetBreak(false);
    Port.SetXonXoff(false);
    Port.SetXonXoff(true);
    Port.ClearBuffer(true, false);
    EXPECT_EQ(Dev->Log(), (Log{"dtr 1", "break 1", "break 0", "flow 0", "flow 1", "flush 10"})); // RTS was low already
    EXPECT_EQ(Dev->OutputLines(), unsigned(mlDTR));
    Dev->SetLines(mlCTS | mlRLSD);
    ASSERT_TRUE(PumpUntil([&] { return log.size() > 3; }));
    EXPECT_EQ(Port.Signals(), (TComSignals{csCTS, csRLSD}));

    // With RTS toggle the line rises for each write and drops once the bytes have left the device.
    for (TRTSFlowControl rts : {rtsEnable, rtsToggle}) {
        Port.FlowControl().SetControlRTS(rts);
        Dev->ClearLog();
        EXPECT_EQ(Port.WriteStr("ab"), 2);
        const Log moves = rts == rtsToggle ? Log{"rts 1", "drain", "rts 0"} : Log{};
        EXPECT_TRUE(WaitWithoutPumping([&] { return Dev->Log().size() >= moves.size() && Dev->Queued() == 0; }));
        EXPECT_EQ(Dev->Log(), moves) << rts;
    }
    EXPECT_EQ(Dev->OutputLines() & mlRTS, 0u);
    EXPECT_EQ(Dev->Written(), "abab");
    Port.Close();
    EXPECT_EQ(log, (Log{"CTS on", "DSR off", "RLSD off", "RLSD on", "CTS off", "DSR off", "RLSD off"}));
}

TEST_F(PortTest, BytesWaitInTheQueueUntilALinkOrOnRxBufTakesThem)
{
    {
        TFakePort fp;
        int rxChar = 0;
        fp.Port.OnRxChar = [&](TCustomComPort*, int n) { rxChar = n; };
        fp.Port.Open();
        fp.Dev->Feed("0123456789");
        ASSERT_TRUE(PumpUntil([&] { return rxChar > 0; }));
        EXPECT_EQ(std::pair(rxChar, fp.Port.InputCount()), std::pair(10, 10));
    }

    std::string portBuf, linkBuf, otherBuf;
    int rxChar = 0;
    Port.OnRxChar = [&](TCustomComPort*, int) { ++rxChar; };
    Port.OnRxBuf = Append(portBuf);
    TComLink link, other, lamp;
    link.OnRxBuf = Append(linkBuf);
    link.OnRx = Line("link");
    other.OnRxBuf = Append(otherBuf);
    lamp.OnRx = Line("lamp");
    for (TComLink* l : {&link, &other, &lamp})
        Port.RegisterLink(l);
    EXPECT_FALSE(Port.TriggersOnRxChar());
    Port.Open();
    Dev->Feed("0123456789");
    ASSERT_TRUE(PumpUntil([&] { return otherBuf.size() == 10; }));
    EXPECT_EQ(portBuf + linkBuf, "01234567890123456789");
    EXPECT_EQ(rxChar, 0);
    EXPECT_EQ(Port.InputCount(), 0);
    EXPECT_EQ(log, (Log{"link on", "lamp on", "link off", "lamp off"}));
    for (TComLink* l : {&lamp, &other, &link})
        Port.UnRegisterLink(l);
}

TEST_F(PortTest, LinkDetachedByAnotherHandlerHearsNothingMore)
{
    std::string first, second;
    TComLink a, b;
    a.OnRxBuf = [&](TCustomComPort* p, const void* d, int n) {
        first.append(static_cast<const char*>(d), n);
        p->UnRegisterLink(&b); // as a transfer detaches the terminal
        p->UnRegisterLink(&a);
    };
    b.OnRxBuf = Append(second);
    Port.RegisterLink(&a);
    Port.RegisterLink(&b);
    Port.Open();
    Dev->Feed("data");
    ASSERT_TRUE(PumpUntil([&] { return first == "data"; }));
    EXPECT_EQ(second, "");
    EXPECT_FALSE(Port.HasLink());
    Dev->Feed("more");
    ASSERT_TRUE(WaitWithoutPumping([&] { return Port.InputCount() == 4; }));
    PumpFor(50);
    EXPECT_EQ(Port.InputCount(), 4); // no byte-taking link any more: the bytes wait

    TComLink never;
    Port.RegisterLink(&a);
    EXPECT_TRUE(RaisesCom([&] { Port.RegisterLink(&a); }, 18, -1));
    EXPECT_TRUE(RaisesCom([&] { Port.SetTriggersOnRxChar(false); }, 22));
    EXPECT_TRUE(RaisesCom([&] { Port.UnRegisterLink(&never); }, 18));
    Port.UnRegisterLink(&a);
}

TEST_F(PortTest, CloseFromAHandlerOrWithABatchPendingNeverDeadlocks)
{
    for (TSyncMethod method : {smThreadSync, smWindowSync, smNone})
        for (bool fromHandler : {true, false}) {
            if (method == smNone && !fromHandler)
                continue; // without hand-over no batch waits
            TFakePort fp;
            std::atomic<int> calls{0};
            fp.Port.SetSyncMethod(method);
            fp.Port.OnRxChar = [&](TCustomComPort* p, int) { ++calls, fromHandler ? p->Close() : void(); };
            fp.Port.Open();
            fp.Dev->Feed("bye");
            if (fromHandler) {
                ASSERT_TRUE(PumpUntil([&] { return !fp.Port.Connected(); })) << method;
            } else {
                ASSERT_TRUE(WaitWithoutPumping([&] { return fp.Port.InputCount() == 3; }));
                std::this_thread::sleep_for(std::chrono::milliseconds(20)); // the batch is on its way
                fp.Port.Close();
            }
            fp.Port.Open(); // and the port opens again; a dropped batch is not delivered after all
            PumpFor(50);
            EXPECT_EQ(calls.load(), fromHandler ? 1 : 0) << method;
            fp.Port.Close();
        }
}

TEST_F(PortTest, FailingHandlersAreReportedAndLaterEventsStillArrive)
{
    TReportedErrors reported;
    int flags = 0, rx = 0;
    Port.SetEventChar('!');
    Port.OnRxChar = [&](TCustomComPort*, int) { ++rx, throw EComPort(3, EIO); };
    Port.OnRxFlag = [&](TCustomComPort*) { ++flags; };
    Port.Open();
    Dev->Feed("hi!");
    ASSERT_TRUE(PumpUntil([&] { return flags == 1; })); // same batch, after the failing step
    EXPECT_EQ(reported.Messages, (Log{"ReadFile function failed (system error code: " + std::to_string(EIO) + ")"}));
    Port.ClearBuffer(true, false);
    Dev->Feed("again!");
    ASSERT_TRUE(PumpUntil([&] { return flags == 2; }));
    EXPECT_EQ(rx, 2);

    // A close handler that fails while the port is destroyed: no thread or handle outlives what it uses.
    auto port = std::make_unique<TFakePort>();
    port->Port.Open();
    port->Port.OnBeforeClose = [](TCustomComPort*) { throw std::runtime_error("no"); };
    port.reset();
    EXPECT_EQ(reported.Messages.back(), "no");
}

TEST_F(PortTest, WritesLightTheLinksAndHandThemWhatWentOut)
{
    std::string sent;
    TComLink link;
    link.OnTx = Line("tx");
    link.OnTxBuf = Append(sent);
    Port.RegisterLink(&link);
    Port.Open();
    EXPECT_EQ(Port.WriteStr(""), 0);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(Port.WriteStr("kvrw1"), 5);
    EXPECT_EQ(sent, "kvrw1");
    ASSERT_TRUE(PumpUntil([&] { return log.size() == 2; }));
    EXPECT_EQ(log, (Log{"tx on", "tx off"}));

    // A device that takes three bytes and no more: the write ends short after its time limit.
    Port.Timeouts().SetWriteTotalMultiplier(0);
    Port.Timeouts().SetWriteTotalConstant(50);
    Dev->SetWriteRoom(3);
    EXPECT_EQ(Port.WriteStr("abcdefgh"), 3);
    EXPECT_EQ(sent, "kvrw1abc");
    EXPECT_EQ(Dev->Written(), "kvrw1abc");

    // Without a time limit only an output purge ends a write the device does not take, and drops it.
    Port.Timeouts().SetWriteTotalConstant(0);
    Dev->SetWriteRoom(0);
    TAsync* rec = nullptr;
    InitAsync(rec);
    Port.WriteStrAsync("stale", rec);
    Port.ClearBuffer(false, true);
    EXPECT_TRUE(Port.IsAsyncCompleted(rec));
    Dev->SetWriteRoom(-1);
    EXPECT_EQ(Port.WriteStr("next"), 4);
    EXPECT_EQ(Dev->Written(), "kvrw1abcnext");
    DoneAsync(rec);
    Port.UnRegisterLink(&link);
}

TEST_F(PortTest, AsyncRecordDroppedWithItsReadPendingIsNeverWrittenInto)
{
    Port.Timeouts().SetReadTotalMultiplier(-1);
    Port.Timeouts().SetReadTotalConstant(5000);
    Port.Open();
    TAsync* rec = nullptr;
    InitAsync(rec);
    std::string buf;
    EXPECT_EQ(Port.ReadStrAsync(buf, 4, rec), 0);
    Dev->Feed("ab");
    ASSERT_TRUE(WaitWithoutPumping([&] { return Port.IsAsyncCompleted(rec); }));
    EXPECT_EQ(Port.WaitForAsync(rec), 2);
    EXPECT_EQ(buf.substr(0, 2), "ab");

    // Later bytes go to the queue, not to the freed string (the sanitizer build sees a write into it).
    auto gone = std::make_unique<std::string>();
    Port.ReadStrAsync(*gone, 8, rec);
    DoneAsync(rec);
    gone.reset();
    Dev->Feed("later");
    ASSERT_TRUE(WaitWithoutPumping([&] { return Port.InputCount() == 5; }));
}

TEST_F(PortTest, AReadWithoutTotalLimitEndsWhenTheDeviceGoes)
{
    Port.Timeouts().SetReadInterval(100); // waits for a first byte without a total limit
    Port.Timeouts().SetReadTotalMultiplier(0);
    Port.Timeouts().SetReadTotalConstant(0);
    Port.Open();
    auto reader = std::async(std::launch::async, [this] {
        std::string got;
        try {
            return Port.ReadStr(got, 10);
        } catch (const EComPort&) {
            return -1; // the device's error: as good an end as any, but an end
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Dev->HangUp();
    ASSERT_EQ(reader.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "the read hangs";
    EXPECT_LE(reader.get(), 0) << "no byte came";
}
