#pragma once

#include <QApplication>

// The application object of the tool: an exception that a Qt event handler lets through (one not wrapped by
// the handler guard) is still shown in a message box and ends only that event.
class TGuardedApplication : public QApplication
{
  public:
    TGuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};
