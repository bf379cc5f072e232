#include "ImageDiff.h"
#include "PtyRoad.h"
#include "files/ProfileTestSupport.h"

#include "image/DefaultImage.h"
#include "link/protocol/Protocol.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>

namespace
{

// A configuration as a unit in the field holds it: texts and numbers with bytes that the framing must escape
// (line breaks only in the texts the unit fills in: a profile cannot keep them), slots never written (erased),
// option bytes with bits that no switch owns, an internal sensor among the channel codes, an older tool's
// number. Its switches are in step with one another (no [#3] beside [#4], logging on with a logged I/O1, the
// pulse bits of channels 5 to 7, the clock sync's second bit), so showing it changes nothing.
std::string FieldImage()
{
    const auto& defaults = DefaultImageBytes();
    std::string image(defaults.begin(), defaults.end());
    auto put = [&image](int address, const std::string& bytes) { image.replace(size_t(address), bytes.size(), bytes); };
    put(0, std::string("Well 7\b}\x11\x13 north\0", 18));
    put(291, std::string("Level \x7D\x13 high\0", 14));
    put(547, std::string("Pump\x11 off\0", 10));
    put(2402, std::string("21/03/12,18:57\r\0", 16));
    put(2543, std::string("KV\r\x7D"
                          "0042\0",
                          9));
    for (auto [address, count] : {std::pair{103, 19}, {935, 50}, {1758, 256}, {2116, 17}, {2338, 16}})
        put(address, std::string(size_t(count), '\xFF'));
    put(43, "\x15\x0A\x05"); // a reference date
    const std::map<int, uint8_t> bytes = {
        {273, 5},     {41, 0x0D},   {42, 0x7D},   {865, 0x11},      {866, 0x13},        {166, 0x6D},  {175, 0x52},
        {176, 0x92},  {183, 0x02},  {184, 0x0E},  {185, 5342 >> 8}, {186, 5342 & 0xFF}, {187, 0xFE},  {188, 0x5A},
        {274, 0xE5},  {289, 0xE7},  {771, 0x9F},  {985, 0xFB},      {986, 0x02},        {1011, 0xFF}, {1012, 0x5A},
        {1013, 0xA5}, {1014, 0xBC}, {1015, 0xC3}, {1019, 0x55},     {1020, 0x2A},       {1021, 0xF1}, {1023, 0xB9},
        {1031, 0},    {1032, 1},    {1033, 2},    {1034, 3},        {1035, 4},          {1036, 8},    {1037, 6}};
    for (auto [address, value] : bytes)
        image[size_t(address)] = static_cast<char>(value);
    return image;
}

} // namespace

// The whole tool against a field unit over a pseudo-terminal, with every page built.
class WholeTool : public PtyRoad
{
  protected:
    void SetUp() override
    {
        sim.WithUnit([this](SimUnit& unit) { std::copy(field.begin(), field.end(), unit.Memory.begin()); });
        OpenPort("1234");
    }
    void Answer(const char* file) { dialogs.AnswerFile(true, ini.Path(file)); }

    const std::string field = FieldImage();
};

TEST_F(WholeTool, FieldImageGoesThroughFilesAndProfileAndBackThenEachPageChangesOnlyItsField)
{
    form.ReadEEPROM->trigger();
    ASSERT_EQ(form.Status(), Msg::kReadOk);
    ASSERT_EQ(ChangedAddresses(field, form.Image.Image.Bytes(0, 3072)), std::vector<int>{});
    Answer("unit.kvx");
    form.FileSave->trigger();
    Answer("unit.kvx");
    form.FileOpen->trigger();
    Answer("unit.kvp");
    form.SaveINIButtonClick();
    Answer("unit.kvp");
    form.ReadINIButtonClick();
    EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{});
    form.WriteEEPROM->trigger();
    ASSERT_EQ(form.Status(), Msg::kWriteOk);
    std::string expect = UnitBytes();
    expect.replace(0, field.size(), field);
    expect.replace(275, 2, "\x02\x58"); // the erased restore delay goes out as the 600 s it stands for
    EXPECT_EQ(ChangedAddresses(Stamped(expect), UnitBytes()), std::vector<int>{});

    // One edit a page, typed and not left: the write (or the channel's calibration button) commits it.
    const auto type = [this](const char* name, const char* text) {
        return [=, this] {
            auto* edit = form.PageContext.Get<QLineEdit>(name);
            edit->selectAll();
            edit->insert(text);
        };
    };
    const struct {
        const char* page;
        std::function<void()> edit;
        int address;
        std::string bytes;
        const char* send; // the button that takes it to the unit; nullptr: the memory write
    } edits[] = {
        {"General Settings", type("ConfigID", "258"), 41, "\x01\x02", nullptr},
        {"Channels", type("IO1kvcmdText", "KVSRD"), 1128, std::string("SRD\0", 4), nullptr},
        {"Data Transfer/Logging/Timers", [this] { form.PageContext.Get<QAbstractButton>("IDCheckBox")->click(); }, 1013,
         std::string(1, static_cast<char>(field[1013] ^ 0x01)), nullptr},
        {"Communication", type("IPEdit1", "kiv.example.net"), 1534, std::string("kiv.example.net\0", 16), nullptr},
        {"Channel Calibration", type("IO3constY1", "-250"), 2048, "\xFF\x06", "ADcal3Button"},
    };
    for (const auto& e : edits) {
        SCOPED_TRACE(e.page);
        const std::string before = UnitBytes();
        std::string expect = before;
        expect.replace(size_t(e.address), e.bytes.size(), e.bytes);
        ASSERT_NE(expect, before);
        e.edit();
        if (e.send) {
            form.PageContext.Get<QAbstractButton>(e.send)->click();
            PumpUntil([&] { return UnitBytes() != before; });
        } else {
            form.WriteEEPROM->trigger();
            EXPECT_EQ(form.Status(), Msg::kWriteOk);
        }
        EXPECT_EQ(ChangedAddresses(expect, UnitBytes()), std::vector<int>{});
    }
    EXPECT_TRUE(sim.WithUnit([](SimUnit& unit) { return unit.Violations; }).empty());
}

// A line break would end the value's line: the file would keep the text before it, and the read-back would
// store that part in the image. The save refuses instead, before any file is touched.
TEST(WholeToolProfile, ATextWithALineBreakIsRefusedNotCut)
{
    for (const char* text : {"Well\r7", "Well\n7"}) {
        TFakeValues values;
        values.texts["UserIDText"] = text;
        const TProfileSave save = BuildProfile(values, kVersionTag, "2024-05-06");
        ASSERT_TRUE(save.Fault);
        EXPECT_NE(save.Fault->Text().find("line break"), std::string::npos) << save.Fault->Text();
        EXPECT_TRUE(save.Entries.empty());
    }
}
