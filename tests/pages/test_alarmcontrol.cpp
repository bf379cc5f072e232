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

TEST_F(AlarmControl, EditsHoldToTheirRangeAndLeaveAnUntouchedValueAsItCame)
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
        {"AlarmOnOff", 273, 0, "5", "5", 5},     {"AlarmOnOff", 273, 5, "9", "0", 0},
        {"AlarmOnOff", 273, 5, "2", "0", 0},     {"AlarmOnOff", 273, 45, nullptr, "45", 45},
        {"AlarmChkTime", 1018, 9, "0", "1", 1},  {"AlarmChkTime", 1018, 9, "300", "255", char(255)},
        {"AlarmChkTime", 1018, 9, "-4", "1", 1}, {"AlarmChkTime", 1018, 0, nullptr, "0", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.edit) + " " + (c.typed ? c.typed : "as shown"));
        Load(c.address, c.before);
        if (c.typed)
            ctx.Get<QLineEdit>(c.edit)->setText(c.typed);
        ctx.RunExits({c.edit}); // left, or committed before a write
        EXPECT_EQ(Text(c.edit), c.shown);
        EXPECT_EQ(image.ReadImageByte(c.address), uint8_t(c.stored));
        EXPECT_EQ(image.Image.Marked(c.address), c.typed != nullptr);
        image.UnmarkRange(0, 3072);
    }
}

// The switch shows whether a channel turns the alarms on and off; clearing it turns that off at once.
TEST_F(AlarmControl, SwitchFollowsTheChannelAndClearingItStoresNone)
{
    auto* box = ctx.Get<TCheckBox>("AlarmOnOffCheck");
    for (const auto& [byte, on] : {std::pair{char(3), true}, {char(8), false}, {char(7), true}, {char(0), false}}) {
        Load(273, byte);
        EXPECT_EQ(box->Checked(), on) << int(byte);
        EXPECT_EQ(ctx.Get<QLineEdit>("AlarmOnOff")->isEnabled(), on);
    }
    EXPECT_FALSE(image.Image.AnyMarked(273, 1)) << "a redraw writes nothing";
    Load(273, 6);
    box->SetChecked(false);
    EXPECT_EQ(image.ReadImageByte(273), 0);
    EXPECT_EQ(Text("AlarmOnOff"), "0");
}
