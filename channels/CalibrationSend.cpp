#include "channels/CalibrationSend.h"

#include "channels/ChannelTable.h"
#include "channels/ScalingConstants.h"
#include "image/CalibrationBlock.h"
#include "link/protocol/CalibrationLine.h"
#include "link/protocol/LinkHost.h"
#include "link/protocol/Protocol.h"
#include "link/serial/LinkPort.h"
#include "link/serial/SendHelpers.h"
#include "link/serial/SerialLink.h"
#include "pages/PageContext.h"
#include "platform/Clock.h"
#include "platform/Convert.h"
#include "platform/ui/HandlerGuard.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

#include <exception>
#include <string>

namespace
{

constexpr int kFirst = 2;
constexpr int kLast = 7;
constexpr const char* kSendAll = "Send all ch values";
constexpr const char* kDone = "Done!";
// The bar after each channel, I/O2 to I/O7.
constexpr int kPositions[] = {28, 42, 56, 70, 84, 100};

// The block's edits in the order they commit: unit text, Y1, X1, Y2, X2.
std::vector<std::string> BlockEdits(int n)
{
    const std::string io = "IO" + std::to_string(n);
    return {io + "unit", io + "constY1", io + "constX1", io + "constY2", io + "constX2"};
}

} // namespace

TCalibrationSend::TCalibrationSend(TPageContext& ctx, SerialLink& link, LinkHost& host)
    : ctx_(ctx), link_(link), host_(host)
{
    // Each channel's button stands in its channel's group; "Send all ch values" and its bar in the page's.
    for (const TChannel& channel : Channels()) {
        if (!channel.calibration)
            continue;
        const int n = channel.n;
        auto* group = ctx_.Get<QGroupBox>(CalibrationGroupName(channel));
        auto* button = new QPushButton("Set A/D cal values", group);
        button->setObjectName(QString("ADcal%1Button").arg(n));
        ctx_.AddControl(button);
        ConnectGuarded(button, &QPushButton::clicked, this, [this, n] { ADcalButtonClick(n); });
        group->layout()->addWidget(button);
    }
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    Button2 = new QPushButton(kSendAll, this);
    Button2->setObjectName("Button2");
    ctx_.AddControl(Button2);
    ConnectGuarded(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    ProgressBar2 = new QProgressBar(this);
    ProgressBar2->setObjectName("ProgressBar2");
    ProgressBar2->setRange(0, 100);
    ProgressBar2->setValue(0);
    ctx_.AddControl(ProgressBar2);
    row->addWidget(Button2);
    row->addWidget(ProgressBar2, 1);

    doneShown_.setSingleShot(true);
    connect(&doneShown_, &QTimer::timeout, this, [this] { ShowIdle(); });
    auto* page = ctx_.Get<QGroupBox>(kCalibrationPageGroup);
    setParent(page);
    page->layout()->addWidget(this);
}

void TCalibrationSend::UnderBusyGuard(const std::function<void()>& op)
{
    std::exception_ptr failure;
    link_.RunGuarded("calibration", [&] {
        try {
            op();
        } catch (const EConvertError&) {
            failure = std::current_exception();
        }
    });
    if (failure)
        std::rethrow_exception(failure);
}

bool TCalibrationSend::SendChannel(int n)
{
    for (const std::string& edit : BlockEdits(n))
        if (auto exit = ctx_.Exits.find(edit); exit != ctx_.Exits.end())
            exit->second();
    const std::string line = CalibrationLine(CalibrationBlockAddress(n), ReadCalibrationBlock(ctx_.Image, n));
    return link_.Sender.SendComString(line) == SendOutcome::Sent;
}

void TCalibrationSend::ADcalButtonClick(int n)
{
    UnderBusyGuard([this, n] { SendChannel(n); });
}

void TCalibrationSend::Button2Click()
{
    if (!link_.Sender.Port().Connected())
        return;
    QPointer<TCalibrationSend> self(this);
    bool sent = false;
    UnderBusyGuard([&] { sent = SendAll(); });
    // The window may have gone during a wait; then there is nothing left to show.
    if (!self || !sent)
        return;
    Button2->setText(kDone);
    doneShown_.start(link_.Timing.CalibrationDoneMs);
}

// Stops at the first channel that did not go out: its failure is what the status bar shows, and the bar
// stays at the last channel sent.
bool TCalibrationSend::SendAll()
{
    QPointer<TCalibrationSend> self(this);
    doneShown_.stop();
    ShowIdle();
    for (int n = kFirst; n <= kLast; ++n) {
        if (n > kFirst) {
            DelayMs(link_.Timing.CalibrationGapMs);
            if (!self)
                return false;
        }
        if (!link_.Sender.Port().Connected()) {
            host_.SetStatusText(Msg::kPortClosed);
            return false;
        }
        const bool sent = SendChannel(n);
        if (!self || !sent)
            return false;
        ProgressBar2->setValue(kPositions[n - kFirst]);
    }
    return true;
}

void TCalibrationSend::ShowIdle()
{
    ProgressBar2->setValue(0);
    Button2->setText(kSendAll);
}
