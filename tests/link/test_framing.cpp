#include "link/protocol/Framing.h"
#include "link/protocol/Protocol.h"

#include <gtest/gtest.h>

using namespace Framing;

namespace {
std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s.push_back(static_cast<char>(v));
    return s;
}
} // namespace

TEST(Framing, EscapesExactlyTheFiveControlBytes)
{
    struct Case {
        int in;
        std::string out;
    } cases[] = {{0x0D, Bytes({0x7D, 0x2D})}, {0x08, Bytes({0x7D, 0x28})}, {0x7D, Bytes({0x7D, 0x5D})},
                 {0x11, Bytes({0x7D, 0x31})}, {0x13, Bytes({0x7D, 0x33})}, {0x00, Bytes({0x00})},
                 {0xFF, Bytes({0xFF})},       {0x0A, Bytes({0x0A})},       {0x2D, Bytes({0x2D})},
                 {0x5D, Bytes({0x5D})},       {0x12, Bytes({0x12})}};
    for (const auto& c : cases)
        EXPECT_EQ(Escape(Bytes({c.in})), c.out) << "byte " << c.in;
    int escaped = 0;
    for (int b = 0; b < 256; ++b)
        escaped += NeedsEscape(static_cast<uint8_t>(b));
    EXPECT_EQ(escaped, 5);
}

TEST(Framing, UnescapeUndoesEscapeForEveryByte)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    std::string framed = Escape(all);
    EXPECT_EQ(framed.size(), 256u + 5u);
    EXPECT_EQ(framed.find('\r'), std::string::npos); // a frame's CR can only be its end
    EXPECT_EQ(Unescape(framed), all);
    // A mark at the very end has nothing after it and is dropped.
    EXPECT_EQ(Unescape(Bytes({0x41, 0x7D})), "A");
}

TEST(Framing, BlockChecksumIsOnesComplementOfTheByteSum)
{
    EXPECT_EQ(BlockChecksum("abc"), 0xFED9);
    EXPECT_EQ(BlockChecksum(std::string(3072, '\xFF')), 0x0BFF);
    EXPECT_EQ(BlockChecksum(std::string(512, '\xFF')), 0x01FF);
    EXPECT_EQ(BlockChecksum(""), 0xFFFF);
    // The sum wraps at 16 bits: 257 x 255 = 0xFFFF.
    EXPECT_EQ(BlockChecksum(std::string(257, '\xFF')), 0x0000);
    // A 0x7D data byte counts as 125, not as its escape.
    EXPECT_EQ(BlockChecksum(Bytes({0x7D})), 0xFFFF - 0x7D);
    EXPECT_EQ(HighByte(0xFED9), 0xFE);
    EXPECT_EQ(LowByte(0xFED9), 0xD9);
}

TEST(Framing, CrcOfTheAlternativeFrameIsX25)
{
    EXPECT_EQ(CrcX25("123456789"), 0x906E);
    EXPECT_EQ(CrcX25(""), 0);
}

TEST(Framing, ReplyIsReadUpToItsFirstZeroByte)
{
    EXPECT_TRUE(ReplyContains("\r\nOK\r\n", "OK"));
    EXPECT_TRUE(ReplyContains("xxOKyyzz\r\n", "OK"));
    EXPECT_FALSE(ReplyContains(Bytes({0, 'O', 'K', '\r', '\n', ' '}), "OK"));
    EXPECT_FALSE(ReplyContains(Bytes({'O', 0, 'K'}), "OK"));
    EXPECT_FALSE(ReplyContains("", "OK"));
    EXPECT_TRUE(ReplyContains("REA=\r\n", "REA="));
    EXPECT_TRUE(ReplyContains("\r\n0\r\n ", "0\r"));
    EXPECT_FALSE(ReplyContains("\r\nOK\r\n", "0\r"));
}

namespace {
std::string ImageReply(const std::string& image, int checksumDelta = 0, const std::string& tail = "\r\nOK\r\n")
{
    uint16_t sum = static_cast<uint16_t>(BlockChecksum(image) + checksumDelta);
    return image + Bytes({sum >> 8, sum & 0xFF}) + tail;
}

std::string Pattern(int size)
{
    std::string s;
    for (int i = 0; i < size; ++i)
        s.push_back(static_cast<char>((i * 13 + 5) & 0xFF));
    return s;
}
} // namespace

TEST(Framing, ReadReplyAcceptsImageChecksumAndTail)
{
    const std::string image = Pattern(3072);
    auto check = CheckReadReply(ImageReply(image), 3072);
    EXPECT_TRUE(check.ok);
    EXPECT_EQ(check.image, image);

    // Extra bytes between checksum and tail are carried along; the tail is the last six received.
    check = CheckReadReply(ImageReply(image, 0, "junk\r\nOK\r\n"), 3072);
    EXPECT_TRUE(check.ok);
    EXPECT_EQ(check.image, image);
}

TEST(Framing, ReadReplyFailures)
{
    const std::string image = Pattern(3072);
    auto check = CheckReadReply(ImageReply(image, 1), 3072);
    EXPECT_FALSE(check.ok);
    EXPECT_STREQ(check.message, Msg::kChecksumFailed);

    std::string changed = ImageReply(image);
    changed[100] = static_cast<char>(changed[100] + 1);
    EXPECT_STREQ(CheckReadReply(changed, 3072).message, Msg::kChecksumFailed);

    EXPECT_STREQ(CheckReadReply(ImageReply(image, 0, "\r\nER\r\n"), 3072).message, Msg::kReadFailed);

    // Short data whose last bytes happen to hold "OK": still no image to trust.
    std::string shortReply = image.substr(0, 3000) + "\r\nOK\r\n";
    EXPECT_STREQ(CheckReadReply(shortReply, 3072).message, Msg::kReadFailed);
    // One byte short of image + checksum + tail.
    std::string oneShort = ImageReply(image).substr(1);
    EXPECT_FALSE(CheckReadReply(oneShort, 3072).ok);
    EXPECT_STREQ(CheckReadReply("", 3072).message, Msg::kReadFailed);
    EXPECT_STREQ(CheckReadReply("OK", 3072).message, Msg::kReadFailed);
}
