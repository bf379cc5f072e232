#include "ChannelFixture.h"

#include "channels/CommandText.h"
#include "channels/LoggingChannels.h"
#include "platform/Convert.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <utility>

using namespace std::string_literals;

namespace
{

// The unit's map of the analogue inputs, written out apart from the page's own table.
struct Analogue {
    int n;
    int high, low, hysteresis;
    int calibration; // Y1, Y2, X1, X2, unit text
};
const Analogue kAnalogue[] = {{2, 262, 264, 266, 2486}, {3, 177, 179, 181, 2048}, {4, 194, 196, 198, 2065},
                              {5, 211, 213, 215, 2082}, {6, 228, 230, 232, 2099}, {7, 245, 247, 249, 2116}};
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
    for (const Analogue& a : kAnalogue) {
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
    for (const Analogue& a : kAnalogue) {
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

// The calibration block: Y1, Y2 signed and X1, X2 unsigned words held at their bounds, then the unit text,
// at most 8 characters and its 0 byte, the rest of its slot left alone.
TEST_F(AnaloguePage, CalibrationBlocksTakeTheirWordsAndAUnitTextCutToItsSlot)
{
    const std::pair<const char*, const char*> typed[] = {
        {"constY1", "-1"}, {"constY2", "40000"}, {"constX1", "-1"}, {"constX2", "2500"}, {"unit", "kilopascal"}};
    const std::string block = "\xFF\xFF\x7F\xFF\x00\x00\x09\xC4"s + "kilopasc\0"s;
    for (const Analogue& a : kAnalogue) {
        SCOPED_TRACE(a.n);
        Load(a.calibration, std::string(18, '\xFF'));
        EXPECT_EQ(Text(Name("IO", a.n, "constY2")), "-1") << "an erased block";
        EXPECT_EQ(Text(Name("IO", a.n, "constX2")), "65535");
        for (const auto& [edit, text] : typed)
            Type(Name("IO", a.n, edit).c_str(), text);
        EXPECT_EQ(image.Image.Bytes(a.calibration, 17), block);
        EXPECT_EQ(Byte(a.calibration + 17), 0xFF) << "nothing past the block";
        EXPECT_EQ(Text(Name("IO", a.n, "constY2")), "32767");
        EXPECT_EQ(Text(Name("IO", a.n, "constX1")), "0");
        Type(Name("IO", a.n, "unit").c_str(), "V");
        EXPECT_EQ(image.Image.Bytes(a.calibration + 8, 9), "V\0lopasc\0"s);
    }
}

// I/O1's counting edge and I/O7's toggle time stand in the logging group of the options.
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
        edge = BuildLoggingChannels(ctx, [this](int page, int item) { help.emplace_back(page, item); });
        redraw.ImageToControls();
    }
    TRadioGroup* edge = nullptr;
    std::vector<std::pair<int, int>> help;
};

TEST_F(LoggingChannels, ToggleTimeHoldsToOneTo255SecondsAndAZeroIsTheDefault)
{
    const std::tuple<const char*, const char*, char> cases[] = {
        {"0", "5", 5}, {"-1", "5", 5}, {"1", "1", 1}, {"300", "255", char(255)}, {"12", "12", 12}};
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

TEST_F(LoggingChannels, EdgeShowsOnlyWithLoggingOnAndWritesItsTwoBits)
{
    const std::tuple<char, char, int> shown[] = {
        {'\x80', '\x06', 2}, {'\x80', '\x02', 1}, {'\x80', '\x00', 0}, {'\x00', '\x06', 0}};
    for (const auto& [logging, edgeBits, index] : shown) {
        Load(1014, std::string(1, logging));
        Load(166, std::string(1, edgeBits));
        EXPECT_EQ(edge->ItemIndex(), index) << int(logging) << " " << int(edgeBits);
    }
    const std::tuple<char, int, char> clicks[] = {{'\x02', 2, '\x06'}, {'\x06', 0, '\x00'}, {'\xFD', 1, '\xFB'}};
    Load(1014, "\x80"s);
    for (const auto& [before, index, after] : clicks) {
        Load(166, std::string(1, before));
        ASSERT_NE(edge->ItemIndex(), index);
        edge->SetItemIndex(index);
        EXPECT_EQ(Byte(166), uint8_t(after)) << index;
    }
    EXPECT_EQ(help.back(), std::pair(12, 2));
}

TEST_F(ChannelPage, PowerInLowLevelIsTruncatedHundredthsClampedToItsRange)
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
    for (const auto& [stored, shown] : {std::pair{"\x04\x7E"s, "11.5"}, {"\x04\xB0"s, "12"}, {"\xFF\x9C"s, "654.36"}}) {
        Load(286, stored);
        EXPECT_EQ(Text("IO8lowerLevel"), shown);
    }
}

TEST_F(ChannelPage, UnitCommandsAreStoredWithoutTheirPrefixInTheirOwnSlot)
{
    const std::pair<std::string, std::string> strips[] = {
        {"KVSRTC=1:00:00:00", "SRTC=1:00:00:00"}, {"kvsrd", "srd"}, {"kV", ""}, {"K", "K"}, {"SRD", "SRD"}, {"", ""}};
    for (const auto& [typed, stored] : strips)
        EXPECT_EQ(StripCommandPrefix(typed), stored) << typed;

    const std::pair<const char*, int> edits[] = {
        {"IO1kvcmdText", 1128},  {"IO1kvcmdText2", 1233}, {"IO2kvcmdText", 1149},
        {"IO2kvcmdText2", 1254}, {"IO3kvcmdText", 1170},  {"IO3kvcmdText2", 1275},
        {"IO4kvcmdText", 1191},  {"IO4kvcmdText2", 1296}, {"IO8kvcmdText", 1212}};
    const std::string full(20, 'C');
    for (const auto& [name, address] : edits) {
        SCOPED_TRACE(name);
        Load(address - 1, std::string(23, '\xFF'));
        Type(name, ("kv" + full).c_str()); // the edit holds 20 characters: "kv" and 18 more
        EXPECT_EQ(image.Image.Bytes(address - 1, 23), "\xFF"s + full.substr(2) + '\0' + "\xFF\xFF\xFF"s);
        EXPECT_EQ(Text(name), full.substr(2));
        Type(name, full.c_str());
        EXPECT_EQ(image.Image.Bytes(address - 1, 23), "\xFF"s + full + '\0' + "\xFF"s) << "the slot's last byte";
    }
}

TEST_F(ChannelPage, DelaysClampAndTheRestoreDelayIsOneForAll)
{
    const int delays[] = {171, 173, 191, 208, 225, 242, 259, 284};
    for (int n = 1; n <= 8; ++n) {
        SCOPED_TRACE(n);
        for (const auto& [typed, shown, stored] : {std::tuple{"5000", "3600", "\x0E\x10"s}, {"-5", "0", "\x00\x00"s}}) {
            Type(Name("delay", n, "Edit").c_str(), typed);
            EXPECT_EQ(Text(Name("delay", n, "Edit")), shown);
            EXPECT_EQ(image.Image.Bytes(delays[n - 1], 2), stored);
        }
        for (const auto& [typed, stored, shown] :
             {std::tuple{"65535", "\x02\x58"s, "600"}, {"70000", "\xFF\xFE"s, "65534"}, {"-1", "\x00\x00"s, "0"}}) {
            Type(Name("RestoreEdit", n).c_str(), typed);
            EXPECT_EQ(image.Image.Bytes(275, 2), stored) << typed;
            EXPECT_EQ(Text(Name("RestoreEdit", 9 - n)), shown);
        }
    }
    Load(275, "\xFF\xFF"s);
    EXPECT_EQ(ctx.Get<QLineEdit>("RestoreEdit1")->text(), "600");
}

// Before a write the Set buttons commit what was typed but not yet left, each channel its own edits, the
// power-in monitor's unit command included.
TEST_F(ChannelPage, CommitsStoreWhatWasTypedButNotLeft)
{
    const char* typed[] = {"IO2alarmText2", "IO3kvcmdText2", "IO8kvcmdText", "IO7alarmText"};
    for (const char* name : typed) {
        ctx.Get<QLineEdit>(name)->selectAll();
        ctx.Get<QLineEdit>(name)->insert("KVxy"); // typed over the shown text
    }
    for (const char* name : {"IO4upperLevel", "hystEdit6", "IO5constX1", "IO2unit"}) {
        ctx.Get<QLineEdit>(name)->selectAll();
        ctx.Get<QLineEdit>(name)->insert("3000");
    }
    Type("IO8lowerLevel", "3"); // left already: committing it again changes nothing
    image.UnmarkRange(0, 3072);
    commits.Run();
    EXPECT_EQ(image.Image.Bytes(579, 5), "KVxy\0"s);
    EXPECT_EQ(image.Image.Bytes(1275, 3), "xy\0"s);
    EXPECT_EQ(image.Image.Bytes(1212, 3), "xy\0"s);
    EXPECT_EQ(image.Image.Bytes(483, 5), "KVxy\0"s);
    EXPECT_EQ(image.Image.Bytes(194, 2), "\x09\xC4"s) << "held at 2500 mV";
    EXPECT_EQ(image.Image.Bytes(232, 2), "\x0B\xB8"s);
    EXPECT_EQ(image.Image.Bytes(2086, 2), "\x0B\xB8"s);
    EXPECT_EQ(image.Image.Bytes(2494, 5), "3000\0"s);
    EXPECT_FALSE(image.Image.AnyMarked(286, 2));
}
