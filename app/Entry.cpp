#include "app/Entry.h"

#include "app/TForm1.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/GuardedApplication.h"
#include "platform/ui/HandlerGuard.h"

#include <csignal>

void SetUpProcessSignals()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

int RunConfigTool(int argc, char** argv)
{
    SetUpProcessSignals();
    TGuardedApplication app(argc, argv);
    // Closing the main window ends the loop, whatever other window is still open.
    app.setQuitOnLastWindowClosed(false);
    RunGuarded([&] {
        TForm1 form; // its set-up runs inside, each step under the handler guard
        QObject::connect(&form, &TForm1::Closed, &app, [] { QCoreApplication::exit(0); });
        form.show();
        app.exec();
    });
    return 0;
}
