// The wait for the image data against a unit that answers at its line rate: the time limit counts from the
// last byte that came in, so a reply that takes longer than the limit to cross the line is whole, and one that
// stops for longer than the limit ends the wait at the limit.
#include "LinkRig.h"

#include "link/protocol/Protocol.h"

#include <chrono>

namespace
{
using Clock = std::chrono::steady_clock;

constexpr int kBaud = 38400;      // the 3086 bytes of the reply take 0.8 s on the line ...
constexpr int kIdleLimitMs = 200; // ... four times the wait's limit
constexpr size_t kPauseAfter = 1500;

struct PacedCase {
    const char* name;
    int pauseMs;   // the unit stops this long in the middle of its reply
    int shortData; // >= 0: it stops for good after this many image bytes
    const char* message;
};
void PrintTo(const PacedCase& c, std::ostream* os)
{
    *os << c.name;
}

struct PacedReply : LinkRig, ::testing::WithParamInterface<PacedCase> {
    PacedReply() : LinkRig(kBaud)
    {
        com.SetBaudRate(br38400);
        link.Timing.DataIdleLimitMs = kIdleLimitMs;
        host.OnProgress = [this](int) { growth.push_back(Clock::now()); };
        host.OnStep = [this](const std::string& step) {
            if (step == Msg::kStepRestore)
                ended = Clock::now();
        };
    }
    static long long Ms(Clock::duration d) { return std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); }

    std::vector<Clock::time_point> growth; // each time the wait saw more bytes
    Clock::time_point ended;               // the read's end, just after the wait's
};
} // namespace

TEST_P(PacedReply, TheLimitCountsFromTheLastByte)
{
    const PacedCase& c = GetParam();
    sim.PauseAnswers(kPauseAfter, c.pauseMs);
    sim.WithUnit([&](SimUnit& u) { u.Faults.ShortData = c.shortData; });
    const std::string image = Image(0, 3072);
    link.ReadEEPROMExecuteClick();

    EXPECT_EQ(host.Status, c.message);
    ASSERT_GE(growth.size(), 2u);
    if (c.message == std::string(Msg::kReadOk)) {
        EXPECT_TRUE(SameBytes(Image(0, 3072), UnitMemory(0, 3072)));
        // Not a reply that the limit alone would have let through: it took longer than that to come.
        EXPECT_GT(Ms(growth.back() - growth.front()), kIdleLimitMs);
    } else {
        EXPECT_TRUE(SameBytes(Image(0, 3072), image));
        // The wait gave up no sooner than the limit after the last byte, and not long after it either.
        EXPECT_GE(Ms(ended - growth.back()), kIdleLimitMs);
        EXPECT_LT(Ms(ended - growth.back()), kIdleLimitMs + 5000);
    }
}

INSTANTIATE_TEST_SUITE_P(Serial, PacedReply,
                         ::testing::Values(PacedCase{"GrowingPastTheLimit", 0, -1, Msg::kReadOk},
                                           PacedCase{"PausingWithinTheLimit", kIdleLimitMs / 2, -1, Msg::kReadOk},
                                           PacedCase{"PausingPastTheLimit", kIdleLimitMs * 3, -1, Msg::kReadFailed},
                                           PacedCase{"StoppingForGood", 0, 1500, Msg::kReadFailed}),
                         [](const auto& info) { return std::string(info.param.name); });
