#include "app/Saveprogress.h"
#include "app/TForm1.h"
#include "link/ui/ServerPage.h"
#include "pages/Sheet.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/StatusBar.h"

#include <QAction>
#include <QLayout>
#include <QToolButton>

void TForm1::BuildServerPage(const ServerBinding& binding)
{
    ServerPage1 = new ServerPage(TabSheet11);
    SheetLayout(TabSheet11)->addWidget(ServerPage1);
    Server = std::make_unique<ServerLink>(*ServerPage1, *this, *this, Image, LinkGuard, binding);

    // Closing the progress window stops a TCP transfer; a serial one runs to its end.
    FormSave->OnClose = [this] { Server->Transfer.FormSaveClosed(); };
    OnDeactivateSockets = [this] { Server->Tcp.CloseSockets(); };
}

void TForm1::ConnectServerActions()
{
    // The link sets the Listen mark itself (it also follows units connecting in and going away).
    FileListenItem->setCheckable(true);
    ConnectGuarded(FileListenItem, &QAction::triggered, this, [this] { Server->Tcp.FileListenItemClick(); });
    ConnectGuarded(FileConnectItem, &QAction::triggered, this, [this] { Server->Tcp.FileConnectItemClick(); });
    ConnectGuarded(Disconnect1, &QAction::triggered, this, [this] { Server->Tcp.Disconnect1Click(); });
    ConnectGuarded(PageControl1, &QTabWidget::currentChanged, this,
                   [this, previous = PageControl1->currentWidget()](int) mutable {
                       QWidget* current = PageControl1->currentWidget();
                       if (previous == TabSheet11)
                           Server->Tcp.TabSheet11Exit();
                       if (current == TabSheet11)
                           Server->Tcp.TabSheet11Enter();
                       previous = current;
                   });
}

void TForm1::SetLinkStateText(const std::string& text)
{
    StatusBar1->SetPanelText(1, text);
}

void TForm1::SetListenChecked(bool checked)
{
    FileListenItem->setChecked(checked);
}

void TForm1::EnableSerialTransferButtons(bool enabled)
{
    ReadEEPROMExecute->setEnabled(enabled);
    WriteEEPROMExecute->setEnabled(enabled);
}

bool TForm1::InputQuery(const std::string& caption, const std::string& prompt, std::string& text)
{
    return Dialogs().InputQuery(caption, prompt, text);
}

void TForm1::ShowMessage(const std::string& text)
{
    Dialogs().MessageBox(text, windowTitle().toStdString());
}
