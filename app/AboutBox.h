#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// The modal about box of the Help menu: program picture, product name, "Configuration Tool", the version.
class TAboutBox : public QDialog
{
    Q_OBJECT
  public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QFrame* Panel1;
    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* Copyright;
    QPushButton* OKButton;
    QLabel* Label1;
};

// "KIV Corvo Configuration tool : " + the version text and build: the main window's caption.
QString MainWindowCaption();
// "Version " + the version text and build.
QString VersionCaption();
