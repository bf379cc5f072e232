// What becomes of written bytes the driver still holds, against the scripted device whose line empties its
// transmit buffer at the line's pace: TxEmpty, the output count and the hold flags, the port's hand-over while it
// holds writes on CTS or DSR itself, an output purge, and the close.
#include "CportTestSupport.h"
#include "FakeComBackend.h"
#include "Pump.h"
#include "cport/port/ComIo.h"

#include <gtest/gtest.h>

#include <future>

namespace
{
using Log = std::vector<std::string>;

struct OutputTest : ::testing::Test, TFakePort {
    void SetUp() override
    {
        Port.SetBaudRate(br38400); // about a quarter of a millisecond a byte
        Port.Timeouts().SetWriteTotalMultiplier(0);
        Port.Timeouts().SetWriteTotalConstant(0);
    }
    void TearDown() override { Port.Close(); }

    // Bytes handed to the driver while its line is held: they stay in its buffer.
    void WriteHeld(const std::string& Bytes)
    {
        Dev->HoldLine(true);
        ASSERT_EQ(Port.WriteStr(Bytes), int(Bytes.size()));
    }
    bool Has(const std::string& Entry)
    {
        const Log log = Dev->Log();
        return std::find(log.begin(), log.end(), Entry) != log.end();
    }
};

void ResetFlow(TComFlowControl& Flow)
{
    Flow.SetFlowControl(fcNone);
    Flow.SetOutDSRFlow(false);
}
} // namespace

TEST_F(OutputTest, TxEmptyTheOutputCountAndTheHoldFlagsCountWhatTheDriverStillHolds)
{
    int txEmpty = 0;
    Port.OnTxEmpty = [&](TCustomComPort*) { ++txEmpty; };
    Port.FlowControl().SetFlowControl(fcHardware); // the driver's own CTS flow: CTS low holds what it has
    Dev->SetLines(mlCTS);
    Port.Open();
    WriteHeld("abc");
    Dev->SetLines(0);
    Dev->HoldLine(false);
    PumpFor(50);
    EXPECT_EQ(txEmpty, 0) << "the bytes wait in the driver";
    EXPECT_EQ(Port.OutputCount(), 3);
    EXPECT_EQ(Port.StateFlags(), TComStateFlags{fCtlHold});
    Dev->SetLines(mlCTS);
    ASSERT_TRUE(PumpUntil([&] { return txEmpty == 1; }));
    EXPECT_EQ(Dev->Sent(), "abc");
    EXPECT_EQ(Port.OutputCount(), 0);
    EXPECT_EQ(Port.StateFlags(), TComStateFlags{});
}

TEST_F(OutputTest, WhileThePortHoldsWritesOnCtsOrDsrOnlyAChunkLeavesAfterTheLineFalls)
{
    const struct {
        const char* Name;
        void (*Set)(TComFlowControl&);
        unsigned Falls; // the line that holds the writes; none: handed over as they come
    } cases[] = {
        {"CTS, RTS not in handshake", [](TComFlowControl& f) { f.SetOutCTSFlow(true), f.SetControlRTS(rtsEnable); },
         mlCTS},
        {"DSR", [](TComFlowControl& f) { f.SetOutDSRFlow(true); }, mlDSR},
        {"DSR beside the driver's CTS flow",
         [](TComFlowControl& f) { f.SetFlowControl(fcHardware), f.SetOutDSRFlow(true); }, mlDSR},
        {"no hold", [](TComFlowControl&) {}, 0},
    };
    const std::string data = Pattern(1500);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Port.Close();
        ResetFlow(Port.FlowControl());
        c.Set(Port.FlowControl());
        Dev->SetLines(mlCTS | mlDSR);
        Port.Open();
        const std::size_t before = Dev->Sent().size();
        TAsync* rec = nullptr;
        InitAsync(rec);
        Port.WriteStrAsync(data, rec);
        if (!c.Falls) {
            EXPECT_EQ(Dev->Written().size(), before + data.size()) << "the driver has it all at once";
            EXPECT_EQ(Port.WaitForAsync(rec), int(data.size()));
            DoneAsync(rec);
            continue;
        }
        std::size_t most = 0; // with the driver at any one look, what it held already counted
        ASSERT_TRUE(WaitWithoutPumping([&] {
            most = std::max(most, Dev->Queued());
            return Dev->Sent().size() >= before + 200;
        }));
        EXPECT_LE(most, std::size_t(TComIo::HeldOutputChunk));
        Dev->SetLines((mlCTS | mlDSR) & ~c.Falls);
        const std::size_t atFall = Dev->Sent().size();
        ASSERT_TRUE(WaitWithoutPumping([&] { return Dev->Queued() == 0; }));
        PumpFor(30);
        EXPECT_LE(Dev->Sent().size() - atFall, std::size_t(TComIo::HeldOutputChunk));
        EXPECT_FALSE(Port.IsAsyncCompleted(rec));
        Dev->SetLines(mlCTS | mlDSR);
        EXPECT_EQ(Port.WaitForAsync(rec), int(data.size()));
        ASSERT_TRUE(WaitWithoutPumping([&] { return Dev->Queued() == 0; }));
        EXPECT_EQ(Dev->Sent().substr(before), data) << "every byte, in order";
        DoneAsync(rec);
    }
}

TEST_F(OutputTest, AnOutputPurgeFlushesTheDriverOnlyWhenItReportsBytesQueued)
{
    Port.Open();
    WriteHeld("abc");
    Dev->ClearLog();
    Port.ClearBuffer(false, true);
    EXPECT_EQ(Dev->Log(), Log{"flush 01"});
    EXPECT_EQ(Port.OutputCount(), 0);
    Dev->HoldLine(false);
    EXPECT_EQ(Port.WriteStr("de"), 2);
    ASSERT_TRUE(WaitWithoutPumping([&] { return Dev->Queued() == 0; }));
    Dev->ClearLog();
    Port.ClearBuffer(true, true);
    EXPECT_EQ(Dev->Log(), Log{"flush 10"}) << "nothing queued: the driver's output is left alone";
    EXPECT_EQ(Dev->Sent(), "de");
}

// Bytes of a write reported done leave before the handle closes, with or without the event thread, for as long as
// they need at the line's rate, however coarsely the driver reports them leaving, and a toggled RTS drops after
// them; bytes that a hold the port sees (CTS low under CTS flow) keeps back are discarded once they stood still for
// the stall limit, bytes an unseen hold (the peer's XOFF) keeps are discarded at the bound, and the close does not
// wait for the driver's own closing wait.
TEST_F(OutputTest, CloseLetsWrittenBytesLeaveAndGivesUpOnAHoldThatStandsStill)
{
    enum THold { hNone, hCts, hCtsWithoutFlow, hUnseen };
    constexpr std::size_t Whole = TFakeTxLine::WholeTransfer;
    const struct {
        const char* Name;
        bool Events;
        TRTSFlowControl Rts;
        THold Hold;
        int ReleaseMs; // the hold ends while the close waits; 0: it stands
        TBaudRate Baud;
        std::size_t Bytes;
        std::size_t Transfer = 1; // the driver reports its count falling a transfer of this many bytes at a time
    } cases[] = {
        {"with the event thread", true, rtsEnable, hNone, 0, br38400, 300}, // about 80 ms on the line
        {"without events, RTS toggle", false, rtsToggle, hNone, 0, br38400, 300},
        {"bytes that need over a second on the line", true, rtsEnable, hNone, 0, br9600, 1500},
        {"a hold that ends while the close waits", true, rtsHandshake, hCts, 100, br38400, 300},
        {"a hold that stands, with the event thread", true, rtsHandshake, hCts, 0, br38400, 300},
        {"a hold that stands, without events, on bytes that would need 8 s", false, rtsHandshake, hCts, 0, br1200,
         1000},
        {"a hold that stands, on a driver reporting 256 bytes at a time", true, rtsHandshake, hCts, 0, br2400, 400,
         256},
        // Counts that stand still for longer than a hold would: nothing but the bound ends the close.
        {"a DMA transfer reported at its end, 9600 baud", true, rtsEnable, hNone, 0, br9600, 1000, Whole},
        {"a USB adapter reporting 256 bytes at a time, 2400 baud", false, rtsEnable, hNone, 0, br2400, 400, 256},
        {"a UART reporting 128 bytes at a time, 1200 baud", true, rtsEnable, hNone, 0, br1200, 200, 128},
        {"a DMA transfer reported at its end, RTS toggle", false, rtsToggle, hNone, 0, br9600, 600, Whole},
        {"CTS low without CTS flow, a DMA transfer", true, rtsEnable, hCtsWithoutFlow, 0, br9600, 600, Whole},
        {"the peer's XOFF for 0.8 s", true, rtsEnable, hUnseen, 800, br38400, 300},
        {"the peer's XOFF that stands", true, rtsEnable, hUnseen, 0, br38400, 300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        ResetFlow(Port.FlowControl());
        Port.FlowControl().SetControlRTS(c.Rts);
        Port.FlowControl().SetOutCTSFlow(c.Hold == hCts); // with RTS handshake, the driver's own CTS flow
        Port.SetEvents(c.Events ? TComEvents{evRxChar, evTxEmpty} : TComEvents{});
        Port.SetBaudRate(c.Baud);
        Dev->ReportInTransfers(c.Transfer);
        Dev->SetLines(mlCTS);
        Port.Open();
        const std::string before = Dev->Sent();
        const std::string data = Pattern(c.Bytes);
        WriteHeld(data);
        if (c.Hold == hCts || c.Hold == hCtsWithoutFlow)
            Dev->SetLines(0);
        if (c.Hold != hUnseen)
            Dev->HoldLine(false);
        Dev->ClearLog();
        const auto start = std::chrono::steady_clock::now();
        auto closed = std::async(std::launch::async, [this] { Port.Close(); });
        if (c.ReleaseMs) {
            std::this_thread::sleep_for(std::chrono::milliseconds(c.ReleaseMs));
            c.Hold == hCts ? Dev->SetLines(mlCTS) : Dev->HoldLine(false);
        }
        ASSERT_EQ(closed.wait_for(std::chrono::seconds(5)), std::future_status::ready) << "Close hangs";
        const auto took = std::chrono::steady_clock::now() - start;
        Dev->HoldLine(false);
        const bool kept = c.Hold == hNone || c.Hold == hCtsWithoutFlow || c.ReleaseMs;
        const std::string sent = Dev->Sent();
        ASSERT_GE(sent.size(), before.size());
        EXPECT_EQ(sent.size() - before.size(), kept ? data.size() : 0) << "bytes that left";
        EXPECT_TRUE(sent == (kept ? before + data : before));
        EXPECT_EQ(Has("flush 01"), !kept);
        if (!kept) {
            if (c.Hold == hUnseen)
                EXPECT_GE(took, std::chrono::seconds(1)) << "the bytes' time on the line and a second";
            else
                EXPECT_LT(took, std::chrono::seconds(1)) << "a hold the port sees";
        }
        const Log log = Dev->Log();
        EXPECT_EQ(log.back(), "close");
        if (c.Rts == rtsToggle) {
            EXPECT_EQ(Dev->OutputLines() & mlRTS, 0u);
            ASSERT_GE(log.size(), 2u);
            EXPECT_EQ(Log(log.end() - 2, log.end()), (Log{"rts 0", "close"}));
            EXPECT_EQ(Dev->QueuedAtRtsDrop(), 0u) << "down after the last byte";
        }
    }
}
