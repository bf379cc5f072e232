#pragma once

#include "cport/port/ComSettings.h"
#include "cport/port/CportTypes.h"

class TCustomComPort;

// The option objects of a port. Each keeps a back reference to its port (none for a free-standing copy); a
// setter stores a value only when it differs and then asks the port to push its group into the device,
// which the port ignores while closed or inside BeginUpdate/EndUpdate. Copying copies the data only.

class TComOption
{
  public:
    TComOption() = default;
    TComOption(const TComOption&) {}
    TComOption& operator=(const TComOption&) { return *this; }
    void SetComPort(TCustomComPort* Port) { FComPort = Port; }
    TCustomComPort* ComPort() const { return FComPort; }

  protected:
    template <class T> bool Store(T& Field, T Value)
    {
        if (Field == Value)
            return false;
        Field = Value;
        return true;
    }
    void ApplyDCB();
    void ApplyTimeouts();
    void ApplyBuffer();

  private:
    TCustomComPort* FComPort = nullptr;
};

class TComTimeouts : public TComOption
{
  public:
    int ReadInterval() const { return FReadInterval; }
    int ReadTotalMultiplier() const { return FReadTotalMultiplier; }
    int ReadTotalConstant() const { return FReadTotalConstant; }
    int WriteTotalMultiplier() const { return FWriteTotalMultiplier; }
    int WriteTotalConstant() const { return FWriteTotalConstant; }
    void SetReadInterval(int v);
    void SetReadTotalMultiplier(int v);
    void SetReadTotalConstant(int v);
    void SetWriteTotalMultiplier(int v);
    void SetWriteTotalConstant(int v);
    void Assign(const TComTimeouts& Source) { *this = Source; }
    TComTimeoutValues Values() const; // -1 is the "no limit" marker

  private:
    void Set(int& Field, int v)
    {
        if (Store(Field, v))
            ApplyTimeouts();
    }
    int FReadInterval = -1;
    int FReadTotalMultiplier = 0;
    int FReadTotalConstant = 0;
    int FWriteTotalMultiplier = 100;
    int FWriteTotalConstant = 1000;
};

class TComFlowControl : public TComOption
{
  public:
    bool OutCTSFlow() const { return FOutCTSFlow; }
    bool OutDSRFlow() const { return FOutDSRFlow; }
    TDTRFlowControl ControlDTR() const { return FControlDTR; }
    TRTSFlowControl ControlRTS() const { return FControlRTS; }
    bool XonXoffOut() const { return FXonXoffOut; }
    bool XonXoffIn() const { return FXonXoffIn; }
    bool DSRSensitivity() const { return FDSRSensitivity; }
    bool TxContinueOnXoff() const { return FTxContinueOnXoff; }
    char XonChar() const { return FXonChar; }
    char XoffChar() const { return FXoffChar; }
    void SetOutCTSFlow(bool v) { Set(FOutCTSFlow, v); }
    void SetOutDSRFlow(bool v) { Set(FOutDSRFlow, v); }
    void SetControlDTR(TDTRFlowControl v) { Set(FControlDTR, v); }
    void SetControlRTS(TRTSFlowControl v) { Set(FControlRTS, v); }
    void SetXonXoffOut(bool v) { Set(FXonXoffOut, v); }
    void SetXonXoffIn(bool v) { Set(FXonXoffIn, v); }
    void SetDSRSensitivity(bool v) { Set(FDSRSensitivity, v); }
    void SetTxContinueOnXoff(bool v) { Set(FTxContinueOnXoff, v); }
    void SetXonChar(char v) { Set(FXonChar, v); }
    void SetXoffChar(char v) { Set(FXoffChar, v); }

    // The preset the flags match (fcCustom when none), and setting one.
    TFlowControl FlowControl() const;
    void SetFlowControl(TFlowControl Value);
    void Assign(const TComFlowControl& Source) { *this = Source; }

  private:
    template <class T> void Set(T& Field, T v)
    {
        if (Store(Field, v))
            ApplyDCB();
    }
    bool FOutCTSFlow = false;
    bool FOutDSRFlow = false;
    TDTRFlowControl FControlDTR = dtrDisable;
    TRTSFlowControl FControlRTS = rtsDisable;
    bool FXonXoffOut = false;
    bool FXonXoffIn = false;
    bool FDSRSensitivity = false;
    bool FTxContinueOnXoff = false;
    char FXonChar = 17;
    char FXoffChar = 19;
};

class TComParity : public TComOption
{
  public:
    TParityBits Bits() const { return FBits; }
    bool Check() const { return FCheck; }
    bool Replace() const { return FReplace; }
    char ReplaceChar() const { return FReplaceChar; }
    void SetBits(TParityBits v) { Set(FBits, v); }
    void SetCheck(bool v) { Set(FCheck, v); }
    void SetReplace(bool v) { Set(FReplace, v); }
    void SetReplaceChar(char v) { Set(FReplaceChar, v); }
    void Assign(const TComParity& Source) { *this = Source; }

  private:
    template <class T> void Set(T& Field, T v)
    {
        if (Store(Field, v))
            ApplyDCB();
    }
    TParityBits FBits = prNone;
    bool FCheck = false;
    bool FReplace = false;
    char FReplaceChar = 0;
};

class TComBuffer : public TComOption
{
  public:
    int InputSize() const { return FInputSize; }
    int OutputSize() const { return FOutputSize; }
    // A positive odd size is lowered by one: sizes are even.
    void SetInputSize(int v) { Set(FInputSize, v); }
    void SetOutputSize(int v) { Set(FOutputSize, v); }
    void Assign(const TComBuffer& Source) { *this = Source; }

  private:
    void Set(int& Field, int v)
    {
        if (v > 0 && v % 2 == 1)
            --v;
        if (Store(Field, v))
            ApplyBuffer();
    }
    int FInputSize = 1024;
    int FOutputSize = 1024;
};
