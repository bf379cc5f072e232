#include "platform/ui/GuardedApplication.h"

#include "platform/ui/HandlerGuard.h"

bool TGuardedApplication::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    RunGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
