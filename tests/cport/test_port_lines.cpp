// Line changes, line errors and an unplugged device as a driver gives them: the driver's notice and the looks
// that stand in for it each on their own, breaks and bad bytes up to OnBreak and OnError, the fall backs once
// the device is gone, and a line wait that Close ends whatever signal mask the port was opened with.
#include "CportTestSupport.h"
#include "FakeComBackend.h"
#include "Pump.h"
#include "cport/port/ComIoPeriods.h"
#include "cport/port/CportConv.h"

#include <gtest/gtest.h>

#include <csignal>
#include <future>

using namespace std::chrono;
using namespace std::string_literals;

namespace
{
using Log = std::vector<std::string>;

// Half way between a look every poll period and the backstop: what comes within it after a look did not wait
// for the backstop.
constexpr auto OnTime = (ComIoPeriods::PollPeriod + ComIoPeriods::BackstopPeriod) / 2;
constexpr int PollMs = int(duration_cast<milliseconds>(ComIoPeriods::PollPeriod).count());

struct LineTest : ::testing::Test, TFakePort {
    Log log;
    std::vector<TComErrors> errors;
    int breaks = 0;

    void SetUp() override
    {
        Port.OnCTSChange = [this](TCustomComPort*, bool On) { log.push_back(On ? "CTS on" : "CTS off"); };
        Port.OnError = [this](TCustomComPort*, TComErrors e) { errors.push_back(e); };
        Port.OnBreak = [this](TCustomComPort*) { ++breaks; };
    }
    void TearDown() override { Port.Close(); }

    void OpenAs(bool Notice, bool Counts)
    {
        Dev->LineNotice = Notice;
        Dev->Counts = Counts;
        Port.Open();
        log.clear(); // the lines as they stood at the open
    }
    // Returns once the port has just looked at the device: its next look is a whole period away. The looks that
    // come with the open (the lines as they stand, the line thread's first, the first of the I/O thread) are
    // over first.
    void AfterALook()
    {
        std::this_thread::sleep_for(2 * ComIoPeriods::PollPeriod);
        const int looks = Dev->Looks();
        ASSERT_TRUE(WaitWithoutPumping([&] { return Dev->Looks() > looks; }));
    }
    // How long it takes, pumping, until Done holds; a failure when it never does.
    template <class F> milliseconds Took(F Done)
    {
        const auto start = steady_clock::now();
        EXPECT_TRUE(PumpUntil(Done, 10000));
        return duration_cast<milliseconds>(steady_clock::now() - start);
    }
    // A CTS pulse once the line wait that ran when the rate was set has made way for another. Refused: the errno
    // the device answers the rate with, after applying it.
    void PulseAfterANewRate(TBaudRate Rate, int Refused)
    {
        ASSERT_TRUE(WaitWithoutPumping([&] { return Dev->LineWaiters() == 1; }));
        const int calls = Dev->LineWaitCalls();
        Dev->RefuseLineApplied = Refused;
        if (Refused)
            EXPECT_TRUE(RaisesCom([&] { Port.SetBaudRate(Rate); }, 7, Refused));
        else
            Port.SetBaudRate(Rate);
        Dev->RefuseLineApplied = 0;
        EXPECT_EQ(Dev->LastLine().BaudRate, BaudRateValue(Rate)) << "the rate reached the port";
        (void)WaitWithoutPumping([&] { return Dev->LineWaitCalls() > calls; }, 1000);
        Dev->Pulse(mlCTS);
    }
    std::string Queued()
    {
        std::string got;
        Port.ReadStr(got, Port.InputCount());
        return got;
    }
};

} // namespace

TEST_F(LineTest, EachWayOfFindingLineChangesWorksOnItsOwn)
{
    const struct {
        const char* Name;
        bool Notice, Counts;
        std::function<void(LineTest&)> Change;
        Log Seen;
    } cases[] = {
        // Without counts a pulse is seen only by a look while it stands: here the notice's, and it stands no
        // longer than that look takes to come.
        {"the notice alone: a CTS pulse shorter than a poll",
         true,
         false,
         [](LineTest& t) {
             ASSERT_TRUE(WaitWithoutPumping([&] { return t.Dev->LineWaiters() == 1; }));
             const int looks = t.Dev->Looks();
             t.Dev->SetLines(mlCTS);
             ASSERT_TRUE(WaitWithoutPumping([&] { return t.Dev->Looks() > looks; }));
             t.Dev->SetLines(0);
         },
         {"CTS on", "CTS off"}},
        {"the counts alone: a pulse between two looks",
         false,
         true,
         [](LineTest& t) {
             t.AfterALook();
             t.Dev->Pulse(mlCTS);
         },
         {"CTS on", "CTS off"}},
        {"neither: a change that stands",
         false,
         false,
         [](LineTest& t) {
             t.AfterALook();
             t.Dev->SetLines(mlCTS);
         },
         {"CTS on"}},
        // The wait that was running when the new rate came notices nothing more: only a wait begun after it does,
        // also when the driver refused the rate after it reached the UART.
        {"the notice after a new rate: a CTS pulse",
         true,
         true,
         [](LineTest& t) { t.PulseAfterANewRate(br19200, 0); },
         {"CTS on", "CTS off"}},
        {"the notice after a rate the device applied and refused: a CTS pulse",
         true,
         true,
         [](LineTest& t) { t.PulseAfterANewRate(br57600, EINVAL); },
         {"CTS on", "CTS off"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Port.Close();
        Dev->SetLines(0);
        OpenAs(c.Notice, c.Counts);
        c.Change(*this);
        EXPECT_LT(Took([&] { return log.size() >= c.Seen.size(); }).count(), OnTime.count());
        PumpFor(2 * PollMs);
        EXPECT_EQ(log, c.Seen);
    }
}

TEST_F(LineTest, ErrorsOnlyTheDriverCountsReachOnErrorWithinAPollAlsoWithTheNotice)
{
    for (bool notice : {true, false}) {
        SCOPED_TRACE(notice ? "with the notice" : "without");
        Port.Close();
        errors.clear();
        OpenAs(notice, true);
        AfterALook();
        Dev->Overrun();
        EXPECT_LT(Took([&] { return !errors.empty(); }).count(), OnTime.count());
        PumpFor(2 * PollMs);
        EXPECT_EQ(errors, std::vector<TComErrors>{TComErrors{ceOverrun}});
    }
}

TEST_F(LineTest, BreaksAndBadBytesReachOnBreakAndOnErrorAsTheDriverHandsThemOver)
{
    const struct {
        const char* Name;
        bool Check, Replace;
        std::function<void(TFakeComBackend&)> Send;
        std::string Bytes; // what the port queues
        int Breaks;
        std::vector<TComErrors> Errors; // what OnError is told
        TComErrors Left;                // what LastErrors reads afterwards
    } cases[] = {
        {"break",
         false,
         false,
         [](TFakeComBackend& d) { d.Feed("a"), d.Break(), d.Feed("b"); },
         "ab",
         1,
         {},
         {ceBreak}},
        {"parity error, checked",
         true,
         false,
         [](TFakeComBackend& d) { d.BadByte('p', false); },
         "p",
         0,
         {{ceRxParity}},
         {}},
        {"framing error, checked and replaced",
         true,
         true,
         [](TFakeComBackend& d) { d.BadByte('f', true); },
         "?",
         0,
         {{ceFrame}},
         {}},
        {"framing error, unchecked: by the count",
         false,
         false,
         [](TFakeComBackend& d) { d.BadByte('f', true); },
         "f",
         0,
         {{ceFrame}},
         {}},
        {"parity error, unchecked: not told",
         false,
         false,
         [](TFakeComBackend& d) { d.BadByte('p', false); },
         "p",
         0,
         {},
         {}},
        {"overrun: by the count",
         false,
         false,
         [](TFakeComBackend& d) { d.Feed("a"), d.Overrun(); },
         "a",
         0,
         {{ceOverrun}},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Port.Close();
        errors.clear();
        breaks = 0;
        Port.Parity().SetBits(c.Check ? prEven : prNone);
        Port.Parity().SetCheck(c.Check);
        Port.Parity().SetReplace(c.Replace);
        Port.Parity().SetReplaceChar('?');
        Port.Open();
        c.Send(*Dev);
        ASSERT_TRUE(PumpUntil([&] {
            return Port.InputCount() == int(c.Bytes.size()) && breaks == c.Breaks && errors.size() == c.Errors.size();
        }));
        PumpFor(3 * PollMs); // and nothing more
        EXPECT_EQ(breaks, c.Breaks);
        EXPECT_EQ(errors, c.Errors);
        EXPECT_EQ(Queued(), c.Bytes);
        EXPECT_EQ(Port.LastErrors(), c.Left);
    }
}

TEST_F(LineTest, AnErrorCountedBeforeItsMarkIsReadIsToldOnce)
{
    Port.Buffer().SetInputSize(64);
    Port.Parity().SetBits(prEven);
    Port.Parity().SetCheck(true);
    Port.Open();
    Dev->Feed(std::string(64, 'x'));
    ASSERT_TRUE(WaitWithoutPumping([&] { return Port.InputCount() == 64; }));
    Dev->BadByte('f', true); // the queue is full: the count is seen long before the mark is read
    ASSERT_TRUE(PumpUntil([&] { return !errors.empty(); }));
    EXPECT_EQ(Dev->Unread(), "\xFF\0f"s);
    EXPECT_EQ(Queued(), std::string(64, 'x'));
    ASSERT_TRUE(WaitWithoutPumping([&] { return Port.InputCount() == 1; }));
    PumpFor(3 * PollMs);
    EXPECT_EQ(errors, std::vector<TComErrors>{TComErrors{ceFrame}});
    EXPECT_EQ(Queued(), "f");
}

TEST_F(LineTest, AnUnpluggedDeviceEndsTheLineWaitAndEveryCallFailsOnceWithoutRetrying)
{
    Port.FlowControl().SetOutCTSFlow(true);
    Port.Timeouts().SetWriteTotalMultiplier(0);
    Port.Timeouts().SetWriteTotalConstant(0);
    OpenAs(true, true);
    ASSERT_TRUE(WaitWithoutPumping([&] { return Dev->LineWaiters() == 1; }));
    TAsync* held = nullptr;
    InitAsync(held);
    Port.WriteStrAsync("held", held); // waits for CTS
    Dev->HangUp();
    ASSERT_TRUE(PumpUntil([&] { return !errors.empty(); }));
    EXPECT_TRUE(RaisesCom([&] { Port.WaitForAsync(held); }, ComErr::Write, EIO));
    DoneAsync(held);
    EXPECT_TRUE(WaitWithoutPumping([&] { return Dev->LineWaiters() == 0; })) << "the line wait ended";
    const int waits = Dev->LineWaitCalls();
    PumpFor(3 * PollMs);
    EXPECT_EQ(Dev->LineWaitCalls(), waits) << "a wait the device refuses is not tried again";
    EXPECT_EQ(errors, std::vector<TComErrors>{TComErrors{ceIO}});
    EXPECT_EQ(log, Log{});

    EXPECT_TRUE(RaisesCom([&] { Port.Signals(); }, ComErr::ModemStatus, EIO));
    EXPECT_TRUE(RaisesCom([&] { Port.SetDTR(true); }, ComErr::Escape, EIO));
    EXPECT_TRUE(RaisesCom([&] { Port.OutputCount(); }, ComErr::ClearError, EIO));
    EXPECT_TRUE(RaisesCom([&] { Port.SetBaudRate(br1200); }, ComErr::SetState, EIO));
    EXPECT_TRUE(RaisesCom([&] { Port.WriteStr("more"); }, ComErr::Write, EIO));
    auto closed = std::async(std::launch::async, [this] { Port.Close(); });
    ASSERT_EQ(closed.wait_for(seconds(10)), std::future_status::ready) << "Close hangs";
    EXPECT_FALSE(Port.Connected());
    EXPECT_EQ(log, (Log{"CTS off"})) << "the close reports the lines off, as always";
}

// WaitForEvent hears only what happens once it is called: not a change, a count or bytes that came before it, on
// a device whose lines and counts nothing looked at while no event was wanted.
TEST_F(LineTest, WaitForEventReportsOnlyWhatHappensAfterItIsCalled)
{
    const struct {
        const char* Name;
        TComEvent Event;
        void (*Happen)(TFakeComBackend&);
        bool After; // it happens once the wait has taken the device as it stands
    } cases[] = {
        {"a CTS change before", evCTS, [](TFakeComBackend& d) { d.SetLines(mlCTS); }, false},
        {"a CTS change after", evCTS, [](TFakeComBackend& d) { d.SetLines(mlCTS); }, true},
        {"an overrun before", evError, [](TFakeComBackend& d) { d.Overrun(); }, false},
        {"an overrun after", evError, [](TFakeComBackend& d) { d.Overrun(); }, true},
        {"a byte before", evRxChar, [](TFakeComBackend& d) { d.Feed("x"); }, false},
        {"a byte after", evRxChar, [](TFakeComBackend& d) { d.Feed("x"); }, true},
    };
    Port.SetEvents({});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Port.Close();
        Dev->SetLines(0);
        OpenAs(false, true);
        std::this_thread::sleep_for(2 * ComIoPeriods::PollPeriod); // the looks that come with the open are over
        std::future<void> later;
        if (c.After) {
            later = std::async(std::launch::async, [&, looks = Dev->Looks()] {
                EXPECT_TRUE(WaitWithoutPumping([&] { return Dev->Looks() > looks; }));
                std::this_thread::sleep_for(ComIoPeriods::PollPeriod);
                c.Happen(*Dev);
            });
        } else {
            c.Happen(*Dev);
            ASSERT_TRUE(WaitWithoutPumping([&] { return Dev->Unread().empty(); }));
        }
        TComEvents events{c.Event};
        Port.WaitForEvent(events, nullptr, c.After ? 10000 : 3 * PollMs);
        EXPECT_EQ(events, c.After ? TComEvents{c.Event} : TComEvents{});
    }
}

TEST(LineWaitSignal, CloseEndsTheLineWaitWhateverMaskTheOpeningThreadHad)
{
    TFakePort fp;
    fp.Port.SetEvents({});
    std::thread opener([&] {
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, nullptr); // the threads the port starts here inherit it
        fp.Port.Open();
    });
    opener.join();
    ASSERT_TRUE(WaitWithoutPumping([&] { return fp.Dev->LineWaiters() == 1; }));
    auto closed = std::async(std::launch::async, [&] { fp.Port.Close(); });
    const bool prompt = closed.wait_for(seconds(5)) == std::future_status::ready;
    EXPECT_TRUE(prompt) << "Close waits for a line wait its signal cannot reach";
    if (!prompt)
        fp.Dev->HangUp(); // which ends the wait all the same
    closed.wait();
    EXPECT_EQ(fp.Dev->LineWaiters(), 0);
}
