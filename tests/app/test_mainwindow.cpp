#include "AppTestSupport.h"

#include "app/AboutBox.h"
#include "image/MemoryImage.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <tuple>

class MainWindow : public ::testing::Test
{
  protected:
    TTempIni ini;
    TForm1 form{OptionsWith(ini)};
    TPageContext& ctx = form.PageContext;
    bool enabled(const char* name) const { return ctx.Get<QWidget>(name)->isEnabled(); }
};

// Every row table the window builds, checked at once: a field inside the configuration area, a bound that
// its bytes can hold, and no byte owned twice but by disjoint bits.
TEST_F(MainWindow, EveryFieldFitsAndNoTwoShareBits)
{
    ASSERT_FALSE(ctx.Rows.empty());
    std::array<uint8_t, MemoryImage::kConfigSize> owned{};
    std::array<std::string, MemoryImage::kConfigSize> owner;
    std::set<std::string> names;
    for (const TRow& row : ctx.Rows) {
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(names.insert(row.name).second) << "name used twice";
        if (const auto* n = std::get_if<NumberField>(&row.field)) {
            EXPECT_TRUE(n->length == 1 || n->length == 2 || n->length == 4);
            EXPECT_LE(uint64_t(n->max), (uint64_t(1) << (8 * n->length)) - 1);
            EXPECT_LE(n->min, n->max);
        }
        if (const auto* t = std::get_if<TextField>(&row.field)) {
            EXPECT_GE(t->slot.slot, 2);
        }
        for (const TFieldBytes& bytes : FieldBytes(row.field)) {
            ASSERT_GE(bytes.address, 0);
            ASSERT_LE(bytes.address + bytes.count, MemoryImage::kConfigSize);
            EXPECT_NE(bytes.mask, 0);
            for (int a = bytes.address; a < bytes.address + bytes.count; ++a) {
                EXPECT_EQ(owned[size_t(a)] & bytes.mask, 0) << "byte " << a << " also " << owner[size_t(a)];
                owned[size_t(a)] |= bytes.mask;
                owner[size_t(a)] = row.name;
            }
        }
    }
}

// The tool number has its own step after the identity fields; a serial nibble past the list shows the last
// item, and the echo of that move stores it.
TEST_F(MainWindow, RedrawShowsTheToolNumberAndTheInternalSerialLinks)
{
    form.Image.LoadPlain(175, "\x52");
    form.ImageToControls();
    form.Image.LoadPlain(183, "\x02\x1C");
    form.Image.LoadPlain(175, "\xA2");
    form.ImageToControls();
    EXPECT_EQ(form.findChild<QLabel*>("configToolNr")->text(), "05.40");
    auto* baud = ctx.Get<TRadioGroup>("BaudRatePC");
    EXPECT_EQ(baud->ItemIndex(), baud->Count() - 1) << "a nibble past the list shows the last item";
    EXPECT_EQ(form.Image.ReadImageByte(175), 0x92);
    EXPECT_TRUE(form.Image.Image.Marked(175));
}

// The hidden read-size choice sizes the image and the log capacity: records of 9 bytes (one channel) fit only
// with the log area, records of 37 bytes (eight channels) either way.
TEST_F(MainWindow, ReadSizeChoiceSizesTheImageAndTheLogCapacity)
{
    auto* choice = ctx.Get<TRadioGroup>("RadioGroup1");
    EXPECT_TRUE(choice->isHidden());
    EXPECT_EQ(choice->ItemIndex(), 0);
    const struct {
        int item, size;
        uint16_t one, eight;
    } cases[] = {{1, 65536, 61696 / 9, 61696 / 37}, {0, 3072, 0, 61696 / 37}};
    for (const auto& c : cases) {
        choice->SetItemIndex(c.item);
        EXPECT_EQ(form.Image.ImageSize, c.size);
        EXPECT_EQ(form.Image.LogCapacity[1], c.one);
        EXPECT_EQ(form.Image.LogCapacity[8], c.eight);
    }
}

TEST_F(MainWindow, LevelCaptionsFollowTheAnalogueValuesChoice)
{
    auto label = [&](const char* name) { return ctx.Get<QLabel>(name)->text(); };
    auto* choice = ctx.Get<TRadioGroup>("ADValRadioGroup");
    choice->SetItemIndex(0);
    form.ImageToControls();
    EXPECT_EQ(label("IO7lower"), "Low level [ mV ]");
    form.Image.WriteImageString(std::string("bar\0", 4), 2056, 0); // the unit text of I/O3
    choice->SetItemIndex(1);
    EXPECT_EQ(label("IO3upper"), "High level [ bar ]") << "the choice's own click";
    EXPECT_EQ(label("IO3lower"), "Low level [ bar ]");
    EXPECT_EQ(label("IO2lower"), "Low level [  ]");
}

// The option switches and the phone numbers reach the controls of other pages through the window.
TEST_F(MainWindow, SwitchesAndPhoneNumbersReachTheControlsOfOtherPages)
{
    // Each timer's periodicity choice, an item that synchronises it and the start time that item enables.
    const std::tuple<const char*, int, const char*> periods[] = {{"PIPeriodLog", 1, "LogTimeEdit"},
                                                                 {"PIPeriodSend", 1, "SendTimeEdit"},
                                                                 {"InfoPeriodSend", 1, "SendTimeEdit2"},
                                                                 {"StatusPeriodSend", 1, "SendTimeEdit3"},
                                                                 {"SleepPeriodSend", 2, "SleepTimeEdit"}};
    for (bool on : {true, false}) {
        SCOPED_TRACE(on);
        ctx.Get<TCheckBox>("SIMIDCheckBox")->SetChecked(on);
        EXPECT_EQ(enabled("UserIDText"), !on);
        EXPECT_EQ(ctx.Get<QLineEdit>("UserIDText")->isReadOnly(), on);
        for (const auto& [choice, synchronised, start] : periods) {
            ctx.Get<TRadioGroup>(choice)->SetItemIndex(on ? synchronised : 0);
            EXPECT_EQ(enabled(start), on) << choice;
        }
        ctx.Get<TCheckBox>("UNCheckBox")->SetChecked(on);
        EXPECT_EQ(enabled("UserName"), !on);
        ctx.Get<TCheckBox>("PingBox")->SetChecked(on);
        EXPECT_EQ(enabled("MaxPingNo"), on);
        EXPECT_EQ(enabled("Label18"), on);
        ctx.Get<TCheckBox>("sleepSendReq")->SetChecked(on);
        EXPECT_EQ(ctx.Get<QLabel>("Label77")->text(), on ? "Max Awake Time:" : "Min Awake Time:");
    }
    const QString address2 = ctx.Get<QLineEdit>("IPEdit2")->text();
    const QString port2 = ctx.Get<QLineEdit>("RPort2Edit")->text();
    ctx.Get<TRadioGroup>("IPSWT3")->SetItemIndex(1);
    EXPECT_EQ(ctx.Get<QLabel>("IPLabel_3")->text(), "IP2:" + address2) << "the port comes with the next redraw";
    form.ImageToControls();
    EXPECT_EQ(ctx.Get<QLabel>("IPLabel_3")->text(), "IP2:" + address2 + " " + port2);

    // A phone number left on the general page and one a redraw shows caption the recipient boxes alike: an '&'
    // in it marks no short cut.
    const auto redrawn = [&] {
        form.Image.LoadPlain(46, std::string("+46&71\0", 7));
        form.ImageToControls();
    };
    ctx.Get<QLineEdit>("PhoneNr1")->setText("+46&70");
    using Path = std::pair<std::function<void()>, const char*>;
    for (const auto& [show, caption] : {Path{ctx.Exits.at("PhoneNr1"), "+46&&70"}, Path{redrawn, "+46&&71"}}) {
        show();
        for (int n = 1; n <= 8; ++n) {
            auto* box = ctx.Get<QCheckBox>("IO" + std::to_string(n) + "Phone1");
            EXPECT_EQ(box->text(), caption) << n;
            EXPECT_TRUE(box->shortcut().isEmpty()) << n;
        }
    }
}

// What follows a switch on the controls of other pages follows the image a redraw shows, as after a click.
TEST_F(MainWindow, WhatFollowsASwitchFollowsTheShownImage)
{
    const auto text = [&](const char* name) { return ctx.Get<QWidget>(name)->property("text").toString(); };
    const auto show = [&](const std::string& bytes) {
        form.Image.LoadPlain(0, bytes);
        form.ImageToControls();
    };
    const char* starts[] = {"LogTimeEdit", "SendTimeEdit", "SendTimeEdit2", "SendTimeEdit3", "SleepTimeEdit"};
    struct Case {
        uint8_t fill;
        bool on; // the all-0xFF image: most switches set, active-low ones off
    };
    for (const Case& c : {Case{0xFF, true}, Case{0x00, false}, Case{0xFF, true}}) {
        SCOPED_TRACE(int(c.fill));
        show(std::string(3072, char(c.fill)));
        // On, or forced on when the sending timers' switches move.
        EXPECT_TRUE(ctx.Get<TCheckBox>("ConnectBox")->Checked());
        EXPECT_TRUE(enabled("ServerBox"));
        EXPECT_EQ(enabled("wakeUpWhenReq"), !c.on) << "low power is active low";
        EXPECT_EQ(enabled("usePulseVEventCheckBox"), false) << "logging timed, or off";
        EXPECT_EQ(text("Label102"), c.on ? "[#21] format" : "[#32] format");
        EXPECT_EQ(enabled("CheckBox37"), !c.on);
        EXPECT_EQ(text("Label162"), c.on ? "Freq" : "Diff");
        EXPECT_EQ(text("PI2CheckBox"), "Input Ch 2 (I/O2)") << "named by its wiring choice";
        EXPECT_EQ(text("Label77"), c.on ? "Min Awake Time:" : "Max Awake Time:");
        EXPECT_EQ(enabled("MaxPingNo"), c.on);
        EXPECT_EQ(enabled("UserName"), !c.on);
        for (const char* start : starts)
            EXPECT_EQ(enabled(start), c.on) << start;
    }
    std::string bytes(3072, '\xFF');
    bytes[1015] = char(0xFB); // units off, control characters on: shown ticked but out of reach
    show(bytes);
    EXPECT_TRUE(ctx.Get<TCheckBox>("CheckBox37")->Checked());
    EXPECT_FALSE(enabled("CheckBox37"));
    ctx.Get<TCheckBox>("CheckBox24")->SetChecked(true);
    EXPECT_EQ(text("Label102"), "[#32] format");
    ctx.Get<TRadioGroup>("StatusPeriodSend")->SetItemIndex(0);
    EXPECT_EQ(form.RichEdit1->toPlainText().toStdString().rfind("p11.2: ", 0), 0u);
    EXPECT_FALSE(enabled("SendTimeEdit3"));

    // The counting edge is shown with the logging choice: a switch shown after it that the same redraw moves
    // has the last word in the help panel.
    for (const auto& [edge, period, item, help] : {std::tuple{0x02, 0x00, 1, "p12.2: "}, {0x00, 0x20, 0, "p12.5: "}}) {
        bytes = form.Image.Image.Bytes(0, 3072);
        bytes[166] = char((bytes[166] & ~0x06) | edge);
        bytes[1014] = char(bytes[1014] ^ period);
        show(bytes);
        EXPECT_EQ(ctx.Get<TRadioGroup>("IO1edge")->ItemIndex(), item);
        EXPECT_EQ(form.RichEdit1->toPlainText().toStdString().rfind(help, 0), 0u) << help;
    }
}

// Logging switched on brings the pulse counting edge within reach, whether the user picks an item or a redraw
// moves the choice; switched off again, by either, it leaves the edge as it was.
TEST_F(MainWindow, LoggingSwitchedOnEnablesTheCountingEdge)
{
    auto* logging = ctx.Get<TRadioGroup>("AnadataLog");
    auto* edge = ctx.Get<TRadioGroup>("IO1edge");
    EXPECT_TRUE(edge->isEnabled()) << "the start-up showing of the all-0xFF image has logging on";
    const auto pick = [logging](int item) { return [logging, item] { logging->Button(item)->click(); }; };
    const auto show = [this](bool on) {
        return [this, on] {
            std::string bytes = form.Image.Image.Bytes(0, 3072);
            bytes[1014] = static_cast<char>(on ? bytes[1014] | 0x80 : bytes[1014] & ~0x80);
            form.Image.LoadPlain(0, bytes);
            form.ImageToControls();
        };
    };
    struct Way {
        const char* name;
        std::function<void()> on, off;
    } const ways[] = {
        {"item 1 picked", pick(1), pick(0)}, {"item 2 picked", pick(2), show(false)}, {"redrawn", show(true), pick(0)}};
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        show(false)();
        ASSERT_EQ(logging->ItemIndex(), 0);
        // Only the window's opening puts the edge out of reach, and its first showing brings it back.
        edge->setEnabled(false);
        way.on();
        EXPECT_NE(logging->ItemIndex(), 0);
        EXPECT_TRUE(edge->isEnabled());
        way.off();
        EXPECT_EQ(logging->ItemIndex(), 0);
        EXPECT_TRUE(edge->isEnabled());
    }
}

// All three unit ID sources on: over none ticked, the IMEI and hardware number box undoes SIMID, IMEI undoes it,
// and its handler then unticks IMEI, through redraws nested deeper than eight. The unit ID edit is locked exactly
// while a source stays ticked.
TEST_F(MainWindow, UnitIdSourcesSettleThroughDeepCascades)
{
    int deepest = 0;
    form.Redraw.Add(TRedraw::LevelCaptions, [&] { deepest = std::max(deepest, form.Redraw.Depth()); });
    std::string sources(3072, '\x37');
    sources[771] = char(0x6E);  // SIMID on (bit 7 clear)
    sources[1012] = char(0x10); // IMEI and hardware number on (bit 4 set), IMEI on (bit 3 clear)
    // 771 bit 7 (SIMID off) and 1012 bits 4 and 3 as the rules leave them, and the box left ticked.
    const std::tuple<std::string, int, std::string> cases[] = {
        {sources, 0x88, ""}, {std::string(3072, '\0'), 0x80, "useIMEICheck"}, {sources, 0x98, "IMEI_HWnoCheckBox"}};
    for (const auto& [bytes, sourceBits, expected] : cases) {
        form.Image.LoadPlain(0, bytes);
        form.ImageToControls();
        EXPECT_EQ((form.Image.ReadImageByte(771) & 0x80) | (form.Image.ReadImageByte(1012) & 0x18), sourceBits);
        std::string ticked;
        for (const char* name : {"IMEI_HWnoCheckBox", "SIMIDCheckBox", "useIMEICheck"})
            ticked += ctx.Get<TCheckBox>(name)->Checked() ? name : "";
        EXPECT_EQ(ticked, expected);
        EXPECT_EQ(ctx.Get<QLineEdit>("UserIDText")->isEnabled(), ticked.empty());
    }
    EXPECT_GT(deepest, 8);
}

// Exit is Ctrl+Q, so Ctrl+X cuts text in the focused edit and ends nothing; no two actions share a key. The
// focused edit is committed before the commit list: an earlier entry that redraws the pages (the channel rules
// mending an I/O3 shown out of step) would otherwise put the stored value back before its own entry takes it.
TEST_F(MainWindow, TheFocusedEditIsCutWithoutEndingAnythingAndCommittedFirst)
{
    EXPECT_EQ(form.FileExit->shortcut(), QKeySequence("Ctrl+Q"));
    EXPECT_EQ(form.EditCut1->shortcut(), QKeySequence("Ctrl+X"));
    QList<QKeySequence> taken;
    for (QAction* action : form.findChildren<QAction*>()) {
        if (!action->shortcut().isEmpty()) {
            EXPECT_FALSE(taken.contains(action->shortcut())) << action->objectName().toStdString();
            taken.append(action->shortcut());
        }
    }
    auto* edit = ctx.Get<QLineEdit>("PhoneNr1");
    int quits = 0;
    form.OnQuit = [&](int) { ++quits; };
    form.show();
    form.PageControl1->setCurrentWidget(form.TabSheet2);
    QApplication::setActiveWindow(&form);
    edit->setText("+4670");
    edit->setFocus();
    edit->selectAll();
    QApplication::processEvents();
    form.EditCut1->trigger();
    EXPECT_EQ(edit->text(), "");
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(form.isVisible());

    for (const auto& [address, byte] : {std::pair{158, '\x04'}, {152, '\x03'}, {160, '\x04'}}) {
        form.Image.LoadPlain(address, std::string(1, byte)); // analogue, then an alarm and a direction of digital
        form.ImageToControls();
    }
    edit = ctx.Get<QLineEdit>("ConfigID");
    edit->setFocus();
    edit->setText("4711");
    form.CommitList.Run();
    EXPECT_EQ(form.Image.ReadImageByte(152) | form.Image.ReadImageByte(160), 0) << "the rules wrote, and redrew";
    EXPECT_EQ(form.Image.ReadImageNumber(41, 2), 4711u);
}

TEST_F(MainWindow, AboutBoxOpensModallyWithTheCaptionsVersionAndClosesWithOk)
{
    bool wasModal = false;
    QString version;
    QTimer::singleShot(0, form.AboutBox, [&] {
        wasModal = form.AboutBox->isVisible() && form.AboutBox->isModal();
        version = form.AboutBox->Version->text();
        form.AboutBox->OKButton->click();
    });
    form.HelpAboute->trigger();
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(form.AboutBox->isVisible());
    ASSERT_TRUE(version.startsWith("Version "));
    EXPECT_TRUE(MainWindowCaption().endsWith(version.mid(8)));
}
