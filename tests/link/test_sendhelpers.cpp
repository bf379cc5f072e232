#include "FakeHost.h"
#include "RecordingPort.h"

#include "link/serial/SendHelpers.h"
#include "link/protocol/Timing.h"
#include "platform/Convert.h"

#include <gtest/gtest.h>

namespace {
struct Sending : ::testing::Test {
    RecordingPort port;
    FakeHost host;
    LinkTiming timing = LinkTiming{}.Scaled(0, 1);
    SerialSender sender{port, host, timing};
};
std::string Byte(int b) { return std::string(1, static_cast<char>(b)); }
} // namespace

TEST_F(Sending, CommandGoesOutOneCharacterPerWrite)
{
    sender.SendComString("kvrw1\r");
    EXPECT_EQ(port.Writes, (std::vector<std::string>{"k", "v", "r", "w", "1", "\r"}));
}

TEST_F(Sending, ByteCodesInSquareBrackets)
{
    struct Case {
        std::string text;
        std::vector<std::string> writes;
    } cases[] = {
        {"[13]", {"\r"}},
        {"[0]", {Byte(0)}},
        {"[300]", {Byte(44)}},
        {"A[66]C", {"A", "B", "C"}},
        {"[abc]", {Byte(0)}},
        {"[]x", {Byte(0), "x"}},
        {"x[66", {"x", "B"}},
        {"[ 7]", {Byte(7)}},
        {"[-1]", {Byte(255)}},
        {"[+65]", {"A"}},
        {"[12a]]", {Byte(12), "]"}},
        // Saturates at the largest 32-bit number instead of overflowing: low byte 0xFF.
        {"[99999999999999999999]", {Byte(255)}},
        {"[-99999999999999999999]", {Byte(0)}},
    };
    for (const auto& c : cases) {
        port.Writes.clear();
        sender.SendComString(c.text);
        EXPECT_EQ(port.Writes, c.writes) << c.text;
    }
}

TEST_F(Sending, RawSendKeepsBrackets)
{
    sender.SendComStringRaw("kvpw=[13]\r");
    EXPECT_EQ(port.Wire(), "kvpw=[13]\r");
    EXPECT_EQ(port.Writes.size(), 10u);
}

TEST_F(Sending, ClosedPortSendsNothingAndSaysSo)
{
    port.Open = false;
    sender.SendComString("kvrw0\r");
    sender.SendComStringRaw("x");
    EXPECT_TRUE(port.Writes.empty());
    EXPECT_EQ(host.Status, "Communication failure");
}

TEST_F(Sending, BadCharDelayRaisesBeforeAnythingIsSent)
{
    host.CharDelay = "2x";
    try {
        sender.SendComString("kvrw1\r");
        FAIL() << "no conversion error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'2x' is not a valid integer value");
    }
    EXPECT_TRUE(port.Writes.empty());
    EXPECT_TRUE(host.PortErrors.empty());

    // Inside a transfer the delay it started with stands in.
    sender.SetFallbackCharDelay(0);
    sender.SendComString("ok");
    EXPECT_EQ(port.Wire(), "ok");
}

TEST_F(Sending, PortErrorEndsTheSendWithAMessage)
{
    port.FailWriteAt = 2;
    EXPECT_NO_THROW(sender.SendComString("kvrw1\r"));
    EXPECT_EQ(port.Wire(), "kv");
    ASSERT_EQ(host.PortErrors.size(), 1u);
    EXPECT_EQ(host.PortErrors[0], "WriteFile function failed");
}

TEST_F(Sending, FrameBytesEscapedOneWriteEach)
{
    for (int b : {0x0D, 0x08, 0x7D, 0x11, 0x13, 0x00, 0x41, 0xFF})
        sender.EscapeSendChksum(static_cast<uint8_t>(b));
    EXPECT_EQ(port.Writes, (std::vector<std::string>{Byte(0x7D), Byte(0x2D), Byte(0x7D), Byte(0x28), Byte(0x7D),
                                                      Byte(0x5D), Byte(0x7D), Byte(0x31), Byte(0x7D), Byte(0x33),
                                                      Byte(0x00), "A", Byte(0xFF)}));
}
