#include "pages/ApnNames.h"
#include "pages/CommunicationPage.h"
#include "platform/ui/RadioGroup.h"
#include "platform/ui/ScriptedDialogs.h"
#include "platform/ui/TextControl.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QTemporaryDir>
#include <QToolButton>

#include <fstream>

#include "ImageDiff.h"
#include "PageFixture.h"

class Communication : public Page
{
  public:
    void SetUp() override
    {
        Page::SetUp();
        // The server choices of the timers, as the option switches make them.
        for (const char* name : {"IPSWT2", "IPSWT3", "IPSWT4"}) {
            auto* choice = new TRadioGroup("IP Address", &window);
            choice->setObjectName(name);
            choice->SetItems({"IP1", "IP2"});
            ctx.AddControl(choice);
        }
        BuildCommunicationPage(ctx, &general, &timers, &comm);
        redraw.ImageToControls();
    }
    // The user types text into a control and leaves it.
    void Leave(const std::string& name, const std::string& text)
    {
        SetControlText(ctx.Get<QWidget>(name), text);
        ctx.Exits.at(name)();
    }
    std::string Shown(const std::string& name) { return *ControlText(ctx.Get<QWidget>(name)); }

    QWidget general{&window};
    QWidget timers{&window};
    QWidget comm{&window};
};

TEST_F(Communication, InitCommandsDropALeadingAtOnceAndTimeServersKeepIt)
{
    const std::string longest = "AT^SCFG=\"URC/DstIfc\",\"usb0-mdm\"";
    const struct {
        int n;
        std::string typed, stored;
    } cases[] = {
        {1, "AT&F", "&F"},   {2, "at+cops=0,,,0", "+cops=0,,,0"},
        {3, "AT", ""},       {4, "A", "A"},
        {5, " ATZ", " ATZ"}, {1, "ATATZ", "ATZ"},
        {2, "", ""},         {3, longest, longest.substr(2)},
        {6, "ATZ", "ATZ"},   {7, "", ""},
    };
    for (const auto& c : cases) {
        const std::string name = "ComboBox" + std::to_string(c.n);
        SCOPED_TRACE(name + " " + c.typed);
        const int address = 1317 + 31 * (c.n - 1);
        Leave(name, c.typed);
        EXPECT_EQ(image.ReadImageString(address, 31), c.stored);
        EXPECT_EQ(image.ReadImageByte(address + static_cast<int>(c.stored.size())), 0);
        EXPECT_EQ(Shown(name), c.stored) << "the field shows what is stored";
    }
}

TEST_F(Communication, LeavingAListKeepsTheCaseTyped)
{
    auto* box = ctx.Get<QComboBox>("ComboBox6");
    box->setEditText("POOL.NTP.ORG");
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(box, &out);
    EXPECT_EQ(image.ReadImageString(1472, 31), "POOL.NTP.ORG");
    EXPECT_EQ(Shown("ComboBox6"), "POOL.NTP.ORG") << "no list item swapped in";
}

TEST_F(Communication, NumbersClampToTheirBounds)
{
    const struct {
        const char* name;
        int address, length;
        const char* typed;
        const char* shown;
        uint32_t stored;
    } cases[] = {
        {"SocketTimeEdit", 772, 2, "600", "546", 546},
        {"SocketTimeEdit", 772, 2, "-5", "0", 0},
        {"awakeTime", 1009, 2, "600", "540", 540},
        {"awakeTime", 1009, 2, "-1", "0", 0},
        {"PingEdit", 774, 2, "1", "2", 2},
        {"PingEdit", 774, 2, "0", "0", 0},
        {"PingEdit", 774, 2, "70000", "65535", 65535},
        {"PingEdit", 774, 2, "-3", "0", 0},
        {"DisconEdit", 776, 2, "70000", "65535", 65535},
        {"DisconEdit", 776, 2, "-7", "0", 0},
        {"RPortEdit", 865, 2, "2040", "2040", 2040},
        {"RPortEdit", 865, 2, "", "0", 0},
        {"RPortEdit", 865, 2, "70000", "65535", 65535},
        {"RPort2Edit", 871, 2, "-80", "0", 0},
        {"MaxReConnPeriod", 987, 1, "300", "255", 255},
        {"MaxReConnNo", 988, 1, "-1", "0", 0},
        {"MaxPingNo", 989, 1, "300", "255", 255},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.typed);
        Leave(c.name, c.typed);
        EXPECT_EQ(Shown(c.name), c.shown);
        EXPECT_EQ(image.ReadImageNumber(c.address, c.length), c.stored);
    }
    EXPECT_EQ(image.Image.Bytes(865, 2), "\xFF\xFF");
    EXPECT_EQ(redraws, 0) << "number editors redraw nothing";
}

// Values a unit holds outside the bounds, erased slots, texts that fill their slot: the commit before a write
// corrects what the exits correct, and an APN name left as shown stays as it came.
TEST_F(Communication, ACommitStoresWhatTheExitsStore)
{
    image.WriteImageString("\xFF\xFF", 1009, 0);              // awake time
    image.WriteImageString("\x1F\x26", 772, 0);               // socket time 7974
    image.WriteImageString(std::string("\0\x01", 2), 774, 0); // heart beat 1
    image.WriteImageString(std::string(31, '\xFF'), 1317, 0);
    image.WriteImageString(std::string(31, 'x'), 1379, 0);
    image.WriteImageString(std::string(50, 'y'), 885, 0);
    redraw.ImageToControls();
    std::string expected = image.Image.Bytes(0, 3072);
    const auto put = [&](int address, const std::string& bytes) {
        expected.replace(size_t(address), bytes.size(), bytes);
    };
    put(1009, "\x02\x1C");                // 540
    put(772, "\x02\x22");                 // 546
    put(774, std::string("\0\x02", 2));   // 2
    put(1317, std::string(1, '\0'));      // an erased command gets its terminator
    put(1379 + 30, std::string(1, '\0')); // thirty characters and the terminator

    commits.Run();
    ctx.RunExits({"SocketTimeEdit", "PingEdit"}); // the share of the general page's Set button
    EXPECT_EQ(ChangedAddresses(expected, image.Image.Bytes(0, 3072)), std::vector<int>{});
    EXPECT_EQ(Shown("PassWord"), "*******");
    EXPECT_EQ(Shown("SocketTimeEdit"), "546");
}

// A name longer than the APN slot, from the program INI or a list file, is cut to the slot; a list file that
// cannot be read or holds no line is reported and the list stays.
TEST_F(Communication, ApnNamesAreCutToTheirSlotAndABadListFileLeavesTheList)
{
    auto* apn1 = ctx.Get<QComboBox>("InitString");
    QTemporaryDir dir;
    const auto file = [&](const char* name) { return dir.filePath(name).toStdString(); };
    std::ofstream(file("apn.txt")) << std::string(55, 'f') << "\r\nsecond\r\n";
    std::ofstream{file("empty.txt")};
    TScriptedDialogs dialogs;
    TScopedDialogs use(dialogs);
    const std::string apn2 = image.Image.Bytes(935, 50);
    const auto pick = [&](const std::string& first) {
        apn1->setCurrentIndex(0);
        ctx.Exits.at("InitString")();
        EXPECT_EQ(image.ReadImageString(885, 50), first);
        EXPECT_EQ(image.ReadImageByte(934), 0);
        EXPECT_EQ(image.Image.Bytes(935, 50), apn2) << "APN2 untouched";
    };
    apn1->clear();
    AddApnNames(apn1, std::vector<std::string>{std::string(60, 'n')});
    pick(std::string(49, 'n'));
    apn1->clear();
    for (const char* name : {"apn.txt", "missing.txt", "empty.txt"}) {
        dialogs.AnswerFile(true, file(name));
        ctx.Get<QToolButton>("SpeedButton10")->click();
        EXPECT_EQ(apn1->count(), 2) << name;
    }
    pick(std::string(49, 'f'));
    EXPECT_EQ(dialogs.Messages(), (std::vector<std::string>{"Cannot open file \"" + file("missing.txt") + "\".",
                                                            "The file \"" + file("empty.txt") + "\" holds no line."}));
}

TEST_F(Communication, DestinationCaptionsFollowTheChoiceAndThePortExit)
{
    ctx.Get<TRadioGroup>("IPSWT3")->SetItemIndex(1);
    Leave("IPEdit2", "srv.example");
    EXPECT_EQ(ctx.Get<QLabel>("IPLabel_3")->text(), "--") << "an address alone refreshes nothing";
    Leave("RPort2Edit", "2150");
    EXPECT_EQ(ctx.Get<QLabel>("IPLabel_3")->text(), "IP2:srv.example 2150");
    EXPECT_EQ(ctx.Get<QLabel>("IPLabel_1")->text(), "--") << "no choice, no caption";
}
