// The port setup dialog and its pickers against the scripted device: OK writing every setting in one update,
// Cancel and an unchanged OK writing nothing, failures that still end the update, and ports that are missing,
// spelt as a path or gone.
#include "CportTestSupport.h"
#include "FakeComBackend.h"
#include "cport/port/ComNotify.h"
#include "cport/port/ComUpdate.h"
#include "cport/ui/Cportsetup.h"
#include "cport/ui/PortPickers.h"

#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

#include <memory>

namespace
{
using Log = std::vector<std::string>;

struct SetupTest : ::testing::Test, TFakePort {
    SetupTest() : TFakePort("ttyFAKE9") // not among the machine's ports
    {
        Port.SetEvents({});
        Port.SetBaudRate(br115200);
        Port.SetDataBits(dbSeven);
        Port.Parity().SetBits(prSpace);
        Port.FlowControl().SetControlDTR(dtrEnable);
        Port.FlowControl().SetControlRTS(rtsEnable); // matches no flow preset
        Port.FlowControl().SetXonXoffIn(true);
    }
    void TearDown() override { Port.Close(); }
    bool Edit(std::function<void(QWidget&)> Act)
    {
        return RunModal([this] { return EditComPort(Port); }, Act);
    }
};
} // namespace

TEST_F(SetupTest, OkWritesEverySettingInOneUpdateAndCancelOrAnUnchangedOkNothing)
{
    const std::string Before = PortSnapshot(Port);
    EXPECT_TRUE(Edit(Pick({}, "Button1")));
    EXPECT_EQ(PortSnapshot(Port), Before);
    Port.Open();
    Dev->ClearLog();
    EXPECT_FALSE(
        Edit(Pick({{"Combo2", "300"}, {"Combo3", "5"}, {"Combo5", "Odd"}, {"Combo6", "Software"}}, "Button2")));
    EXPECT_TRUE(Dev->Log().empty());
    EXPECT_EQ(PortSnapshot(Port), Before);

    EXPECT_TRUE(
        Edit(Pick({{"Combo2", "19200"}, {"Combo3", "8"}, {"Combo4", "2"}, {"Combo5", "Even"}, {"Combo6", "Hardware"}},
                  "Button1")));
    EXPECT_EQ(Dev->Log(), (Log{"buffer 1024 1024", "line 19200", "timeouts 4294967295 1000"}));
    const TComLineSettings Line = Dev->LastLine();
    EXPECT_EQ(std::tuple(Line.DataBits, Line.StopBits, Line.Parity, Line.ControlRTS, Line.OutCTSFlow),
              std::tuple(8, sbTwoStopBits, prEven, rtsHandshake, true));
    EXPECT_EQ(Line.ControlDTR, dtrEnable); // a preset leaves DTR alone
    EXPECT_EQ(Port.Port(), "ttyFAKE9");
    EXPECT_TRUE(Port.Connected());
}

TEST_F(SetupTest, AFailureInsideTheUpdateStillEndsIt)
{
    Port.Open();
    Dev->RefuseLine = EINVAL;
    EXPECT_TRUE(RaisesCom([&] { Edit(Pick({{"Combo2", "57600"}}, "Button1")); }, 7));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr); // the dialog is gone
    Dev->RefuseLine = 0;
    Dev->ClearLog();
    Port.SetBaudRate(br2400);
    EXPECT_EQ(Dev->Log(), (Log{"line 2400"})) << "no update left open";

    // A reopen under a new name that fails leaves the port closed but configurable.
    TComSelect Select;
    Select.ComProperty = cpPort;
    Select.Items = {"ttyOTHER"};
    Select.ComPort = &Port;
    Select.Change("ttyOTHER");
    Dev->RefuseOpen = ENOENT;
    EXPECT_TRUE(RaisesCom(
        [&] {
            TComUpdate Update(Port);
            Select.ApplySettings();
            Update.Finish();
        },
        1));
    EXPECT_EQ(std::pair(Port.Connected(), Port.Port()), std::pair(false, std::string("ttyOTHER")));
    Dev->RefuseOpen = 0;
    Port.SetPort("ttyFAKE9");
    Dev->ClearLog();
    Port.Open();
    EXPECT_EQ(Dev->Log(), (Log{"open /dev/ttyFAKE9", "buffer 1024 1024", "line 2400", "timeouts 4294967295 1000"}));
}

TEST_F(SetupTest, APortThatGoesWhileTheDialogShowsIsNotTouched)
{
    struct TOwned {
        TComPort Port;
        TComPortWatch Watch{Port};
    };
    auto Owned = std::make_unique<TOwned>();
    const bool Ok = RunModal([&] { return EditComPort(Owned->Port); },
                             [&](QWidget& Form) {
                                 Owned.reset();
                                 TComComboBox* Baud = Find<TComComboBox>(Form, "Combo2");
                                 EXPECT_TRUE(Baud->ComPort() == nullptr && Baud->currentIndex() == 0);
                                 Find<QPushButton>(Form, "Button1")->click();
                             });
    EXPECT_FALSE(Ok);
}

TEST_F(SetupTest, PickersKeepAPortSpeltAsAPathAndShowARefusedAutoApply)
{
    TComSelect Select;
    Select.ComProperty = cpPort;
    Select.Items = {"ttyS0", "ttyUSB0"};
    Select.ComPort = &Port;
    for (auto [Name, Index] : {std::pair{"/dev/ttyUSB0", 1}, {"ttyGONE", -1}}) {
        Port.SetPort(Name);
        int Shown = 0;
        Select.UpdateSettings(Shown);
        Select.ApplySettings();
        EXPECT_EQ(std::pair(Shown, Port.Port()), std::pair(Index, std::string(Name))) << "not reopened";
    }

    // A port that refuses an applied pick: the error is shown, and does not leave the control's signal.
    TComComboBox Box;
    Box.SetComProperty(cpParity);
    Box.SetComPort(&Port);
    Box.SetAutoApply(true);
    Port.Open();
    Dev->RefuseLine = EINVAL;
    QString Shown;
    EXPECT_NO_THROW(RunModal([&] { return Box.SetText("Odd"), 0; },
                             [&](QWidget& Message) {
                                 Shown = qobject_cast<QMessageBox*>(&Message)->text();
                                 Message.close();
                             }));
    EXPECT_TRUE(Shown.startsWith("SetCommState function failed")) << Shown.toStdString();
}
