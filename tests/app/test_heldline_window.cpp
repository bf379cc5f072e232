// The field case of a line that holds the tool's output: the "Hardware" flow preset with a cable or unit that
// never raises CTS, through the main window, the real port and a scripted device. Each way of sending ends
// with one port error box per command that did not go out and no word of success; nothing reaches the line.
#include "AppTestSupport.h"

#include "cport/FakeComBackend.h"
#include "link/protocol/Protocol.h"
#include "link/ui/TerminalPage.h"

#include <QAction>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

namespace
{
const std::string kHeldBox = "ERROR: Write time-out: the line held the data back";

struct HeldLineWindow : ::testing::Test, TWindowRig {
    HeldLineWindow()
    {
        form.ComPort1.SetBackend(std::unique_ptr<TComBackend>(dev));
        form.ComPort1.SetPort("ttyHELD0");
        form.ComPort1.FlowControl().SetFlowControl(fcHardware);
        // The port's write time limit scaled down as the link's timing is.
        form.ComPort1.Timeouts().SetWriteTotalMultiplier(0);
        form.ComPort1.Timeouts().SetWriteTotalConstant(20);
        form.ComPort1.Open();
        form.Link.Timing = LinkTiming{}.Scaled(0.05, 0.25);
        form.Image.ImageLoaded = 1;
    }
    ~HeldLineWindow() override { form.ComPort1.Close(); }
    QPushButton* Button(const char* name) { return form.PageContext.Get<QPushButton>(name); }
    std::vector<TScriptedDialogs::TShown> Boxes() const { return dialogs.Shown; }

    TForm1 form{OptionsWith(ini)};
    TFakeComBackend* dev = new TFakeComBackend; // owned by the port
};

struct Way {
    const char* name;
    std::function<void(HeldLineWindow&)> run;
    size_t boxes; // one per command that did not go out: a transfer's "kvrw0" goes on every path
    std::string status;
};
} // namespace

TEST_F(HeldLineWindow, CtsNeverRaisedEndsEverySendWithAPortErrorAndNoSuccess)
{
    const std::string failure = Msg::kCommFailure;
    const Way ways[] = {
        {"send all channel values", [](HeldLineWindow& t) { t.Button("Button2")->click(); }, 1, ""},
        {"set clock", [](HeldLineWindow& t) { t.form.TermPage->SetRTCButtonClick(); }, 1, ""},
        {"sms", [](HeldLineWindow& t) { t.form.TermPage->SpeedButton11Click(); }, 1, ""},
        {"reset", [](HeldLineWindow& t) { t.form.TermPage->SpeedButton12Click(); }, 1, ""},
        {"boot loader", [](HeldLineWindow& t) { t.form.TermPage->SpeedButton13Click(); }, 1, ""},
        {"timer set", [](HeldLineWindow& t) { t.form.PageContext.Get<QAbstractButton>("SetSWTButton")->click(); }, 1,
         ""},
        {"script",
         [](HeldLineWindow& t) {
             t.form.TermPage->ScriptComboBox->clear();
             t.form.TermPage->ScriptComboBox->addItems({"KVI", "KVSWT?"});
             t.form.TermPage->SpeedButton7Click();
         },
         1, ""},
        {"read", [](HeldLineWindow& t) { t.form.ReadEEPROM->trigger(); }, 2, failure},
        {"write", [](HeldLineWindow& t) { t.form.WriteEEPROM->trigger(); }, 2, failure},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        dialogs.Shown.clear();
        form.SetStatus("");
        way.run(*this);
        const auto boxes = Boxes();
        ASSERT_EQ(boxes.size(), way.boxes);
        for (const auto& box : boxes) {
            EXPECT_EQ(box.Text, kHeldBox);
            EXPECT_EQ(box.Caption, "COM Port");
        }
        EXPECT_EQ(form.Status(), way.status);
        EXPECT_FALSE(form.Link.Busy.Busy());
    }
    EXPECT_EQ(Button("Button2")->text(), "Send all ch values");
    EXPECT_EQ(form.PageContext.Get<QProgressBar>("ProgressBar2")->value(), 0);
    EXPECT_EQ(dev->Written(), "");
}

// CTS up but the driver's queue full after three bytes: those three go out, the rest of the text does not.
TEST_F(HeldLineWindow, AQueueThatStopsTakingEndsTheTextWhereItStopped)
{
    dev->SetLines(mlCTS);
    dev->SetWriteRoom(3);
    form.TermPage->SpeedButton12Click();
    EXPECT_EQ(dialogs.Messages(), std::vector<std::string>{kHeldBox});
    EXPECT_EQ(dev->Written(), "KV&");
}
