#include "app/AboutBox.h"
#include "app/Saveprogress.h"
#include "app/TForm1.h"
#include "cport/ui/ComLed.h"
#include "link/ui/ByteMemo.h"
#include "link/ui/TerminalPage.h"
#include "pages/ImageFields.h"
#include "pages/OptionBits.h"
#include "pages/Sheet.h"
#include "pages/WakeUpTimers.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/Latin1.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QToolButton>

namespace
{

TProgressDirection ProgressDirection(TransferDirection direction)
{
    return direction == TransferDirection::Read ? TProgressDirection::Read : TProgressDirection::Write;
}

} // namespace

void TForm1::BuildTerminalPage()
{
    // The page scrolls rather than force its width on the whole window.
    auto* scroll = new QScrollArea(TabSheet8);
    scroll->setObjectName("TerminalScroll");
    scroll->setWidgetResizable(true);
    TermPage = new TerminalPage(Link, *this, *this, Image, ComPort1);
    TermPage->setObjectName("TerminalPage");
    scroll->setWidget(TermPage);
    SheetLayout(TabSheet8)->addWidget(scroll);
    TermPage->UseToolBarButtons(Button1, SpeedButton2);
    // The raw receive copy stands with the timer buttons, whose exchanges with the unit it shows.
    ByteMemo* memo4 = TermPage->Memo4.data();
    memo4->setFixedHeight(96);
    PageContext.Get<QGroupBox>(kTimersGroup)->layout()->addWidget(memo4);
    memo4->show();
    BuildSignalLeds();
    TermPage->AttachTerminal(&ComPort1Term);
    OnSendComString = [this](const std::string& text) { Link.Sender.SendComString(text); };
}

// The line signals of ComPort1 on the terminal page: CTS, DSR, DCD, RING, RXD, and TXD kept hidden.
void TForm1::BuildSignalLeds()
{
    struct Led {
        TComLedSignal signal;
        TLedKind kind;
    } const leds[] = {{lsCTS, lkGreenLight},   {lsDSR, lkYellowLight}, {lsRLSD, lkBlueLight},
                      {lsRing, lkYellowLight}, {lsRx, lkYellowLight},  {lsTx, lkYellowLight}};
    int n = 2;
    for (const Led& lamp : leds) {
        auto* led = new TComLed;
        led->setObjectName(QString("ComLed%1").arg(n));
        led->SetLedSignal(lamp.signal);
        led->SetKind(lamp.kind);
        led->SetComPort(&ComPort1);
        TermPage->InstallSignalLed(n++, led);
    }
}

void TForm1::ConnectLinkActions()
{
    ConnectGuarded(ReadEEPROM, &QAction::triggered, this, [this] { Link.ReadEEPROMExecuteClick(); });
    ConnectGuarded(WriteEEPROM, &QAction::triggered, this, [this] { Link.WriteEEPROMExecuteClick(); });
    const auto button = [this](const char* name) { return PageContext.Get<QAbstractButton>(name); };
    ConnectGuarded(button("readLogValues"), &QAbstractButton::clicked, this, [this] { Link.readLogValuesClick(); });
    ConnectGuarded(button("SetSWTButton"), &QAbstractButton::clicked, this, [this] { Link.SetSWTButtonClick(); });
    ConnectGuarded(button("ReadSWTButton"), &QAbstractButton::clicked, this, [this] { Link.ReadSWTButtonClick(); });
}

void TForm1::ResetProgress(int total)
{
    FormSave->ResetProgress(total);
}

void TForm1::StartProgress(TransferDirection direction, int total)
{
    FormSave->StartProgress(ProgressDirection(direction), total);
}

void TForm1::SetProgressStep(const std::string& text)
{
    FormSave->SetProgressStep(text);
}

void TForm1::SetProgressPosition(int position)
{
    FormSave->SetProgressPosition(position);
}

void TForm1::ShowProgressResult(const std::string& message, const std::string& okMessage, int holdMs,
                                const std::function<void()>& whileShown)
{
    FormSave->ShowProgressResult(message, okMessage, holdMs, whileShown);
}

void TForm1::CloseProgress()
{
    FormSave->CloseProgress();
}

void TForm1::FocusHelpPanel()
{
    // Leaving the edit being typed in runs its Exit handler, so its text reaches the image first.
    RichEdit1->setFocus(Qt::OtherFocusReason);
}

bool TForm1::CommitPendingEdits()
{
    return RunGuarded([this] { CommitList.Run(); });
}

void TForm1::StampConfigToolNr()
{
    ::StampConfigToolNr(Image);
}

void TForm1::RestoreMainCaption()
{
    setWindowTitle(MainWindowCaption());
}

void TForm1::DetachTerminal()
{
    TermPage->DetachTerminal();
}

void TForm1::AttachTerminal()
{
    TermPage->AttachTerminal(&ComPort1Term);
}

std::string TForm1::Memo4Text()
{
    return TermPage->Memo4Text();
}

void TForm1::ClearMemo4()
{
    TermPage->ClearMemo4();
}

void TForm1::ShowPortError(const std::string& message)
{
    Dialogs().MessageBox("ERROR: " + message, "COM Port", TMessageIcon::Warning);
}

TransferOptions TForm1::Options()
{
    return {ToLatin1(PageContext.Get<QLineEdit>("PasswordEdit")->text()),
            PageContext.Get<QAbstractButton>("RSCheckBox")->isChecked(),
            PageContext.Get<QAbstractButton>("ClearMemCheckBox")->isChecked(), TermPage->CharDelayText()};
}

std::string TForm1::TimerText(int n)
{
    return ToLatin1(PageContext.Get<QLineEdit>(TimerEditName(n))->text());
}

void TForm1::SetTimerText(int n, const std::string& text)
{
    PageContext.Get<QLineEdit>(TimerEditName(n))->setText(FromLatin1(text));
}

void TForm1::SetModemType(const std::string& type)
{
    Variant.modemType = type;
}

void TForm1::SetDeviceLabel(const std::string& text)
{
    Label101->setText(FromLatin1(text));
}

void TForm1::SetIOCheckBoxClick()
{
    OptionBits->SetIOCheckBoxClick();
}
