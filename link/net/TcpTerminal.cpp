#include "link/net/TcpTerminal.h"

#include "link/ui/ServerPage.h"
#include "link/net/TcpLink.h"
#include "link/protocol/TrafficText.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QToolButton>

TcpTerminal::TcpTerminal(ServerPage& page, TcpLink& link) : page_(page), link_(link)
{
    page_.Memo2->installEventFilter(this);
    connect(page_.SpeedButton4, &QToolButton::clicked, this, &TcpTerminal::SpeedButton4Click);
    connect(page_.SpeedButton5, &QToolButton::clicked, this, &TcpTerminal::SpeedButton5Click);
}

bool TcpTerminal::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == page_.Memo2 && event->type() == QEvent::KeyPress)
        Memo2KeyDown(static_cast<QKeyEvent*>(event)->key());
    return QObject::eventFilter(watched, event);
}

void TcpTerminal::Memo2KeyDown(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return;
    QStringList lines = page_.Memo2->toPlainText().split('\n');
    if (lines.back().isEmpty()) // a final empty line does not count
        lines.removeLast();
    const auto count = lines.size();
    if (count == 0)
        return; // nothing typed: nothing to send
    const QByteArray typed = lines.back().toLatin1();
    const std::string line(typed.constData(), static_cast<size_t>(typed.size()));
    AddMemoLine(page_.Memo3, line + ":" + std::to_string(count));
    std::string out = TrafficText::ExpandByteCodes(line);
    AddMemoLine(page_.Memo3, out);
    if (page_.Append_CR->isChecked())
        out += "\r\n";
    if (!out.empty())
        link_.SendOnLink(out);
}

void TcpTerminal::SpeedButton4Click()
{
    page_.Memo2->clear();
}

void TcpTerminal::SpeedButton5Click()
{
    page_.Memo3->clear();
}
