#include "image/HardwareVariant.h"
#include "pages/GeneralFields.h"
#include "pages/GeneralPage.h"
#include "platform/Convert.h"

#include <QLabel>

#include "ImageDiff.h"
#include "PageFixture.h"

class GeneralPage : public Page
{
  public:
    void SetUp() override
    {
        Page::SetUp();
        // The Set buttons also commit the edits of pages this test does not build.
        for (const char* other : {"AlarmOnOff", "IPEdit1", "IPEdit2", "RPortEdit", "RPort2Edit", "PingEdit",
                                  "DisconEdit", "SocketTimeEdit", "AlarmChkTime", "IO7outTimeEdit"})
            ctx.AddExit(other, [] {});
        for (int n = 1; n <= 7; ++n)
            ctx.AddExit("IO" + std::to_string(n) + "_ComboBox", [] {});
    }
    std::string Text(const char* name) { return ctx.Get<QLineEdit>(name)->text().toStdString(); }

    QWidget generalSheet, communicationSheet;
    std::array<uint8_t, 7> channelType{};
    TGeneralPage* page = new TGeneralPage(ctx, &generalSheet, &communicationSheet, channelType);
};

TEST_F(GeneralPage, EditsStoreTheirFieldAndShowTheClamp)
{
    struct Case {
        const char* control;
        const char* typed;
        int address;
        std::string bytes;
        const char* shown;
    } cases[] = {
        {"UserIDText", "XY", 0, {"XY\0", 3}, "XY"},
        {"PhoneNr1", "+4612345", 46, {"+4612345\0", 9}, "+4612345"},
        {"simPinEdit", "123456", 1000, {"1234\0", 5}, "1234"}, // cut to its slot
        {"ConfigID", "258", 41, "\x01\x02", "258"},
        {"ConfigID", "70000", 41, "\xFF\xFF", "65535"},
        {"ConfigID", "-5", 41, {"\0\0", 2}, "0"},
        {"DateEdit1", "211005", 43, "\x15\x0A\x05", "21-10-05"},
        {"GNSSTimeOutEdit", "300", 281, "\xFF", "255"},
        {"GNSSNumSATEdit", "-1", 282, {"\0", 1}, "0"},
        {"SMSlimitEdit", "5", 1016, "\x05", "5"},
        {"SMSlimitEdit", "300", 1016, "\xFF", "255"},
        {"GNSS_HdopEdit", "2.579", 279, "\x01\x01", "2.579"}, // hundredths, truncated
        {"GNSS_HdopEdit", "0.499", 279, {"\0\xC8", 2}, "2.00"},
        {"GNSS_HdopEdit", "700", 279, "\xFF\xFF", "655.35"},
        {"MEMSThEdit", "100", 283, "\x06", "100"},
        {"MEMSThEdit", "2041", 283, {"\0", 1}, "0"},
        {"MEMSThEdit", "-32", 283, {"\0", 1}, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.control) + " " + c.typed);
        Type(c.control, c.typed);
        EXPECT_EQ(image.Image.Bytes(c.address, int(c.bytes.size())), c.bytes);
        EXPECT_EQ(Text(c.control), c.shown);
    }
    EXPECT_EQ(ctx.Get<QLabel>("Label204")->text(), "MEMS sensor disabled");

    const char* bad[][2] = {{"ConfigID", "12a"}, {"DateEdit1", "2110"}, {"GNSS_HdopEdit", "x"}, {"MEMSThEdit", "1k"}};
    const std::string before = image.Image.Bytes(0, 3072);
    for (const auto& [control, typed] : bad)
        EXPECT_THROW(Type(control, typed), EConvertError) << control;
    EXPECT_EQ(ChangedAddresses(before, image.Image.Bytes(0, 3072)), std::vector<int>{});
}

// The HDOP shown with two decimals and committed keeps its hundredths; a stored level below 0.50 goes out
// as the unit's default 2.00. An erased reference date goes out as the zeros it shows.
TEST_F(GeneralPage, CommittingTheShownHdopAndDateStoresWhatTheyShow)
{
    const struct {
        uint16_t stored;
        const char* shown;
        uint16_t committed;
    } cases[] = {{0xFFFF, "655.35", 0xFFFF}, {257, "2.57", 257}, {50, "0.50", 50}, {40, "0.40", 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        image.WriteImageNumber(c.stored, 279, 2, 0);
        redraw.ImageToControls();
        EXPECT_EQ(Text("GNSS_HdopEdit"), c.shown);
        commits.Run();
        EXPECT_EQ(image.ReadImageNumber(279, 2), c.committed);
    }
    image.LoadPlain(43, "\xFF\xFF\xFF");
    redraw.ImageToControls();
    EXPECT_EQ(Text("DateEdit1"), "00-00-00");
    commits.Run();
    EXPECT_EQ(image.Image.Bytes(43, 3), std::string(3, '\0'));
}

TEST_F(GeneralPage, SetButtonCommitsInOrderAndStopsAtAConversionError)
{
    const std::string before = image.Image.Bytes(0, 3072);
    ctx.Get<QLineEdit>("PhoneNr2")->setText("+46");   // typed, never left
    ctx.Get<QLineEdit>("SMSlimitEdit")->setText("x"); // after the phone numbers and the unit ID
    ctx.Get<QLineEdit>("GNSS_HdopEdit")->setText("3");
    ctx.Get<QLineEdit>("DateEdit1")->setText("991231");
    EXPECT_THROW(commits.Run(), EConvertError);
    EXPECT_EQ(PhoneNumberText(image, 2), "+46");
    EXPECT_EQ(image.Image.Bytes(279, 2), before.substr(279, 2)) << "the HDOP comes after the limit";
    EXPECT_EQ(image.Image.Bytes(43, 3), before.substr(43, 3)) << "the date comes after the Set buttons";
}

TEST_F(GeneralPage, UnitIdentityShown)
{
    image.WriteImageString("\x01", 2542, 0);
    image.WriteImageString("\x02\x03", 2564, 0);
    image.WriteImageString("\xFF", 2543, 0);
    image.WriteImageString("1234", 1000, 0);
    redraw.ImageToControls();
    EXPECT_EQ(ctx.Get<QLabel>("HWModelLabel")->text().toStdString(), std::to_string(1 * 65536 + 2 * 256 + 3));
    EXPECT_EQ(ctx.Get<QLabel>("HWSerialLabel")->text(), "N/A");
    EXPECT_EQ(Text("simPinEdit"), "****");
    image.WriteImageString(std::string("KV-123\0", 7), 2543, 0);
    redraw.ImageToControls();
    EXPECT_EQ(ctx.Get<QLabel>("HWSerialLabel")->text(), "KV-123");
}
