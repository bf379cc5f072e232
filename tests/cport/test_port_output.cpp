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
// they need at the line's rate, and a toggled RTS drops after them; bytes a hold keeps back are discarded once they
// stood still for the stall limit, and the close does not wait for the driver's own closing wait.
TEST_F(OutputTest, CloseLetsWrittenBytesLeaveAndGivesUpOnAHoldThatStandsStill)
{
    const struct {
        const char* Name;
        bool Events;
        TRTSFlowControl Rts;
        bool HeldByCts;
        bool Released; // CTS rises while the close waits
        TBaudRate Baud;
        std::size_t Bytes;
    } cases[] = {
        {"with the event thread", true, rtsEnable, false, false, br38400, 300}, // about 80 ms on the line
        {"without events, RTS toggle", false, rtsToggle, false, false, br38400, 300},
        {"bytes that need over a second on the line", true, rtsEnable, false, false, br9600, 1500},
        {"a hold that ends while the close waits", true, rtsHandshake, true, true, br38400, 300},
        {"a hold that stands, with the event thread", true, rtsHandshake, true, false, br38400, 300},
        {"a hold that stands, without events, on bytes that would need 8 s", false, rtsHandshake, true, false, br1200,
         1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        ResetFlow(Port.FlowControl());
        Port.FlowControl().SetControlRTS(c.Rts);
        Port.FlowControl().SetOutCTSFlow(c.HeldByCts); // with RTS handshake, the driver's own CTS flow
        Port.SetEvents(c.Events ? TComEvents{evRxChar, evTxEmpty} : TComEvents{});
        Port.SetBaudRate(c.Baud);
        Dev->SetLines(mlCTS);
        Port.Open();
        const std::string before = Dev->Sent();
        const std::string data = Pattern(c.Bytes);
        WriteHeld(data);
        if (c.HeldByCts)
            Dev->SetLines(0);
        Dev->HoldLine(false);
        Dev->ClearLog();
        auto closed = std::async(std::launch::async, [this] { Port.Close(); });
        if (c.Released) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            Dev->SetLines(mlCTS);
        }
        ASSERT_EQ(closed.wait_for(std::chrono::seconds(5)), std::future_status::ready) << "Close hangs";
        const bool kept = !c.HeldByCts || c.Released;
        EXPECT_EQ(Dev->Sent(), kept ? before + data : before);
        EXPECT_EQ(Has("flush 01"), !kept);
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
