#include "platform/ui/KeyPress.h"

#include "platform/ui/HandlerGuard.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace
{

bool CharOfKey(const QKeyEvent* event, char& key)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        key = '\r';
        return true;
    case Qt::Key_Backspace:
        key = '\b';
        return true;
    case Qt::Key_Escape:
        key = 27;
        return true;
    default:
        break;
    }
    // Whatever the edit would insert goes through the handler (AltGr letters too); control characters are
    // the short cuts (Ctrl+C, Ctrl+V) and are left to the widget.
    QString text = event->text();
    if (text.size() != 1)
        return false;
    char16_t c = text.at(0).unicode();
    if (c < 0x20 || c == 0x7F || c > 0xFF)
        return false;
    key = static_cast<char>(c);
    return true;
}

int KeyCodeOf(char key)
{
    switch (key) {
    case '\r':
        return Qt::Key_Return;
    case '\b':
        return Qt::Key_Backspace;
    case 27:
        return Qt::Key_Escape;
    case '\t':
        return Qt::Key_Tab;
    default:
        return QChar(static_cast<uchar>(key)).toUpper().unicode();
    }
}

class TKeyPressFilter : public QObject
{
  public:
    TKeyPressFilter(QWidget* widget, TKeyPressEvent handler) : QObject(widget), handler_(std::move(handler)) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || replaying_)
            return QObject::eventFilter(watched, event);
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        char key = 0;
        if (!CharOfKey(keyEvent, key))
            return QObject::eventFilter(watched, event);
        const char typed = key;
        if (!RunGuarded([&] { handler_(watched, key); }))
            return true;
        if (key == 0)
            return true;
        if (key == typed)
            return QObject::eventFilter(watched, event);
        Replay(watched, key);
        return true;
    }

  private:
    void Replay(QObject* target, char key)
    {
        QKeyEvent replacement(QEvent::KeyPress, KeyCodeOf(key), Qt::NoModifier,
                              QString(QChar(static_cast<uchar>(key))));
        replaying_ = true;
        QCoreApplication::sendEvent(target, &replacement);
        replaying_ = false;
    }

    TKeyPressEvent handler_;
    bool replaying_ = false;
};

} // namespace

void OnKeyPress(QWidget* widget, TKeyPressEvent handler)
{
    widget->installEventFilter(new TKeyPressFilter(widget, std::move(handler)));
}
