// Pure parts of the port: the termios it builds, the reader's decoding, the receive ring, the time-out rules.
#include "cport/ComTimeouts.h"
#include "cport/RxDecoder.h"
#include "cport/RxQueue.h"
#include "cport/TermiosBuild.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace std::string_literals;

namespace
{
TTermiosPlan Build(const TComLineSettings& s)
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

// Decodes Marked as two reads split at Cut.
std::string DecodeInTwo(const std::string& Marked, std::size_t Cut, TRxFindings& Found)
{
    TRxDecoder d;
    std::string out;
    d.Decode(Marked.data(), Cut, out, Found);
    d.Decode(Marked.data() + Cut, Marked.size() - Cut, out, Found);
    return out;
}
} // namespace

TEST(TermiosBuild, RawEightNoneOneWithMarkedInput)
{
    const termios t = Build({}).Attr;
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS | CMSPAR), 0u);
    EXPECT_TRUE(t.c_cflag & CREAD);
    EXPECT_TRUE(t.c_cflag & CLOCAL);
    EXPECT_TRUE(t.c_cflag & HUPCL);         // untouched
    EXPECT_EQ(t.c_iflag, tcflag_t(PARMRK)); // no translation, no flow, no break signal
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(cfgetospeed(&t), speed_t(B9600));
    EXPECT_EQ(cfgetispeed(&t), speed_t(B9600));
}

TEST(TermiosBuild, ParityKinds)
{
    struct {
        TParityBits bits;
        tcflag_t flags;
    } cases[] = {
        {prOdd, PARENB | PARODD}, {prEven, PARENB}, {prMark, PARENB | CMSPAR | PARODD}, {prSpace, PARENB | CMSPAR}};
    for (auto c : cases) {
        TComLineSettings s;
        s.Parity = c.bits;
        s.ParityCheck = true;
        const termios t = Build(s).Attr;
        EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), c.flags) << c.bits;
        EXPECT_TRUE(t.c_iflag & INPCK);
    }
}

TEST(TermiosBuild, DataAndStopBits)
{
    TComLineSettings s;
    s.DataBits = 5;
    s.StopBits = sbOne5StopBits;
    termios t = Build(s).Attr;
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS5));
    EXPECT_TRUE(t.c_cflag & CSTOPB); // with five bits the long stop bit is one and a half

    s.DataBits = 7;
    s.StopBits = sbTwoStopBits;
    t = Build(s).Attr;
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS7));
    EXPECT_TRUE(t.c_cflag & CSTOPB);

    termios base{};
    TTermiosPlan plan;
    s.StopBits = sbOne5StopBits;
    s.DataBits = 8;
    EXPECT_EQ(BuildTermios(base, s, plan), EINVAL);
    s.DataBits = 9;
    s.StopBits = sbOneStopBit;
    EXPECT_EQ(BuildTermios(base, s, plan), EINVAL);
    s.DataBits = 8;
    s.BaudRate = 0;
    EXPECT_EQ(BuildTermios(base, s, plan), EINVAL);
}

TEST(TermiosBuild, FlowControl)
{
    TComLineSettings s;
    s.OutCTSFlow = true;
    EXPECT_TRUE(Build(s).Attr.c_cflag & CRTSCTS);
    s = {};
    s.ControlRTS = rtsHandshake;
    EXPECT_TRUE(Build(s).Attr.c_cflag & CRTSCTS);

    s = {};
    s.XonXoffOut = true;
    s.XonChar = 0x21;
    s.XoffChar = 0x22;
    termios t = Build(s).Attr;
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), tcflag_t(IXON));
    EXPECT_EQ(t.c_cc[VSTART], 0x21);
    EXPECT_EQ(t.c_cc[VSTOP], 0x22);
    s.XonXoffOut = false;
    s.XonXoffIn = true;
    EXPECT_EQ(Build(s).Attr.c_iflag & (IXON | IXOFF), tcflag_t(IXOFF));
}

TEST(TermiosBuild, RatesWithoutAConstantGoThroughTheOtherPath)
{
    for (int rate : {110, 300, 1200, 9600, 19200, 38400, 57600, 115200}) {
        TComLineSettings s;
        s.BaudRate = rate;
        EXPECT_FALSE(Build(s).OtherRate) << rate;
    }
    for (int rate : {14400, 56000, 128000, 256000, 31250}) {
        TComLineSettings s;
        s.BaudRate = rate;
        const TTermiosPlan plan = Build(s);
        EXPECT_TRUE(plan.OtherRate) << rate;
        EXPECT_EQ(plan.Rate, rate);
    }
    EXPECT_TRUE(RateKept(14400, 14400));
    EXPECT_TRUE(RateKept(14400, 14406));
    EXPECT_FALSE(RateKept(14400, 9600));
    EXPECT_FALSE(RateKept(14400, 0));
}

TEST(TermiosBuild, ReadBackComparesWhatWasSet)
{
    TComLineSettings s;
    s.DataBits = 7;
    s.Parity = prEven;
    const termios wanted = Build(s).Attr;
    termios got = wanted;
    got.c_lflag |= ECHO; // not ours to check
    EXPECT_TRUE(TermiosKept(wanted, got));
    got.c_cflag = (got.c_cflag & ~(CSIZE | PARENB)) | CS8; // what a pseudo-terminal does to it
    EXPECT_FALSE(TermiosKept(wanted, got));
}

TEST(RxDecoder, LiteralFFRunsPassUnchangedAlsoSplitAcrossReads)
{
    const std::string marked = "a\xFF\xFF\xFF\xFF\xFF\xFF"
                               "b\xFF\xFF"s; // three 0xFF, then one
    const std::string plain = "a\xFF\xFF\xFF"
                              "b\xFF"s;
    for (std::size_t cut = 0; cut <= marked.size(); ++cut) {
        TRxFindings f;
        EXPECT_EQ(DecodeInTwo(marked, cut, f), plain) << "cut at " << cut;
        EXPECT_FALSE(f.Break || f.LineError);
    }
}

TEST(RxDecoder, BreaksAndBadBytes)
{
    const std::string marked = "x\xFF\x00\x00y\xFF\x00q"s;
    for (std::size_t cut = 0; cut <= marked.size(); ++cut) {
        TRxFindings f;
        EXPECT_EQ(DecodeInTwo(marked, cut, f), "xyq") << "cut at " << cut;
        EXPECT_TRUE(f.Break);
        EXPECT_TRUE(f.LineError);
    }
}

TEST(RxDecoder, ReplacementNullDiscardAndEventCharacter)
{
    TRxDecoder d;
    d.SetOptions({true, true, '?', true, '\r'});
    std::string out;
    TRxFindings f;
    const std::string in = "a\x00"
                           "b\xFF\x00q\xFF\x00\x00"
                           "c"s;
    d.Decode(in.data(), in.size(), out, f);
    EXPECT_EQ(out, "ab?c");
    EXPECT_FALSE(f.EventChar);
    d.Decode("OK\r", 3, out, f);
    EXPECT_TRUE(f.EventChar);

    // Without the parity check a bad byte is kept as it came.
    TRxDecoder keep;
    keep.SetOptions({false, true, '?', false, 0});
    out.clear();
    keep.Decode("\xFF\x00q", 3, out, f);
    EXPECT_EQ(out, "q");
}

TEST(RxQueue, WrapsAndKeepsOrder)
{
    TRxQueue q(8);
    char buf[16];
    EXPECT_EQ(q.Push("abcdef", 6), 6u);
    EXPECT_EQ(q.Pop(buf, 4), 4u);
    EXPECT_EQ(std::string(buf, 4), "abcd");
    EXPECT_EQ(q.Push("ghijklmnop", 10), 6u); // only the free room
    EXPECT_EQ(q.Free(), 0u);
    EXPECT_EQ(q.Pop(buf, 16), 8u);
    EXPECT_EQ(std::string(buf, 8), "efghijkl");
    EXPECT_EQ(q.Size(), 0u);
}

TEST(RxQueue, LoweringTheLimitKeepsQueuedBytes)
{
    TRxQueue q(8);
    char buf[16];
    q.Push("abcdefgh", 8);
    q.Pop(buf, 3);
    q.Push("ij", 2);
    q.SetLimit(4);
    EXPECT_EQ(q.Size(), 7u);
    EXPECT_EQ(q.Free(), 0u);
    EXPECT_EQ(q.Pop(buf, 5), 5u);
    EXPECT_EQ(std::string(buf, 5), "defgh");
    EXPECT_EQ(q.Free(), 2u);
    q.SetLimit(500000);
    EXPECT_EQ(q.Push("kl", 2), 2u);
    EXPECT_EQ(q.Pop(buf, 16), 4u);
    EXPECT_EQ(std::string(buf, 4), "ijkl");
}

TEST(ReadRules, FollowTheTimeOuts)
{
    const TComTimeoutValues defaults;
    EXPECT_TRUE(MakeReadRule(defaults, 100).AtOnce);

    TComTimeoutValues first;
    first.ReadTotalMultiplier = 0xFFFFFFFFu;
    first.ReadTotalConstant = 500;
    TReadRule r = MakeReadRule(first, 100);
    EXPECT_TRUE(r.FirstByte);
    EXPECT_EQ(r.TotalMs, 500u);

    TComTimeoutValues total;
    total.ReadInterval = 0;
    total.ReadTotalMultiplier = 10;
    total.ReadTotalConstant = 200;
    r = MakeReadRule(total, 30);
    EXPECT_FALSE(r.AtOnce || r.FirstByte || r.HasInterval);
    EXPECT_TRUE(r.HasTotal);
    EXPECT_EQ(r.TotalMs, 500u);

    TComTimeoutValues interval;
    interval.ReadInterval = 20;
    r = MakeReadRule(interval, 30);
    EXPECT_FALSE(r.HasTotal);
    EXPECT_TRUE(r.HasInterval);

    const auto t0 = TComClock::now();
    using std::chrono::milliseconds;
    EXPECT_FALSE(ReadOver(r, 0, 30, t0, t0, t0 + milliseconds(100000))); // no byte yet: no interval
    EXPECT_FALSE(ReadOver(r, 3, 30, t0, t0 + milliseconds(5), t0 + milliseconds(24)));
    EXPECT_TRUE(ReadOver(r, 3, 30, t0, t0 + milliseconds(5), t0 + milliseconds(25)));
    EXPECT_TRUE(ReadOver(r, 30, 30, t0, t0, t0));
    EXPECT_EQ(ReadDeadline(r, 3, t0, t0 + milliseconds(5)), t0 + milliseconds(25));

    std::uint64_t ms = 0;
    EXPECT_TRUE(WriteLimit(defaults, 5, ms));
    EXPECT_EQ(ms, 1500u);
    TComTimeoutValues none = defaults;
    none.WriteTotalMultiplier = 0;
    none.WriteTotalConstant = 0;
    EXPECT_FALSE(WriteLimit(none, 5, ms));
}
