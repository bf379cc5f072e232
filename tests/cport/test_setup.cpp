// The port setup dialog and the setting pickers against the scripted device: what the lists offer and show,
// OK writing every setting in one update, Cancel writing nothing, and ports that are missing or go away.
#include "FakeComBackend.h"
#include "PortSnapshot.h"
#include "cport/ComNotify.h"
#include "cport/ComUpdate.h"
#include "cport/Cport.h"
#include "cport/Cportsetup.h"
#include "cport/PortPickers.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

#include "DialogTestSupport.h"

#include <functional>
#include <memory>

namespace
{

void Choose(QWidget& Form, const char* Combo, const char* Text)
{
    TComComboBox* Box = Find<TComComboBox>(Form, Combo);
    const int Index = Box->findText(Text);
    ASSERT_GE(Index, 0) << Text;
    Box->setCurrentIndex(Index);
}

// Runs the dialog for the port and, once it shows, lets Act work on it.
bool RunDialog(TCustomComPort& Port, std::function<void(QWidget&)> Act)
{
    QTimer::singleShot(0, [Act] {
        if (QWidget* Dialog = QApplication::activeModalWidget())
            Act(*Dialog);
    });
    return EditComPort(Port);
}

void Click(QWidget& Form, const char* Button)
{
    Find<QPushButton>(Form, Button)->click();
}

// A port on the scripted device that can be told to refuse its next line settings while collecting them.
class TRefusingPort : public TComPort
{
  public:
    bool RefuseDCB = false;

  protected:
    void ApplyDCB() override
    {
        if (RefuseDCB)
            throw EComPort(ComErr::SetState, 22);
        TComPort::ApplyDCB();
    }
};

struct SetupTest : ::testing::Test {
    TFakeComBackend* fake = new TFakeComBackend;
    TRefusingPort port;

    void SetUp() override
    {
        port.SetBackend(std::unique_ptr<TComBackend>(fake));
        port.SetPort("ttyFAKE9");
        port.SetEvents({});
        port.SetBaudRate(br115200);
        port.FlowControl().SetControlDTR(dtrEnable);
        port.FlowControl().SetControlRTS(rtsEnable);
    }
    void TearDown() override { port.Close(); }
};

} // namespace

TEST(SetupForm, CaptionsListsAndNames)
{
    TComSetupFrm Form;
    EXPECT_EQ(Form.windowTitle(), "Setup");
    EXPECT_EQ(Form.size(), QSize(231, 216));
    EXPECT_EQ(Find<QGroupBox>(Form, "GroupBox1")->title(), " Settings ");
    const char* Labels[] = {"Port", "Baud rate", "Data bits", "Stop bits", "Parity", "Flow control"};
    const char* LabelNames[] = {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Find<QLabel>(Form, LabelNames[i])->text(), Labels[i]);
    EXPECT_EQ(Find<QPushButton>(Form, "Button1")->text(), "OK");
    EXPECT_TRUE(Find<QPushButton>(Form, "Button1")->isDefault());
    EXPECT_EQ(Find<QPushButton>(Form, "Button2")->text(), "Cancel");

    EXPECT_EQ(Items(Form.Combo2), QStringList({"Custom", "110", "300", "600", "1200", "2400", "4800", "9600", "14400",
                                               "19200", "38400", "56000", "57600", "115200", "128000", "256000"}));
    EXPECT_EQ(Items(Form.Combo3), QStringList({"5", "6", "7", "8"}));
    EXPECT_EQ(Items(Form.Combo4), QStringList({"1", "1.5", "2"}));
    EXPECT_EQ(Items(Form.Combo5), QStringList({"None", "Odd", "Even", "Mark", "Space"}));
    EXPECT_EQ(Items(Form.Combo6), QStringList({"Hardware", "Software", "None", "Custom"}));
    std::vector<std::string> Ports;
    EnumComPorts(Ports);
    QStringList Expected;
    for (const std::string& P : Ports)
        Expected << QString::fromStdString(P);
    EXPECT_EQ(Items(Form.Combo1), Expected);
    EXPECT_EQ(Form.Combo1->ComProperty(), cpPort);
    EXPECT_EQ(Form.Combo6->ComProperty(), cpFlowControl);
    EXPECT_FALSE(Form.Combo2->AutoApply());
}

TEST_F(SetupTest, ListsShowThePortsValues)
{
    port.SetDataBits(dbSeven);
    port.Parity().SetBits(prSpace);
    RunDialog(port, [](QWidget& Form) {
        EXPECT_EQ(Find<TComComboBox>(Form, "Combo1")->currentIndex(), -1); // not among the machine's ports
        EXPECT_EQ(Find<TComComboBox>(Form, "Combo2")->currentText(), "115200");
        EXPECT_EQ(Find<TComComboBox>(Form, "Combo3")->currentText(), "7");
        EXPECT_EQ(Find<TComComboBox>(Form, "Combo4")->currentText(), "1");
        EXPECT_EQ(Find<TComComboBox>(Form, "Combo5")->currentText(), "Space");
        // RTS enabled matches no preset.
        EXPECT_EQ(Find<TComComboBox>(Form, "Combo6")->currentText(), "Custom");
        Click(Form, "Button2");
    });
}

TEST_F(SetupTest, OkWritesEverySettingInOneUpdate)
{
    port.Open();
    fake->ClearLog();
    const bool Ok = RunDialog(port, [](QWidget& Form) {
        Choose(Form, "Combo2", "19200");
        Choose(Form, "Combo3", "7");
        Choose(Form, "Combo4", "2");
        Choose(Form, "Combo5", "Even");
        Choose(Form, "Combo6", "Hardware");
        Click(Form, "Button1");
    });
    EXPECT_TRUE(Ok);
    // One reconfiguration of the open port, not one per list.
    EXPECT_EQ(fake->Log(), (std::vector<std::string>{"buffer 1024 1024", "line 19200", "timeouts 4294967295 1000"}));
    const TComLineSettings Line = fake->LastLine();
    EXPECT_EQ(Line.DataBits, 7);
    EXPECT_EQ(Line.StopBits, sbTwoStopBits);
    EXPECT_EQ(Line.Parity, prEven);
    EXPECT_EQ(Line.ControlRTS, rtsHandshake);
    EXPECT_TRUE(Line.OutCTSFlow);
    EXPECT_EQ(Line.ControlDTR, dtrEnable); // a preset leaves DTR alone
    // A port not among the machine's ports keeps its name.
    EXPECT_EQ(port.Port(), "ttyFAKE9");
    EXPECT_TRUE(port.Connected());
}

TEST_F(SetupTest, CancelWritesNothing)
{
    port.Open();
    fake->ClearLog();
    const std::string Before = PortSnapshot(port);
    const bool Ok = RunDialog(port, [](QWidget& Form) {
        Choose(Form, "Combo2", "300");
        Choose(Form, "Combo3", "5");
        Choose(Form, "Combo4", "1.5");
        Choose(Form, "Combo5", "Odd");
        Choose(Form, "Combo6", "Software");
        Click(Form, "Button2");
    });
    EXPECT_FALSE(Ok);
    EXPECT_TRUE(fake->Log().empty());
    EXPECT_EQ(PortSnapshot(port), Before);
}

TEST_F(SetupTest, OkWithCustomFlowLeavesTheFlags)
{
    port.FlowControl().SetOutDSRFlow(true);
    port.FlowControl().SetXonXoffIn(true);
    RunDialog(port, [](QWidget& Form) { Click(Form, "Button1"); });
    EXPECT_EQ(port.FlowControl().ControlRTS(), rtsEnable);
    EXPECT_TRUE(port.FlowControl().OutDSRFlow());
    EXPECT_TRUE(port.FlowControl().XonXoffIn());
    EXPECT_EQ(port.BaudRate(), br115200);
}

TEST_F(SetupTest, ARefusedSettingStillEndsTheUpdate)
{
    port.Open();
    port.RefuseDCB = true;
    try {
        RunDialog(port, [](QWidget& Form) {
            Choose(Form, "Combo2", "57600");
            Click(Form, "Button1");
        });
        FAIL() << "the refusal must reach the caller";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.Code, 7);
    }
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr); // the dialog is gone
    // The update ended: a change now reaches the device at once.
    port.RefuseDCB = false;
    fake->ClearLog();
    port.SetBaudRate(br2400);
    EXPECT_EQ(fake->Log(), (std::vector<std::string>{"line 2400"}));
}

TEST_F(SetupTest, AFailedReopenUnderANewNameLeavesThePortConfigurable)
{
    port.Open();
    TComSelect Select;
    Select.ComProperty = cpPort;
    Select.Items = {"ttyOTHER"};
    Select.ComPort = &port;
    Select.Change("ttyOTHER");
    fake->RefuseOpen = 2;
    try {
        TComUpdate Update(port);
        Select.ApplySettings();
        Update.Finish();
        FAIL() << "the new name cannot be opened";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.Code, 1);
    }
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(port.Port(), "ttyOTHER");
    // Back to a name that opens: the settings are pushed at the open, so no update was left behind.
    fake->RefuseOpen = 0;
    port.SetPort("ttyFAKE9");
    fake->ClearLog();
    port.Open();
    const std::vector<std::string> Log = fake->Log();
    ASSERT_GE(Log.size(), 4u);
    EXPECT_EQ(Log[1], "buffer 1024 1024");
    EXPECT_EQ(Log[2], "line 115200");
}

TEST_F(SetupTest, APortThatGoesWhileTheDialogShowsIsNotTouched)
{
    struct TOwned {
        TComPort Port;
        TComPortWatch Watch{Port};
    };
    auto Owned = std::make_unique<TOwned>();
    const bool Ok = [&] {
        QTimer::singleShot(0, [&Owned] {
            QWidget* Form = QApplication::activeModalWidget();
            ASSERT_NE(Form, nullptr);
            Owned.reset();
            TComComboBox* Baud = Find<TComComboBox>(*Form, "Combo2");
            EXPECT_EQ(Baud->ComPort(), nullptr);
            EXPECT_EQ(Baud->currentIndex(), 0);
            Click(*Form, "Button1");
        });
        return EditComPort(Owned->Port);
    }();
    EXPECT_FALSE(Ok);
}

TEST_F(SetupTest, ComboBoxBindingAndAutoApply)
{
    TComComboBox Box;
    Box.SetComProperty(cpParity);
    EXPECT_EQ(Box.currentIndex(), 0); // no port: the first item
    port.Parity().SetBits(prMark);
    Box.SetComPort(&port);
    EXPECT_EQ(Box.Text(), "Mark");
    EXPECT_EQ(Box.Select().Parity, prMark);

    int Changes = 0;
    Box.OnChange = [&](TComComboBox*) { ++Changes; };
    Box.SetText("Odd");
    EXPECT_EQ(Changes, 1);
    EXPECT_EQ(port.Parity().Bits(), prMark); // picked, not applied
    Box.ApplySettings();
    EXPECT_EQ(port.Parity().Bits(), prOdd);

    Box.SetAutoApply(true);
    Box.SetText("Even");
    EXPECT_EQ(port.Parity().Bits(), prEven);
    Box.SetText("Sideways"); // not in the list: nothing
    EXPECT_EQ(Box.Text(), "Even");
    EXPECT_EQ(Changes, 2);

    // Rebinding to the same property of another value shows it.
    Box.SetComProperty(cpBaudRate);
    EXPECT_EQ(Box.Text(), "115200");
}

TEST_F(SetupTest, RadioGroupBindingAndClicks)
{
    TComRadioGroup Group;
    Group.SetComProperty(cpStopBits);
    ASSERT_EQ(Group.Count(), 3);
    EXPECT_EQ(Group.ItemIndex(), 0);
    EXPECT_EQ(Group.findChildren<QRadioButton*>().size(), 3);

    port.SetStopBits(sbTwoStopBits);
    Group.SetComPort(&port);
    EXPECT_EQ(Group.ItemIndex(), 2);

    int Clicks = 0;
    Group.OnClick = [&](TComRadioGroup*) { ++Clicks; };
    Group.SetAutoApply(true);
    Group.findChildren<QRadioButton*>()[1]->click();
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(port.StopBits(), sbOne5StopBits);

    // The port shows another value: the group follows without applying anything back.
    port.SetStopBits(sbOneStopBit);
    Group.UpdateSettings();
    EXPECT_EQ(Group.ItemIndex(), 0);
    EXPECT_EQ(port.StopBits(), sbOneStopBit);
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
    EXPECT_FALSE(Select.Picked);
    Select.ApplySettings();
    EXPECT_EQ(Port.Port(), "ttyGONE");

    Select.Change("ttyS0");
    Select.ApplySettings();
    EXPECT_EQ(Port.Port(), "ttyS0");
}
