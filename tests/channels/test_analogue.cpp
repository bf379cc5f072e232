#include "ChannelFixture.h"

#include "channels/CommandText.h"
#include "channels/LoggingChannels.h"
#include "platform/Convert.h"
#include "platform/ui/ScriptedDialogs.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <utility>

using namespace std::string_literals;

namespace
{

// The unit's map of the channels, written out apart from the page's own table; 0: the channel has no such field.
struct Io {
    int n;
    int text, text2, delay;
    int high, low, hysteresis;
    int calibration; // Y1, Y2, X1, X2, unit text
};
const Io kIo[] = {{1, 291, 547, 171, 0, 0, 0, 0},          {2, 323, 579, 173, 262, 264, 266, 2486},
                  {3, 355, 611, 191, 177, 179, 181, 2048}, {4, 387, 643, 208, 194, 196, 198, 2065},
                  {5, 419, 675, 225, 211, 213, 215, 2082}, {6, 451, 707, 242, 228, 230, 232, 2099},
                  {7, 483, 739, 259, 245, 247, 249, 2116}, {8, 515, 0, 284, 0, 286, 0, 0}};
constexpr int kPresentation = 1015; // bit 0: levels scaled, else millivolts

} // namespace

class AnaloguePage : public ChannelPage
{
  public:
    std::string Caption(const std::string& name) { return ctx.Get<QLabel>(name)->text().toStdString(); }
    std::string Word(int address) const { return image.Image.Bytes(address, 2); }
};

TEST_F(AnaloguePage, LevelsHoldToTheLimitsOfThePresentation)
{
    struct Case {
        bool scaled;
        const char* typed;
        const char* shown;
        std::string stored;
    };
    const Case cases[] = {{false, "3000", "2500", "\x09\xC4"s},  {false, "-100", "-100", "\xFF\x9C"s},
                          {false, "", "0", "\x00\x00"s},         {true, "40000", "32767", "\x7F\xFF"s},
                          {true, "32768", "32767", "\x7F\xFF"s}, {true, "-40000", "-32768", "\x80\x00"s},
                          {true, "3000", "3000", "\x0B\xB8"s}};
    for (const Io& a : kIo) {
        if (!a.high)
            continue;
        for (const auto& [edit, address] :
             {std::pair{Name("IO", a.n, "upperLevel"), a.high}, std::pair{Name("IO", a.n, "lowerLevel"), a.low}}) {
            for (const Case& c : cases) {
                SCOPED_TRACE(edit + " " + c.typed + (c.scaled ? " scaled" : " mV"));
                Load(kPresentation, c.scaled ? "\x01"s : "\x00"s);
                Type(edit.c_str(), c.typed);
                EXPECT_EQ(Text(edit), c.shown);
                EXPECT_EQ(Word(address), c.stored);
            }
            Load(address, "\xFF\x9C"s);
            EXPECT_EQ(Text(edit), "-100") << "shown signed";
        }
    }
    EXPECT_THROW(Type("IO3upperLevel", "12a"), EConvertError);
}

// The hysteresis is an unsigned word; the labels beside the levels show it with the sign it applies in.
TEST_F(AnaloguePage, HysteresisIsAnUnsignedWordShownBesideTheLevels)
{
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {"75", "75", "\x00\x4B"s}, {"", "0", "\x00\x00"s}, {"-5", "0", "\x00\x00"s}, {"70000", "65535", "\xFF\xFF"s}};
    for (const Io& a : kIo) {
        if (!a.hysteresis)
            continue;
        const std::string edit = Name("hystEdit", a.n);
        for (const auto& [typed, shown, stored] : cases) {
            SCOPED_TRACE(edit + " " + typed);
            Type(edit.c_str(), typed);
            EXPECT_EQ(Text(edit), shown);
            EXPECT_EQ(Word(a.hysteresis), stored);
            EXPECT_EQ(Caption(Name("restore", a.n, "H")), "-"s + shown + "mV");
            EXPECT_EQ(Caption(Name("restore", a.n, "L")), "+"s + shown + "mV");
        }
        Load(a.hysteresis, "\x00\x3C"s);
        EXPECT_EQ(Caption(Name("restore", a.n, "L")), "+60mV") << "the redraw relabels too";
    }
}

// I/O7's toggle time stands in the logging group of the options.
class LoggingChannels : public ChannelPage
{
  public:
    void SetUp() override
    {
        ChannelPage::SetUp();
        auto* group = new QGroupBox(&window);
        group->setObjectName("GroupBox66");
        new QVBoxLayout(group);
        ctx.AddControl(group);
        BuildLoggingChannels(ctx);
        redraw.ImageToControls();
    }
};

// The time keeps its text as typed but above 255 and below 1, which takes the default.
TEST_F(LoggingChannels, ToggleTimeKeepsItsTextButForTheClamps)
{
    const std::tuple<const char*, const char*, char> cases[] = {
        {"0", "5", 5},    {"-1", "5", 5},    {"1", "1", 1},  {"300", "255", char(255)},
        {"12", "12", 12}, {"007", "007", 7}, {"000", "5", 5}};
    for (const auto& [typed, shown, stored] : cases) {
        SCOPED_TRACE(typed);
        Type("IO7outTimeEdit", typed);
        EXPECT_EQ(Text("IO7outTimeEdit"), shown);
        EXPECT_EQ(ctx.Get<QLabel>("XsecLabel")->text().toStdString(), shown);
        EXPECT_EQ(Byte(1022), uint8_t(stored));
    }
    Load(1022, "\x00"s);
    image.UnmarkRange(0, 3072);
    ctx.RunExits({"IO7outTimeEdit"});
    EXPECT_EQ(Byte(1022), 5) << "left as shown, a stored 0 is mended";
    image.UnmarkRange(0, 3072);
    ctx.RunExits({"IO7outTimeEdit"});
    EXPECT_TRUE(image.Image.AnyMarked(1022, 1)) << "and stored again unchanged";
}

TEST_F(ChannelPage, PowerInLevelsStoreTruncatedHundredthsAndTheMeasuredOnesShowTheirBytes)
{
    struct Case {
        const char* typed;
        const char* shown;
        std::string stored; // 286-287; empty: the conversion error, nothing written
    };
    const Case cases[] = {{"11.57", "11.57", "\x04\x85"s},
                          {"11.579", "11.579", "\x04\x85"s},
                          {"0.29", "0.29", "\x00\x1D"s},
                          {"25.5", "25", "\x09\xC4"s},
                          {"25.001", "25", "\x09\xC4"s},
                          {"25", "25", "\x09\xC4"s},
                          {"-1", "0", "\x00\x00"s},
                          {"1e30", "25", "\x09\xC4"s},
                          {"nan", "nan", ""},
                          {"inf", "inf", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Load(286, "\x04\x85"s);
        if (c.stored.empty()) {
            EXPECT_THROW(Type("IO8lowerLevel", c.typed), EConvertError);
        } else {
            Type("IO8lowerLevel", c.typed);
            EXPECT_EQ(image.Image.Bytes(286, 2), c.stored);
        }
        EXPECT_EQ(image.Image.AnyMarked(286, 2), !c.stored.empty()) << "stored every time, changed or not";
        EXPECT_EQ(Text("IO8lowerLevel"), c.shown);
    }
    // Beside it the measured supply level (millivolts, 4 V past 24 V) and the battery fields read their bytes.
    const std::tuple<int, std::string, const char*, const char*> shown[] = {
        {286, "\x04\x7E"s, "IO8lowerLevel", "11.5"},   {286, "\x04\xB0"s, "IO8lowerLevel", "12"},
        {286, "\xFF\x9C"s, "IO8lowerLevel", "654.36"}, {2320, "\x5D\xC0"s, "PowerInLev", "24"},
        {2320, "\x5D\xC1"s, "PowerInLev", "4"},        {2320, "\x04\xD3"s, "PowerInLev", "1.235"},
        {2167, "\x12\x34"s, "BATonTime", "4660"},      {2167, "\x12\x34"s, "BATstatus", "18"}};
    for (const auto& [address, stored, control, text] : shown) {
        Load(address, stored);
        EXPECT_EQ(Text(control), text) << control;
    }
}

TEST_F(ChannelPage, UnitCommandsAreStoredWithoutTheirPrefixInTheirOwnSlot)
{
    const std::pair<std::string, std::string> strips[] = {
        {"KVSRTC=1:00:00:00", "SRTC=1:00:00:00"}, {"kvsrd", "srd"}, {"kV", ""}, {"K", "K"}, {"SRD", "SRD"}, {"", ""}};
    for (const auto& [typed, stored] : strips)
        EXPECT_EQ(StripCommandPrefix(typed), stored) << typed;

    // A full slot: 20 characters and the 0 byte in its last byte.
    const std::string full(20, 'C');
    Load(1211, std::string(23, '\xFF'));
    Type("IO8kvcmdText", ("kv" + full).c_str()); // the edit holds 20 characters: "kv" and 18 more
    EXPECT_EQ(image.Image.Bytes(1211, 23), "\xFF"s + full.substr(2) + '\0' + "\xFF\xFF\xFF"s);
    EXPECT_EQ(Text("IO8kvcmdText"), full.substr(2));
    Type("IO8kvcmdText", full.c_str());
    EXPECT_EQ(image.Image.Bytes(1211, 23), "\xFF"s + full + '\0' + "\xFF"s);
}

// The restore delay is one word that every channel shows: any of its edits stores it and shows it in all.
TEST_F(ChannelPage, DelaysClampAndTheRestoreDelayIsOneForAll)
{
    for (const auto& [typed, shown] : {std::pair{"5000", "3600"}, {"-5", "0"}}) {
        Type("delay3Edit", typed);
        EXPECT_EQ(Text("delay3Edit"), shown);
    }
    for (const auto& [typed, stored, shown] :
         {std::tuple{"65535", "\x02\x58"s, "600"}, {"70000", "\xFF\xFE"s, "65534"}, {"-1", "\x00\x00"s, "0"}}) {
        Type("RestoreEdit5", typed);
        EXPECT_EQ(image.Image.Bytes(275, 2), stored) << typed;
        for (int n = 1; n <= 8; ++n)
            EXPECT_EQ(Text(Name("RestoreEdit", n)), shown);
    }
    Load(275, "\xFF\xFF"s);
    EXPECT_EQ(Text("RestoreEdit1"), "600");
}

namespace
{

// One handler of a Set button: the edit typed into and what its Exit stores there; no edit: the kind's click,
// which opens the restore delay switch.
struct Step {
    std::string edit;
    int address;
    const char* typed;
    std::string stored;
    bool number;
};

// The unit's own order: I/O1 and I/O2 take their delays after the texts, I/O3..I/O7 after the calibration;
// I/O2 ends with the unit commands of I/O1..I/O4.
std::vector<Step> SetButtonSteps(const Io& c)
{
    const auto name = [&c](const char* prefix, const char* suffix = "") {
        return prefix + std::to_string(c.n) + suffix;
    };
    std::vector<Step> steps = {{name("IO", "alarmText"), c.text, "A", "A\0"s, false}};
    auto add = [&steps](const std::vector<Step>& more) { steps.insert(steps.end(), more.begin(), more.end()); };
    if (c.text2)
        add({{name("IO", "alarmText2"), c.text2, "B", "B\0"s, false}});
    const Step delay{name("delay", "Edit"), c.delay, "5000", "\x0E\x10"s, true};
    const Step restore{name("RestoreEdit"), 275, "70000", "\xFF\xFE"s, true};
    const Step kind{"", 0, "", "", false};
    const Step hysteresis{name("hystEdit"), c.hysteresis, "75", "\x00\x4B"s, true};
    // Y1, Y2 signed and X1, X2 unsigned words held at their bounds; the unit text cut to its slot.
    const std::vector<Step> levels = {{name("IO", "upperLevel"), c.high, "3000", "\x09\xC4"s, true},
                                      {name("IO", "lowerLevel"), c.low, "-100", "\xFF\x9C"s, true},
                                      {name("IO", "unit"), c.calibration + 8, "kilopascal", "kilopasc\0"s, false},
                                      {name("IO", "constY1"), c.calibration, "-2", "\xFF\xFE"s, true},
                                      {name("IO", "constX1"), c.calibration + 4, "-1", "\x00\x00"s, true},
                                      {name("IO", "constY2"), c.calibration + 2, "40000", "\x7F\xFF"s, true},
                                      {name("IO", "constX2"), c.calibration + 6, "2500", "\x09\xC4"s, true}};
    if (c.n == 1) {
        add({delay, restore});
    } else if (c.n == 8) {
        add({{"IO8lowerLevel", c.low, "11.579", "\x04\x85"s, true}, delay, restore});
    } else if (c.n == 2) {
        add({delay, restore});
        add(levels);
        add({kind, hysteresis});
        for (const auto& [edit, address] : {std::pair{"IO1kvcmdText", 1128},
                                            {"IO1kvcmdText2", 1233},
                                            {"IO2kvcmdText", 1149},
                                            {"IO2kvcmdText2", 1254},
                                            {"IO3kvcmdText", 1170},
                                            {"IO3kvcmdText2", 1275},
                                            {"IO4kvcmdText", 1191},
                                            {"IO4kvcmdText2", 1296}})
            add({{edit, address, "KVc", "c\0"s, false}});
    } else {
        add(levels);
        add({delay, kind, restore, hysteresis});
    }
    return steps;
}

} // namespace

// Each Set button runs its channel's handlers in the unit's order, typed into or not. A number that does not
// convert stops the list where it stands: each handler before it has stored its value, none after it has run.
TEST_F(ChannelPage, EachSetButtonRunsItsChannelsHandlersInOrder)
{
    TScriptedDialogs dialogs;
    TScopedDialogs scope(dialogs);
    for (const Io& io : kIo) {
        const std::vector<Step> steps = SetButtonSteps(io);
        for (size_t stop = 0; stop <= steps.size(); ++stop) {
            if (stop < steps.size() && !steps[stop].number)
                continue;
            SCOPED_TRACE(Name("BitBtn", io.n) + " stopped at " + (stop < steps.size() ? steps[stop].edit : "none"));
            image.setDefaultClick();
            // I/O2..I/O7 analogue inputs without digital alarms, levels in millivolts.
            Load({{150, std::string(7, '\0')}, {158, "\x7E\x00\x00"s}, {1015, "\x00"s}});
            for (size_t i = 0; i < steps.size(); ++i)
                if (!steps[i].edit.empty())
                    ctx.Get<QLineEdit>(steps[i].edit)->setText(i == stop ? "x" : steps[i].typed);
            TRadioGroup* restoreSwitch = Radio(io.n == 8 ? "RestoreDelayBAT" : Name("RestoreDelayIO", io.n));
            restoreSwitch->setEnabled(false);
            image.UnmarkRange(0, 3072);
            dialogs.Shown.clear();
            ctx.Get<QPushButton>(Name("BitBtn", io.n))->click();
            EXPECT_EQ(dialogs.Shown.size(), stop < steps.size() ? 1u : 0u);
            for (size_t i = 0; i < steps.size(); ++i) {
                const Step& step = steps[i];
                SCOPED_TRACE(step.edit);
                if (step.edit.empty()) {
                    EXPECT_EQ(restoreSwitch->isEnabled(), i < stop);
                } else if (i < stop) {
                    EXPECT_EQ(image.Image.Bytes(step.address, int(step.stored.size())), step.stored);
                }
                EXPECT_EQ(image.Image.AnyMarked(step.address, int(step.stored.size())), i < stop && !step.edit.empty());
            }
        }
    }
}
