// The serial protocol: the frame escape, checksums and CRC, reply checks, the sender's bytes on the
// wire, and the unit's short answers.
#include "FakeHost.h"
#include "RecordingPort.h"

#include "link/protocol/Framing.h"
#include "link/protocol/Protocol.h"
#include "link/protocol/Timing.h"
#include "link/protocol/UnitAnswers.h"
#include "link/serial/AltBlockWriter.h"
#include "link/serial/SendHelpers.h"
#include "platform/Convert.h"

#include <QTimer>

using namespace Framing;
using Strings = std::vector<std::string>;

TEST(Framing, EscapesTheFiveControlBytesAndUndoesIt)
{
    std::string all, framed;
    for (int b = 0; b < 256; ++b) {
        all += Byte(b);
        const bool control = b == 0x0D || b == 0x08 || b == 0x7D || b == 0x11 || b == 0x13;
        framed += control ? Byte(0x7D) + Byte(b ^ 0x20) : Byte(b);
    }
    EXPECT_EQ(Escape(all), framed);
    EXPECT_EQ(Unescape(framed), all);
    EXPECT_EQ(Unescape("A\x7D"), "A"); // a mark at the very end has nothing after it
}

TEST(Framing, ChecksumAndCrc)
{
    EXPECT_EQ(BlockChecksum("abc"), 0xFED9);
    EXPECT_EQ(BlockChecksum(""), 0xFFFF);
    EXPECT_EQ(BlockChecksum(std::string(512, '\xFF')), 0x01FF);
    EXPECT_EQ(BlockChecksum(std::string(257, '\xFF')), 0x0000); // the sum wraps at 16 bits
    EXPECT_EQ(CrcX25("123456789"), 0x906E);                     // the published check value
    EXPECT_EQ(CrcX25(""), 0);
    EXPECT_EQ(AltBlockWriter::CalcBlockCrc("123456789"), 0x6E90); // swapped: its low byte goes out first
}

TEST(Framing, ReplyIsReadUpToItsFirstZeroByte)
{
    const struct {
        std::string reply, keyword;
        bool found;
    } cases[] = {{"\r\nOK\r\n", "OK", true},
                 {"xxOKyy", "OK", true},
                 {std::string("\0OK\r\n", 5), "OK", false},
                 {std::string("O\0K", 3), "OK", false},
                 {"", "OK", false},
                 {"\r\n0\r\n ", "0\r", true},
                 {"\r\nOK\r\n", "0\r", false}};
    for (const auto& c : cases)
        EXPECT_EQ(ReplyContains(c.reply, c.keyword), c.found) << c.reply;
}

TEST(Framing, ReadReplyNeedsImageChecksumAndTail)
{
    std::string image;
    for (int i = 0; i < 3072; ++i)
        image += Byte(i * 13 + 5);
    const auto reply = [&](int checksumDelta, const std::string& tail) {
        const auto sum = static_cast<uint16_t>(BlockChecksum(image) + checksumDelta);
        return image + Byte(sum >> 8) + Byte(sum & 0xFF) + tail;
    };
    const struct {
        const char* name;
        std::string received;
        const char* message;
    } cases[] = {
        {"good", reply(0, "\r\nOK\r\n"), nullptr},
        {"bytes before the tail", reply(0, "junk\r\nOK\r\n"), nullptr},
        {"checksum off", reply(1, "\r\nOK\r\n"), Msg::kChecksumFailed},
        {"tail without OK", reply(0, "\r\nER\r\n"), Msg::kReadFailed},
        {"short data ending in OK", image.substr(0, 3000) + "\r\nOK\r\n", Msg::kReadFailed},
        {"one byte short", reply(0, "\r\nOK\r\n").substr(1), Msg::kReadFailed},
        {"nothing", "", Msg::kReadFailed},
    };
    for (const auto& c : cases) {
        const auto check = CheckReadReply(c.received, 3072);
        EXPECT_EQ(check.ok, c.message == nullptr) << c.name;
        EXPECT_STREQ(check.message, c.message) << c.name;
        EXPECT_EQ(check.image, check.ok ? image : "") << c.name;
    }
}

namespace
{
struct Sending : ::testing::Test {
    RecordingPort port;
    FakeHost host;
    LinkTiming timing = LinkTiming{}.Scaled(0, 1);
    SerialSender sender{port, host, timing};
};
} // namespace

TEST_F(Sending, OneWritePerCharacterWithByteCodesInBrackets)
{
    const struct {
        std::string text;
        bool raw;
        Strings writes;
    } cases[] = {
        {"kvrw1\r", false, {"k", "v", "r", "w", "1", "\r"}},
        {"A[66]C", false, {"A", "B", "C"}},
        {"[300]", false, {","}},
        {"[abc]", false, {Byte(0)}},
        {"[]x", false, {Byte(0), "x"}},
        {"x[66", false, {"x", "B"}},
        {"[ 7]", false, {Byte(7)}},
        {"[-1]", false, {Byte(255)}},
        {"[12a]]", false, {Byte(12), "]"}},
        {"pw=[13]", true, {"p", "w", "=", "[", "1", "3", "]"}}, // a password goes out as typed
    };
    for (const auto& c : cases) {
        port.Writes.clear();
        c.raw ? sender.SendComStringRaw(c.text) : sender.SendComString(c.text);
        EXPECT_EQ(port.Writes, c.writes) << c.text;
    }
    port.Writes.clear();
    for (int b : {0x0D, 0x41, 0x7D})
        sender.EscapeSendChksum(static_cast<uint8_t>(b));
    EXPECT_EQ(port.Writes, (Strings{Byte(0x7D), Byte(0x2D), "A", Byte(0x7D), Byte(0x5D)}));
}

TEST_F(Sending, BadDelayPortErrorAndClosedPort)
{
    // A bad character delay raises before anything goes out; inside a transfer the delay it began with stands in.
    host.CharDelay = "2x";
    EXPECT_THROW(sender.SendComString("kvrw1\r"), EConvertError);
    EXPECT_TRUE(port.Writes.empty());
    sender.SetFallbackCharDelay(0);
    sender.SendComString("ok");
    // A port error drops the rest of the text with a message.
    port.FailWriteAt = 4;
    EXPECT_NO_THROW(sender.SendComString("kvrw1\r"));
    EXPECT_EQ(port.Wire(), "okkv");
    EXPECT_EQ(host.PortErrors, Strings{"WriteFile function failed"});
    port.Open = false;
    sender.SendComStringRaw("x");
    EXPECT_EQ(port.Wire(), "okkv");
    EXPECT_EQ(host.Status, "Communication failure");
}

// A write the line holds back past its time limit ends short without an error of the port's own: the send takes
// it for one, says so once and sends nothing more of the text.
TEST_F(Sending, AWriteTheLineHeldBackEndsTheTextWithAPortError)
{
    const struct {
        std::string text;
        bool raw;
        int held;
        std::string wire;
    } cases[] = {{"kvrw1\r", false, 2, "kv"}, {"A[66]C", false, 1, "A"}, {"pw=[13]", true, 3, "pw="}};
    for (const auto& c : cases) {
        port.Writes.clear();
        host.PortErrors.clear();
        port.HoldWriteAt = c.held;
        EXPECT_EQ(c.raw ? sender.SendComStringRaw(c.text) : sender.SendComString(c.text), SendOutcome::PortFailed);
        EXPECT_EQ(port.Wire(), c.wire) << c.text;
        EXPECT_EQ(host.PortErrors, Strings{"Write time-out: the line held the data back"}) << c.text;
    }
    port.Writes.clear();
    EXPECT_EQ(sender.SendComString("ok"), SendOutcome::Sent);
    // A frame byte held: the transfer around it takes the port error.
    port.HoldWriteAt = 3;
    EXPECT_THROW(sender.EscapeSendChksum(0x0D), LineHeldError);
    EXPECT_EQ(port.Wire(), "ok\x7D");
    port.Open = false;
    EXPECT_EQ(sender.SendComString("x"), SendOutcome::PortClosed);
}

TEST_F(Sending, ZeroDelayLetsNoOtherHandlerIn)
{
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    sender.SendComString("kvrw1\r");
    EXPECT_FALSE(ran);
    host.CharDelay = "1";
    sender.SendComString("k");
    EXPECT_TRUE(ran); // a real delay handles events
}

TEST(UnitAnswers, TimersNeedFivePeriodsOf0To1440)
{
    const auto answer = [](const std::string& second) {
        return "\r\nSWT\r\n1,00:00,60\r\n2,00:00," + second + "\r\n3,00:00,5\r\n4,00:00,0\r\n5,00:00, 720 \r\nOK\r\n";
    };
    EXPECT_EQ(UnitAnswers::ParseTimers(answer("1440")), (std::array<std::string, 5>{"60", "1440", "5", "0", "720"}));
    for (const std::string& bad : {answer("1441"), answer("-1"), answer("6x"), answer("99999"), answer(""),
                                   std::string(), std::string("\r\n\r\n"), std::string("SWT\r\n"),
                                   std::string("SWT\r\n1,00:00,60\r\n2,00:00,60\r\n3,00:00,60\r\n4,00:00,60\r\n")})
        EXPECT_FALSE(UnitAnswers::ParseTimers(bad)) << bad;
    // An answer taken while it still came in: its last period cut short or not yet ended.
    const std::string whole = answer("60");
    const size_t fifth = whole.find("720");
    for (size_t cut : {fifth + 2, fifth + 3, fifth + 4})
        EXPECT_FALSE(UnitAnswers::ParseTimers(whole.substr(0, cut))) << cut;
    EXPECT_FALSE(UnitAnswers::ParseTimers(whole.substr(0, fifth + 4) + std::string("\0\r\n", 3)));
    EXPECT_TRUE(UnitAnswers::ParseTimers(whole.substr(0, fifth + 5)));
}

TEST(UnitAnswers, HardwareTypeWordIsTrimmed)
{
    const std::pair<std::string, std::optional<std::string>> cases[] = {{"KVRP1: KIV-Corvo MOSS\r\nOK\r\n", "MOSS"},
                                                                        {"KVRP1: KIV tarn", "tarn"},
                                                                        {"HW:  KIV   MOSS  \r\n", "MOSS"},
                                                                        {"KVRP1: KIV\r\n", ""},
                                                                        {"no colon here", ""},
                                                                        {":::", std::nullopt},
                                                                        {"", std::nullopt}};
    for (const auto& [answer, word] : cases)
        EXPECT_EQ(UnitAnswers::ParseHardwareType(answer), word) << answer;
}
