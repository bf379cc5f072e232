#include "app/TForm1.h"

#include "link/ui/TerminalPage.h"
#include "platform/IniFile.h"
#include "platform/ui/CheckBox.h"

namespace
{

// The port as the main window's design has it, before the INI file's settings are applied.
void DesignPort(TComPort& port)
{
    port.SetBaudRate(br115200);
    port.SetDataBits(dbEight);
    port.SetStopBits(sbOneStopBit);
    port.Parity().SetBits(prNone);
    port.Buffer().SetInputSize(500000);
    port.Buffer().SetOutputSize(8192);
    port.FlowControl().SetOutCTSFlow(false);
    port.FlowControl().SetOutDSRFlow(false);
    port.FlowControl().SetControlDTR(dtrEnable);
    port.FlowControl().SetControlRTS(rtsEnable);
    port.FlowControl().SetXonXoffOut(false);
    port.FlowControl().SetXonXoffIn(false);
}

} // namespace

void TForm1::ApplyPortPrefs()
{
    DesignPort(ComPort1);
    const TPortPrefs& p = Prefs.Port;
    // The ordinals were checked against their enumerations when they were read.
    ComPort1.SetPort(p.Port);
    ComPort1.SetBaudRate(static_cast<TBaudRate>(p.BaudRate));
    ComPort1.SetDataBits(static_cast<TDataBits>(p.DataBits));
    ComPort1.SetStopBits(static_cast<TStopBits>(p.StopBits));
    ComPort1.Parity().SetBits(static_cast<TParityBits>(p.Parity));
    // The custom preset leaves the individual flags as they are.
    ComPort1.FlowControl().SetFlowControl(static_cast<TFlowControl>(p.FlowControl));
}

void TForm1::ShowPortState()
{
    // The terminal page owns the Open/Close button's caption.
    TermPage->ShowPortState();
}

TPortPrefs TForm1::PortSettings()
{
    TPortPrefs p;
    p.Port = ComPort1.Port();
    p.BaudRate = ComPort1.BaudRate();
    p.DataBits = ComPort1.DataBits();
    p.StopBits = ComPort1.StopBits();
    p.Parity = ComPort1.Parity().Bits();
    p.FlowControl = ComPort1.FlowControl().FlowControl();
    return p;
}

void TForm1::SpeedButton3Click()
{
    // The dialog applies what the user confirms; a cancel leaves the port as it was and the rest still runs.
    ComPort1.ShowSetupDialog();
    ShowPortState();
    if (ComPort1.Connected())
        SetLinesAfterSetup();
    Prefs.Port = PortSettings();
    IniFile ini(iniPath_);
    WritePortPrefs(ini, Prefs.Port);
}

void TForm1::SetLinesAfterSetup()
{
    // Both boxes ticked (a box that changes runs its own click handler), then both lines follow their boxes:
    // RTS first, then DTR.
    TermPage->CheckBox7->SetChecked(true);
    TermPage->CheckBox8->SetChecked(true);
    TermPage->CheckBox8Click();
    TermPage->CheckBox7Click();
}

void TForm1::ClosePort()
{
    ComPort1.Close();
}
