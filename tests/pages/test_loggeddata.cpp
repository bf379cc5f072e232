#include "pages/AlarmTable.h"
#include "pages/GeneralPage.h"
#include "pages/LogRecords.h"
#include "pages/LoggedDataPage.h"
#include "pages/TimeTableGroup.h"
#include "platform/Convert.h"
#include "platform/ui/ScriptedDialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

#include <sstream>

#include "PageFixture.h"

namespace
{

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

// The page as the window builds it.
class LoggedPage : public Page
{
  public:
    void SetUp() override
    {
        Page::SetUp();
        BuildLoggedDataPage(ctx, &logged, &timers);
        redraw.ImageToControls();
    }
    QWidget logged;
    QWidget timers;
};

TEST_F(LoggedPage, AlarmRecordsDecodedFromTheirBytesAndShownInTheirRows)
{
    const struct {
        std::string bytes;
        std::array<std::string, 6> cells;
    } cases[] = {
        {std::string(8, '\xFF'), {"255", "65535:00:00:00", "255", "15AHR", "YES", "255"}},
        {std::string(8, '\0'), {"0", "0:00:00:00", "0", "0DL", "NO", "0"}},
        {"\x12\x67\x09\x05\x1E\x63\x07\x03", {"7", "4711:09:05:30", "99", "3DHR", "NO", "3"}},
        {std::string("\x00\x07\x0C\x00\x00\x92\x2A\x01", 8), {"42", "7:12:00:00", "146", "2AL", "YES", "1"}},
        {std::string("\x00\x01\x64\x63\x0A\x00\x00\x00", 8), {"0", "1:00:99:10", "0", "0DL", "NO", "0"}},
    };
    auto* grid = ctx.Get<QTableWidget>("AlarmStringGrid1");
    for (int r = 1; r <= 16; r += 15) // the first and the last record
        for (const auto& c : cases) {
            image.LoadPlain(2171 + 8 * (r - 1), c.bytes);
            EXPECT_EQ(AlarmRecordCells(image, r), c.cells) << "record " << r;
            redraw.ImageToControls();
            EXPECT_EQ(grid->item(r, 0)->text(), QString::number(r));
            EXPECT_EQ(grid->item(r, 2)->text().toStdString(), c.cells[1]) << "record " << r;
        }
}

TEST_F(Page, LogListLinesFollowTheLoggedChannelsAndTheReadSize)
{
    const struct {
        uint8_t channels;
        int readSize;
        int lines;
    } cases[] = {{0x01, 1, 6855}, {0x7F, 1, 1869}, {0x8B, 1, 3629}, {0x7F, 0, 0}, {0x00, 1, 0}, {0x80, 1, 0}};
    for (const auto& c : cases) {
        image.LoadPlain(kLoggedChannelsAddress, std::string(1, char(c.channels)));
        RadioGroup1Click(image, redraw, c.readSize);
        const TLogLayout layout = LogLayout(image);
        const auto lines = Lines(LogListText(image, layout));
        EXPECT_EQ(int(lines.size()), c.lines) << int(c.channels);
        if (lines.empty())
            continue;
        // The last record stands where the record size puts it, and ends the list.
        const int last = kLogAreaStart + (c.lines - 1) * layout.RecordSize();
        EXPECT_LE(last + layout.RecordSize(), 65536);
        image.LoadPlain(last, std::string("\x00\x05\x01\x02\x03", 5) + std::string(4, '\x01'));
        EXPECT_EQ(Lines(LogListText(image, layout)).back().rfind(std::to_string(c.lines) + ": 5,01:02:03,", 0), 0u);
    }
}

TEST_F(Page, RecordValuesAndTimeStampsAtTheEdges)
{
    const struct {
        uint8_t channels;
        bool rtc;
        std::string record;
        std::string line;
    } cases[] = {
        {0x05, false, std::string("\x00\x0C\x08\x0F\x00\x00\x00\x04\xD2\x00\x00\x16\x2E", 13),
         "1: 12,08:15:00,1234,,5678,,,,,"},
        {0x01, false, std::string(9, '\xFF'), "1: 65535,00:00:00,4294967295,,,,,,,"},
        {0x40, true, std::string("\x2A\x67\x17\x3B\x3B\x00\x00\x00\x00", 9), "1: 2137,23:59:59,,,,,,,0,"},
        {0x40, true, std::string(9, '\xFF'), "1: 1271531,00:00:00,,,,,,,4294967295,"}, // year 127, the last
        {0x01, true, std::string("\x00\x21\x00\x00\x00\x80\x00\x00\x00", 9), "1: 011,00:00:00,2147483648,,,,,,,"},
    };
    RadioGroup1Click(image, redraw, 1);
    for (const auto& c : cases) {
        image.LoadPlain(kLoggedChannelsAddress, std::string(1, char(c.channels)));
        image.LoadPlain(kRtcDatesAddress, std::string(1, c.rtc ? '\xFE' : '\x01'));
        image.LoadPlain(kLogAreaStart, c.record);
        EXPECT_EQ(Lines(LogListText(image, LogLayout(image))).front(), c.line);
    }

    std::array<std::string, 7> erased;
    erased.fill("4294967295");
    image.LoadPlain(2473, std::string(9, '\xFF'));
    image.LoadPlain(2518, std::string(24, '\xFF'));
    EXPECT_EQ(LatestTimeStampText(image), "65535,00:00:00");
    EXPECT_EQ(LatestValueTexts(image), erased);
    image.LoadPlain(2473, std::string("\x00\x0C\x08\x0F\x00\x00\x00\x00\x01", 9));
    image.LoadPlain(2518, std::string("\x00\x00\x00\x02", 4));
    EXPECT_EQ(LatestTimeStampText(image), "12,08:15:00");
    EXPECT_EQ(LatestValueTexts(image)[0], "1");
    EXPECT_EQ(LatestValueTexts(image)[1], "2");
}

TEST_F(LoggedPage, TheRecordListIsRebuiltOnlyWhenWhatItShowsChanges)
{
    auto* memo = ctx.Get<QPlainTextEdit>("LoggedData");
    int sets = 0;
    QObject::connect(memo, &QPlainTextEdit::textChanged, [&] { ++sets; });
    image.LoadPlain(kLoggedChannelsAddress, "\x7F");
    RadioGroup1Click(image, redraw, 1);
    EXPECT_EQ(memo->document()->blockCount(), 1869);
    EXPECT_EQ(sets, 1) << "the whole list set in one step";

    const struct {
        const char* change;
        std::function<void()> edit;
        int sets;
    } cases[] = {
        {"nothing", [] {}, 0},
        {"a configuration byte", [&] { image.WriteImageString("x", 100, 1); }, 0},
        {"a log byte", [&] { image.WriteImageString("\x01", 65000, 1); }, 1},
        {"the date kind",
         [&] { image.WriteImageString({char(image.Image.Byte(kRtcDatesAddress) ^ 1)}, kRtcDatesAddress, 1); }, 1},
        {"the configuration-only read size", [&] { RadioGroup1Click(image, redraw, 0); }, 1},
        {"a log byte while no record is listed", [&] { image.WriteImageString("\x02", 65000, 1); }, 0},
    };
    for (const auto& c : cases) {
        sets = 0;
        c.edit();
        redraw.ImageToControls();
        EXPECT_EQ(sets, c.sets) << c.change;
    }
    EXPECT_TRUE(memo->toPlainText().isEmpty());
}

TEST_F(LoggedPage, PeriodEditorsClampAndNeverWrap)
{
    const struct {
        const char* typed;
        const char* shown;
        std::string stored;
    } cases[] = {
        {"2000", "1440", "\x05\xA0"}, {"-5", "0", std::string(2, '\0')}, {"90", "90", std::string("\x00\x5A", 2)}};
    for (int n = 1; n <= 5; ++n)
        for (const auto& c : cases) {
            const std::string name = "spSWT" + std::to_string(n) + "Edit";
            Type(name.c_str(), c.typed);
            EXPECT_EQ(ctx.Get<QLineEdit>(name)->text(), c.shown);
            EXPECT_EQ(image.Image.Bytes(2689 + 4 * (n - 1), 2), c.stored) << name;
        }
    EXPECT_THROW(Type("spSWT2Edit", "1e3"), EConvertError);
    EXPECT_EQ(image.Image.Bytes(2693, 2), std::string("\x00\x5A", 2));
    for (int n = 1; n <= 5; ++n)
        EXPECT_FALSE(image.Image.AnyMarked(2687 + 4 * (n - 1), 2)) << "the unit's start times are never written";

    image.LoadPlain(2687, "\x08\x1E");
    image.LoadPlain(2703, std::string("\xFF\x0A\x06\x00", 4));
    redraw.ImageToControls();
    EXPECT_EQ(ctx.Get<QLineEdit>("LogTimeEdit")->text(), "08:30");
    EXPECT_EQ(ctx.Get<QLineEdit>("SleepTimeEdit")->text(), "00:10");
    EXPECT_EQ(ctx.Get<QLineEdit>("SleepPerEdit")->text(), "1536");
    EXPECT_EQ(ctx.Get<QLineEdit>("spSWT5Edit")->text(), "1536") << "shown as stored, clamped only when edited";
}

TEST_F(LoggedPage, TimeTableSortedBoundedAndRefusingNoTimeOfDay)
{
    auto* hours = ctx.Get<QComboBox>("ComboBox11");
    auto* minutes = ctx.Get<QComboBox>("ComboBox12");
    auto add = [&](const char* h, const char* m) {
        hours->setCurrentText(h);
        minutes->setCurrentText(m);
        ctx.Get<QPushButton>("AddTTButton")->click();
    };
    auto list = [&] { return ctx.Get<QLineEdit>("TimeTableEdit")->text().toStdString(); };
    auto count = [&] { return ctx.Get<QLabel>("Label218")->text().toStdString(); };
    TScriptedDialogs dialogs;
    TScopedDialogs scope(dialogs);

    image.LoadPlain(TTimeTable::kAddress, "\xFF");
    redraw.ImageToControls();
    EXPECT_EQ(count(), "(0):");
    add("12", "00");
    add("08", "10");
    add("8", "15");
    EXPECT_EQ(list(), "08:10,08:10,12:00,");
    EXPECT_EQ(count(), "(3):");
    EXPECT_EQ(image.Image.Bytes(1038, 4), "\x41\x41\x60\xFF");

    const std::string before = image.Image.Bytes(1038, 25);
    for (auto [h, m] : {std::pair{"24", "00"}, {"12", "60"}, {"-1", "30"}, {"256", "00"}, {"ab", "00"}})
        add(h, m);
    ASSERT_EQ(dialogs.Messages().size(), 5u);
    EXPECT_EQ(dialogs.Messages()[0], "'24:00' is not a valid time of day (00:00 to 23:59)");
    EXPECT_EQ(dialogs.Messages()[4], "'ab' is not a valid integer value");
    EXPECT_EQ(image.Image.Bytes(1038, 25), before);
    EXPECT_EQ(count(), "(3):");
    EXPECT_EQ(hours->currentText(), "ab") << "the typed text stays for the user to mend";

    // 24 entries close with the 0xFF at 1062; the 25th starts a new table.
    ctx.Get<QPushButton>("Button4")->click();
    EXPECT_EQ(count(), "(0):");
    for (int i = 23; i >= 0; --i)
        add(std::to_string(i).c_str(), "50");
    EXPECT_EQ(count(), "(24):");
    EXPECT_EQ(uint8_t(image.Image.Byte(1038)), 0 * 8 + 5);
    EXPECT_EQ(uint8_t(image.Image.Byte(1061)), 23 * 8 + 5);
    EXPECT_EQ(uint8_t(image.Image.Byte(1062)), 0xFF);
    add("06", "00");
    EXPECT_EQ(list(), "06:00,");
    EXPECT_EQ(image.Image.Bytes(1038, 2), "\x30\xFF");

    // The image's table as it stands: sorted for the list but kept in its order, at most 24 entries.
    image.LoadPlain(1038, std::string(25, '\x60') + "\x08");
    image.LoadPlain(1038, "\x61\x08");
    redraw.ImageToControls();
    EXPECT_EQ(count(), "(24):");
    EXPECT_EQ(list().substr(0, 12), "01:00,12:00,");
    EXPECT_EQ(image.Image.Bytes(1038, 2), "\x61\x08");
}
