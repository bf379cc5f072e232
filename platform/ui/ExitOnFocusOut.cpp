#include "platform/ui/ExitOnFocusOut.h"

#include "platform/ui/HandlerGuard.h"

#include <QEvent>
#include <QFocusEvent>
#include <QWidget>

namespace
{

class TExitFilter : public QObject
{
  public:
    TExitFilter(QWidget* widget, std::function<void()> onExit) : QObject(widget), onExit_(std::move(onExit)) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusOut) {
            auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                RunGuarded(onExit_);
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> onExit_;
};

} // namespace

void OnExit(QWidget* widget, std::function<void()> onExit)
{
    widget->installEventFilter(new TExitFilter(widget, std::move(onExit)));
}
