// Pure parts of the port: the termios it builds, the reader's decoding, the receive ring, the time-out rules,
// the setting texts and the port list.
#include "CportTestSupport.h"
#include "cport/port/ComTimeouts.h"
#include "cport/port/CportConv.h"
#include "cport/port/EnumPorts.h"
#include "cport/port/RxDecoder.h"
#include "cport/port/RxQueue.h"
#include "cport/port/TermiosBuild.h"
#include "platform/TempFiles.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace std::string_literals;

namespace
{
using S = TComLineSettings;

TTermiosPlan Build(const S& s)
{
    termios base{};
    base.c_iflag = ICRNL | IXON | BRKINT;
    base.c_oflag = OPOST | ONLCR;
    base.c_lflag = ICANON | ECHO | ISIG;
    base.c_cflag = CS7 | PARENB | HUPCL;
    TTermiosPlan plan;
    EXPECT_EQ(BuildTermios(base, s, plan), 0);
    return plan;
}
} // namespace

TEST(TermiosBuild, RawEightNoneOneWithMarkedInput)
{
    const termios t = Build({}).Attr;
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CMSPAR | CREAD | CLOCAL | HUPCL),
              tcflag_t(CS8 | CREAD | CLOCAL | HUPCL));
    EXPECT_EQ(t.c_iflag, tcflag_t(PARMRK)); // no translation, no flow, no break signal
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(cfgetospeed(&t), speed_t(B9600));
    EXPECT_EQ(cfgetispeed(&t), speed_t(B9600));
}

TEST(TermiosBuild, FramingParityAndFlow)
{
    const struct {
        const char* name;
        void (*set)(S&);
        tcflag_t termios::*field;
        tcflag_t mask, want;
    } cases[] = {
        {"odd", [](S& s) { s.Parity = prOdd; }, &termios::c_cflag, PARENB | PARODD | CMSPAR, PARENB | PARODD},
        {"even", [](S& s) { s.Parity = prEven; }, &termios::c_cflag, PARENB | PARODD | CMSPAR, PARENB},
        {"mark", [](S& s) { s.Parity = prMark; }, &termios::c_cflag, PARENB | PARODD | CMSPAR,
         PARENB | PARODD | CMSPAR},
        {"space", [](S& s) { s.Parity = prSpace; }, &termios::c_cflag, PARENB | PARODD | CMSPAR, PARENB | CMSPAR},
        {"checked", [](S& s) { s.Parity = prOdd, s.ParityCheck = true; }, &termios::c_iflag, INPCK, INPCK},
        {"5 bits, 1.5 stop", [](S& s) { s.DataBits = 5, s.StopBits = sbOne5StopBits; }, &termios::c_cflag,
         CSIZE | CSTOPB, CS5 | CSTOPB},
        {"7 bits, 2 stop", [](S& s) { s.DataBits = 7, s.StopBits = sbTwoStopBits; }, &termios::c_cflag, CSIZE | CSTOPB,
         CS7 | CSTOPB},
        {"CTS flow alone", [](S& s) { s.OutCTSFlow = true; }, &termios::c_cflag, CRTSCTS, 0},
        {"RTS handshake alone", [](S& s) { s.ControlRTS = rtsHandshake; }, &termios::c_cflag, CRTSCTS, 0},
        {"CTS flow and RTS handshake", [](S& s) { s.OutCTSFlow = true, s.ControlRTS = rtsHandshake; },
         &termios::c_cflag, CRTSCTS, CRTSCTS},
        {"XON/XOFF out", [](S& s) { s.XonXoffOut = true; }, &termios::c_iflag, IXON | IXOFF, IXON},
        {"XON/XOFF in", [](S& s) { s.XonXoffIn = true; }, &termios::c_iflag, IXON | IXOFF, IXOFF},
    };
    for (const auto& c : cases) {
        S s;
        c.set(s);
        EXPECT_EQ(Build(s).Attr.*c.field & c.mask, c.want) << c.name;
    }
    S s;
    s.XonChar = 0x21;
    s.XoffChar = 0x22;
    EXPECT_EQ(Build(s).Attr.c_cc[VSTART], 0x21);
    EXPECT_EQ(Build(s).Attr.c_cc[VSTOP], 0x22);

    for (auto refuse :
         {+[](S& s) { s.StopBits = sbOne5StopBits; }, +[](S& s) { s.DataBits = 9; }, +[](S& s) { s.BaudRate = 0; }}) {
        S bad;
        refuse(bad);
        TTermiosPlan plan;
        EXPECT_EQ(BuildTermios(termios{}, bad, plan), EINVAL);
    }
}

TEST(TermiosBuild, RatesWithoutAConstantAndTheReadBack)
{
    for (const auto& [rates, other] : {std::pair{std::vector{110, 1200, 9600, 57600, 115200}, false},
                                       std::pair{std::vector{14400, 56000, 128000, 256000, 31250}, true}})
        for (int rate : rates) {
            S s;
            s.BaudRate = rate;
            const TTermiosPlan plan = Build(s);
            EXPECT_EQ(plan.OtherRate, other) << rate;
            EXPECT_EQ(plan.Rate, other ? rate : plan.Rate);
        }
    EXPECT_TRUE(RateKept(14400, 14406));
    EXPECT_FALSE(RateKept(14400, 9600));

    // A framing the device did not keep shows on the read-back; the local modes are not ours to check.
    termios wanted = Build({}).Attr, got = wanted;
    got.c_lflag |= ECHO;
    EXPECT_TRUE(TermiosKept(wanted, got));
    got.c_cflag = (got.c_cflag & ~CSIZE) | CS7;
    EXPECT_FALSE(TermiosKept(wanted, got));
}

TEST(RxDecoder, MarkedInputAlsoSplitAcrossReads)
{
    // 0xFF 0xFF is one 0xFF, 0xFF 0 0 a break, 0xFF 0 c a byte c with a line error: kept as it came unless the
    // parity is checked and a replacement set. The findings: break, line error, event character.
    const TRxReaderOptions plain, strict{true, true, '?', true, '\r'};
    const std::tuple<TRxReaderOptions, std::string, std::string, std::string> cases[] = {
        {plain, "p\xFF\xFF\xFF\xFF\xFF\xFFr\xFF\xFF"s, "p\xFF\xFF\xFFr\xFF"s, "---"},
        {plain, "x\xFF\x00\x00y\xFF\x00q"s, "xyq", "BL-"},
        {strict, "p\x00r\xFF\x00q\xFF\x00\x00s"s, "pr?s", "BL-"},
        {strict, "OK\r", "OK\r", "--E"},
    };
    for (const auto& [options, marked, want, found] : cases)
        for (std::size_t cut = 0; cut <= marked.size(); ++cut) {
            TRxDecoder d;
            d.SetOptions(options);
            TRxFindings f;
            std::string out;
            d.Decode(marked.data(), cut, out, f);
            d.Decode(marked.data() + cut, marked.size() - cut, out, f);
            EXPECT_EQ(out, want) << "cut at " << cut;
            EXPECT_EQ((std::string{f.Break ? 'B' : '-', f.LineError ? 'L' : '-', f.EventChar ? 'E' : '-'}), found);
        }
}

TEST(RxQueue, WrapsKeepsOrderAndKeepsBytesWhenTheLimitDrops)
{
    TRxQueue q(8);
    char buf[16];
    EXPECT_EQ(q.Push("abcdef", 6), 6u);
    EXPECT_EQ(q.Pop(buf, 4), 4u);
    EXPECT_EQ(q.Push("ghijklmnop", 10), 6u); // only the free room
    EXPECT_EQ(q.Pop(buf, 3), 3u);
    EXPECT_EQ(std::string(buf, 3), "efg");
    q.Push("xyz", 3);
    q.SetLimit(4);
    EXPECT_EQ(q.Size(), 8u);
    EXPECT_EQ(q.Free(), 0u);
    EXPECT_EQ(q.Pop(buf, 6), 6u);
    EXPECT_EQ(std::string(buf, 6), "hijklx");
    EXPECT_EQ(q.Free(), 2u);
    q.SetLimit(500000);
    EXPECT_EQ(q.Push("12", 2), 2u);
    EXPECT_EQ(q.Pop(buf, 16), 4u);
    EXPECT_EQ(std::string(buf, 4), "yz12");
}

TEST(ReadRules, TotalsIntervalsAndSaturation)
{
    // Which rule applies is seen end to end over a pseudo-terminal; here the sums and the edges.
    TComTimeoutValues t;
    t.ReadInterval = 0;
    t.ReadTotalMultiplier = 10;
    t.ReadTotalConstant = 200;
    EXPECT_EQ(MakeReadRule(t, 30).TotalMs, 500u);
    t.ReadInterval = 20;
    t.ReadTotalMultiplier = t.ReadTotalConstant = 0;
    const TReadRule r = MakeReadRule(t, 30);
    const auto t0 = TComClock::now();
    const auto at = [&](int ms) { return t0 + std::chrono::milliseconds(ms); };
    EXPECT_FALSE(ReadOver(r, 0, 30, t0, t0, at(100000))); // no byte yet: no interval
    EXPECT_FALSE(ReadOver(r, 3, 30, t0, at(5), at(24)));
    EXPECT_TRUE(ReadOver(r, 3, 30, t0, at(5), at(25)));
    EXPECT_EQ(ReadDeadline(r, 3, t0, at(5)), at(25));

    // Limits beyond the clock saturate: a wrapped deadline would end a long read at once.
    EXPECT_EQ(LimitAfter(t0, 0xFFFFFFFFull * 4000), TComClock::time_point::max());
    t.ReadInterval = 0;
    t.ReadTotalMultiplier = 0xFFFFFFFFu;
    EXPECT_GT(ReadDeadline(MakeReadRule(t, 4000), 0, t0, t0), t0 + std::chrono::hours(24 * 365));
}

TEST(Conversions, TextsOrdinalsAndMessages)
{
    for (int i = 0; i <= int(br256000); ++i)
        EXPECT_EQ(StrToBaudRate(BaudRateToStr(TBaudRate(i))), TBaudRate(i));
    EXPECT_EQ(std::pair(StrToParity("mark"), StrToParity("bogus")), std::pair(prMark, prNone));
    // The program INI file stores these ordinals.
    EXPECT_EQ((std::vector<int>{br9600, br115200, br256000, dbEight, prSpace, fcNone}),
              (std::vector<int>{7, 13, 15, 3, 4, 2}));
    EXPECT_EQ(MaskToComEvents(ComEventsToMask(AllComEvents)), AllComEvents);
    EXPECT_STREQ(EComPort(7, 87).what(), "SetCommState function failed (system error code: 87)");
    EXPECT_STREQ(EComPort(18).what(), "Link (un)registration failed");
}

TEST(PortList, RealDevicesSortedWithoutPhantomUarts)
{
    // A slot without a UART has type 0, a 16550A type 4; a virtual console has no device.
    TTempFiles root;
    const std::pair<const char*, const char*> files[] = {{"ttyUSB0/device/uevent", ""}, {"ttyS1/device/uevent", ""},
                                                         {"ttyS1/type", "0\n"},         {"ttyS0/device/uevent", ""},
                                                         {"ttyS0/type", "4\n"},         {"ttyACM0/device/uevent", ""},
                                                         {"tty1/dev", "4:1\n"}};
    for (auto [file, bytes] : files)
        root.Put(root.Path(file), bytes);
    std::vector<std::string> ports = {"stale"};
    EnumComPortsIn(root.Dir.string(), ports);
    EXPECT_EQ(ports, (std::vector<std::string>{"ttyACM0", "ttyS0", "ttyUSB0"}));

    ports = {"kept"};
    EXPECT_TRUE(RaisesCom([&] { EnumComPortsIn(root.Path("missing"), ports); }, 23, ENOENT));
    EXPECT_EQ(ports, (std::vector<std::string>{"kept"}));
}
