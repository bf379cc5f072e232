#include "cport/ui/ComLed.h"

#include "cport/port/Cport.h"
#include "cport/ui/LedImages.h"

#include <QPainter>
#include <QThread>

#include <algorithm>

TComLed::TComLed(QWidget* Parent) : QWidget(Parent)
{
    resize(25, 25);
    FBinding.Link.OnConn = [this](TCustomComPort*, bool OnOff) { SignalChange(OnOff); };
    FTimer.setInterval(1000);
    connect(&FTimer, &QTimer::timeout, this, [this] { DoTimer(); });
}

// Unbinds without reporting a state change: whoever would be told may be half gone.
TComLed::~TComLed()
{
    FBinding.Unbind();
}

void TComLed::SetComPort(TCustomComPort* Value)
{
    if (!FBinding.Bind(Value, [this] { SetComPort(nullptr); }))
        return;
    if (!Value)
        SetStateInternal(lsOff);
    else if (Value->Connected())
        SetStateInternal(IsStateOn() ? lsOn : lsOff);
}

void TComLed::SetLedSignal(TComLedSignal Value)
{
    if (Value == FLedSignal)
        return;
    FLedSignal = Value;
    TComLink& Link = FBinding.Link; // registered by its address: cleared in place
    Link = TComLink{};
    auto Signal = [this](TCustomComPort*, bool OnOff) { SignalChange(OnOff); };
    switch (Value) {
    case lsConn:
        Link.OnConn = Signal;
        break;
    case lsCTS:
        Link.OnCTSChange = Signal;
        break;
    case lsDSR:
        Link.OnDSRChange = Signal;
        break;
    case lsRLSD:
        Link.OnRLSDChange = Signal;
        break;
    case lsRing:
        Link.OnRingChange = [this](TCustomComPort*) { RingDetect(); };
        break;
    case lsRx:
        Link.OnRx = Signal;
        break;
    case lsTx:
        Link.OnTx = Signal;
        break;
    }
}

void TComLed::SetKind(TLedKind Value)
{
    if (Value == FKind)
        return;
    FKind = Value;
    if (Value == lkCustom) {
        // The pictures of the kind before are not the program's: a custom lamp shows only what it is given.
        FGlyphOn = QImage();
        FGlyphOff = QImage();
    } else {
        LoadBuiltIn();
    }
    update();
}

void TComLed::LoadBuiltIn()
{
    if (FKind == lkCustom)
        return;
    FGlyphOn = LedImage(FKind, true);
    FGlyphOff = LedImage(FKind, false);
}

void TComLed::SetGlyphOn(const QImage& Value)
{
    if (FKind != lkCustom)
        return;
    FGlyphOn = AutoTransparent(Value);
    update();
}

void TComLed::SetGlyphOff(const QImage& Value)
{
    if (FKind != lkCustom)
        return;
    FGlyphOff = AutoTransparent(Value);
    update();
}

void TComLed::SetState(TLedState Value)
{
    if (ComPort())
        throw EComPort(ComErr::LedState);
    SetStateInternal(Value);
}

void TComLed::SetStateInternal(TLedState Value)
{
    FState = Value;
    DoChange(Value);
    update();
}

void TComLed::DoChange(TLedState AState)
{
    if (OnChange)
        OnChange(this, AState);
}

// Drawn now rather than when the window thread next looks at its events: a long transfer does not look.
void TComLed::SignalChange(bool OnOff)
{
    // A port that hands its events over on its own thread must not paint from there.
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, OnOff] { SignalChange(OnOff); }, Qt::QueuedConnection);
        return;
    }
    SetStateInternal(OnOff ? lsOn : lsOff);
    repaint();
}

void TComLed::RingDetect()
{
    if (!FTimer.isActive())
        FTimer.start();
    SignalChange(true);
}

void TComLed::DoTimer()
{
    FTimer.stop();
    SignalChange(false);
}

bool TComLed::IsStateOn()
{
    if (!ComPort() || !ComPort()->Connected())
        return false;
    switch (FLedSignal) {
    case lsConn:
        return true;
    case lsCTS:
        return ComPort()->Signals().Contains(csCTS);
    case lsDSR:
        return ComPort()->Signals().Contains(csDSR);
    case lsRLSD:
        return ComPort()->Signals().Contains(csRLSD);
    default:
        return false;
    }
}

void TComLed::paintEvent(QPaintEvent*)
{
    if (FGlyphOn.isNull() || FGlyphOff.isNull())
        LoadBuiltIn();
    const QImage& Shown = isEnabled() && FState == lsOn ? FGlyphOn : FGlyphOff;
    if (Shown.isNull())
        return;
    // Centred by the size of the picture of the current state, as a lamp whose two pictures differ expects.
    const QImage& Sized = FState == lsOn ? FGlyphOn : FGlyphOff;
    const int X = std::max(0, (width() - Sized.width()) / 2);
    const int Y = std::max(0, (height() - Sized.height()) / 2);
    QPainter P(this);
    P.drawImage(X, Y, Shown);
}
