#include "ChannelFixture.h"

#include "channels/LevelPicture.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

TEST_F(ChannelPage, KindAndDirectionWriteTheChannelsOwnBit)
{
    for (int n = 1; n <= 7; ++n) {
        SCOPED_TRACE(n);
        Load(158, "\x00\x00\x00\x00\x00"s);
        Radio(Name("IO", n, "selection"))->SetItemIndex(1);
        EXPECT_EQ(Byte(158), 1 << (n - 1));
        Radio(Name("IO", n, "selection"))->SetItemIndex(0);
        Radio(Name("IO", n, "direction"))->SetItemIndex(1);
        Radio(Name("IO", n, "out"))->SetItemIndex(1);
        EXPECT_EQ(image.Image.Bytes(158, 5), "\x00\x00"s + char(1 << (n - 1)) + '\0' + char(1 << (n - 1)));
    }
}

TEST_F(ChannelPage, EachOfTheSixtyFourRecipientBoxesOwnsOneBit)
{
    const std::string phone = "+46 70&1";
    image.WriteImageString(phone + '\0', 46 + 19 * 2, 0);
    redraw.ImageToControls();
    for (int n = 1; n <= 8; ++n) {
        const std::string boxes[] = {Name("IO", n, "Phone1"), Name("IO", n, "Phone2"),    Name("IO", n, "Phone3"),
                                     Name("IO", n, "Phone4"), Name("IO", n, "Phone5"),    Name("IP1CheckBox", n),
                                     Name("IP2CheckBox", n),  Name("IP1CheckBox", n, "2")};
        EXPECT_EQ(Box(boxes[2])->text().replace("&&", "&").toStdString(), phone) << "captioned by number 3";
        for (int bit = 0; bit < 8; ++bit) {
            SCOPED_TRACE(boxes[bit]);
            Load(141, std::string(8, '\0'));
            Box(boxes[bit])->SetChecked(true);
            EXPECT_EQ(image.Image.Bytes(141, 8), std::string(8, '\0').replace(size_t(n - 1), 1, 1, char(1 << bit)));
            Box(boxes[bit])->SetChecked(false);
            EXPECT_EQ(image.Image.Bytes(141, 8), std::string(8, '\0'));
        }
    }
}

// Forcing is the user's choice only: a choice drags its companions along and leaves every other bit.
TEST_F(ChannelPage, AChoiceForcesItsCompanionsAndNothingElse)
{
    struct Case {
        const char* control;
        int index;
        char kinds; // byte 158 first, with every channel a digital input
        int address;
        std::string before; // from address on
        std::string after;
    };
    const Case cases[] = {
        // Analogue: no digital alarm (restore switch kept), an input.
        {"IO3selection", 1, 0x00, 152, "\x07"s, "\x04"s},
        {"IO3selection", 1, 0x00, 158, "\x00\x00\xFF"s, "\x04\x00\xFB"s},
        // Digital: no analogue alarm (restore alert kept).
        {"IO4selection", 0, 0x08, 210, "\x13"s, "\x10"s},
        // An output has no digital alarm.
        {"IO5direction", 1, 0x00, 154, "\x06"s, "\x04"s},
        // I/O1 switched off has no alarm; its direction and state stay.
        {"IO1selection", 1, 0x00, 150, "\x06\x00\x00\x00\x00\x00\x00\x00\x00\x00\x01\x00\x01"s,
         "\x04\x00\x00\x00\x00\x00\x00\x00\x01\x00\x01\x00\x01"s},
        // An I/O1 output drops its alarm and stays an output that starts "ON".
        {"IO1direction", 1, 0x00, 150, "\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x01"s,
         "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x01\x00\x01"s},
        // An I/O1 alarm makes an input starting "OFF".
        {"IO1alarmSetting", 1, 0x00, 150, "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x01\x00\x01"s,
         "\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"s},
        {"IO6alarmSetting", 2, 0x00, 155, "\x04"s, "\x06"s},
        // I/O2's "PWM" makes it an output and keeps its alarm.
        {"IO2spec", 1, 0x00, 151, "\x03"s + std::string(9, '\0'), "\x03"s + std::string(8, '\0') + "\x02"s},
        {"IO8adSetting", 1, 0x00, 288, "\xF0"s, "\xF1"s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        Load(158, c.kinds + std::string(4, '\0'));
        Load(c.address, c.before);
        ASSERT_NE(Radio(c.control)->ItemIndex(), c.index);
        Radio(c.control)->SetItemIndex(c.index);
        EXPECT_EQ(image.Image.Bytes(c.address, int(c.after.size())), c.after);
    }
}

// What a page shown and a commit as before a write leave in the image: the commit clamps what every edit shows
// and runs each kind's rules again.
TEST_F(ChannelPage, TheCouplingRulesAndTheClampsHoldInWhatIsCommitted)
{
    struct Case {
        std::vector<Bytes> shown; // in turn, over a page of digital inputs without alarms, levels in millivolts
        const char* click;        // then picked by the user
        int index;
        Bytes committed;
        bool byCommit = false; // the redraw leaves these bytes to the commit
    };
    const Case cases[] = {
        // A redraw that leaves the choices where they were runs nothing: the commit runs the kind's rules.
        {{{{158, "\x04"s}}, {{152, "\x03"s}, {160, "\x04"s}}}, nullptr, 0, {{152, "\x00"s}, {160, "\x00"s}}, true},
        // The commit clamps what the edits show: levels, delays, the erased restore delay, commands with their
        // prefix, the supply level, a unit text filling its slot.
        {{{{177, "\x27\x10"s}}}, nullptr, 0, {{177, "\x09\xC4"s}}, true},
        {{{{171, "\x13\x88"s}, {191, "\x13\x88"s}, {284, "\xFF\xFF"s}}},
         nullptr,
         0,
         {{171, "\x0E\x10"s}, {191, "\x0E\x10"s}, {284, "\x0E\x10"s}},
         true},
        {{{{275, "\xFF\xFF"s}}}, nullptr, 0, {{275, "\x02\x58"s}}, true},
        {{{{1212, "KVabc\0"s}, {1128, "kvX\0"s}}}, nullptr, 0, {{1212, "abc\0c\0"s}, {1128, "X\0X\0"s}}, true},
        {{{{286, "\x09\xC5"s}}}, nullptr, 0, {{286, "\x09\xC4"s}}, true},
        {{{{2056, "ABCDEFGHI"s}}}, nullptr, 0, {{2056, "ABCDEFGH\0"s}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        image.setDefaultClick();
        Load({{150, std::string(13, '\0')}, {1015, "\x00"s}});
        for (const Bytes& bytes : c.shown)
            Load(bytes);
        if (c.click)
            Radio(c.click)->SetItemIndex(c.index);
        for (const auto& [address, bytes] : c.committed)
            EXPECT_EQ(image.Image.Bytes(address, int(bytes.size())) == bytes, !c.byCommit) << address << " shown";
        commits.Run();
        for (const auto& [address, bytes] : c.committed)
            EXPECT_EQ(image.Image.Bytes(address, int(bytes.size())), bytes) << address;
    }
    image.UnmarkRange(0, 3072);
    redraw.ImageToControls();
    EXPECT_FALSE(image.Image.AnyMarked(0, 3072)) << "a redraw showing the same values writes nothing";
}

// The levels open with the analogue alarm that watches them: 1 low, 2 high, 3 both.
TEST_F(ChannelPage, GroupsOpenWhatTheChannelsKindAndAlarmLeaveOpen)
{
    struct Case {
        int address;
        std::string bytes;
        const char* control;
        bool enabled;
    };
    const Case cases[] = {
        {158, "\x04"s, "IO3adSetting", true},    {158, "\x04"s, "IO3alarmSetting", false},
        {193, "\x01"s, "IO3lowerLevel", true},   {193, "\x01"s, "IO3upper", false},
        {193, "\x02"s, "IO3upperLevel", true},   {193, "\x02"s, "IO3lower", false},
        {193, "\x03"s, "IO3lowerLevel", true},   {193, "\x00"s, "IO3upperLevel", false},
        {158, "\x00"s, "IO3alarmSetting", true}, {152, "\x00"s, "delay3Edit", false},
        {152, "\x01"s, "RestoreEdit3", true},    {160, "\x04"s, "IO3out", true},
        {288, "\x01"s, "IO8lowerLevel", true},   {288, "\x03"s, "IO8lowerLevel", false},
        {158, "\x01"s, "IO1alarmSetting", true}, // switched off: left as the last image opened it
    };
    Load(158, "\x00\x00\x00\x00\x00"s);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control + std::to_string(c.bytes[0]));
        Load(c.address, c.bytes);
        EXPECT_EQ(ctx.Get<QWidget>(c.control)->isEnabled(), c.enabled);
    }
}

// With the restore message the hysteresis labels show, open beside the levels that raise the alarm.
TEST_F(ChannelPage, LevelPictureAndRestoreLabelsFollowTheAlarmChoiceAndTheRestoreAlert)
{
    struct Case {
        int n;
        int index;
        bool alert;
        int picture;
        const char* labels; // shown: the ones enabled, "H" and "L"; nullptr: hidden
    };
    const Case cases[] = {{3, 0, true, -1, nullptr}, {3, 1, false, 0, nullptr}, {3, 3, false, 2, nullptr},
                          {3, 2, true, 8, "H"},      {2, 3, true, 9, "HL"},     {7, 1, true, 7, "L"},
                          {8, 1, false, 3, nullptr}, {8, 1, true, 10, nullptr}, {8, 0, false, -1, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n * 100 + c.index * 10 + c.alert);
        Box(Name("RestAlertMsg", c.n))->SetChecked(c.alert);
        Radio(Name("IO", c.n, "adSetting"))->SetItemIndex(c.index);
        EXPECT_EQ(ctx.Get<TLevelPicture>(Name("AD", c.n, "LevButton"))->ImageIndex(), c.picture);
        if (c.n == 8)
            continue;
        for (const char* side : {"H", "L"}) {
            auto* label = ctx.Get<QWidget>(Name("restore", c.n, side));
            EXPECT_EQ(!label->isHidden(), c.labels != nullptr) << side;
            if (c.labels) {
                EXPECT_EQ(label->isEnabled(), std::string(c.labels).find(side) != std::string::npos) << side;
            }
        }
    }
}
