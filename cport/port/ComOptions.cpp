#include "cport/port/ComOptions.h"

#include "cport/port/Cport.h"

void TComOption::ApplyDCB()
{
    if (FComPort)
        FComPort->ApplyDCB();
}

void TComOption::ApplyTimeouts()
{
    if (FComPort)
        FComPort->ApplyTimeouts();
}

void TComOption::ApplyBuffer()
{
    if (FComPort)
        FComPort->ApplyBuffer();
}

void TComTimeouts::SetReadInterval(int v)
{
    Set(FReadInterval, v);
}
void TComTimeouts::SetReadTotalMultiplier(int v)
{
    Set(FReadTotalMultiplier, v);
}
void TComTimeouts::SetReadTotalConstant(int v)
{
    Set(FReadTotalConstant, v);
}
void TComTimeouts::SetWriteTotalMultiplier(int v)
{
    Set(FWriteTotalMultiplier, v);
}
void TComTimeouts::SetWriteTotalConstant(int v)
{
    Set(FWriteTotalConstant, v);
}

TComTimeoutValues TComTimeouts::Values() const
{
    TComTimeoutValues t;
    t.ReadInterval = std::uint32_t(FReadInterval);
    t.ReadTotalMultiplier = std::uint32_t(FReadTotalMultiplier);
    t.ReadTotalConstant = std::uint32_t(FReadTotalConstant);
    t.WriteTotalMultiplier = std::uint32_t(FWriteTotalMultiplier);
    t.WriteTotalConstant = std::uint32_t(FWriteTotalConstant);
    return t;
}

TFlowControl TComFlowControl::FlowControl() const
{
    if (FControlRTS == rtsHandshake && FOutCTSFlow && !FXonXoffIn && !FXonXoffOut)
        return fcHardware;
    if (FControlRTS == rtsDisable && !FOutCTSFlow && FXonXoffIn && FXonXoffOut)
        return fcSoftware;
    if (FControlRTS == rtsDisable && !FOutCTSFlow && !FXonXoffIn && !FXonXoffOut)
        return fcNone;
    return fcCustom;
}

void TComFlowControl::SetFlowControl(TFlowControl Value)
{
    // The fields change together and the device is told once.
    if (Value != fcCustom) {
        FControlRTS = rtsDisable;
        FOutCTSFlow = false;
        FXonXoffIn = false;
        FXonXoffOut = false;
    }
    if (Value == fcHardware) {
        FControlRTS = rtsHandshake;
        FOutCTSFlow = true;
    } else if (Value == fcSoftware) {
        FXonXoffIn = true;
        FXonXoffOut = true;
    }
    ApplyDCB();
}
