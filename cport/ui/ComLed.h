#pragma once

#include "cport/port/ComNotify.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>

class TCustomComPort;

enum TComLedSignal { lsConn, lsCTS, lsDSR, lsRLSD, lsRing, lsRx, lsTx };
enum TLedKind { lkRedLight, lkGreenLight, lkBlueLight, lkYellowLight, lkPurpleLight, lkBulb, lkCustom };
enum TLedState { lsOff, lsOn };

// A lamp that shows one signal of a port: open, CTS, DSR, RLSD, a ring, or traffic either way. Bound to a port
// it follows that signal through its link and redraws at once, also inside a long operation; unbound it is a
// lamp whose state the program sets.
class TComLed : public QWidget
{
    Q_OBJECT

  public:
    explicit TComLed(QWidget* Parent = nullptr);
    ~TComLed() override;

    TCustomComPort* ComPort() const { return FBinding.Port(); }
    // Binding a port that is open shows its signal at once; unbinding darkens the lamp.
    void SetComPort(TCustomComPort* Value);
    TComLedSignal LedSignal() const { return FLedSignal; }
    // The lamp keeps its state until the port next reports the new signal.
    void SetLedSignal(TComLedSignal Value);
    TLedKind Kind() const { return FKind; }
    void SetKind(TLedKind Value);
    TLedState State() const { return FState; }
    // Raises EComPort 19 while bound to a port: the port decides then.
    void SetState(TLedState Value);
    // The lit and dark pictures; assignable only for lkCustom (ignored for other kinds).
    const QImage& GlyphOn() const { return FGlyphOn; }
    void SetGlyphOn(const QImage& Value);
    const QImage& GlyphOff() const { return FGlyphOff; }
    void SetGlyphOff(const QImage& Value);
    // How long a ring keeps the lamp lit, in ms; a ring while lit does not make it longer.
    int RingDuration() const { return FTimer.interval(); }
    void SetRingDuration(int Value) { FTimer.setInterval(Value); }
    const QTimer& RingTimer() const { return FTimer; }

    std::function<void(TComLed* Sender, TLedState AState)> OnChange;

    QSize sizeHint() const override { return {25, 25}; }

  protected:
    void paintEvent(QPaintEvent* Event) override;
    virtual void DoChange(TLedState AState);

  private:
    void SignalChange(bool OnOff);
    void RingDetect();
    void DoTimer();
    void SetStateInternal(TLedState Value);
    bool IsStateOn();
    void LoadBuiltIn();

    TComLedSignal FLedSignal = lsConn;
    TLedKind FKind = lkRedLight;
    TLedState FState = lsOff;
    QImage FGlyphOff;
    QImage FGlyphOn;
    TComLinkBinding FBinding; // its link: ComLink
    QTimer FTimer;
};
