#include "image/ChannelTypeTable.h"
#include "image/HardwareVariant.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <tuple>
#include <utility>

using V = THardwareVariant;

TEST(HardwareNumber, DecodedFromTheStoredWordAndEncodedFromTheVariantWord)
{
    const std::tuple<uint16_t, const char*, V> decoded[] = {{0x14C6, "5318", V::TARN}, {0x14DE, "5342", V::MOSS},
                                                            {0xFFFF, "0000", V::None}, {0x0063, "99", V::None},
                                                            {0x0000, "0", V::None},    {0xFFFE, "65534", V::None}};
    for (auto [stored, hwNumber, variant] : decoded) {
        EXPECT_EQ(DecodeHardwareNumber(stored).hwNumber, hwNumber) << stored;
        EXPECT_EQ(DecodeHardwareNumber(stored).variant, variant) << stored;
    }
    // The variant word is compared in upper case (a unit may answer in lower case); without a known word the
    // number typed is kept.
    const std::tuple<const char*, const char*, uint16_t, const char*> encoded[] = {
        {"TARN", "0000", 5318, "5318"}, {"MOSS", "5318", 5342, "5342"}, {"", "0000", 0, "0000"},
        {"", "99", 99, "99"},           {"tarn", "99", 5318, "5318"},   {"MOSS\r\n", "5318", 5318, "5318"},
        {"", "70000", 0, "70000"},      {"Moss", "", 5342, "5342"},     {"MOSS ", "1", 1, "1"}};
    for (auto [modemType, hwBefore, stored, hwAfter] : encoded) {
        std::string hw = hwBefore;
        EXPECT_EQ(EncodeHardwareNumber(modemType, hw), stored) << modemType << "/" << hwBefore;
        EXPECT_EQ(hw, hwAfter);
    }
}

namespace
{

struct PickCase {
    const char* name;
    V variant;
    int channel;
    int r;
    std::initializer_list<std::pair<int, int>> dips; // switch number, index; others 0
    uint8_t option;
    uint8_t code;
    int expected;
    bool enabled = true;
};

TChannelPickerState StateOf(const PickCase& c)
{
    TChannelPickerState s;
    s.enabled = c.enabled;
    s.modeIndex = c.r;
    for (auto [k, v] : c.dips)
        s.dip[static_cast<size_t>(k)] = v;
    s.optionByte = c.option;
    s.channelType = c.code;
    s.currentItem = 42; // marks "left as it was"
    return s;
}

} // namespace

TEST(ChannelPicker, FollowsTheRulesOfEachVariant)
{
    // clang-format off
    const PickCase cases[] = {
        // disabled channels show the prompt whatever the variant
        {"tarn off", V::TARN, 4, 1, {{4, 1}}, 0x00, 9, 0, false}, {"moss off", V::MOSS, 4, 0, {}, 0x00, 0, 0, false},
        {"none off", V::None, 2, 0, {}, 0x00, 0, 0, false}, {"none on", V::None, 2, 0, {}, 0x00, 0, 42},
        // TARN channel 1
        {"t1 pulse", V::TARN, 1, 0, {}, 0x01, 0, 1}, {"t1 freq", V::TARN, 1, 0, {}, 0x80, 0, 2},
        {"t1 diff", V::TARN, 1, 0, {}, 0x00, 0, 3}, {"t1 weak", V::TARN, 1, 1, {}, 0xFF, 0, 4},
        {"t1 strong", V::TARN, 1, 1, {{1, 1}}, 0xFF, 0, 5}, {"t1 r0 d1", V::TARN, 1, 0, {{1, 1}}, 0xFF, 0, 42},
        {"t1 temp", V::TARN, 1, 1, {}, 0xFF, 8, 6}, {"t1 hum", V::TARN, 1, 0, {}, 0xFF, 9, 7},
        {"t1 press", V::TARN, 1, 0, {}, 0xFF, 10, 8}, {"t1 code7", V::TARN, 1, 1, {}, 0xFF, 7, 4},
        // TARN channels 2-6
        {"t2 dig", V::TARN, 2, 0, {}, 0xFF, 0, 1}, {"t2 r0 d2", V::TARN, 2, 0, {{2, 1}}, 0xFF, 0, 42},
        {"t5 v", V::TARN, 5, 1, {}, 0xFF, 0, 2}, {"t6 ma", V::TARN, 6, 1, {{6, 1}}, 0xFF, 0, 3},
        {"t6 other dip", V::TARN, 6, 1, {{5, 1}}, 0xFF, 0, 2}, {"t3 hum", V::TARN, 3, 0, {{3, 1}}, 0xFF, 9, 5},
        {"t4 temp", V::TARN, 4, 1, {}, 0xFF, 8, 4}, {"t2 press", V::TARN, 2, 0, {}, 0xFF, 10, 6},
        {"t2 code7", V::TARN, 2, 0, {}, 0xFF, 7, 1}, {"t3 r -1", V::TARN, 3, -1, {}, 0xFF, 0, 42},
        // TARN channel 7
        {"t7 pt100", V::TARN, 7, 1, {{7, 1}}, 0xFF, 0, 1}, {"t7 pt1000", V::TARN, 7, 1, {{8, 1}}, 0xFF, 0, 2},
        {"t7 both", V::TARN, 7, 1, {{7, 1}, {8, 1}}, 0xFF, 0, 42}, {"t7 r0", V::TARN, 7, 0, {{7, 1}}, 0xFF, 0, 42},
        {"t7 temphum", V::TARN, 7, 0, {}, 0xFF, 7, 3}, {"t7 press", V::TARN, 7, 1, {{7, 1}}, 0xFF, 10, 6},
        // MOSS channel 1
        {"m1 freq", V::MOSS, 1, 0, {}, 0x80, 0, 2}, {"m1 pulse", V::MOSS, 1, 0, {{1, 1}}, 0x81, 0, 1},
        {"m1 dig", V::MOSS, 1, 1, {{1, 1}}, 0x00, 9, 4},
        // MOSS channels 2-4
        {"m3 diff", V::MOSS, 3, 0, {}, 0x03, 0, 3}, {"m3 pulse", V::MOSS, 3, 0, {}, 0x04, 0, 1},
        {"m4 freq", V::MOSS, 4, 0, {}, 0xF7, 0, 2}, {"m2 v", V::MOSS, 2, 1, {}, 0xFF, 0, 4},
        {"m2 ma", V::MOSS, 2, 1, {{2, 1}}, 0xFF, 0, 5}, {"m2 r0 d2", V::MOSS, 2, 0, {{2, 1}}, 0xFF, 0, 42},
        {"m2 no override", V::MOSS, 2, 1, {}, 0xFF, 10, 4},
        // MOSS channel 5
        {"m5 dig", V::MOSS, 5, 0, {}, 0xFF, 0, 1}, {"m5 v", V::MOSS, 5, 1, {}, 0xFF, 0, 2},
        {"m5 ma", V::MOSS, 5, 1, {{5, 1}}, 0xFF, 0, 3},
        // MOSS channels 6 and 7
        {"m6 dig", V::MOSS, 6, 0, {{1, 1}}, 0xFF, 0, 1}, {"m6 v", V::MOSS, 6, 1, {{1, 1}}, 0xFF, 0, 2},
        {"m6 30v", V::MOSS, 6, 1, {{6, 1}, {7, 1}}, 0xFF, 0, 3}, {"m6 no match", V::MOSS, 6, 0, {}, 0xFF, 0, 42},
        {"m7 dig", V::MOSS, 7, 0, {{8, 1}}, 0xFF, 0, 1}, {"m7 v", V::MOSS, 7, 1, {{8, 1}}, 0xFF, 0, 2},
        {"m7 30v", V::MOSS, 7, 1, {{9, 1}, {10, 1}}, 0xFF, 0, 3}, {"m7 half", V::MOSS, 7, 1, {{9, 1}}, 0xFF, 0, 42},
    };
    // clang-format on
    for (const PickCase& c : cases)
        EXPECT_EQ(PickChannelType(c.variant, c.channel, StateOf(c)).itemIndex, c.expected) << c.name;
}

TEST(ChannelPicker, PulseRuleSetsTheFrequencyBoxes)
{
    // Channel 1's frequency bit clear with freqOrDiff set; channel 3's bit set with freqOrDiff clear; a mode
    // without the rule; TARN channels 2-6 have no pulse rule.
    for (auto [variant, channel, mode, option, rule, freq, freqOrDiff] :
         {std::tuple{V::MOSS, 1, 0, 0x80, true, true, true},
          {V::MOSS, 3, 0, 0x04, true, false, false},
          {V::MOSS, 3, 1, 0x04, false, false, false},
          {V::TARN, 2, 0, 0x04, false, false, false}}) {
        TChannelPickerState s;
        s.enabled = true;
        s.modeIndex = mode;
        s.optionByte = uint8_t(option);
        const TChannelPick pick = PickChannelType(variant, channel, s);
        EXPECT_EQ(pick.pulseRule, rule) << channel;
        if (rule) {
            EXPECT_EQ(std::pair(pick.freqChecked, pick.freqOrDiffChecked), std::pair(freq, freqOrDiff)) << channel;
        }
    }
}

// Every type a list offers, wired as its row says, is the type the page shows back: the choice and its
// inverse come from one table.
TEST(ChannelPicker, ShowsBackEveryTypeItsRowWires)
{
    for (V variant : {V::TARN, V::MOSS})
        for (int n = 1; n <= 7; ++n) {
            const auto& rows = ChannelTypeRows(variant, n);
            ASSERT_EQ(rows.size() + 1, ChannelTypeItems(variant, n).size());
            for (size_t i = 0; i < rows.size(); ++i) {
                const TChannelTypeRow& row = rows[i];
                TChannelPickerState s;
                s.enabled = true;
                s.modeIndex = row.radio;
                for (const TDipSetting& d : row.dips)
                    s.dip[size_t(d.sw)] = d.on;
                // Plain pulses: the channel's bit set; a rate: clear, by frequency with bit 7 set.
                const uint8_t bit = uint8_t(1 << (n - 1));
                s.optionByte = row.pulse == TPulseCount::Plain  ? 0xFF
                               : row.pulse == TPulseCount::Freq ? uint8_t(~bit)
                                                                : uint8_t(0x7F & ~bit);
                s.channelType = uint8_t(row.OwnInput() ? n - 1 : row.code);
                const TChannelPick pick = PickChannelType(variant, n, s);
                EXPECT_EQ(pick.itemIndex, int(i) + 1) << VariantName(variant) << " I/O" << n << " " << row.text;
                EXPECT_EQ(pick.pulseRule, row.pulse != TPulseCount::None) << row.text;
            }
        }
    EXPECT_TRUE(ChannelTypeItems(V::None, 1).empty() && ChannelTypeItems(V::TARN, 8).empty() &&
                ChannelTypeItems(V::MOSS, 0).empty());
}
