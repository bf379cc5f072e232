#include "PageFixture.h"

#include "image/MemoryImage.h"
#include "pages/InternalSerial.h"
#include "pages/OptionBits.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/RadioGroup.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

constexpr int kSize = MemoryImage::kConfigSize;

// The option switches over three sheets, with the internal serial group that holds the flow control.
class Options : public Page
{
  public:
    void SetUp() override
    {
        Page::SetUp();
        new TInternalSerial(ctx, &window);
        options = std::make_unique<TOptionBits>(
            ctx, TOptionBits::TSheets{new QWidget(&window), new QWidget(&window), new QWidget(&window)});
        redraw.Add(TRedraw::LevelCaptions, [this] { deepest = std::max(deepest, redraw.Depth()); });
    }
    // The image as a unit or a file gives it, shown.
    void Show(const std::string& bytes)
    {
        image.LoadPlain(0, bytes);
        redraw.ImageToControls();
    }
    std::vector<const TRow*> Bound() const
    {
        std::vector<const TRow*> rows;
        for (const TRow& row : ctx.Rows)
            if (row.step == TRedraw::OptionBits)
                rows.push_back(&row);
        return rows;
    }
    // What the control shows and what the image holds for the row: check state or item index.
    int Shown(const TRow& row) const
    {
        if (std::holds_alternative<BitSwitch>(row.field))
            return ctx.Get<TCheckBox>(row.name)->Checked();
        return ctx.Get<TRadioGroup>(row.name)->ItemIndex();
    }
    int Stored(const TRow& row) const
    {
        if (const auto* f = std::get_if<BitSwitch>(&row.field))
            return ReadSwitch(image, *f);
        if (const auto* f = std::get_if<MultiBitChoice>(&row.field))
            return ReadChoice(image, *f);
        return ReadPairChoice(image, std::get<BitPairChoice>(row.field));
    }
    std::unique_ptr<TOptionBits> options;
    int deepest = 0;
};

std::string Filled(uint8_t fill)
{
    return std::string(kSize, static_cast<char>(fill));
}

// Every check box of the option pages with its byte, mask and sense, as the unit reads them.
struct Bit {
    const char* name;
    int address;
    uint8_t mask;
    bool onWhenSet;
};
const Bit kBits[] = {
    {"SMSSecureCheckBox", 1011, 0x40, true},
    {"AntDirCheckBox", 1023, 0x80, false},
    {"RefreshNETCheckBox", 1011, 0x08, true},
    {"reset24hCheckBox", 1011, 0x80, true},
    {"AppendCheckBox", 1012, 0x02, true},
    {"AppendUserIDCheckBox", 166, 0x80, true},
    {"IMEI_HWnoCheckBox", 1012, 0x10, true},
    {"SIMIDCheckBox", 771, 0x80, false},
    {"useIMEICheck", 1012, 0x08, false},
    {"IMEICheck", 1023, 0x02, false},
    {"KVECheckBox", 289, 0x01, true},
    {"KVPCheckBox", 289, 0x02, true},
    {"KVPRCheckBox", 289, 0x04, true},
    {"KVPSRCheckBox", 289, 0x08, true},
    {"KVPMCheckBox", 289, 0x10, true},
    {"GPSCheckBox", 1012, 0x04, false},
    {"useExtGPSAntCheckBox", 1023, 0x10, false},
    {"RTCDateCheckBox", 1023, 0x01, false},
    {"GNSSAcceptAnyWCheckBox", 1012, 0x80, true},
    {"ConnectBox", 771, 0x10, true},
    {"ServerBox", 771, 0x40, true},
    {"FirewallBox", 1011, 0x04, false},
    {"UNCheckBox", 166, 0x40, true},
    {"SetIOCheckBox", 1015, 0x08, false},
    {"usePulseVEventCheckBox", 1023, 0x40, false},
    {"pulseSendBox", 1011, 0x02, true},
    {"CheckBox24", 1015, 0x40, false},
    {"CheckBox37", 1015, 0x04, false},
    {"CheckBox12", 1012, 0x20, true},
    {"CheckBox2", 1014, 0x01, true},
    {"LPCheckBox", 1015, 0x10, false},
    {"wakeUpWhenReq", 1013, 0x08, false},
    {"sleepSendReq", 1013, 0x10, false},
    {"IDCheckBox", 1013, 0x01, true},
    {"ID2CheckBox", 1013, 0x40, true},
    {"ADCheckBox", 1013, 0x02, true},
    {"DigCheckBox", 1013, 0x04, true},
    {"SMSsendCheckBox", 1023, 0x04, false},
    {"PingBox", 771, 0x20, true},
    {"PingLocalIP", 1015, 0x80, false},
    {"CheckBox13", 986, 0x01, true},
    {"CheckBox15", 986, 0x04, true},
    {"CheckBox16", 986, 0x08, true},
    {"CheckBox17", 986, 0x10, true},
    {"CheckBox18", 986, 0x20, true},
    {"CheckBox19", 986, 0x40, true},
    {"CheckBox20", 986, 0x80, true},
    {"CheckBox1", 985, 0x01, true},
    {"CheckBox3", 985, 0x04, true},
    {"CheckBox4", 985, 0x08, true},
    {"CheckBox5", 985, 0x10, true},
    {"CheckBox6", 985, 0x20, true},
    {"CheckBox22", 985, 0x40, true},
    {"CheckBox23", 985, 0x80, true},
    {"PI1CheckBox", 1019, 0x01, true},
    {"PI4CheckBox", 1019, 0x08, true},
    {"PI7CheckBox", 1019, 0x40, true},
    {"Freq1CheckBox", 1021, 0x01, false},
    {"Freq4CheckBox", 1021, 0x08, false},
    {"freqOrDiff", 1021, 0x80, true},
};

} // namespace

// Ticking and unticking each box stores its own bit in the sense the unit reads it, on an image whose rules
// let every box be ticked ([#4] to [#7] clear, units on).
TEST_F(Options, EachBoxStoresItsBitInItsSense)
{
    for (const Bit& b : kBits) {
        SCOPED_TRACE(b.name);
        Show(Filled(0x00));
        auto* box = ctx.Get<TCheckBox>(b.name);
        for (bool on : {!box->Checked(), box->Checked()}) {
            box->SetChecked(on);
            EXPECT_EQ(box->Checked(), on);
            EXPECT_EQ((image.ReadImageByte(b.address) & b.mask) != 0, on == b.onWhenSet) << "ticked " << on;
        }
    }
}

// Images through a redraw: a control the redraw moves runs its click, and the rules it carries reach the image.
// Each case starts from the settled all-0x00 image with the bits of "from", then shows it with the bits of
// "to" and checks the masked bytes.
TEST_F(Options, ARedrawRunsTheRulesOfWhatItMoves)
{
    struct Bits {
        int address;
        uint8_t set, clear;
    };
    struct Expect {
        int address;
        uint8_t mask, value;
    };
    struct Case {
        const char* rule;
        std::vector<Bits> from, to;
        std::vector<Expect> expect;
    };
    const Case cases[] = {
        {"[#3] beside [#4] loses [#3]", {}, {{986, 0x0C, 0}}, {{986, 0x0C, 0x08}}},
        {"[#3] alone stays", {{986, 0x08, 0}}, {{986, 0x04, 0x08}}, {{986, 0x0C, 0x04}}},
        {"no ISP connection, no server", {{771, 0x50, 0}}, {{771, 0, 0x10}}, {{771, 0x50, 0x00}}},
        {"a sending timer turns the ISP on", {}, {{1011, 0x02, 0}}, {{771, 0x10, 0x10}}},
        {"the I/O1 log box turns logging on", {}, {{1019, 0x01, 0}}, {{1014, 0x80, 0x80}, {166, 0x01, 0x01}}},
        {"logging off is timed", {{1014, 0x80, 0}, {166, 0, 0x01}}, {{1014, 0, 0x80}}, {{166, 0x01, 0x01}}},
        {"toggling I/O7 sets its bytes",
         {{1015, 0x08, 0}},
         {{1015, 0, 0x08}, {161, 0x04, 0}},
         {{159, 0x04, 0x04}, {161, 0x04, 0x00}}},
        {"a channel 5 wired digital counts plain pulses",
         {{1020, 0x10, 0}},
         {{1020, 0, 0x10}, {1021, 0, 0x10}},
         {{1021, 0x10, 0x10}}},
    };
    Show(Filled(0x00));
    const std::string settled = image.Image.Bytes(0, kSize);
    const auto apply = [&](const std::vector<Bits>& bits) {
        std::string bytes = settled;
        for (const Bits& b : bits)
            bytes[size_t(b.address)] = char((uint8_t(bytes[size_t(b.address)]) | b.set) & ~b.clear);
        return bytes;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        Show(apply(c.from));
        Show(apply(c.to));
        for (const Expect& e : c.expect)
            EXPECT_EQ(image.ReadImageByte(e.address) & e.mask, e.value) << "byte " << e.address;
        for (const TRow* row : Bound())
            EXPECT_EQ(Shown(*row), Stored(*row)) << row->name << ": page and image agree";
    }
    EXPECT_GT(deepest, 1) << "a rule's write redraws inside the redraw";
}

TEST_F(Options, TwoBitChoicesShowEveryPatternAndStoreTheirItems)
{
    struct Case {
        const char* name;
        int first, firstMask, second, secondMask;
        int shown[4];            // by pattern: first bit << 1 | second bit
        std::vector<int> stored; // by item: the pattern written
    };
    const Case cases[] = {
        {"RadioGroup3", 1023, 0x08, 1011, 0x20, {1, 1, 2, 0}, {3, 1, 2}},
        {"RadioGroup4", 1015, 0x20, 1023, 0x20, {0, 0, 2, 1}, {1, 3, 2}},
        {"SleepPeriodSend", 1013, 0x20, 1014, 0x02, {0, 0, 2, 1}, {1, 3, 2}},
        {"AnadataLog", 1014, 0x80, 166, 0x01, {0, 0, 2, 1}, {1, 3, 2}},
    };
    const std::string unit = FieldUnitBytes();
    for (const Case& c : cases) {
        auto* group = ctx.Get<TRadioGroup>(c.name);
        const auto stored = [&] {
            return (image.ReadImageByte(c.first) & c.firstMask ? 2 : 0) |
                   (image.ReadImageByte(c.second) & c.secondMask ? 1 : 0);
        };
        for (int pattern : {3, 0, 1, 2, 3}) {
            SCOPED_TRACE(std::string(c.name) + " pattern " + std::to_string(pattern));
            std::string bytes = unit;
            bytes[size_t(c.first)] = char((bytes[size_t(c.first)] & ~c.firstMask) | (pattern & 2 ? c.firstMask : 0));
            bytes[size_t(c.second)] =
                char((bytes[size_t(c.second)] & ~c.secondMask) | (pattern & 1 ? c.secondMask : 0));
            const int before = group->ItemIndex();
            Show(bytes);
            EXPECT_EQ(group->ItemIndex(), c.shown[pattern]);
            if (before != group->ItemIndex()) {
                EXPECT_EQ(stored(), c.stored[size_t(group->ItemIndex())]) << "a moved group stores both bits it shows";
            }
        }
        for (int item : {2, 0, 1}) {
            group->SetItemIndex(item);
            EXPECT_EQ(stored(), c.stored[size_t(item)]) << c.name << " item " << item;
        }
    }
}

// I/O1's counting edge shows only while logging is on, and writes its two bits as the unit reads them.
TEST_F(Options, EdgeShowsOnlyWithLoggingOnAndWritesItsTwoBits)
{
    std::pair<int, int> help;
    options->Hooks.ShowHelpText = [&help](int page, int item) { help = {page, item}; };
    auto* edge = ctx.Get<TRadioGroup>("IO1edge");
    redraw.ImageToControls(); // the rules of the default image settled
    // The logging and edge bytes shown, the item shown, then an item clicked and the edge byte it leaves.
    const std::tuple<char, char, int, int, char> cases[] = {{'\x80', '\x06', 2, 0, '\x00'},
                                                            {'\x80', '\x02', 1, 2, '\x06'},
                                                            {'\x80', '\xFD', 2, 1, '\xFB'},
                                                            {'\x80', '\x00', 0, -1, 0},
                                                            {'\x00', '\x06', 0, -1, 0}};
    for (const auto& [logging, edgeBits, shown, click, after] : cases) {
        image.LoadPlain(1014, std::string(1, logging));
        image.LoadPlain(166, std::string(1, edgeBits));
        redraw.ImageToControls();
        EXPECT_EQ(edge->ItemIndex(), shown) << int(logging) << " " << int(edgeBits);
        if (click < 0)
            continue;
        edge->SetItemIndex(click);
        EXPECT_EQ(image.ReadImageByte(166), uint8_t(after)) << click;
        EXPECT_EQ(help, std::pair(12, 2));
    }
}
