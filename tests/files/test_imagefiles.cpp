#include "files/BinFile.h"
#include "files/KvxFile.h"
#include "files/ProposedName.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <random>

namespace {

const std::string kTag = "2.14.02";
const std::array<std::string, kKvxTimers> kTimers = {"60", "", "5", "1440", "abc"};

std::string SampleImage()
{
    std::string image(kKvxImageBytes, '\0');
    for (int a = 0; a < kKvxImageBytes; ++a)
        image[static_cast<size_t>(a)] = static_cast<char>((a * 37 + a / 256) & 0xFF);
    return image;
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    for (size_t pos = 0; (pos = text.find(from, pos)) != std::string::npos; pos += to.size())
        text.replace(pos, from.size(), to);
    return text;
}

// The byte run alone, as hexadecimal tokens, and the checksum a file may carry behind it.
std::string ByteRun(const std::string& image)
{
    return FormatKvx(image, kTimers, kTag).substr(0, kKvxImageBytes * 3);
}

std::string ChecksumTrailer(const std::string& image, int delta)
{
    unsigned sum = 0;
    for (char c : image)
        sum += static_cast<uint8_t>(c);
    const unsigned c = (0xFFFFu - (sum % 65536u) + static_cast<unsigned>(delta)) & 0xFFFF;
    char text[16];
    std::snprintf(text, sizeof text, "%X %x", c >> 8, c & 0xFF);
    return text;
}

} // namespace

TEST(KvxFile, SavedFileLoadsBackWithAnyLineEndsAndLetterCase)
{
    const std::string image = SampleImage();
    const std::string saved = FormatKvx(image, kTimers, kTag);
    ASSERT_EQ(saved.find("\r\n"), 9216u) << "one line of 3072 upper-case tokens, each with its blank";
    EXPECT_EQ(saved.substr(9216), "\r\nVersion 2.14.02\r\nSWT:\r\nSWT1=60\r\nSWT2=\r\nSWT3=5\r\nSWT4=1440\r\nSWT5=abc\r\nEND\r\n");
    const std::function<std::string(std::string)> variants[] = {
        [](std::string t) { return t; },
        [](std::string t) { return Replace(t, "\r\n", "\r\r\n"); },
        [](std::string t) { return Replace(t, "\r\n", "\n"); },
        [](std::string t) {
            for (size_t i = 0; i < kKvxImageBytes * 3; ++i)
                t[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(t[i])));
            return t;
        },
    };
    for (const auto& variant : variants) {
        const TKvxParse parsed = ParseKvx(variant(saved), kTag);
        ASSERT_TRUE(parsed.Ok) << parsed.Error;
        EXPECT_EQ(parsed.Content.Image, image);
        EXPECT_EQ(parsed.Content.Status, "Open File OK : KVX-file Version 2.14.02");
        EXPECT_EQ(parsed.Content.Warning, "");
        EXPECT_EQ(parsed.Content.Lines,
                  (std::vector<std::string>{"SWT:", "SWT1=60", "SWT2=", "SWT3=5", "SWT4=1440", "SWT5=abc"}));
    }
}

TEST(KvxFile, TrailerFormsGiveTheirStatusAndWarning)
{
    const std::string image = SampleImage();
    const std::string run = ByteRun(image);
    struct Case {
        std::string trailer, status, warning;
        size_t lines;
    } const cases[] = {
        {"", "Open File OK : KVX-file Version Unknown", "", 0},
        {"\r\nVersion\r\n", "Open File OK : KVX-file Version Unknown", "", 0},
        {"\r\nVersion 2.10.01\r\nSWT:\r\n", "Open File OK : KVX-file Version 2.10.01", "KVX-file version mismatch!", 1},
        {"\nRelease v2.14.02b", "Open File OK : KVX-file Release v2.14.02b", "", 0},
        {"\n" + ChecksumTrailer(image, 0) + "\nSWT: a b c d e f g", "KVX-file OK : Config file checksum match", "", 6},
        {"\n" + ChecksumTrailer(image, 1), "KVX-file ERROR : Config file checksum do not match",
         "KVX-file checksum mismatch!", 0},
    };
    for (const Case& c : cases) {
        const TKvxParse parsed = ParseKvx(run + c.trailer, kTag);
        ASSERT_TRUE(parsed.Ok) << c.trailer << ": " << parsed.Error;
        EXPECT_EQ(parsed.Content.Image, image);
        EXPECT_EQ(parsed.Content.Status, c.status) << c.trailer;
        EXPECT_EQ(parsed.Content.Warning, c.warning) << c.trailer;
        EXPECT_EQ(parsed.Content.Lines.size(), c.lines) << c.trailer;
    }
}

TEST(KvxFile, FaultyFilesAreRefusedNamingTokenAndLine)
{
    const std::string run = ByteRun(SampleImage());
    std::string badToken = run;
    badToken.replace(17 * 3, 2, "G1");
    struct Case {
        std::string text, error;
    } const cases[] = {
        {"", "KVX-file ends on line 1 after 0 of 3072 bytes"},
        {"\r\n\r\n", "KVX-file ends on line 3 after 0 of 3072 bytes"},
        {run.substr(0, 1000 * 3), "KVX-file ends on line 1 after 1000 of 3072 bytes"},
        {run.substr(0, 3071 * 3) + "\r\nVersion 2.14.02\r\n", "KVX-file token 3072 (line 2): 'Version' is not a byte"},
        {badToken, "KVX-file token 18 (line 1): 'G1' is not a byte"},
        {"0FF " + run, "KVX-file token 1 (line 1): '0FF' is not a byte"},
        {run + "\n\nZZ 01", "KVX-file token 3073 (line 3): '0xZZ' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        const TKvxParse parsed = ParseKvx(c.text, kTag);
        EXPECT_FALSE(parsed.Ok);
        EXPECT_EQ(parsed.Error.substr(0, c.error.size()), c.error);
    }
}

// Thousands of damaged copies of a good file: each either loads whole or is refused with a reason.
TEST(KvxFile, MutatedFilesLoadWholeOrAreRefused)
{
    const std::string good = FormatKvx(SampleImage(), kTimers, kTag) + ChecksumTrailer(SampleImage(), 0);
    std::mt19937 random(20);
    const auto below = [&](size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<size_t>(0, n - 1)(random); };
    int loaded = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string text = good;
        for (int edits = 1 + static_cast<int>(below(4)); edits > 0; --edits) {
            const size_t at = below(text.size() + 1);
            const size_t kind = below(4);
            if (kind == 0 && at < text.size())
                text[at] = static_cast<char>(below(256));
            else if (kind == 1)
                text.erase(at, below(40));
            else if (kind == 2)
                text.insert(at, std::string(below(8), " \r\n\tA0x\xff"[below(8)]));
            else if (kind == 3)
                text.resize(at);
        }
        const TKvxParse parsed = ParseKvx(text, kTag);
        if (parsed.Ok) {
            ++loaded;
            EXPECT_EQ(parsed.Content.Image.size(), static_cast<size_t>(kKvxImageBytes));
            EXPECT_LE(parsed.Content.Lines.size(), 6u);
            EXPECT_FALSE(parsed.Content.Status.empty());
        } else {
            EXPECT_NE(parsed.Error.find("KVX-file"), std::string::npos);
        }
    }
    EXPECT_GT(loaded, 0) << "some damage (in the trailer) still loads";
    EXPECT_LT(loaded, 4000);
}

TEST(BinFile, HeaderThenTheBytesAsTheyAre)
{
    std::string image(kBinImageBytes, '\xFF');
    image[5] = '\n';
    image[3071] = '\r';
    const std::string file = FormatBin(image + "ignored log area");
    ASSERT_EQ(file.size(), 3088u);
    EXPECT_EQ(file.substr(0, 16), "\x88\x77\x66\x55\x44\x33\x22\x11\xDA\xC0\xBE\xBA\x55\x55\x55\x55");
    EXPECT_EQ(file.substr(16), image);
}

TEST(ProposedName, UserIdPresentErasedOrUnsafe)
{
    struct Case {
        std::string modem, userId, name;
    } const cases[] = {
        {"tarn", "Tank3", "KIV-TARN_75318_1204_Tank3_20261205 2.14.02.kvx"},
        {"TARN", "", "KIV-TARN_75318_1204__20261205 2.14.02.kvx"},
        {"TARN", "\xFF\xFFxy", "KIV-TARN_75318_1204__20261205 2.14.02.kvx"},
        {"TARN", "Site/4\\b\tc", "KIV-TARN_75318_1204_Site_4_b_c_20261205 2.14.02.kvx"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KvxProposedName({c.modem, "5318", "1204", c.userId, 2026, 12, 5, kTag}), c.name);
}
