#include "files/KvxFile.h"
#include "files/ProposedName.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>

namespace
{

const std::string kTag = "2.14.02";

std::string SampleImage()
{
    std::string image(kKvxImageBytes, '\0');
    for (size_t a = 0; a < image.size(); ++a)
        image[a] = static_cast<char>((a * 37 + a / 256) & 0xFF);
    return image;
}

const std::string kImage = SampleImage();
const std::string kSaved = FormatKvx(kImage, {"60", "", "5", "1440", "abc"}, kTag);
const std::string kRun = kSaved.substr(0, kKvxImageBytes * 3); // the byte tokens alone

// The checksum trailer, high byte upper case and low byte lower case, off by delta.
std::string ChecksumTrailer(int delta)
{
    unsigned sum = 0;
    for (char c : kImage)
        sum += static_cast<uint8_t>(c);
    const unsigned c = (0xFFFFu - sum % 65536u + static_cast<unsigned>(delta)) & 0xFFFF;
    char text[16];
    std::snprintf(text, sizeof text, "%X %x", c >> 8, c & 0xFF);
    return text;
}

} // namespace

// A saved file loads back with any line ends and letter case; each trailer form gives its status and warning.
TEST(KvxFile, SavedFilesAndTrailerFormsLoadWithTheirStatusAndWarning)
{
    ASSERT_EQ(kSaved.find("\r\n"), 9216u) << "one line of 3072 tokens, each with its blank";
    EXPECT_EQ(kSaved.substr(9216),
              "\r\nVersion 2.14.02\r\nSWT:\r\nSWT1=60\r\nSWT2=\r\nSWT3=5\r\nSWT4=1440\r\nSWT5=abc\r\nEND\r\n");
    // Lower-case digits, and leading zeros on the first two tokens: the values still fit a byte.
    std::string lower = kSaved;
    for (size_t i = 0; i < kRun.size(); ++i)
        lower[i] = static_cast<char>(std::tolower(lower[i]));
    lower = "0" + lower.substr(0, 3) + "00" + lower.substr(3);
    const std::string saved = "Open File OK : KVX-file Version 2.14.02";
    struct Case {
        std::string text, status, warning;
        size_t lines;
    } const cases[] = {
        {kSaved, saved, "", 6},
        {std::regex_replace(kSaved, std::regex("\r\n"), "\r\r\n"), saved, "", 6},
        {std::regex_replace(kSaved, std::regex("\r\n"), "\n"), saved, "", 6},
        {lower, saved, "", 6},
        {kRun, "Open File OK : KVX-file Version Unknown", "", 0},
        {kRun + "\r\nVersion\r\n", "Open File OK : KVX-file Version Unknown", "", 0},
        {kRun + "\r\nVersion 2.10.01\r\nSWT:\r\n", "Open File OK : KVX-file Version 2.10.01",
         "KVX-file version mismatch!", 1},
        {kRun + "\nRelease v2.14.02b", "Open File OK : KVX-file Release v2.14.02b", "", 0},
        {kRun + "\n" + ChecksumTrailer(0) + "\nSWT: a b c d e f g", "KVX-file OK : Config file checksum match", "", 6},
        {kRun + "\n" + ChecksumTrailer(1), "KVX-file ERROR : Config file checksum do not match",
         "KVX-file checksum mismatch!", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(kRun.size()));
        const TKvxParse parsed = ParseKvx(c.text, kTag);
        ASSERT_TRUE(parsed.Ok) << parsed.Error;
        EXPECT_EQ(parsed.Content.Image, kImage);
        EXPECT_EQ(parsed.Content.Status, c.status);
        EXPECT_EQ(parsed.Content.Warning, c.warning);
        EXPECT_EQ(parsed.Content.Lines.size(), c.lines);
    }
    // Only the tokens spelled otherwise than the tables show them are kept, as they stood.
    EXPECT_EQ(ParseKvx(lower, kTag).Content.HexTexts.at(1), lower.substr(4, 4));
    EXPECT_TRUE(ParseKvx(kSaved, kTag).Content.HexTexts.empty());
    EXPECT_EQ(ParseKvx(kSaved, kTag).Content.Lines,
              (std::vector<std::string>{"SWT:", "SWT1=60", "SWT2=", "SWT3=5", "SWT4=1440", "SWT5=abc"}));
}

TEST(KvxFile, FaultyFilesAreRefusedNamingTokenAndLine)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", "KVX-file ends on line 1 after 0 of 3072 bytes"},
        {"\r\n\r\n", "KVX-file ends on line 3 after 0 of 3072 bytes"},
        {kRun.substr(0, 1000 * 3), "KVX-file ends on line 1 after 1000 of 3072 bytes"},
        {kRun.substr(0, 3071 * 3) + "\r\nVersion 2.14.02", "KVX-file token 3072 (line 2): 'Version' is not a byte"},
        {kRun.substr(0, 17 * 3) + "G1" + kRun.substr(17 * 3 + 2), "KVX-file token 18 (line 1): 'G1' is not a byte"},
        {kRun.substr(0, 5 * 3) + "\n1FF " + kRun.substr(6 * 3), "KVX-file token 6 (line 2): '1FF' is not a byte"},
        {"100 " + kRun.substr(3), "KVX-file token 1 (line 1): '100' is not a byte"},
        {kRun + "\n\nZZ 01", "KVX-file token 3073 (line 3): '0xZZ' is not a valid integer value"},
    };
    for (const auto& [text, error] : cases) {
        const TKvxParse parsed = ParseKvx(text, kTag);
        EXPECT_FALSE(parsed.Ok);
        EXPECT_EQ(parsed.Error.substr(0, error.size()), error);
    }
}

// Thousands of damaged copies of a good file: each either loads whole or is refused with a reason.
TEST(KvxFile, MutatedFilesLoadWholeOrAreRefused)
{
    std::mt19937 random(20);
    const auto upTo = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n)(random); };
    int loaded = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string text = kSaved + ChecksumTrailer(0);
        for (size_t edits = 1 + upTo(3); edits > 0; --edits) {
            const size_t at = upTo(text.size()), kind = upTo(3);
            if (kind == 0 && at < text.size())
                text[at] = static_cast<char>(upTo(255));
            else if (kind == 1)
                text.erase(at, upTo(40));
            else if (kind == 2)
                text.insert(at, std::string(upTo(8), " \r\n\tA0x\xff"[upTo(7)]));
            else
                text.resize(at);
        }
        const TKvxParse parsed = ParseKvx(text, kTag);
        loaded += parsed.Ok;
        EXPECT_TRUE(parsed.Ok ? parsed.Content.Image.size() == kKvxImageBytes && parsed.Content.Lines.size() <= 6
                              : parsed.Error.rfind("KVX-file", 0) == 0);
    }
    EXPECT_GT(loaded, 0);
    EXPECT_LT(loaded, 4000);
}

// The image file's and the profile's proposed names: the user ID empty, erased or holding characters a file
// name cannot take (a plain one is seen through the windows).
TEST(ProposedName, UserIdEmptyErasedOrUnsafe)
{
    EXPECT_EQ(DateStamp(2026, 12, 5), "20261205");
    const struct {
        std::string config, userId, image, profile;
    } cases[] = {
        {"1204", "", "KIV-TARN_75318_1204__20261205 2.14.02.kvx", "KIV_1204__20261205 2.14.02.kvp"},
        {"", "\xFF\xFFxy", "KIV-TARN_75318___20261205 2.14.02.kvx", "KIV___20261205 2.14.02.kvp"},
        {"../A1", "Site/4\\b\tc", "KIV-TARN_75318_.._A1_Site_4_b_c_20261205 2.14.02.kvx",
         "KIV_.._A1_Site_4_b_c_20261205 2.14.02.kvp"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KvxProposedName({"tarn", "5318", c.config, c.userId, 2026, 12, 5, kTag}), c.image);
        EXPECT_EQ(ProposedProfileName(c.config, c.userId, DateStamp(2026, 12, 5), kTag), c.profile);
    }
}
