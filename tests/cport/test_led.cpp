// The signal LED: what it draws, the state it takes from the port's signals through its link, rings and their
// lit period, the rules for setting its state by hand, and lamps and ports that go.
#include "CportTestSupport.h"
#include "FakeComBackend.h"
#include "PtyPair.h"
#include "cport/port/ComNotify.h"
#include "cport/ui/ComLed.h"
#include "cport/ui/LedImages.h"

#include <QImage>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
using States = std::vector<TLedState>;

// What the lamp shows at a pixel, its centre by default.
QRgb Shown(TComLed& Led, QPoint At = {12, 12})
{
    QImage Shot(Led.size(), QImage::Format_ARGB32);
    Shot.fill(Qt::transparent);
    Led.render(&Shot, QPoint(), QRegion(), QWidget::DrawChildren);
    return Shot.pixel(At);
}

QRgb Lamp(TLedKind Kind, bool Lit)
{
    return LedImage(Kind, Lit).pixel(7, 7);
}

struct LedPortTest : ::testing::Test, TFakePort {
    TComLed led;
    int ctsReports = 0;

    // Moves the lines and waits until the port has seen it, by a change of CTS that goes with it: the
    // device's I/O thread compares line states, so two quick moves could look like none.
    void Lines(unsigned l)
    {
        const int before = ctsReports;
        Dev->SetLines(l);
        ASSERT_TRUE(PumpUntil([&] { return ctsReports > before; }));
    }
    void SetUp() override
    {
        Port.OnCTSChange = [this](TCustomComPort*, bool) { ++ctsReports; };
    }
    void TearDown() override { Port.Close(); }
};
} // namespace

TEST(Led, UnboundLampIsSetByTheProgramDrawsItsKindAndCustomGlyphsOnlyForCustom)
{
    TComLed Led;
    QImage Glyph(9, 9, QImage::Format_ARGB32);
    Glyph.fill(QColor(200, 0, 200));
    Led.SetGlyphOn(Glyph); // not a custom lamp: ignored
    for (auto [Kind, State] : {std::pair{lkRedLight, lsOff}, {lkRedLight, lsOn}, {lkGreenLight, lsOn}}) {
        Led.SetKind(Kind);
        Led.SetState(State);
        EXPECT_EQ(Shown(Led), Lamp(Kind, State == lsOn)) << "painted at once";
    }
    Led.setEnabled(false);
    EXPECT_EQ(Shown(Led), Lamp(lkGreenLight, false)) << "a disabled lamp is dark";
    Led.setEnabled(true);
    for (int k = lkRedLight; k <= lkBulb; ++k)
        EXPECT_NE(LedImage(k, true), LedImage(k, false)) << k;
    States Seen;
    Led.OnChange = [&](TComLed*, TLedState s) { Seen.push_back(s); };
    Led.SetKind(lkCustom);
    EXPECT_EQ(qAlpha(Shown(Led)), 0) << "the built-in pictures are dropped";
    Led.SetGlyphOn(Glyph);
    EXPECT_EQ(Shown(Led), Glyph.pixel(0, 0));
    Led.SetState(lsOff);
    EXPECT_EQ(qAlpha(Shown(Led)), 0);
    EXPECT_EQ(Seen, (States{lsOff}));
}

TEST_F(LedPortTest, LampsFollowTheConnectionTheLinesAndTheTraffic)
{
    TComLed conn, dsr, rlsd, rx;
    States blinks;
    rx.OnChange = [&](TComLed*, TLedState s) { blinks.push_back(s); };
    led.SetLedSignal(lsCTS);
    dsr.SetLedSignal(lsDSR);
    rlsd.SetLedSignal(lsRLSD);
    rx.SetLedSignal(lsRx);
    for (TComLed* l : {&conn, &led, &dsr, &rx})
        l->SetComPort(&Port);
    std::string got; // a reader that takes the bytes, so the queue runs empty within the dispatch
    TComLink reader;
    reader.OnRxBuf = [&](TCustomComPort*, const void* b, int n) { got.append(static_cast<const char*>(b), n); };
    Port.RegisterLink(&reader);
    Dev->SetLines(mlDSR);
    Port.Open();
    EXPECT_EQ((States{conn.State(), led.State(), dsr.State()}), (States{lsOn, lsOff, lsOn})); // told at the open
    EXPECT_EQ(Shown(conn), Lamp(lkRedLight, true));
    EXPECT_TRUE(RaisesCom([&] { conn.SetState(lsOff); }, 19));
    Lines(mlCTS | mlRLSD);
    rlsd.SetComPort(&Port); // a binding shows the signal at once
    EXPECT_EQ((States{led.State(), dsr.State(), rlsd.State()}), (States{lsOn, lsOff, lsOn}));
    Dev->Feed("ping");
    EXPECT_TRUE(PumpUntil([&] { return got == "ping" && rx.State() == lsOff; }));
    EXPECT_EQ(blinks, (States{lsOn, lsOff}));

    Port.Close(); // the lines are reported off
    EXPECT_EQ(std::pair(conn.State(), rlsd.State()), std::pair(lsOff, lsOff));
    Port.Open();
    conn.SetComPort(nullptr);
    EXPECT_EQ(conn.State(), lsOff) << "unbinding darkens it";
    conn.SetState(lsOn);
    EXPECT_EQ(conn.State(), lsOn);
    Port.Close();
    Port.UnRegisterLink(&reader);
}

TEST_F(LedPortTest, ARingLightsTheLampForItsDurationOnly)
{
    led.SetLedSignal(lsRing);
    led.SetRingDuration(30);
    led.SetComPort(&Port);
    Port.Open();
    Dev->SetLines(mlRing);
    ASSERT_TRUE(PumpUntil([&] { return led.State() == lsOn; }));
    ASSERT_TRUE(PumpUntil([&] { return led.State() == lsOff; }));
    EXPECT_FALSE(led.RingTimer().isActive());

    // A second ring while lit does not start the period again.
    led.SetRingDuration(60000);
    Lines(mlCTS);
    Lines(mlRing);
    EXPECT_EQ(led.State(), lsOn);
    ASSERT_TRUE(PumpUntil([&] { return led.RingTimer().remainingTime() <= 59000; }));
    Lines(mlCTS);
    Lines(mlRing);
    EXPECT_EQ(led.State(), lsOn);
    EXPECT_LE(led.RingTimer().remainingTime(), 59000);
}

TEST_F(LedPortTest, ALampToldOnTheEventThreadChangesOnItsOwn)
{
    Port.SetSyncMethod(smNone); // the port's events run on its event thread
    std::atomic<QThread*> litOn{nullptr};
    led.OnChange = [&](TComLed*, TLedState s) { litOn = s == lsOn ? QThread::currentThread() : litOn.load(); };
    led.SetLedSignal(lsCTS);
    led.SetComPort(&Port);
    Port.Open();
    Dev->SetLines(mlCTS);
    ASSERT_TRUE(PumpUntil([&] { return litOn.load() != nullptr; }));
    EXPECT_EQ(litOn.load(), led.thread());
    Port.Close(); // while litOn lives
}

TEST(LedLifetime, LampsAndPortsThatGoLeaveNoLinkBehind)
{
    TComLed led;
    {
        TFakePort fp;
        TComPortWatch watch(fp.Port);
        led.SetComPort(&fp.Port);
        fp.Port.Open();
        EXPECT_EQ(led.State(), lsOn);
        auto lit = std::make_unique<TComLed>();
        int told = 0;
        lit->OnChange = [&](TComLed*, TLedState) { ++told; };
        lit->SetComPort(&fp.Port);
        lit.reset();
        EXPECT_EQ(told, 1) << "a lamp that goes tells nobody";
        TComLed again; // a fresh link of the same kind registers, and the port calls no dead one
        again.SetComPort(&fp.Port);
        EXPECT_EQ(again.ComPort(), &fp.Port);
    }
    EXPECT_EQ(led.ComPort(), nullptr);
    EXPECT_EQ(led.State(), lsOff);
    led.SetState(lsOn); // free again
    EXPECT_EQ(led.State(), lsOn);
}
