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

// What a page shown, a choice picked and a commit as before a write leave in the image: the coupling rules mend
// a choice that breaks them, whoever moves it (an image shown moves the page's choices as a click does), and
// the commit clamps what every edit shows and runs each kind's rules again.
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
        // Analogue: no digital alarm (restore switch kept), an input; digital: no analogue alarm (alert kept).
        {{{{152, "\x07"s}}}, "IO3selection", 1, {{152, "\x04"s}, {158, "\x04"s}}},
        {{{{160, "\xFF"s}}}, "IO3selection", 1, {{160, "\xFB"s}}},
        {{{{158, "\x08"s}, {210, "\x13"s}}}, "IO4selection", 0, {{158, "\x00"s}, {210, "\x10"s}}},
        // An output has no digital alarm; an I/O1 alarm makes an input starting "OFF".
        {{{{154, "\x06"s}}}, "IO5direction", 1, {{154, "\x04"s}, {160, "\x10"s}}},
        {{{{160, "\x01"s}, {162, "\x01"s}}}, "IO1alarmSetting", 1, {{150, "\x01"s}, {160, "\x00"s}, {162, "\x00"s}}},
        // I/O1 switched off drops its alarm and keeps its direction and state.
        {{{{150, "\x06"s}}, {{162, "\x01"s}}}, "IO1selection", 1, {{150, "\x04"s}, {158, "\x01"s}, {162, "\x01"s}}},
        {{{{155, "\x04"s}}}, "IO6alarmSetting", 2, {{155, "\x06"s}}},
        // "PWM" makes I/O2 an output, which drops its alarm when shown.
        {{{{151, "\x03"s}}}, "IO2spec", 1, {{151, "\x00"s}, {160, "\x02"s}}},
        {{{{288, "\xF0"s}}}, "IO8adSetting", 1, {{288, "\xF1"s}}},
        // A redraw that moves a choice runs its rules: an output shown, an analogue input shown, an I/O1 output.
        {{{{160, "\x08"s}, {153, "\x01"s}}}, nullptr, 0, {{153, "\x00"s}, {160, "\x08"s}}},
        {{{{158, "\x04"s}, {152, "\x02"s}}}, nullptr, 0, {{152, "\x00"s}}},
        {{{{150, "\x02"s}}, {{160, "\x01"s}, {162, "\x01"s}}},
         nullptr,
         0,
         {{150, "\x00"s}, {160, "\x01"s}, {162, "\x01"s}}},
        // One that leaves the choices where they were runs nothing: the commit runs the kind's rules.
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

// An analogue or switched-off channel shows no direction, nor a supply alarm that is off its restore delay
// switch: those keep what they showed, and nothing is written.
TEST_F(ChannelPage, ChoicesTheirChannelDoesNotShowKeepWhatTheyShowed)
{
    Load(288, "\x05"s); // low level, restore delay on
    Load(288, "\x00"s);
    EXPECT_EQ(Radio("RestoreDelayBAT")->ItemIndex(), 1);
    EXPECT_EQ(Byte(288), 0x00);

    Load(158, "\x00\x00\x00"s); // digital inputs
    Load(158, "\x05"s);         // I/O1 off, I/O3 analogue
    Load(160, "\x05"s);
    EXPECT_EQ(Radio("IO1direction")->ItemIndex(), 0);
    EXPECT_EQ(Radio("IO3direction")->ItemIndex(), 0);
    EXPECT_EQ(Byte(160), 0x05);
    Load(158, "\x00"s);
    EXPECT_EQ(Radio("IO1direction")->ItemIndex(), 1);
    EXPECT_EQ(Radio("IO3direction")->ItemIndex(), 1);
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
                          {8, 1, false, 3, nullptr}, {8, 1, true, 10, nullptr}, {8, 0, false, -1, nullptr},
                          {8, 0, true, 10, nullptr}}; // the supply's restore message shows, alarm or not
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
