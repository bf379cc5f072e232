#include "pages/OptionBits.h"

#include "image/ImageStore.h"
#include "pages/Bind.h"
#include "pages/OptionFields.h"
#include "pages/PageContext.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/RadioGroup.h"

#include <QLabel>

using namespace OptionFields;

void TOptionBits::AnadataLogClick()
{
    const int item = AnadataLog->ItemIndex();
    WritePairChoice(ctx_.Image, kAnadataLog, item);
    usePulseVEventCheckBox->setEnabled(item == 2);
    if (item > 0) {
        for (int n = 1; n <= 7; ++n) {
            TCheckBox* box = PI_[size_t(n - 1)];
            const QString caption = QString("Input Ch %1 (I/O%1)").arg(n);
            if (box->text() != caption)
                box->setText(caption);
            box->setEnabled(true);
        }
        for (TRadioGroup* wiring : Ch_)
            wiring->setEnabled(true);
        IO1edge->setEnabled(true);
    }
    Help(12, 1);
}

// "Both" leaves the other edge's bit as it was: the unit does not look at it then.
void TOptionBits::IO1edgeClick()
{
    Help(12, 2);
    const int index = IO1edge->ItemIndex();
    if (index == 2)
        WriteSwitch(ctx_.Image, kIO1edge.first, true);
    else if (index >= 0) // one write: the edge's bit from the item, "Both" cleared
        ctx_.Image.SetImageBits(kIO1edge.second.address, index, kIO1edge.second.mask, kIO1edge.first.mask);
}

// Without logging the unit counts nothing, and the choice keeps what it showed.
void TOptionBits::ShowIO1edge()
{
    if (ReadSwitch(ctx_.Image, kAnadataLog.first))
        ShowIndex(IO1edge, ReadPairChoice(ctx_.Image, kIO1edge));
}

// Also run by the channel-type choice and by the wiring choice. Run by a redraw it may change the image: a
// changed I/O1 box switches logging on, a channel 5 to 7 box sets its pulse bit.
void TOptionBits::PICheckBoxClick(int n)
{
    // Taken before any write: the redraw after the pulse bit shows the box as the image still has it.
    const bool logged = PI_[size_t(n - 1)]->Checked();
    if (n >= 5)
        WriteSwitch(ctx_.Image, PlainPulses(n), true);
    WriteSwitch(ctx_.Image, Logged(n), logged);
    if (n == 1) {
        // Logging I/O1 switches logging on, timed.
        WriteSwitch(ctx_.Image, kAnadataLog.first, true);
        WriteSwitch(ctx_.Image, kAnadataLog.second, true);
        usePulseVEventCheckBox->setEnabled(false);
    }
}

// The channel's input wiring. Pulses are counted on the left item of channels 1 to 4, so their rate boxes
// apply there only; channels 5 to 7 always count plain pulses.
void TOptionBits::ChRadioGroupClick(int n)
{
    const int r = Ch_[size_t(n - 1)]->ItemIndex();
    WriteSwitch(ctx_.Image, {ChannelChoice(n).address, ChannelChoice(n).mask}, r == 1);
    if (n >= 5)
        WriteSwitch(ctx_.Image, PlainPulses(n), true);
    // The log box names its channel once it is wired, whether by a click, a channel type or a redraw.
    TCheckBox* log = PI_[size_t(n - 1)];
    const QString caption = QString("Input Ch %1 (I/O%1)").arg(n);
    if (log->text() != caption)
        log->setText(caption);
    if (n <= 4 && r >= 0) {
        Freq_[size_t(n - 1)]->setEnabled(r == 0);
        freqOrDiff->setEnabled(r == 0);
    }
    if (n == 7)
        Ch_[6]->setEnabled(true);
    const bool logToo = n <= 2 ? r == 1 : n >= 4 && r == 0;
    if (logToo)
        PICheckBoxClick(n);
}

void TOptionBits::freqOrDiffClick()
{
    const bool freq = freqOrDiff->Checked();
    WriteSwitch(ctx_.Image, kFreqOrDiff, freq);
    Label162->setText(kRateCaptions[freq]);
    for (TCheckBox* rate : Freq_)
        rate->setToolTip(kRateHints[freq]);
}

// Periodic (item 0) or synchronised (item 1): a synchronised timer starts at its start time.
void TOptionBits::Periodicity(TRadioGroup* choice, const MultiBitChoice& field, int timer)
{
    WriteChoice(ctx_.Image, field, choice->ItemIndex());
    Call(Hooks.StartTimeEnabled, timer, choice->ItemIndex() == 1);
}

void TOptionBits::PIPeriodLogClick()
{
    Help(12, 5);
    Periodicity(PIPeriodLog, kPIPeriodLog, 1);
}

void TOptionBits::PIPeriodSendClick()
{
    Periodicity(PIPeriodSend, kPIPeriodSend, 2);
    Help(11, 2);
}

void TOptionBits::InfoPeriodSendClick()
{
    Periodicity(InfoPeriodSend, kInfoPeriodSend, 3);
    Help(11, 2);
}
