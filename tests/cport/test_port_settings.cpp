// Settings of the port: when they reach the device, in which order, what a refusal leaves behind.
#include "FakePort.h"
#include "PtyPair.h"
#include "cport/ComStream.h"

#include "ComExpect.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace
{
using Log = std::vector<std::string>;

struct SettingsTest : ::testing::Test, TFakePort {
};
} // namespace

TEST_F(SettingsTest, NothingReachesTheDeviceWhileClosedAndAllGroupsAtOpen)
{
    Port.SetBaudRate(br115200);
    Port.Parity().SetBits(prEven);
    Port.Buffer().SetInputSize(500000);
    Port.Buffer().SetOutputSize(8192);
    Port.Timeouts().SetWriteTotalConstant(250);
    Port.FlowControl().SetFlowControl(fcSoftware);
    EXPECT_TRUE(Dev->Log().empty());

    Port.Open();
    EXPECT_EQ(Dev->Log(), (Log{"open /dev/ttyFAKE0", "buffer 500000 8192", "line 115200", "timeouts 4294967295 250"}));
    const TComLineSettings s = Dev->LastLine();
    EXPECT_EQ(s.Parity, prEven);
    EXPECT_TRUE(s.XonXoffIn);
    EXPECT_TRUE(s.XonXoffOut);
    EXPECT_EQ(s.XonLim, 59464); // the low 16 bits of a quarter of 500000
}

TEST_F(SettingsTest, UpdateHoldsChangesBackUntilTheLastEndUpdate)
{
    Port.Open();
    Dev->ClearLog();
    Port.BeginUpdate();
    Port.BeginUpdate();
    Port.SetBaudRate(br38400);
    Port.SetDataBits(dbSeven);
    Port.Buffer().SetInputSize(4096);
    Port.Timeouts().SetReadTotalConstant(5);
    Port.EndUpdate();
    EXPECT_TRUE(Dev->Log().empty());
    Port.EndUpdate();
    EXPECT_EQ(Dev->Log(), (Log{"buffer 4096 1024", "line 38400", "timeouts 4294967295 1000"}));
    EXPECT_EQ(Dev->LastLine().DataBits, 7);

    Dev->ClearLog();
    Port.EndUpdate();          // without a BeginUpdate: nothing
    Port.SetBaudRate(br38400); // unchanged: nothing
    EXPECT_TRUE(Dev->Log().empty());
    Port.SetStopBits(sbTwoStopBits); // open, no update: at once
    EXPECT_EQ(Dev->Log(), (Log{"line 38400"}));
}

TEST_F(SettingsTest, CustomRateGoesToTheDeviceUnchanged)
{
    Port.SetBaudRate(brCustom);
    Port.SetCustomBaudRate(123457);
    Port.Open();
    EXPECT_EQ(Dev->LastLine().BaudRate, 123457);
    Port.SetBaudRate(br256000);
    EXPECT_EQ(Dev->LastLine().BaudRate, 256000);
}

TEST_F(SettingsTest, RefusedSettingsRaiseTheirCodesAndKeepTheNewValue)
{
    Port.Open();
    Dev->RefuseLine = EINVAL;
    EXPECT_TRUE(RaisesCom([&] { Port.SetBaudRate(br1200); }, 7, EINVAL));
    EXPECT_EQ(Port.BaudRate(), br1200);
    EXPECT_EQ(Dev->LastLine().BaudRate, 9600);

    Dev->RefuseTimeouts = EIO;
    EXPECT_TRUE(RaisesCom([&] { Port.Timeouts().SetReadInterval(10); }, 8));
    Dev->RefuseBuffer = ENOMEM;
    EXPECT_TRUE(RaisesCom([&] { Port.Buffer().SetInputSize(100); }, 9));
}

TEST_F(SettingsTest, FailedSetupClosesTheDeviceWithoutCloseNotices)
{
    int afterOpen = 0, afterClose = 0;
    Port.OnAfterOpen = [&](TCustomComPort*) { ++afterOpen; };
    Port.OnAfterClose = [&](TCustomComPort*) { ++afterClose; };
    Dev->RefuseLine = EINVAL;
    EXPECT_TRUE(RaisesCom([&] { Port.Open(); }, 7));
    EXPECT_FALSE(Port.Connected());
    EXPECT_EQ(Dev->Log().back(), "close");
    EXPECT_EQ(afterOpen, 0);
    EXPECT_EQ(afterClose, 0);
}

TEST_F(SettingsTest, FlowControlPresetsReadBack)
{
    TComFlowControl& f = Port.FlowControl();
    f.SetControlRTS(rtsEnable);
    f.SetControlDTR(dtrEnable);
    EXPECT_EQ(f.FlowControl(), fcCustom); // as the main window's port starts

    f.SetFlowControl(fcHardware);
    EXPECT_EQ(f.FlowControl(), fcHardware);
    EXPECT_EQ(f.ControlRTS(), rtsHandshake);
    EXPECT_TRUE(f.OutCTSFlow());
    f.SetControlDTR(dtrHandshake);
    EXPECT_EQ(f.FlowControl(), fcHardware);

    f.SetFlowControl(fcSoftware);
    EXPECT_EQ(f.FlowControl(), fcSoftware);
    EXPECT_EQ(f.ControlDTR(), dtrHandshake); // never touched by a preset
    f.SetFlowControl(fcNone);
    EXPECT_EQ(f.FlowControl(), fcNone);

    Port.Open();
    f.SetOutDSRFlow(true);
    Dev->ClearLog();
    f.SetFlowControl(fcCustom); // changes nothing, still tells the device once
    EXPECT_TRUE(f.OutDSRFlow());
    EXPECT_EQ(Dev->Log(), (Log{"line 9600"}));
}

TEST_F(SettingsTest, OptionObjectsCopyTheirDataOnly)
{
    Port.Buffer().SetInputSize(1025);
    EXPECT_EQ(Port.Buffer().InputSize(), 1024);
    Port.Buffer().SetOutputSize(-3);
    EXPECT_EQ(Port.Buffer().OutputSize(), -3);
    Port.Buffer().SetOutputSize(8192);

    TComParity p = Port.Parity();
    EXPECT_EQ(p.ComPort(), nullptr);
    p.SetBits(prMark);
    p.SetCheck(true);
    EXPECT_EQ(Port.Parity().Bits(), prNone);
    Port.Open();
    Dev->ClearLog();
    Port.SetParity(p);
    EXPECT_EQ(Port.Parity().ComPort(), &Port);
    EXPECT_EQ(Dev->LastLine().Parity, prMark);
    EXPECT_TRUE(Dev->LastLine().ParityCheck);
    EXPECT_EQ(Dev->Log(), (Log{"line 9600"}));
}

TEST_F(SettingsTest, SyncMethodAndPriorityAreFrozenWhileOpen)
{
    Port.SetSyncMethod(smWindowSync);
    Port.Open();
    try {
        Port.SetSyncMethod(smNone);
        FAIL();
    } catch (const EComPort& e) {
        EXPECT_EQ(e.Code, 14);
        EXPECT_EQ(e.WinCode, -1);
        EXPECT_STREQ(e.what(), "Cannot set property while connected");
    }
    EXPECT_TRUE(RaisesCom([&] { Port.SetEventThreadPriority(tpHigher); }, 14));
    EXPECT_EQ(Port.SyncMethod(), smWindowSync);
    Port.Close();
    Port.SetEventThreadPriority(tpHigher);
    EXPECT_EQ(Port.EventThreadPriority(), tpHigher);
}

TEST_F(SettingsTest, ChangingThePortReopensOnTheNewName)
{
    Log seen;
    Port.OnBeforeClose = [&](TCustomComPort*) { seen.push_back("before close"); };
    Port.OnAfterClose = [&](TCustomComPort*) { seen.push_back("after close"); };
    Port.OnAfterOpen = [&](TCustomComPort*) { seen.push_back("after open"); };
    Port.Open();
    seen.clear();
    Port.SetPort("/dev/ttyUSB3");
    EXPECT_EQ(seen, (Log{"before close", "after close", "after open"}));
    EXPECT_EQ(Dev->Log()[Dev->Log().size() - 4], "open /dev/ttyUSB3");

    Dev->RefuseOpen = ENOENT;
    EXPECT_TRUE(RaisesCom([&] { Port.SetPort("ttyGONE"); }, 1, ENOENT));
    EXPECT_FALSE(Port.Connected());
}

TEST_F(SettingsTest, LineOperationsReachTheDevice)
{
    Port.Open();
    Dev->ClearLog();
    Port.SetDTR(true);
    Port.SetRTS(false);
    Port.SetBreak(true);
    EXPECT_TRUE(Dev->BreakOn());
    Port.SetBreak(false);
    Port.SetXonXoff(false);
    Port.ClearBuffer(true, false);
    EXPECT_EQ(Dev->Log(), (Log{"dtr 1", "rts 0", "break 1", "break 0", "flow 0", "flush 10"}));
    EXPECT_EQ(Dev->OutputLines(), unsigned(mlDTR));

    Dev->SetLines(mlCTS | mlRLSD);
    EXPECT_EQ(Port.Signals(), (TComSignals{csCTS, csRLSD}));
}

TEST_F(SettingsTest, StreamMovesBytesThroughThePort)
{
    Port.Open();
    TComStream stream(&Port);
    EXPECT_EQ(stream.Write("kvrea0", 6), 6);
    EXPECT_EQ(Dev->Written(), "kvrea0");
    Dev->Feed("REA=");
    char buf[8] = {};
    ASSERT_TRUE(WaitWithoutPumping([&] { return Port.InputCount() == 4; }));
    EXPECT_EQ(stream.Read(buf, 8), 4);
    EXPECT_EQ(std::string(buf, 4), "REA=");
    EXPECT_EQ(stream.Seek(100, 0), 0);
}

TEST_F(SettingsTest, BufferSizesBelowOneAreRefusedAtOpen)
{
    Port.Buffer().SetInputSize(0);
    EXPECT_TRUE(RaisesCom([&] { Port.Open(); }, 9, EINVAL));
    EXPECT_FALSE(Port.Connected());
}
