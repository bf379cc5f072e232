#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>

class LinkHost;
class QProgressBar;
class QPushButton;
class SerialLink;
struct TPageContext;

// The calibration write: each analogue channel's calibration block (Y1, Y2, X1, X2 and the unit text) sent to
// the unit as one byte-write line over the serial port, one channel at a time ("Set A/D cal values") or all
// six in turn ("Send all ch values"). It runs under the link's busy guard, so no other exchange interleaves
// with its lines, and it reports done only what went out. Its buttons join the groups of the "Channel
// Calibration" page, which must be built first.
class TCalibrationSend : public QWidget
{
    Q_OBJECT
  public:
    TCalibrationSend(TPageContext& ctx, SerialLink& link, LinkHost& host);

    void ADcalButtonClick(int n); // ADcal2ButtonClick .. ADcal7ButtonClick
    void Button2Click();

  private:
    // Runs op under the busy guard; a number the block's edits do not hold ends it and is shown as any
    // failing handler is.
    void UnderBusyGuard(const std::function<void()>& op);
    // The block's pending edits into the image, then its line to the unit; false when the line did not go
    // out whole.
    bool SendChannel(int n);
    bool SendAll();
    void ShowIdle();

    TPageContext& ctx_;
    SerialLink& link_;
    LinkHost& host_;
    QPushButton* Button2 = nullptr;
    QProgressBar* ProgressBar2 = nullptr;
    QTimer doneShown_;
};
