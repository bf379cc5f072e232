// The link's drain before a purge, over the real port on the scripted device whose line takes the bytes at its
// rate: it waits for as long as the line moves, however slowly, and gives up once the line stood still for the
// stall limit.
#include "Pump.h"
#include "cport/CportTestSupport.h"
#include "cport/FakeComBackend.h"
#include "link/serial/ComPortLink.h"

#include <gtest/gtest.h>

#include <future>

TEST(PortDrain, WaitsWhileTheLineMovesAndGivesUpOnceItStoodStillForTheLimit)
{
    TFakePort fp;
    fp.Port.SetBaudRate(br1200); // about 8 ms a byte
    fp.Port.Open();
    ComPortLink link(fp.Port);
    const std::string data = Pattern(40); // over 300 ms on the line, longer than the stall limit
    ASSERT_EQ(link.WriteStr(data), 40);
    link.DrainOutput(100);
    EXPECT_EQ(fp.Port.OutputCount(), 0);
    EXPECT_EQ(fp.Dev->Sent(), data);

    fp.Port.SetXonXoff(false); // the driver's output stops, as after the peer's XOFF
    ASSERT_EQ(link.WriteStr("held"), 4);
    auto drained = std::async(std::launch::async, [&] { link.DrainOutput(100); });
    ASSERT_EQ(drained.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "the drain waits on";
    EXPECT_EQ(fp.Port.OutputCount(), 4) << "given up, the bytes still there";
    fp.Port.SetXonXoff(true);
    EXPECT_TRUE(WaitWithoutPumping([&] { return fp.Port.OutputCount() == 0; }));
    EXPECT_EQ(fp.Dev->Sent(), data + "held");
}
