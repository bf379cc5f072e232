// What a port does when things go wrong around it: a device that goes away under a read, a close handler
// that fails while the port goes, a port reopened inside an update, limits beyond the clock.
#include "FakePort.h"
#include "cport/ComGuard.h"
#include "cport/ComTimeouts.h"

#include "ComExpect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <stdexcept>

namespace
{
using Log = std::vector<std::string>;

struct Robustness : ::testing::Test, TFakePort {
};
} // namespace

TEST(ComTimeouts, LimitsBeyondTheClockSaturate)
{
    const auto now = TComClock::now();
    EXPECT_EQ(LimitAfter(now, 0xFFFFFFFFull * 4000), TComClock::time_point::max());
    EXPECT_EQ(LimitAfter(now, 250), now + std::chrono::milliseconds(250));
    // MAXDWORD times a long read: a wrapped deadline would end the read at once.
    TComTimeoutValues t;
    t.ReadInterval = 0;
    t.ReadTotalMultiplier = 0xFFFFFFFFu;
    t.ReadTotalConstant = 0;
    const TReadRule rule = MakeReadRule(t, 4000);
    EXPECT_GT(ReadDeadline(rule, 0, now, now), now + std::chrono::hours(24 * 365));
}

TEST_F(Robustness, AReadWithoutTotalLimitEndsWhenTheDeviceGoes)
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

TEST_F(Robustness, AFailingCloseHandlerStillLetsThePortGoWhole)
{
    std::string reported;
    SetComExceptionHandler([&](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& x) {
            reported = x.what();
        }
    });
    auto port = std::make_unique<TFakePort>();
    port->Port.Open();
    port->Port.OnBeforeClose = [](TCustomComPort*) { throw std::runtime_error("no"); };
    port.reset(); // under the sanitizers: no thread or handle outlives the members it uses
    SetComExceptionHandler(nullptr);
    EXPECT_EQ(reported, "no");
}

TEST_F(Robustness, APortReopenedInsideAnUpdateIsRawAtOnce)
{
    Port.Open();
    Dev->ClearLog();
    Port.BeginUpdate();
    Port.SetBaudRate(br57600);
    Port.SetPort("ttyFAKE1");
    const Log inside = Dev->Log();
    const auto opened = std::find(inside.begin(), inside.end(), "open /dev/ttyFAKE1");
    ASSERT_NE(opened, inside.end());
    EXPECT_NE(std::find(opened, inside.end(), "line 57600"), inside.end())
        << "the device got the settings as they stood";
    Dev->ClearLog();
    Port.EndUpdate();
    EXPECT_EQ(Dev->Log(), (Log{"buffer 1024 1024", "line 57600", "timeouts 4294967295 1000"}));
}
