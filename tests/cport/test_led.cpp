// The signal LED: what it draws, the state it takes from the port's signals through its link, rings and their
// lit period, and the rules for setting its state by hand.
#include "FakeComBackend.h"
#include "PtyPair.h"
#include "cport/ComLed.h"
#include "cport/ComNotify.h"
#include "cport/Cport.h"
#include "cport/LedImages.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{

// What the lamp shows at its centre pixel.
QRgb Centre(TComLed& Led)
{
    QImage Shot(Led.size(), QImage::Format_ARGB32);
    Shot.fill(Qt::transparent);
    Led.render(&Shot, QPoint(), QRegion(), QWidget::DrawChildren);
    return Shot.pixel(Led.width() / 2, Led.height() / 2);
}

QRgb LampCentre(TLedKind Kind, bool Lit)
{
    return LedImage(Kind, Lit).pixel(7, 7);
}

struct LedPortTest : ::testing::Test {
    TFakeComBackend* fake = new TFakeComBackend;
    TComPort port;
    TComLed led;
    std::vector<TLedState> changes;
    int ctsReports = 0;

    // Moves the lines and waits until the port has seen it, by a change of CTS that goes with it: the
    // device's I/O thread compares line states, so two quick moves could look like none.
    void Lines(unsigned l)
    {
        const int before = ctsReports;
        fake->SetLines(l);
        ASSERT_TRUE(PumpUntil([&] { return ctsReports > before; }));
    }

    void SetUp() override
    {
        port.SetBackend(std::unique_ptr<TComBackend>(fake));
        port.SetPort("ttyFAKE");
        port.OnCTSChange = [this](TCustomComPort*, bool) { ++ctsReports; };
        led.OnChange = [this](TComLed*, TLedState s) { changes.push_back(s); };
    }
    void TearDown() override { port.Close(); }
};

} // namespace

TEST(Led, UnboundLampIsSetByTheProgram)
{
    TComLed Led;
    EXPECT_EQ(Led.size(), QSize(25, 25));
    EXPECT_EQ(Led.State(), lsOff);
    EXPECT_EQ(Led.Kind(), lkRedLight);
    EXPECT_EQ(Led.LedSignal(), lsConn);
    EXPECT_EQ(Led.RingDuration(), 1000);

    std::vector<TLedState> Seen;
    Led.OnChange = [&](TComLed* Sender, TLedState s) {
        EXPECT_EQ(Sender, &Led);
        Seen.push_back(s);
    };
    EXPECT_EQ(Centre(Led), LampCentre(lkRedLight, false));
    Led.SetState(lsOn);
    EXPECT_EQ(Centre(Led), LampCentre(lkRedLight, true));
    Led.SetKind(lkGreenLight);
    EXPECT_EQ(Centre(Led), LampCentre(lkGreenLight, true));
    Led.SetState(lsOff);
    EXPECT_EQ(Centre(Led), LampCentre(lkGreenLight, false));
    EXPECT_EQ(Seen, (std::vector<TLedState>{lsOn, lsOff}));
}

TEST(Led, KindsDrawDistinctLitAndDarkLamps)
{
    for (int k = lkRedLight; k <= lkBulb; ++k) {
        const QImage On = LedImage(k, true), Off = LedImage(k, false);
        EXPECT_EQ(On.size(), QSize(15, 15));
        EXPECT_EQ(Off.size(), QSize(15, 15));
        EXPECT_NE(On, Off) << k;
        EXPECT_EQ(qAlpha(On.pixel(0, 14)), 0) << "corners are transparent";
        EXPECT_EQ(qAlpha(On.pixel(7, 7)), 255);
    }
    EXPECT_TRUE(LedImage(lkCustom, true).isNull());
}

TEST(Led, DisabledLampIsDark)
{
    TComLed Led;
    Led.SetKind(lkBlueLight);
    Led.SetState(lsOn);
    Led.setEnabled(false);
    EXPECT_EQ(Centre(Led), LampCentre(lkBlueLight, false));
    Led.setEnabled(true);
    EXPECT_EQ(Centre(Led), LampCentre(lkBlueLight, true));
}

TEST(Led, CustomGlyphsOnlyForCustomKind)
{
    TComLed Led;
    QImage Plain(9, 9, QImage::Format_RGB32);
    Plain.fill(QColor(10, 200, 30));
    Led.SetGlyphOn(Plain); // not a custom lamp: ignored
    Led.SetState(lsOn);
    EXPECT_EQ(Centre(Led), LampCentre(lkRedLight, true));

    Led.SetKind(lkCustom);
    EXPECT_EQ(qAlpha(Centre(Led)), 0); // no glyphs: nothing drawn

    // A picture without transparency of its own loses its bottom-left colour.
    QImage Framed(9, 9, QImage::Format_RGB32);
    Framed.fill(Qt::white);
    QPainter(&Framed).fillRect(3, 3, 3, 3, QColor(200, 0, 200));
    QImage Dim = Framed.copy();
    QPainter(&Dim).fillRect(3, 3, 3, 3, QColor(60, 0, 60));
    Led.SetGlyphOn(Framed);
    Led.SetGlyphOff(Dim);
    EXPECT_EQ(qAlpha(Led.GlyphOn().pixel(0, 0)), 0);
    EXPECT_EQ(Centre(Led), QColor(200, 0, 200).rgba());
    QImage Shot(Led.size(), QImage::Format_ARGB32);
    Shot.fill(Qt::transparent);
    Led.render(&Shot, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(qAlpha(Shot.pixel(8, 8)), 0); // the white frame was keyed out (image at 8..16)
    Led.SetState(lsOff);
    EXPECT_EQ(Centre(Led), QColor(60, 0, 60).rgba());
}

TEST_F(LedPortTest, ConnectionLampFollowsOpenAndClose)
{
    led.SetComPort(&port);
    EXPECT_EQ(led.State(), lsOff);
    port.Open();
    EXPECT_EQ(led.State(), lsOn);
    EXPECT_EQ(Centre(led), LampCentre(lkRedLight, true));
    port.Close();
    EXPECT_EQ(led.State(), lsOff);
    EXPECT_EQ(changes, (std::vector<TLedState>{lsOn, lsOff}));
}

TEST_F(LedPortTest, BoundLampRefusesHandSetState)
{
    led.SetComPort(&port);
    port.Open();
    try {
        led.SetState(lsOff);
        FAIL() << "a bound lamp is the port's";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.Code, 19);
        EXPECT_STREQ(e.what(), "Cannot change led state if ComPort is selected");
    }
    EXPECT_EQ(led.State(), lsOn);
    led.SetComPort(nullptr);
    EXPECT_EQ(led.State(), lsOff); // unbinding darkens it
    led.SetState(lsOn);
    EXPECT_EQ(led.State(), lsOn);
}

TEST_F(LedPortTest, LineLampsFollowTheModemLines)
{
    TComLed dsr, rlsd;
    led.SetLedSignal(lsCTS);
    dsr.SetLedSignal(lsDSR);
    rlsd.SetLedSignal(lsRLSD);
    led.SetComPort(&port);
    dsr.SetComPort(&port);
    rlsd.SetComPort(&port);
    fake->SetLines(mlDSR);
    port.Open();
    EXPECT_EQ(led.State(), lsOff);
    EXPECT_EQ(dsr.State(), lsOn); // reported as the port opened

    fake->SetLines(mlCTS | mlRLSD);
    EXPECT_TRUE(PumpUntil([&] { return led.State() == lsOn && rlsd.State() == lsOn && dsr.State() == lsOff; }));
    fake->SetLines(mlRLSD);
    EXPECT_TRUE(PumpUntil([&] { return led.State() == lsOff; }));
    EXPECT_EQ(rlsd.State(), lsOn);

    port.Close(); // the lines are reported off
    EXPECT_EQ(rlsd.State(), lsOff);
}

TEST_F(LedPortTest, BindingAnOpenPortShowsItsSignalAtOnce)
{
    fake->SetLines(mlCTS);
    port.Open();
    led.SetLedSignal(lsCTS);
    led.SetComPort(&port);
    EXPECT_EQ(led.State(), lsOn);

    // Another signal: the lamp waits for the port's next word on it, and no longer hears CTS.
    led.SetLedSignal(lsDSR);
    EXPECT_EQ(led.State(), lsOn);
    Lines(0);
    EXPECT_EQ(led.State(), lsOn);
    Lines(mlCTS | mlDSR);
    EXPECT_EQ(led.State(), lsOn);
    Lines(0);
    EXPECT_EQ(led.State(), lsOff);
}

TEST_F(LedPortTest, ARingLightsTheLampForItsDurationOnly)
{
    led.SetLedSignal(lsRing);
    led.SetRingDuration(60000);
    led.SetComPort(&port);
    port.Open();
    fake->SetLines(mlRing);
    ASSERT_TRUE(PumpUntil([&] { return led.State() == lsOn; }));
    EXPECT_TRUE(led.RingTimer().isActive());
    ASSERT_TRUE(PumpUntil([&] { return led.RingTimer().remainingTime() <= 59000; }));

    // A second ring while lit does not start the period again.
    Lines(mlCTS);
    const std::size_t before = changes.size();
    Lines(mlRing);
    ASSERT_GT(changes.size(), before);
    EXPECT_EQ(led.State(), lsOn);
    EXPECT_LE(led.RingTimer().remainingTime(), 59000);
    port.Close();
}

TEST_F(LedPortTest, RingLampGoesDarkAndLightsAgain)
{
    led.SetLedSignal(lsRing);
    led.SetRingDuration(30);
    led.SetComPort(&port);
    port.Open();
    fake->SetLines(mlRing);
    ASSERT_TRUE(PumpUntil([&] { return led.State() == lsOn; }));
    ASSERT_TRUE(PumpUntil([&] { return led.State() == lsOff; }));
    EXPECT_FALSE(led.RingTimer().isActive());
    Lines(mlCTS);
    Lines(mlRing);
    EXPECT_EQ(led.State(), lsOn);
    EXPECT_TRUE(led.RingTimer().isActive());
}

TEST(LedTraffic, ReceiveLampBlinksWithEachBlock)
{
    TPtyPair pty;
    TComPort port;
    port.SetPort(pty.SlavePath());
    TComLed led;
    led.SetLedSignal(lsRx);
    std::vector<TLedState> seen;
    led.OnChange = [&](TComLed*, TLedState s) { seen.push_back(s); };
    led.SetComPort(&port);
    // A reader that takes the bytes, so the queue runs empty within the dispatch.
    std::string got;
    TComLink reader;
    reader.OnRxBuf = [&](TCustomComPort*, const void* b, int n) { got.append(static_cast<const char*>(b), n); };
    port.RegisterLink(&reader);
    port.Open();
    ASSERT_TRUE(pty.Send("ping"));
    EXPECT_TRUE(PumpUntil([&] { return got == "ping"; }));
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0], lsOn);
    EXPECT_EQ(seen.back(), lsOff);
    port.Close();
    port.UnRegisterLink(&reader);
}

TEST(LedLifetime, APortThatGoesLeavesTheLampUnboundAndDark)
{
    TComLed led;
    {
        auto* fake = new TFakeComBackend;
        TComPort port;
        TComPortWatch watch(port);
        port.SetBackend(std::unique_ptr<TComBackend>(fake));
        port.SetPort("ttyFAKE");
        led.SetComPort(&port);
        port.Open();
        EXPECT_EQ(led.State(), lsOn);
    }
    EXPECT_EQ(led.ComPort(), nullptr);
    EXPECT_EQ(led.State(), lsOff);
    led.SetState(lsOn); // free again
    EXPECT_EQ(led.State(), lsOn);
}

TEST(LedLifetime, ALampThatGoesUnregistersItsLink)
{
    TComPort port;
    {
        TComLed led;
        led.SetComPort(&port);
    }
    // Registering a fresh link of the same kind works, and the port lists no dead link to call.
    TComLed again;
    again.SetComPort(&port);
    EXPECT_EQ(again.ComPort(), &port);
}
