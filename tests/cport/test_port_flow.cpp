// Flow control done by the port itself, line changes as they happen, the event thread's priority and the setup
// dialog on the port: against the scripted device (it has modem lines) and, for XON/XOFF, a pseudo-terminal.
#include "CportTestSupport.h"
#include "FakeComBackend.h"
#include "PtyPair.h"
#include "cport/port/ThreadInterrupt.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fstream>
#include <future>
#include <linux/capability.h>
#include <map>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace
{
using Log = std::vector<std::string>;

constexpr int InputSize = 1024;
constexpr int Limit = InputSize / 4; // the XON and XOFF limits of that buffer

struct FlowTest : ::testing::Test, TFakePort {
    Log log;
    void SetUp() override
    {
        Port.Buffer().SetInputSize(InputSize);
        Port.Timeouts().SetWriteTotalMultiplier(0); // writes wait for as long as they are held
        Port.Timeouts().SetWriteTotalConstant(0);
    }
    void TearDown() override { Port.Close(); }

    // Feeds bytes until Count wait in the port's queue.
    void FillTo(int Count)
    {
        Dev->Feed(std::string(std::size_t(Count - Port.InputCount()), 'x'));
        ASSERT_TRUE(WaitWithoutPumping([&] { return Port.InputCount() == Count; }));
    }
    void ReadDownTo(int Count)
    {
        std::string got;
        Port.ReadStr(got, Port.InputCount() - Count);
        ASSERT_EQ(Port.InputCount(), Count);
    }
    TCustomComPort::TComSignalEvent Line(const std::string& What)
    {
        return [this, What](TCustomComPort*, bool On) { log.push_back(What + (On ? " on" : " off")); };
    }
};

// The thread of this process that carries Name, or 0.
pid_t ThreadNamed(const std::string& Name)
{
    pid_t found = 0;
    DIR* tasks = opendir("/proc/self/task");
    while (dirent* e = tasks ? readdir(tasks) : nullptr) {
        std::ifstream comm(std::string("/proc/self/task/") + e->d_name + "/comm");
        std::string name;
        if (std::getline(comm, name) && name == Name)
            found = pid_t(std::atoi(e->d_name));
    }
    if (tasks)
        closedir(tasks);
    return found;
}

int NiceOf(pid_t Thread)
{
    return getpriority(PRIO_PROCESS, id_t(Thread));
}

// Takes the right to raise priorities from the calling thread (and the threads it starts).
void DropNiceCapability()
{
    __user_cap_header_struct head{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    ASSERT_EQ(syscall(SYS_capget, &head, data), 0);
    data[0].effective &= ~(1u << CAP_SYS_NICE);
    ASSERT_EQ(syscall(SYS_capset, &head, data), 0);
}
} // namespace

TEST_F(FlowTest, InputStopsOneBytePastTheXoffLimitAndResumesOnlyBelowTheXonLimit)
{
    // The tool's own buffer has limits cut to 16 bits: a quarter of it would be 125000.
    const struct {
        int Size, Limit;
    } buffers[] = {{InputSize, Limit}, {500000, 59464}};
    const struct {
        const char* Name;
        void (*Set)(TComFlowControl&);
        Log Stop, Resume;
    } cases[] = {
        {"XON/XOFF", [](TComFlowControl& f) { f.SetXonXoffIn(true); }, {"xoff"}, {"xon"}},
        {"RTS handshake", [](TComFlowControl& f) { f.SetControlRTS(rtsHandshake); }, {"rts 0"}, {"rts 1"}},
        {"DTR handshake", [](TComFlowControl& f) { f.SetControlDTR(dtrHandshake); }, {"dtr 0"}, {"dtr 1"}},
    };
    for (const auto& [size, limit] : buffers)
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.Name) + ", buffer " + std::to_string(size));
            Port.Close();
            Port.Buffer().SetInputSize(size);
            Port.FlowControl().SetFlowControl(fcNone);
            Port.FlowControl().SetControlDTR(dtrDisable);
            c.Set(Port.FlowControl());
            Port.Open();
            Dev->ClearLog();
            FillTo(size - limit);
            EXPECT_EQ(Dev->Log(), Log{}) << "at the limit input goes on";
            FillTo(size - limit + 1);
            EXPECT_EQ(Dev->Log(), c.Stop);
            FillTo(size - 10);
            // New line settings leave stopped input stopped: no line raised for a moment, no XON.
            Port.SetBaudRate(Port.BaudRate() == br19200 ? br38400 : br19200);
            Log stopped = c.Stop;
            stopped.push_back("line " + std::to_string(Dev->LastLine().BaudRate));
            EXPECT_EQ(Dev->Log(), stopped);
            Dev->ClearLog();
            ReadDownTo(limit);
            EXPECT_EQ(Dev->Log(), Log{}) << "stopped once, and not resumed at the XON limit";
            ReadDownTo(limit - 1);
            EXPECT_EQ(Dev->Log(), c.Resume);
            ReadDownTo(0);
            EXPECT_EQ(Dev->Log(), c.Resume) << "resumed once";
        }
}

TEST(PtyFlow, XoffAndXonReachThePeerAtTheLimitsInTheLinesOwnCharacters)
{
    // A character of 0 the driver takes as "disabled": the port sends that one itself.
    for (auto [xon, xoff] :
         {std::pair{'\x11', '\x13'}, std::pair{'Q', 'S'}, std::pair{'\x11', '\0'}, std::pair{'\0', 'S'}}) {
        TPtyPair pty;
        TComPort port;
        port.SetPort(pty.SlavePath());
        port.Buffer().SetInputSize(InputSize);
        port.FlowControl().SetXonXoffIn(true);
        port.FlowControl().SetXonChar(xon);
        port.FlowControl().SetXoffChar(xoff);
        port.Open();
        auto fill = [&](int n) {
            return pty.Send(std::string(std::size_t(n - port.InputCount()), '.')) &&
                   WaitWithoutPumping([&] { return port.InputCount() == n; });
        };
        auto readTo = [&](int n) {
            std::string got;
            port.ReadStr(got, port.InputCount() - n);
        };
        ASSERT_TRUE(fill(InputSize - Limit));
        EXPECT_EQ(pty.Receive(1, 100), "");
        ASSERT_TRUE(fill(InputSize - Limit + 1));
        EXPECT_EQ(pty.Receive(1), std::string(1, xoff));
        readTo(Limit);
        EXPECT_EQ(pty.Receive(1, 100), "");
        readTo(Limit - 1);
        EXPECT_EQ(pty.Receive(1), std::string(1, xon));
        EXPECT_EQ(pty.Receive(1, 100), "") << "each once";
        port.Close();
    }
}

TEST_F(FlowTest, WritesWaitForCtsDsrAndThePortsOwnXoffAndGoWhenReleased)
{
    const struct {
        const char* Name;
        void (*Set)(TComFlowControl&);
        TComStateFlags Idle, Flags; // with nothing to send, and with the write waiting
        bool Held;
        std::function<void(FlowTest&)> Release;
    } cases[] = {
        {"CTS",
         [](TComFlowControl& f) { f.SetOutCTSFlow(true); },
         {},
         {fCtlHold},
         true,
         [](FlowTest& t) { t.Dev->SetLines(mlCTS); }},
        {"DSR",
         [](TComFlowControl& f) { f.SetOutDSRFlow(true); },
         {},
         {fDsrHold},
         true,
         [](FlowTest& t) { t.Dev->SetLines(mlDSR); }},
        {"own XOFF",
         [](TComFlowControl& f) { f.SetXonXoffIn(true); },
         {fXOffSent},
         {fXOffSent},
         true,
         [](FlowTest& t) { t.ReadDownTo(0); }},
        {"own XOFF, its rule switched off: taken back at once",
         [](TComFlowControl& f) { f.SetXonXoffIn(true); },
         {fXOffSent},
         {fXOffSent},
         true,
         [](FlowTest& t) {
             t.Port.FlowControl().SetXonXoffIn(false);
             EXPECT_EQ(t.Dev->Log().back(), "xon");
         }},
        {"own XOFF, continuing",
         [](TComFlowControl& f) { f.SetXonXoffIn(true), f.SetTxContinueOnXoff(true); },
         {fXOffSent},
         {fXOffSent},
         false,
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Port.Close();
        Dev->SetLines(0);
        Port.FlowControl().SetFlowControl(fcNone);
        Port.FlowControl().SetOutDSRFlow(false);
        Port.FlowControl().SetTxContinueOnXoff(false);
        c.Set(Port.FlowControl());
        Port.Open();
        FillTo(InputSize - Limit + 1); // past the XOFF limit: the port's XOFF goes out where it is wanted
        EXPECT_EQ(Port.StateFlags(), c.Idle) << "no hold while nothing waits";
        const std::string before = Dev->Written();
        TAsync* rec = nullptr;
        InitAsync(rec);
        Port.WriteStrAsync("held", rec);
        if (!c.Held) {
            EXPECT_EQ(Port.WaitForAsync(rec), 4);
            EXPECT_EQ(Port.StateFlags(), c.Flags);
            DoneAsync(rec);
            continue;
        }
        PumpFor(30);
        EXPECT_EQ(Dev->Written(), before);
        EXPECT_EQ(Port.StateFlags(), c.Flags);
        c.Release(*this);
        ASSERT_TRUE(WaitWithoutPumping([&] { return Dev->Written() == before + "held"; })); // else the wait never ends
        EXPECT_EQ(Port.WaitForAsync(rec), 4);
        EXPECT_EQ(Port.StateFlags(), TComStateFlags{});
        DoneAsync(rec);
        ReadDownTo(0);
    }
}

TEST_F(FlowTest, BytesThatArriveWhileDsrIsLowAreDropped)
{
    Port.FlowControl().SetDSRSensitivity(true);
    Port.Open();
    Dev->Feed("lost");
    ASSERT_TRUE(WaitWithoutPumping([&] { return Dev->Unread().empty(); }));
    PumpFor(20);
    EXPECT_EQ(Port.InputCount(), 0);
    Dev->SetLines(mlDSR);
    Dev->Feed("kept");
    ASSERT_TRUE(WaitWithoutPumping([&] { return Port.InputCount() == 4; }));
    std::string got;
    Port.ReadStr(got, 10);
    EXPECT_EQ(got, "kept");
}

// Whether a byte came while DSR was low is judged by when it came, as far as the driver lets the port know: the
// reader here is kept from the device while it waits in a drain (RTS toggle), and the bytes and line changes come
// meanwhile, as a USB adapter hands them over together.
TEST_F(FlowTest, DsrSensitivityDropsOnlyBytesThatSurelyCameWhileDsrWasLow)
{
    const struct {
        const char* Name;
        unsigned Before;
        void (*Meanwhile)(TFakeComBackend&);
        bool Kept;
    } cases[] = {
        {"low throughout", 0, [](TFakeComBackend& d) { d.Feed("data"); }, false},
        {"came while high, DSR fell before the read", mlDSR, [](TFakeComBackend& d) { d.Feed("data"), d.SetLines(0); },
         true},
        {"came while low, DSR rose before the read", 0, [](TFakeComBackend& d) { d.Feed("data"), d.SetLines(mlDSR); },
         true},
        {"low at both looks, a pulse counted between", 0, [](TFakeComBackend& d) { d.Feed("data"), d.Pulse(mlDSR); },
         true},
    };
    Port.FlowControl().SetDSRSensitivity(true);
    Port.FlowControl().SetControlRTS(rtsToggle);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Port.Close();
        Dev->SetLines(c.Before);
        Port.Open();
        Dev->HoldLine(true);
        const int drains = Dev->Drains();
        Port.WriteStr("w");
        ASSERT_TRUE(WaitWithoutPumping([&] { return Dev->Drains() == drains + 1; }));
        c.Meanwhile(*Dev);
        Dev->HoldLine(false);
        ASSERT_TRUE(WaitWithoutPumping([&] { return Dev->Unread().empty(); }));
        EXPECT_EQ(Port.InputCount(), c.Kept ? 4 : 0);
    }
}

TEST_F(FlowTest, AFlowCharacterOfZeroGoesOutFromThePortAheadOfTheWritesAndOnlyThenCountsAsSent)
{
    Port.FlowControl().SetXonXoffIn(true);
    Port.FlowControl().SetXoffChar('\0');
    Port.FlowControl().SetTxContinueOnXoff(true);
    Port.Open();
    Dev->ClearLog();
    Dev->SetWriteRoom(0); // the driver takes nothing for now
    TAsync* rec = nullptr;
    InitAsync(rec);
    Port.WriteStrAsync("data", rec);
    FillTo(InputSize - Limit + 1);
    EXPECT_EQ(Port.StateFlags(), TComStateFlags{}) << "nothing went out";
    Dev->SetWriteRoom(-1);
    EXPECT_EQ(Port.WaitForAsync(rec), 4);
    EXPECT_EQ(Dev->Written(), std::string(1, '\0') + "data");
    EXPECT_EQ(Port.StateFlags(), TComStateFlags{fXOffSent});
    ReadDownTo(Limit - 1);
    EXPECT_EQ(Dev->Log(), Log{"xon"}) << "a character the driver can send is the driver's";
    EXPECT_EQ(Port.StateFlags(), TComStateFlags{});
    DoneAsync(rec);
}

TEST_F(FlowTest, PulsesBetweenTwoLooksRaiseEveryChangeInOrder)
{
    Port.OnCTSChange = Line("CTS");
    Port.OnDSRChange = Line("DSR");
    Port.OnRLSDChange = Line("RLSD");
    Port.OnRing = [this](TCustomComPort*) { log.push_back("ring"); };
    for (bool notice : {true, false}) {
        SCOPED_TRACE(notice ? "with the driver's notice" : "looked at from time to time");
        Port.Close();
        Dev->LineNotice = notice;
        Dev->SetLines(mlDSR);
        Port.Open();
        log.clear();
        Dev->Pulse(mlCTS);
        ASSERT_TRUE(PumpUntil([&] { return log.size() == 2; }));
        Dev->Pulse(mlDSR);
        Dev->Pulse(mlDSR);
        ASSERT_TRUE(PumpUntil([&] { return log.size() == 6; }));
        Dev->Pulse(mlRing);
        ASSERT_TRUE(PumpUntil([&] { return log.size() == 7; }));
        Dev->SetLines(mlDSR | mlRLSD);
        ASSERT_TRUE(PumpUntil([&] { return log.size() == 8; }));
        PumpFor(20);
        EXPECT_EQ(log, (Log{"CTS on", "CTS off", "DSR off", "DSR on", "DSR off", "DSR on", "ring", "RLSD on"}));
        EXPECT_EQ(Port.Signals(), (TComSignals{csDSR, csRLSD}));
    }
}

TEST_F(FlowTest, CloseReturnsWhileALineWaitIsPending)
{
    for (int round = 0; round < 20; ++round) {
        Port.Open();
        // Every other round closes at once, while the wait may be just about to begin.
        ASSERT_TRUE(round % 2 || WaitWithoutPumping([&] { return Dev->LineWaiters() == 1; }));
        auto closed = std::async(std::launch::async, [this] { Port.Close(); });
        ASSERT_EQ(closed.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "Close hangs";
        EXPECT_EQ(Dev->LineWaiters(), 0);
    }
}

TEST(ThreadInterrupt, EndsABlockingCallOfAnotherThreadWhateverItsSignalMask)
{
    for (bool blocked : {false, true}) {
        SCOPED_TRACE(blocked ? "every signal blocked" : "no signal blocked");
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        TThreadInterrupt interrupt;
        std::atomic<bool> done{false};
        int result = -1;
        std::thread reader([&] {
            sigset_t all;
            sigfillset(&all);
            if (blocked)
                pthread_sigmask(SIG_BLOCK, &all, nullptr);
            char c;
            result = interrupt.Run([&] { return int(read(fds[0], &c, 1)); });
            done = true;
        });
        // An interruption that comes before the call blocks is lost: it is sent again until the call has ended.
        const bool ended = Until([&] { return done.load(); }, [&] { interrupt.Interrupt(), usleep(2000); }, 10000);
        EXPECT_TRUE(ended);
        if (!ended) {
            EXPECT_EQ(write(fds[1], "x", 1), 1); // the reader the signal never reached goes all the same
        }
        reader.join();
        EXPECT_EQ(result, EINTR);
        interrupt.Interrupt(); // with nothing running: nothing happens
        close(fds[0]);
        close(fds[1]);
    }
}

TEST(PortPriority, TheEventThreadRunsAtThePortsPriorityCountedFromWhereTheOpeningThreadStood)
{
    // Opened from a thread at the nice value it started with, and from one that had already lowered its own.
    const int start = getpriority(PRIO_PROCESS, id_t(gettid()));
    std::map<int, std::map<TThreadPriority, int>> nice; // by how far the opening thread had lowered itself
    for (int lowered : {0, 3}) {
        std::thread opener([&] {
            const int base = start + lowered;
            ASSERT_EQ(setpriority(PRIO_PROCESS, id_t(gettid()), base), 0);
            TFakePort fp;
            fp.Port.SetSyncMethod(smNone);
            for (TThreadPriority p : {tpNormal, tpLower, tpLowest, tpIdle}) {
                fp.Port.SetEventThreadPriority(p);
                fp.Port.Open();
                pid_t events = 0, io = 0; // named once its priority is set
                ASSERT_TRUE(WaitWithoutPumping([&] { return (events = ThreadNamed("com-events")) != 0; })) << p;
                ASSERT_TRUE(WaitWithoutPumping([&] { return (io = ThreadNamed("com-io")) != 0; }));
                nice[lowered][p] = NiceOf(events);
                EXPECT_EQ(sched_getscheduler(events), p == tpIdle ? SCHED_IDLE : SCHED_OTHER) << p;
                EXPECT_EQ(NiceOf(io), base) << "the I/O thread keeps its priority";
                fp.Port.Close();
            }
        });
        opener.join();
    }
    for (auto& [lowered, n] : nice) {
        EXPECT_EQ(n[tpNormal], start + lowered);
        EXPECT_GT(n[tpLower], n[tpNormal]);
        EXPECT_GT(n[tpLowest], n[tpLower]);
    }
    for (TThreadPriority p : {tpNormal, tpLower, tpLowest})
        if (nice[3][p] < 19) { // not cut at the lowest priority there is
            EXPECT_EQ(nice[3][p] - nice[0][p], 3) << p << ": lowered from where the opening thread stood";
        }
}

TEST(PortPriority, ARaiseTheSystemRefusesLeavesTheThreadAsItWasAndThePortWorking)
{
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_NICE, &before), 0);
    rlimit none = before;
    none.rlim_cur = 0;
    ASSERT_EQ(setrlimit(RLIMIT_NICE, &none), 0);
    int base = 0, raised = 0;
    bool found = false;
    std::string written;
    std::thread unprivileged([&] {
        DropNiceCapability();
        base = getpriority(PRIO_PROCESS, id_t(gettid()));
        TFakePort fp;
        fp.Port.SetSyncMethod(smNone);
        fp.Port.SetEventThreadPriority(tpHighest);
        fp.Port.Open();
        pid_t events = 0;
        found = WaitWithoutPumping([&] { return (events = ThreadNamed("com-events")) != 0; });
        raised = found ? NiceOf(events) : -100;
        fp.Port.WriteStr("works");
        written = fp.Dev->Written();
        fp.Port.Close();
    });
    unprivileged.join();
    setrlimit(RLIMIT_NICE, &before);
    ASSERT_TRUE(found) << "the event thread";
    EXPECT_EQ(raised, base);
    EXPECT_EQ(written, "works");
}

TEST_F(FlowTest, RtsToggleStartsLowAndStaysUpForAWriteMadeWhileThePreviousDrains)
{
    Dev->SetModemLines(mlRTS, true); // left raised by whoever had the line before
    Port.FlowControl().SetControlRTS(rtsToggle);
    Port.Open();
    EXPECT_EQ(Dev->OutputLines() & mlRTS, 0u);
    Dev->ClearLog();
    Dev->HoldLine(true);
    Port.WriteStr("a");
    ASSERT_TRUE(WaitWithoutPumping([&] { return Dev->Drains() == 1; }));
    Port.WriteStr("b");
    Dev->HoldLine(false);
    ASSERT_TRUE(WaitWithoutPumping([&] { return (Dev->OutputLines() & mlRTS) == 0; }));
    EXPECT_EQ(Dev->Log(), (Log{"rts 1", "drain", "drain", "rts 0"})) << "down only after the second byte left";
    EXPECT_EQ(Dev->Written(), "ab");

    // New line settings while a write still leaves keep the toggled line up, also when the toggle itself is new.
    for (TRTSFlowControl before : {rtsToggle, rtsEnable}) {
        SCOPED_TRACE(before);
        Port.FlowControl().SetControlRTS(before);
        Dev->HoldLine(true);
        Port.WriteStr("c");
        if (before == rtsToggle)
            Port.SetBaudRate(Port.BaudRate() == br19200 ? br38400 : br19200);
        else
            Port.FlowControl().SetControlRTS(rtsToggle);
        PumpFor(20);
        EXPECT_EQ(Dev->OutputLines() & mlRTS, unsigned(mlRTS));
        Dev->HoldLine(false);
        EXPECT_TRUE(WaitWithoutPumping([&] { return (Dev->OutputLines() & mlRTS) == 0; }));
        EXPECT_EQ(Dev->Queued(), 0u);
    }
    EXPECT_EQ(Dev->Sent(), "abcc");
}

TEST_F(FlowTest, TheSetupDialogRunsForThePortAndAppliesWhatIsConfirmed)
{
    RunModal([&] { Port.ShowSetupDialog(); }, Pick({{"Combo2", "19200"}, {"Combo6", "Hardware"}}, "Button1"));
    EXPECT_EQ(Port.BaudRate(), br19200);
    EXPECT_EQ(Port.FlowControl().FlowControl(), fcHardware);
    RunModal([&] { Port.ShowSetupDialog(); }, Pick({{"Combo2", "300"}}, "Button2"));
    EXPECT_EQ(Port.BaudRate(), br19200);
}
