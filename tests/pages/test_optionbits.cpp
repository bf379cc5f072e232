#include "PageFixture.h"

#include "image/MemoryImage.h"
#include "pages/InternalSerial.h"
#include "pages/OptionBits.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/RadioGroup.h"

#include <QLabel>
#include <gtest/gtest.h>

#include <map>
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
        TOptionHooks& h = options->Hooks;
        const auto note = [this](const char* key) { return [this, key](bool on) { seen[key] = on ? "on" : "off"; }; };
        h.ShowHelpText = [this](int page, int item) {
            seen["help"] = std::to_string(page) + "." + std::to_string(item);
        };
        h.UserNameEnabled = note("UserName");
        h.UserIDLocked = note("UserIDText locked");
        h.MaxPingEnabled = note("MaxPingNo");
        h.AwakeTimeCaption = [this](const std::string& text) { seen["Label77"] = text; };
        h.StartTimeEnabled = [this](int timer, bool on) { seen["start" + std::to_string(timer)] = on ? "on" : "off"; };
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
    void Flip(const TRow& row)
    {
        if (auto* box = qobject_cast<TCheckBox*>(ctx.Get<QWidget>(row.name)))
            return box->SetChecked(!box->Checked());
        auto* group = ctx.Get<TRadioGroup>(row.name);
        group->SetItemIndex((group->ItemIndex() + 1) % group->Count());
    }

    std::unique_ptr<TOptionBits> options;
    std::map<std::string, std::string> seen;
    int deepest = 0;
};

std::string Filled(uint8_t fill)
{
    return std::string(kSize, static_cast<char>(fill));
}

// Bits a user's click writes besides the switch's own, on an image of all 0x00 or all 0xFF.
struct Forced {
    std::string name;
    uint8_t fill;
    std::map<int, uint8_t> bits;
    bool writes = true;
};

std::vector<Forced> ForcedBits()
{
    std::vector<Forced> forced = {
        {"IMEI_HWnoCheckBox", 0x00, {{771, 0x80}, {1012, 0x08}}}, // the other sources ticked off
        {"ConnectBox", 0xFF, {{771, 0x40}}},                      // no ISP, no server
        {"CheckBox24", 0x00, {{1015, 0x04}}},                     // no units, no control characters
        {"CheckBox37", 0xFF, {}, false},                          // nothing without units
        {"SetIOCheckBox", 0xFF, {{161, 0x04}}},
        {"PI1CheckBox", 0x00, {{1014, 0x80}, {166, 0x01}}},   // logging on, timed
        {"Ch1RadioGroup", 0x00, {{1014, 0x80}, {166, 0x01}}}, // digital I/O1 is logged as I/O1 is
    };
    for (const char* name : {"SIMIDCheckBox", "useIMEICheck"})
        forced.push_back({name, 0xFF, {{1012, 0x10}}});
    for (const char* name : {"pulseSendBox", "CheckBox12", "CheckBox2"}) // a sending timer turns the ISP on
        forced.push_back({name, 0x00, {{771, 0x10}}});
    for (int n = 5; n <= 7; ++n)
        for (const std::string& name : {"PI" + std::to_string(n) + "CheckBox", "Ch" + std::to_string(n) + "RadioGroup"})
            forced.push_back({name, 0x00, {{1021, uint8_t(1 << (n - 1))}}});
    // [#4] .. [#7] clear [#3].
    for (const char* name : {"CheckBox16", "CheckBox17", "CheckBox18", "CheckBox19"})
        forced.push_back({name, 0xFF, {{986, 0x04}}});
    for (const char* name : {"CheckBox4", "CheckBox5", "CheckBox6", "CheckBox22"})
        forced.push_back({name, 0xFF, {{985, 0x04}}});
    return forced;
}

} // namespace

TEST_F(Options, EachClickWritesItsOwnBitsInItsSenseAndOnlyTheBitsItForces)
{
    const auto forced = ForcedBits();
    for (uint8_t fill : {uint8_t(0x00), uint8_t(0xFF)}) {
        for (const TRow* row : Bound()) {
            SCOPED_TRACE(row->name + " on " + std::to_string(fill));
            Show(Filled(fill));
            const std::string before = image.Image.Bytes(0, kSize);
            Forced rule{row->name, fill, {}};
            for (const Forced& f : forced)
                if (f.name == row->name && f.fill == fill)
                    rule = f;
            std::map<int, uint8_t> allowed = rule.bits;
            for (const TFieldBytes& own : FieldBytes(row->field))
                allowed[own.address] |= own.mask;

            Flip(*row);
            for (int a = 0; a < kSize; ++a) {
                const uint8_t changed = uint8_t(image.ReadImageByte(a)) ^ uint8_t(before[size_t(a)]);
                const uint8_t free = allowed.count(a) ? allowed[a] : 0;
                EXPECT_EQ(changed & ~free, 0) << "byte " << a;
                if (rule.bits.count(a)) {
                    EXPECT_EQ(changed & rule.bits[a], rule.bits[a]) << "forced byte " << a;
                }
                EXPECT_EQ(image.Image.Marked(a), changed != 0) << "byte " << a;
            }
            if (!rule.writes) {
                EXPECT_EQ(image.Image.Bytes(0, kSize), before);
                continue;
            }
            EXPECT_EQ(Stored(*row), Shown(*row)) << "the image holds what the control shows";
            if (const auto* f = std::get_if<BitSwitch>(&row->field)) {
                EXPECT_NE(image.ReadImageByte(f->address) & f->mask, uint8_t(before[size_t(f->address)]) & f->mask);
            }
        }
    }
    EXPECT_EQ(deepest, 1) << "no click nests a redraw inside a redraw";
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
        for (int pattern : {3, 0, 1, 2, 3}) {
            SCOPED_TRACE(std::string(c.name) + " pattern " + std::to_string(pattern));
            std::string bytes = unit;
            bytes[size_t(c.first)] = char((bytes[size_t(c.first)] & ~c.firstMask) | (pattern & 2 ? c.firstMask : 0));
            bytes[size_t(c.second)] =
                char((bytes[size_t(c.second)] & ~c.secondMask) | (pattern & 1 ? c.secondMask : 0));
            Show(bytes);
            EXPECT_EQ(group->ItemIndex(), c.shown[pattern]);
            EXPECT_EQ(image.Image.Bytes(0, kSize), bytes) << "the pattern no item stores is kept";
        }
        for (int item : {2, 0, 1}) {
            group->SetItemIndex(item);
            const int pattern = (image.ReadImageByte(c.first) & c.firstMask ? 2 : 0) |
                                (image.ReadImageByte(c.second) & c.secondMask ? 1 : 0);
            EXPECT_EQ(pattern, c.stored[size_t(item)]) << c.name << " item " << item;
        }
    }
}

// Each change of image turns switches from one state to the other: every handler a redraw runs is met. The
// last image holds two unit ID sources and [#3] beside [#4], which a click would clear: shown, not fought over.
TEST_F(Options, ImagesAreShownAsTheyAreWithoutAWrite)
{
    std::string both = Filled(0x00);
    both[986] = 0x0C;
    for (const std::string& bytes : {Filled(0x00), Filled(0xFF), Filled(0xEF), FieldUnitBytes(), Filled(0xFF), both}) {
        seen.clear();
        Show(bytes);
        EXPECT_EQ(image.Image.Bytes(0, kSize), bytes);
        EXPECT_FALSE(image.Image.AnyMarked(0, kSize));
        for (const TRow* row : Bound())
            EXPECT_EQ(Shown(*row), Stored(*row)) << row->name;
        EXPECT_EQ(seen.count("help"), 0u) << "help follows the user, not the redraw";
    }
    ctx.Get<TCheckBox>("CheckBox16")->SetChecked(false);
    EXPECT_EQ(image.ReadImageByte(986), 0x00);
    EXPECT_EQ(deepest, 1);
}

TEST_F(Options, WhatFollowsASwitchFollowsTheShownImage)
{
    auto* serverBox = ctx.Get<TCheckBox>("ServerBox");
    auto* wakeUp = ctx.Get<TCheckBox>("wakeUpWhenReq");
    auto* event = ctx.Get<TCheckBox>("usePulseVEventCheckBox");
    auto* format = ctx.Get<QLabel>("Label102");
    auto* controlChar = ctx.Get<TCheckBox>("CheckBox37");

    using Seen = std::map<std::string, std::string>;
    const auto withStarts = [](Seen expect, const char* state) {
        for (int timer = 1; timer <= 5; ++timer)
            expect["start" + std::to_string(timer)] = state;
        return expect;
    };
    seen.clear();
    Show(Filled(0x00)); // units and control characters on; two unit ID sources on
    EXPECT_FALSE(serverBox->isEnabled());
    EXPECT_TRUE(wakeUp->isEnabled());
    EXPECT_FALSE(event->isEnabled());
    EXPECT_EQ(format->text(), "[#32] format");
    EXPECT_EQ(ctx.Get<QLabel>("Label162")->text(), "Diff");
    EXPECT_EQ(ctx.Get<TCheckBox>("PI2CheckBox")->text(), "Input Ch 2");
    EXPECT_EQ(seen, withStarts({{"Label77", "Max Awake Time:"}, {"UserIDText locked", "on"}}, "off"));

    seen.clear();
    Show(Filled(0xFF)); // units off, control characters off, logging on and timed
    EXPECT_TRUE(serverBox->isEnabled());
    EXPECT_FALSE(wakeUp->isEnabled());
    EXPECT_EQ(format->text(), "[#21] format");
    EXPECT_FALSE(controlChar->isEnabled());
    EXPECT_EQ(ctx.Get<QLabel>("Label162")->text(), "Freq");
    EXPECT_EQ(ctx.Get<TCheckBox>("PI2CheckBox")->text(), "Input Ch 2 (I/O2)");
    EXPECT_EQ(
        seen,
        withStarts(
            {{"Label77", "Min Awake Time:"}, {"MaxPingNo", "on"}, {"UserIDText locked", "on"}, {"UserName", "off"}},
            "on"));

    std::string bytes = Filled(0xFF);
    bytes[1015] = char(0xFB); // units off, control characters on: shown ticked but out of reach
    Show(bytes);
    EXPECT_TRUE(controlChar->Checked());
    EXPECT_FALSE(controlChar->isEnabled());
    EXPECT_EQ(format->text(), "[#21] format");
    ctx.Get<TCheckBox>("CheckBox24")->SetChecked(true);
    EXPECT_EQ(format->text(), "[#32] format");
    EXPECT_EQ(seen["help"], "") << "no help for these boxes";
    ctx.Get<TRadioGroup>("StatusPeriodSend")->SetItemIndex(0);
    EXPECT_EQ(seen["help"], "11.2");
    EXPECT_EQ(seen["start4"], "off");
}
