// Events of the port: delivery order, links, the receive dispatch, closing from handlers, handler failures.
#include "FakePort.h"
#include "PtyPair.h"
#include "Watchdog.h"
#include "cport/ComGuard.h"

#include "ComExpect.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

using namespace std::string_literals;

namespace
{
using Log = std::vector<std::string>;

struct EventsTest : ::testing::Test, TFakePort {
    Log log;

    void TearDown() override { Port.Close(); } // the handlers use the fixture's members

    void Record(TCustomComPort& p)
    {
        p.OnError = [&](TCustomComPort*, TComErrors) { log.push_back("Error"); };
        p.OnRxChar = [&](TCustomComPort*, int) { log.push_back("RxChar"); };
        p.OnTxEmpty = [&](TCustomComPort*) { log.push_back("TxEmpty"); };
        p.OnBreak = [&](TCustomComPort*) { log.push_back("Break"); };
        p.OnRing = [&](TCustomComPort*) { log.push_back("Ring"); };
        p.OnCTSChange = [&](TCustomComPort*, bool) { log.push_back("CTS"); };
        p.OnDSRChange = [&](TCustomComPort*, bool) { log.push_back("DSR"); };
        p.OnRxFlag = [&](TCustomComPort*) { log.push_back("RxFlag"); };
        p.OnRLSDChange = [&](TCustomComPort*, bool) { log.push_back("RLSD"); };
        p.OnRx80Full = [&](TCustomComPort*) { log.push_back("Rx80Full"); };
    }
};

// Collects what reaches the exception handler while a test runs.
struct TReportedErrors {
    std::vector<std::string> Messages;
    TReportedErrors()
    {
        SetComExceptionHandler([this](std::exception_ptr e) {
            try {
                std::rethrow_exception(e);
            } catch (const std::exception& x) {
                Messages.push_back(x.what());
            }
        });
    }
    ~TReportedErrors() { SetComExceptionHandler(nullptr); }
};
} // namespace

TEST_F(EventsTest, OneBatchReachesTheHandlersInDeliveryOrder)
{
    Port.SetEventChar('Z');
    Port.Parity().SetCheck(true);
    Port.Buffer().SetInputSize(10);
    Record(Port);
    TComErrors errors;
    Port.OnError = [&](TCustomComPort*, TComErrors e) {
        errors = e;
        log.push_back("Error");
    };
    Port.Open();
    log.clear(); // the line report of the open

    // The first batch keeps the event thread waiting for the window thread, so the rest piles up into one.
    Port.WriteStr("x");
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    Port.WriteStr("y");
    TLineCounters counters;
    counters.Parity = 1;
    Dev->Inject("abcdefgZ\xFF\x00\x00\xFF\x00q"s, mlCTS | mlDSR | mlRing | mlRLSD, counters);
    ASSERT_TRUE(WaitWithoutPumping([&] { return Port.InputCount() == 9; }, 2000)) << Port.InputCount();
    const Log order = {"Error", "RxChar", "TxEmpty", "Break", "Ring", "CTS", "DSR", "RxFlag", "RLSD", "Rx80Full"};
    ASSERT_TRUE(PumpUntil([&] { return log.size() >= order.size() && log.back() == "Rx80Full"; }));
    if (log.size() == order.size() + 1 && log.front() == "TxEmpty")
        log.erase(log.begin());
    EXPECT_EQ(log, order);
    EXPECT_TRUE(errors.Contains(ceRxParity));
    EXPECT_TRUE(errors.Contains(ceBreak));
}

TEST_F(EventsTest, ReceivedBytesWaitInTheQueueWithoutAByteTakingLink)
{
    int rxCount = 0;
    Port.OnRxChar = [&](TCustomComPort*, int n) { rxCount = n; };
    Port.Open();
    Dev->Feed("0123456789");
    ASSERT_TRUE(PumpUntil([&] { return rxCount > 0; }));
    EXPECT_EQ(rxCount, 10);
    EXPECT_EQ(Port.InputCount(), 10);
}

TEST_F(EventsTest, ByteTakingLinksGetTheBytesOnceAndTheQueueEmpties)
{
    std::string portBuf, linkBuf, otherBuf;
    Log rx;
    int rxChar = 0;
    Port.OnRxChar = [&](TCustomComPort*, int) { ++rxChar; };
    Port.OnRxBuf = [&](TCustomComPort*, const void* b, int n) { portBuf.append(static_cast<const char*>(b), n); };
    TComLink link, other, lamp;
    link.OnRxBuf = [&](TCustomComPort*, const void* b, int n) { linkBuf.append(static_cast<const char*>(b), n); };
    link.OnRx = [&](TCustomComPort*, bool on) { rx.push_back(on ? "on" : "off"); };
    other.OnRxBuf = [&](TCustomComPort*, const void* b, int n) { otherBuf.append(static_cast<const char*>(b), n); };
    lamp.OnRx = [&](TCustomComPort*, bool on) { rx.push_back(on ? "lamp on" : "lamp off"); };
    Port.RegisterLink(&link);
    Port.RegisterLink(&other);
    Port.RegisterLink(&lamp);
    EXPECT_FALSE(Port.TriggersOnRxChar());
    Port.Open();
    Dev->Feed("0123456789");
    ASSERT_TRUE(PumpUntil([&] { return otherBuf.size() == 10; }));
    EXPECT_EQ(portBuf, "0123456789");
    EXPECT_EQ(linkBuf, "0123456789");
    EXPECT_EQ(rxChar, 0);
    EXPECT_EQ(Port.InputCount(), 0);
    EXPECT_EQ(rx, (Log{"on", "lamp on", "off", "lamp off"}));
    Port.UnRegisterLink(&lamp);
    Port.UnRegisterLink(&other);
    Port.UnRegisterLink(&link);
}

TEST_F(EventsTest, WithoutTriggersOnRxCharTheBytesAreOfferedThroughOnRxBufOnly)
{
    std::string got;
    int rxChar = 0;
    Port.SetTriggersOnRxChar(false);
    Port.OnRxChar = [&](TCustomComPort*, int) { ++rxChar; };
    Port.OnRxBuf = [&](TCustomComPort*, const void* b, int n) { got.append(static_cast<const char*>(b), n); };
    Port.Open();
    Dev->Feed("abc");
    ASSERT_TRUE(PumpUntil([&] { return got == "abc"; }));
    EXPECT_EQ(rxChar, 0);
    EXPECT_EQ(Port.InputCount(), 0);
}

TEST_F(EventsTest, LinkDetachedByAnotherHandlerHearsNothingMore)
{
    std::string first, second;
    TComLink a, b;
    a.OnRxBuf = [&](TCustomComPort* p, const void* d, int n) {
        first.append(static_cast<const char*>(d), n);
        p->UnRegisterLink(&b); // as a transfer detaches the terminal
        p->UnRegisterLink(&a);
    };
    b.OnRxBuf = [&](TCustomComPort*, const void* d, int n) { second.append(static_cast<const char*>(d), n); };
    Port.RegisterLink(&a);
    Port.RegisterLink(&b);
    Port.Open();
    Dev->Feed("data");
    ASSERT_TRUE(PumpUntil([&] { return first == "data"; }));
    EXPECT_EQ(second, "");
    EXPECT_FALSE(Port.HasLink());
    Dev->Feed("more");
    ASSERT_TRUE(WaitWithoutPumping([&] { return Port.InputCount() == 4; }));
    PumpUntil([] { return false; }, 50);
    EXPECT_EQ(Port.InputCount(), 4); // no byte-taking link any more: the bytes wait
}

TEST_F(EventsTest, LinkRegistrationErrors)
{
    TComLink a;
    a.OnRxBuf = [](TCustomComPort*, const void*, int) {};
    Port.RegisterLink(&a);
    try {
        Port.RegisterLink(&a);
        FAIL();
    } catch (const EComPort& e) {
        EXPECT_EQ(e.Code, 18);
        EXPECT_STREQ(e.what(), "Link (un)registration failed");
        EXPECT_EQ(e.WinCode, -1);
    }
    EXPECT_TRUE(RaisesCom([&] { Port.SetTriggersOnRxChar(false); }, 22));
    Port.UnRegisterLink(&a);
    TComLink never;
    EXPECT_TRUE(RaisesCom([&] { Port.UnRegisterLink(&never); }, 18));
    Port.SetTriggersOnRxChar(false);
    EXPECT_FALSE(Port.TriggersOnRxChar());
}

TEST_F(EventsTest, ConnectionLinkHearsOpenAndCloseOnly)
{
    Log seen;
    TComLink conn;
    conn.OnConn = [&](TCustomComPort*, bool on) { seen.push_back(on ? "open" : "closed"); };
    Port.RegisterLink(&conn);
    Port.Open();
    Dev->Feed("xyz");
    Dev->SetLines(mlCTS);
    PumpUntil([&] { return Port.InputCount() == 3; });
    PumpUntil([] { return false; }, 30);
    Port.Close();
    Port.Open();
    Port.Close();
    EXPECT_EQ(seen, (Log{"open", "closed", "open", "closed"}));
    Port.UnRegisterLink(&conn);
}

TEST_F(EventsTest, LinesAreReportedOffAtCloseAndAsTheyStandAtOpen)
{
    Log seen;
    Port.OnCTSChange = [&](TCustomComPort*, bool on) { seen.push_back(on ? "CTS on" : "CTS off"); };
    Port.OnRLSDChange = [&](TCustomComPort*, bool on) { seen.push_back(on ? "RLSD on" : "RLSD off"); };
    Dev->SetLines(mlCTS);
    Port.Open();
    EXPECT_EQ(seen, (Log{"CTS on", "RLSD off"}));
    seen.clear();
    Dev->SetLines(mlCTS | mlRLSD);
    ASSERT_TRUE(PumpUntil([&] { return !seen.empty(); }));
    EXPECT_EQ(seen, (Log{"RLSD on"}));
    seen.clear();
    Port.Close();
    EXPECT_EQ(seen, (Log{"CTS off", "RLSD off"}));
}

TEST_F(EventsTest, CloseFromInsideAHandlerNeverDeadlocks)
{
    for (TSyncMethod method : {smThreadSync, smWindowSync, smNone}) {
        TFakePort fp;
        std::atomic<int> calls{0};
        fp.Port.SetSyncMethod(method);
        fp.Port.OnRxChar = [&](TCustomComPort* p, int) {
            ++calls;
            p->Close();
        };
        fp.Port.Open();
        TWatchdog guard("close from a handler");
        fp.Dev->Feed("bye");
        ASSERT_TRUE(PumpUntil([&] { return !fp.Port.Connected(); })) << method;
        EXPECT_EQ(calls.load(), 1);
        fp.Port.Open(); // and the port opens again
        EXPECT_TRUE(fp.Port.Connected());
        fp.Port.Close();
    }
}

TEST_F(EventsTest, CloseWhileABatchIsPendingDropsIt)
{
    for (TSyncMethod method : {smThreadSync, smWindowSync}) {
        TFakePort fp;
        int calls = 0;
        fp.Port.SetSyncMethod(method);
        fp.Port.OnRxChar = [&](TCustomComPort*, int) { ++calls; };
        fp.Port.Open();
        fp.Dev->Feed("late");
        ASSERT_TRUE(WaitWithoutPumping([&] { return fp.Port.InputCount() == 4; }));
        std::this_thread::sleep_for(std::chrono::milliseconds(20)); // the batch is on its way
        {
            TWatchdog guard("close with a batch pending");
            fp.Port.Close();
        }
        fp.Port.Open();
        PumpUntil([] { return false; }, 50);
        EXPECT_EQ(calls, 0) << method;
    }
}

TEST_F(EventsTest, FailingHandlerIsReportedAndLaterEventsStillArrive)
{
    TReportedErrors reported;
    int flags = 0, rx = 0;
    Port.SetEventChar('!');
    Port.OnRxChar = [&](TCustomComPort*, int) {
        ++rx;
        throw EComPort(3, EIO);
    };
    Port.OnRxFlag = [&](TCustomComPort*) { ++flags; };
    Port.Open();
    Dev->Feed("hi!");
    ASSERT_TRUE(PumpUntil([&] { return flags == 1; })); // same batch, after the failing step
    EXPECT_EQ(reported.Messages.size(), 1u);
    EXPECT_EQ(reported.Messages.at(0), "ReadFile function failed (system error code: " + std::to_string(EIO) + ")");
    Port.ClearBuffer(true, false);
    Dev->Feed("again!");
    ASSERT_TRUE(PumpUntil([&] { return flags == 2; }));
    EXPECT_EQ(rx, 2);
}

TEST_F(EventsTest, WritesLightTheLinksAndHandThemWhatWentOut)
{
    Log tx;
    std::string sent;
    TComLink link;
    link.OnTx = [&](TCustomComPort*, bool on) { tx.push_back(on ? "on" : "off"); };
    link.OnTxBuf = [&](TCustomComPort*, const void* b, int n) { sent.append(static_cast<const char*>(b), n); };
    Port.RegisterLink(&link);
    Port.Open();

    EXPECT_EQ(Port.WriteStr(""), 0);
    EXPECT_TRUE(tx.empty());

    EXPECT_EQ(Port.WriteStr("kvrw1"), 5);
    EXPECT_EQ(sent, "kvrw1");
    ASSERT_TRUE(PumpUntil([&] { return tx.size() == 2; }));
    EXPECT_EQ(tx, (Log{"on", "off"}));

    // A device that takes three bytes and no more: the write ends short after its time limit.
    sent.clear();
    Port.Timeouts().SetWriteTotalMultiplier(0);
    Port.Timeouts().SetWriteTotalConstant(50);
    Dev->SetWriteRoom(3);
    EXPECT_EQ(Port.WriteStr("abcdefgh"), 3);
    EXPECT_EQ(sent, "abc");
    EXPECT_EQ(Dev->Written(), "kvrw1abc");
    Port.UnRegisterLink(&link);
}

TEST_F(EventsTest, AsyncRecords)
{
    Port.Timeouts().SetReadTotalMultiplier(-1);
    Port.Timeouts().SetReadTotalConstant(5000);
    Port.Open();
    TAsync* none = nullptr;
    EXPECT_TRUE(RaisesCom([&] { Port.WaitForAsync(none); }, 4, -1));
    EXPECT_THROW(Port.IsAsyncCompleted(nullptr), EComPort);

    TAsync* rec = nullptr;
    InitAsync(rec);
    EXPECT_EQ(Port.WaitForAsync(rec), 0); // nothing started

    std::string buf;
    EXPECT_EQ(Port.ReadStrAsync(buf, 4, rec), 0);
    EXPECT_FALSE(Port.IsAsyncCompleted(rec));
    Dev->Feed("ab");
    ASSERT_TRUE(WaitWithoutPumping([&] { return Port.IsAsyncCompleted(rec); }));
    EXPECT_EQ(Port.WaitForAsync(rec), 2);
    EXPECT_EQ(buf.substr(0, 2), "ab");

    // A record dropped while its read is pending: later bytes go to the queue, not to freed memory.
    std::string gone;
    Port.ReadStrAsync(gone, 8, rec);
    DoneAsync(rec);
    EXPECT_EQ(rec, nullptr);
    gone = std::string();
    Dev->Feed("later");
    ASSERT_TRUE(WaitWithoutPumping([&] { return Port.InputCount() == 5; }));

    // An aborted read raises on its wait.
    InitAsync(rec);
    Port.ClearBuffer(true, false);
    Port.ReadStrAsync(buf, 4, rec);
    Port.AbortAllAsync();
    EXPECT_TRUE(RaisesCom([&] { Port.WaitForAsync(rec); }, 3, ECANCELED));
    DoneAsync(rec);
}

TEST_F(EventsTest, WaitForEventWorksWithoutTheEventThreadOnly)
{
    Port.Open();
    TComEvents ev{evRxChar};
    EXPECT_TRUE(RaisesCom([&] { Port.WaitForEvent(ev, nullptr, 10); }, 20));
    Port.Close();

    Port.SetEvents({});
    Port.Open();
    ev = TComEvents{evRxChar, evBreak};
    Port.WaitForEvent(ev, nullptr, 20);
    EXPECT_TRUE(ev.Empty()); // the time-out

    std::thread feeder([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        Dev->FeedMarked("\xFF\x00\x00"s);
    });
    ev = TComEvents{evRxChar, evBreak};
    Port.WaitForEvent(ev, nullptr, -1);
    feeder.join();
    EXPECT_EQ(ev, TComEvents{evBreak});

    TComStopEvent stop;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        stop.Set();
    });
    ev = TComEvents{evRing};
    Port.WaitForEvent(ev, &stop, -1);
    stopper.join();
    EXPECT_TRUE(ev.Empty());
}

TEST_F(EventsTest, LastErrorsComeFromTheDriverCountersOnceEach)
{
    Port.Open();
    TLineCounters c;
    c.Parity = 2;
    c.Frame = 1;
    c.Overrun = 5;
    Dev->SetCounters(c);
    ASSERT_TRUE(WaitWithoutPumping([&] { return !Port.LastErrors().Empty(); }));
    Dev->SetCounters(c); // unchanged counters: nothing new
    c.Parity = 3;
    Dev->SetCounters(c);
    Port.Parity().SetCheck(true);
    ASSERT_TRUE(WaitWithoutPumping([&] { return Port.LastErrors() == TComErrors{ceRxParity}; }));
    EXPECT_TRUE(Port.LastErrors().Empty());
}

TEST_F(EventsTest, ParityErrorIsLeftOutWhileTheCheckIsOff)
{
    Port.Open();
    TLineCounters c;
    c.Parity = 1;
    c.Frame = 1;
    Dev->SetCounters(c);
    TComErrors seen;
    ASSERT_TRUE(WaitWithoutPumping([&] {
        seen += Port.LastErrors();
        return !seen.Empty();
    }));
    EXPECT_EQ(seen, TComErrors{ceFrame});
}

TEST_F(EventsTest, WithoutEventsNothingIsDispatchedButDataStillMoves)
{
    Log seen;
    TComLink conn;
    conn.OnConn = [&](TCustomComPort*, bool on) { seen.push_back(on ? "open" : "closed"); };
    conn.OnRxBuf = [&](TCustomComPort*, const void*, int) { seen.push_back("bytes"); };
    Port.RegisterLink(&conn);
    Port.SetEvents({});
    Record(Port);
    Port.Open();
    Dev->Feed("quiet");
    Dev->SetLines(mlCTS);
    Port.TransmitChar('!');
    ASSERT_TRUE(WaitWithoutPumping([&] { return Port.InputCount() == 5; }));
    PumpUntil([] { return false; }, 50);
    EXPECT_EQ(log, (Log{"CTS", "DSR", "RLSD"})); // the line report of the open only
    std::string in;
    EXPECT_EQ(Port.ReadStr(in, 5), 5);
    EXPECT_EQ(Dev->Written(), "!");
    Port.Close();
    EXPECT_EQ(seen, (Log{"open", "closed"}));
    Port.UnRegisterLink(&conn);
}
