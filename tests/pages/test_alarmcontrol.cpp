#include "PageFixture.h"

#include "pages/AlarmControl.h"
#include "platform/ui/CheckBox.h"

#include <QGridLayout>
#include <QGroupBox>
#include <gtest/gtest.h>

#include <tuple>

class AlarmControl : public Page
{
  public:
    void SetUp() override
    {
        Page::SetUp();
        auto* timer = new QGroupBox(&window);
        timer->setObjectName("SWT5Group");
        new QGridLayout(timer);
        ctx.AddControl(timer);
        BuildAlarmControl(ctx, new QWidget(&window));
        redraw.ImageToControls();
    }
    std::string Text(const char* name) { return ctx.Get<QLineEdit>(name)->text().toStdString(); }
    void Load(int address, char byte)
    {
        image.LoadPlain(address, std::string(1, byte));
        redraw.ImageToControls();
    }
};

// Both edits write on every exit and commit, so a stored value outside their range leaves corrected.
TEST_F(AlarmControl, EditsStoreTheirRangeOnEveryExit)
{
    struct Case {
        const char* edit;
        int address;
        char before;
        const char* typed; // nullptr: left as shown
        const char* shown;
        char stored;
    };
    const Case cases[] = {
        {"AlarmOnOff", 273, 0, "5", "5", 5},
        {"AlarmOnOff", 273, 5, "9", "0", 0},
        {"AlarmOnOff", 273, 5, "2", "0", 0},
        {"AlarmOnOff", 273, 45, nullptr, "0", 0},
        {"AlarmOnOff", 273, 5, nullptr, "5", 5},
        {"AlarmChkTime", 1018, 9, "0", "1", 1},
        {"AlarmChkTime", 1018, 9, "300", "255", char(255)},
        {"AlarmChkTime", 1018, 9, "-4", "1", 1},
        {"AlarmChkTime", 1018, 0, nullptr, "1", 1},
        {"AlarmChkTime", 1018, 9, nullptr, "9", 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.edit) + " " + (c.typed ? c.typed : "as shown"));
        Load(c.address, c.before);
        image.UnmarkRange(0, 3072);
        if (c.typed)
            ctx.Get<QLineEdit>(c.edit)->setText(c.typed);
        ctx.RunExits({c.edit}); // left, or committed before a write
        EXPECT_EQ(Text(c.edit), c.shown);
        EXPECT_EQ(image.ReadImageByte(c.address), uint8_t(c.stored));
        EXPECT_TRUE(image.Image.Marked(c.address));
    }
}

// The switch follows the byte; a redraw that moves it runs its click, which stores the channel again or, on
// unticking, stores none at once.
TEST_F(AlarmControl, SwitchFollowsTheChannelAndClearingItStoresNone)
{
    auto* box = ctx.Get<TCheckBox>("AlarmOnOffCheck");
    struct Case {
        char byte;
        bool on;
        char stored;
    };
    for (const Case& c : {Case{3, true, 3}, Case{8, false, 0}, Case{7, true, 7}, Case{0, false, 0}}) {
        SCOPED_TRACE(int(c.byte));
        image.UnmarkRange(0, 3072);
        Load(273, c.byte);
        EXPECT_EQ(box->Checked(), c.on);
        EXPECT_EQ(ctx.Get<QLineEdit>("AlarmOnOff")->isEnabled(), c.on);
        EXPECT_EQ(image.ReadImageByte(273), uint8_t(c.stored));
        EXPECT_TRUE(image.Image.Marked(273)) << "the switch moved, so its click wrote";
    }
    Load(273, 6);
    box->SetChecked(false);
    EXPECT_EQ(image.ReadImageByte(273), 0);
    EXPECT_EQ(Text("AlarmOnOff"), "0");
}
