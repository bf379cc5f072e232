#include "app/Saveprogress.h"
#include "app/TForm1.h"
#include "platform/IniFile.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/TextControl.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QLineEdit>

namespace
{

const char kBusyText[] = "A transfer with the unit is still running. Wait until it has ended.";
const char kBusyCaption[] = "Warning";

} // namespace

bool TForm1::TransferRunning() const
{
    return (OnTransferRunning && OnTransferRunning()) || FormSave->InResultWait();
}

bool TForm1::RefuseWhileBusy()
{
    if (!TransferRunning())
        return false;
    Dialogs().MessageBox(kBusyText, kBusyCaption);
    return true;
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // A second close request while the first one is sending "kve1" (its waits handle events) is ignored.
    if (closing_ || RefuseWhileBusy()) {
        event->ignore();
        return;
    }
    closing_ = true;
    FormClose();
    event->accept();
    emit Closed();
}

void TForm1::FormClose()
{
    // Each step on its own: a failed send must not cost the preferences, and neither stops the close.
    RunGuarded([this] { SendEchoOn(); });
    RunGuarded([this] {
        CollectPrefs();
        IniFile ini(iniPath_);
        WriteClosePrefs(ini, Prefs);
    });
}

void TForm1::FileExitExecute()
{
    if (closing_ || RefuseWhileBusy())
        return;
    closing_ = true;
    if (OnDeactivateSockets)
        RunGuarded(OnDeactivateSockets);
    RunGuarded([this] { SendEchoOn(); });
    RunGuarded([this] {
        CollectPrefs();
        IniFile ini(iniPath_);
        WriteWindowPrefs(ini, Prefs);
    });
    // The port's threads end with the port, before the process does.
    RunGuarded([this] { ClosePort(); });
    OnQuit(0);
}

void TForm1::SendEchoOn()
{
    if (OnSendComString)
        OnSendComString("kve1\r");
}

void TForm1::CollectPrefs()
{
    for (const TTextPref& pref : LinkTextPrefs())
        if (auto text = ControlText(Control<QWidget>(pref.control)))
            Prefs.*pref.value = *text;
    for (const TBoolPref& pref : TerminalBoolPrefs())
        Prefs.*pref.value = Control<QAbstractButton>(pref.control)->isChecked();
    // A minimised window's bounds mean nothing on the next start: keep its normal bounds. Those count from
    // the client area, the stored position from the frame, as move() takes it.
    QRect bounds(pos(), size());
    if (isMinimized()) {
        const QPoint frame = geometry().topLeft() - pos();
        bounds = QRect(normalGeometry().topLeft() - frame, normalGeometry().size());
    }
    Prefs.Top = bounds.top();
    Prefs.Left = bounds.left();
    Prefs.Height = bounds.height();
    Prefs.Width = bounds.width();
}
