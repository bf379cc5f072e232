// The port setup dialog and the setting pickers against the scripted device: what the lists show, OK writing
// every setting in one update, Cancel writing nothing, and ports that are missing or go away.
#include "CportTestSupport.h"
#include "FakeComBackend.h"
#include "cport/ComNotify.h"
#include "cport/ComUpdate.h"
#include "cport/Cportsetup.h"
#include "cport/PortPickers.h"

#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

#include <memory>

namespace
{
using Log = std::vector<std::string>;

// Picks the texts in the named lists, then leaves with the given button.
std::function<void(QWidget&)> Pick(std::vector<std::pair<const char*, const char*>> Choices, const char* Button)
{
    return [=](QWidget& Form) {
        for (const auto& [Combo, Text] : Choices) {
            TComComboBox* Box = Find<TComComboBox>(Form, Combo);
            ASSERT_GE(Box->findText(Text), 0) << Text;
            Box->setCurrentIndex(Box->findText(Text));
        }
        Find<QPushButton>(Form, Button)->click();
    };
}

struct SetupTest : ::testing::Test, TFakePort {
    SetupTest() : TFakePort("ttyFAKE9")
    {
        Port.SetEvents({});
        Port.SetBaudRate(br115200);
        Port.FlowControl().SetControlDTR(dtrEnable);
        Port.FlowControl().SetControlRTS(rtsEnable);
    }
    void TearDown() override { Port.Close(); }
    bool Edit(std::function<void(QWidget&)> Act)
    {
        return RunModal([this] { return EditComPort(Port); }, Act);
    }
};
} // namespace

TEST_F(SetupTest, ListsShowThePortsValuesAndOkWithoutChangesKeepsThem)
{
    Port.SetDataBits(dbSeven);
    Port.Parity().SetBits(prSpace);
    Port.FlowControl().SetOutDSRFlow(true);
    Port.FlowControl().SetXonXoffIn(true);
    const std::string Before = PortSnapshot(Port);
    EXPECT_TRUE(Edit([](QWidget& Form) {
        QStringList Shown;
        for (const char* Name : {"Combo2", "Combo3", "Combo4", "Combo5", "Combo6"})
            Shown << Find<TComComboBox>(Form, Name)->currentText();
        EXPECT_EQ(Shown, (QStringList{"115200", "7", "1", "Space", "Custom"})); // RTS enabled matches no preset
        EXPECT_EQ(Find<TComComboBox>(Form, "Combo1")->currentIndex(), -1);      // not among the machine's ports
        Find<QPushButton>(Form, "Button1")->click();
    }));
    EXPECT_EQ(PortSnapshot(Port), Before);
}

TEST_F(SetupTest, OkWritesEverySettingInOneUpdateAndCancelNothing)
{
    Port.Open();
    Dev->ClearLog();
    const std::string Before = PortSnapshot(Port);
    EXPECT_FALSE(
        Edit(Pick({{"Combo2", "300"}, {"Combo3", "5"}, {"Combo5", "Odd"}, {"Combo6", "Software"}}, "Button2")));
    EXPECT_TRUE(Dev->Log().empty());
    EXPECT_EQ(PortSnapshot(Port), Before);

    EXPECT_TRUE(
        Edit(Pick({{"Combo2", "19200"}, {"Combo3", "7"}, {"Combo4", "2"}, {"Combo5", "Even"}, {"Combo6", "Hardware"}},
                  "Button1")));
    // One reconfiguration of the open port, not one per list.
    EXPECT_EQ(Dev->Log(), (Log{"buffer 1024 1024", "line 19200", "timeouts 4294967295 1000"}));
    const TComLineSettings Line = Dev->LastLine();
    EXPECT_EQ(Line.DataBits, 7);
    EXPECT_EQ(Line.StopBits, sbTwoStopBits);
    EXPECT_EQ(Line.Parity, prEven);
    EXPECT_EQ(Line.ControlRTS, rtsHandshake);
    EXPECT_TRUE(Line.OutCTSFlow);
    EXPECT_EQ(Line.ControlDTR, dtrEnable); // a preset leaves DTR alone
    EXPECT_EQ(Port.Port(), "ttyFAKE9");    // a port not among the machine's ports keeps its name
    EXPECT_TRUE(Port.Connected());
}

TEST_F(SetupTest, ARefusedSettingStillEndsTheUpdate)
{
    Port.Open();
    Dev->RefuseLine = EINVAL;
    EXPECT_TRUE(RaisesCom([&] { Edit(Pick({{"Combo2", "57600"}}, "Button1")); }, 7));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr); // the dialog is gone
    // The update ended: a change now reaches the device at once.
    Dev->RefuseLine = 0;
    Dev->ClearLog();
    Port.SetBaudRate(br2400);
    EXPECT_EQ(Dev->Log(), (Log{"line 2400"}));
}

TEST_F(SetupTest, AFailedReopenUnderANewNameLeavesThePortConfigurable)
{
    Port.Open();
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
    EXPECT_FALSE(Port.Connected());
    EXPECT_EQ(Port.Port(), "ttyOTHER");
    // Back to a name that opens: the settings are pushed at the open, so no update was left behind.
    Dev->RefuseOpen = 0;
    Port.SetPort("ttyFAKE9");
    Dev->ClearLog();
    Port.Open();
    EXPECT_EQ(Dev->Log(), (Log{"open /dev/ttyFAKE9", "buffer 1024 1024", "line 115200", "timeouts 4294967295 1000"}));
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
                                 EXPECT_EQ(Baud->ComPort(), nullptr);
                                 EXPECT_EQ(Baud->currentIndex(), 0);
                                 Find<QPushButton>(Form, "Button1")->click();
                             });
    EXPECT_FALSE(Ok);
}

TEST_F(SetupTest, ComboBoxBindingAndAutoApply)
{
    TComComboBox Box;
    Box.SetComProperty(cpParity);
    EXPECT_EQ(Box.currentIndex(), 0); // no port: the first item
    Port.Parity().SetBits(prMark);
    Box.SetComPort(&Port);
    EXPECT_EQ(Box.Text(), "Mark");

    int Changes = 0;
    Box.OnChange = [&](TComComboBox*) { ++Changes; };
    Box.SetText("Odd");
    EXPECT_EQ(Port.Parity().Bits(), prMark); // picked, not applied
    Box.ApplySettings();
    EXPECT_EQ(Port.Parity().Bits(), prOdd);
    Box.SetAutoApply(true);
    Box.SetText("Even");
    EXPECT_EQ(Port.Parity().Bits(), prEven);
    Box.SetText("Sideways"); // not in the list: nothing
    EXPECT_EQ(Box.Text(), "Even");
    EXPECT_EQ(Changes, 2);

    // A port that refuses an applied pick: the error is shown, and does not leave the control's signal.
    Port.Open();
    Dev->RefuseLine = EINVAL;
    QString Shown;
    EXPECT_NO_THROW(RunModal([&] { return Box.SetText("Space"), 0; },
                             [&](QWidget& Message) {
                                 Shown = qobject_cast<QMessageBox*>(&Message)->text();
                                 Message.close();
                             }));
    EXPECT_TRUE(Shown.startsWith("SetCommState function failed")) << Shown.toStdString();

    Box.SetComProperty(cpBaudRate); // another property of the same port shows its value
    EXPECT_EQ(Box.Text(), "115200");
}

TEST(SetupPickers, AGonePortLeavesTheControlsUnboundOnTheFirstItem)
{
    TComComboBox Box;
    TComRadioGroup Group;
    Box.SetComProperty(cpDataBits);
    Group.SetComProperty(cpFlowControl);
    {
        TComPort Port;
        TComPortWatch Watch(Port);
        Port.SetDataBits(dbSix);
        Port.FlowControl().SetFlowControl(fcSoftware);
        Box.SetComPort(&Port);
        Group.SetComPort(&Port);
        EXPECT_EQ(Box.currentIndex(), 1);
        EXPECT_EQ(Group.ItemIndex(), 1);
    }
    EXPECT_EQ(Box.ComPort(), nullptr);
    EXPECT_EQ(Group.ComPort(), nullptr);
    EXPECT_EQ(Box.currentIndex(), 0);
    EXPECT_EQ(Group.ItemIndex(), 0);
    Box.ApplySettings(); // no port: nothing to reach
    Group.ApplySettings();
}

TEST(SetupPickers, PortNameFoundUnderItsPathAndNotWrittenBack)
{
    TComPort Port;
    TComSelect Select;
    Select.ComProperty = cpPort;
    Select.Items = {"ttyS0", "ttyUSB0"};
    Select.ComPort = &Port;
    Port.SetPort("/dev/ttyUSB0");
    int Index = 0;
    Select.UpdateSettings(Index);
    EXPECT_EQ(Index, 1);
    Select.ApplySettings();
    EXPECT_EQ(Port.Port(), "/dev/ttyUSB0"); // the same device: left as written

    Port.SetPort("ttyGONE");
    Select.UpdateSettings(Index);
    EXPECT_EQ(Index, -1);
    Select.ApplySettings();
    EXPECT_EQ(Port.Port(), "ttyGONE");
    Select.Change("ttyS0");
    Select.ApplySettings();
    EXPECT_EQ(Port.Port(), "ttyS0");
}
