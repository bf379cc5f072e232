#include "image/ImageStore.h"
#include "pages/Fields.h"
#include "pages/Redraw.h"
#include "platform/Convert.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

class FieldEditors : public ::testing::Test {
protected:
    void SetUp() override
    {
        store.setDefaultClick();
        store.OnRedraw = [this] { ++redraws; };
    }
    ImageStore store;
    int redraws = 0;
};

TEST_F(FieldEditors, TextSlotWritesTextAndOneNulOnlyWhenDifferent)
{
    const TextSlot userId{0, 41};
    EXPECT_FALSE(WriteTextSlot(store, userId, "Default Profile"));
    EXPECT_FALSE(store.Image.AnyMarked(0, 41));

    EXPECT_TRUE(WriteTextSlot(store, userId, "Pump 7"));
    EXPECT_EQ(store.Image.Bytes(0, 7), std::string("Pump 7\0", 7));
    // Behind the new terminator the old text stays.
    EXPECT_EQ(store.Image.Bytes(7, 9), " Profile\0"s);
    EXPECT_TRUE(store.Image.Marked(6));
    EXPECT_FALSE(store.Image.Marked(7));
    EXPECT_EQ(redraws, 0);
}

TEST_F(FieldEditors, TextSlotNeverLeavesItsSlot)
{
    const TextSlot slot{291, 15};
    WriteTextSlot(store, slot, std::string(40, 'x'));
    EXPECT_EQ(ReadTextSlot(store, slot), std::string(14, 'x'));
    EXPECT_EQ(store.ReadImageByte(305), 0x00);
    EXPECT_EQ(store.ReadImageByte(306), 0xFF);
}

TEST_F(FieldEditors, NumberClampsAndWritesBigEndian)
{
    const NumberField configId{41, 2, 65535};
    auto n = ClampNumberText("70000", configId.max);
    EXPECT_TRUE(n.clamped);
    EXPECT_EQ(n.value, 65535u);
    EXPECT_TRUE(WriteNumber(store, configId, n.value));
    EXPECT_EQ(store.Image.Bytes(41, 2), "\xFF\xFF");
    EXPECT_TRUE(store.Image.Marked(41));
    EXPECT_EQ(ClampNumberText("-3", 255).value, 0u);
    EXPECT_FALSE(ClampNumberText("255", 255).clamped);
    EXPECT_THROW(ClampNumberText("12a", 255), EConvertError);
}

TEST_F(FieldEditors, NumberWritePolicies)
{
    const NumberField always{1009, 2, 65535, WritePolicy::Always};
    const NumberField onChange{1009, 2, 65535, WritePolicy::WhenDifferent};
    EXPECT_FALSE(WriteNumber(store, onChange, 3));
    EXPECT_FALSE(store.Image.Marked(1009));
    EXPECT_TRUE(WriteNumber(store, always, 3));
    EXPECT_TRUE(store.Image.Marked(1009) && store.Image.Marked(1010));
    EXPECT_TRUE(WriteNumber(store, onChange, 0x0103));
    EXPECT_EQ(store.Image.Bytes(1009, 2), "\x01\x03");
    EXPECT_EQ(redraws, 0);
}

TEST_F(FieldEditors, SwitchPolarityAndRedrawOnlyOnChange)
{
    const BitSwitch server{771, 0x40};
    const BitSwitch lowActive{771, 0x01, true};
    EXPECT_FALSE(ReadSwitch(store, server)); // 0x97 has 0x40 clear
    EXPECT_FALSE(ReadSwitch(store, lowActive));
    WriteSwitch(store, lowActive, false); // already off: bit 0x01 is set
    EXPECT_EQ(redraws, 0);
    EXPECT_FALSE(store.Image.Marked(771));
    WriteSwitch(store, lowActive, true);
    EXPECT_EQ(store.ReadImageByte(771), 0x96);
    EXPECT_EQ(redraws, 1);
    WriteSwitch(store, server, true);
    EXPECT_EQ(store.ReadImageByte(771), 0xD6);
    EXPECT_EQ(redraws, 2);
}

TEST(Redraw, StepsRunInOrderAndNestedRedrawTerminates)
{
    TRedraw redraw;
    std::vector<std::string> seen;
    redraw.Add(TRedraw::LevelCaptions, [&] { seen.push_back("captions"); });
    redraw.Add(TRedraw::PhoneNumbers, [&] { seen.push_back("phones"); });
    int passes = 0;
    std::vector<bool> painting;
    redraw.OnOuterPass = [&](bool suspend) { painting.push_back(suspend); };
    // A decoder whose echo changes the image and so redraws again, every time.
    redraw.Add(TRedraw::OptionBits, [&] {
        ++passes;
        redraw.ImageToControls();
    });
    redraw.ImageToControls();
    EXPECT_EQ(passes, TRedraw::kMaxDepth);
    EXPECT_EQ(redraw.Depth(), 0);
    EXPECT_EQ(seen.front(), "phones");
    EXPECT_EQ(seen.back(), "captions");
    EXPECT_EQ(painting, (std::vector<bool>{true, false}));
}

TEST(CommitList, RunsInOrderAndStopsAtAConversionError)
{
    TCommitList list(WriteCommitOrder());
    std::vector<std::string> ran;
    list.Set("SetButton1Click", [&] { ran.push_back("SetButton1Click"); });
    list.Set("PhoneSetButtonClick", [&] { ran.push_back("PhoneSetButtonClick"); });
    list.Set("awakeTimeExit", [&] { StrToInt("x1"); });
    list.Set("ComboBox7Exit", [&] { ran.push_back("ComboBox7Exit"); });
    EXPECT_THROW(list.Run(), EConvertError);
    EXPECT_EQ(ran, (std::vector<std::string>{"PhoneSetButtonClick", "SetButton1Click"}));
    EXPECT_THROW(list.Set("NoSuchHandler", [] {}), std::logic_error);
    EXPECT_EQ(list.Order().size(), 25u);
}
