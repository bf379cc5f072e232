#include "app/AboutBox.h"
#include "app/HelpPanel.h"
#include "app/TForm1.h"
#include "app/WindowGeometry.h"
#include "pages/ApnNames.h"
#include "platform/IniFile.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/TextControl.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>

void TForm1::FormCreate()
{
    // The image starts all 0xFF (ImageStore); hwNumber starts "0000" (TVariantState).
    RunGuarded([this] { ReadPreferences(); });
    RunGuarded([this] { ApplyPortPrefs(); });
    RunGuarded([this] { ApplyLinkPrefs(); });
    RunGuarded([this] { ApplyTerminalPrefs(); });
    RunGuarded([this] { ApplyWindowPrefs(); });
    RunGuarded([this] { ApplyApnPrefs(); });
    RunGuarded([this] { ShowPortState(); });
    RunGuarded([this] { ImageToControls(); });
    setWindowTitle(MainWindowCaption());
    RunGuarded([this] { setDefaultClick(); });
    helpPanel_->Clear();
}

void TForm1::ReadPreferences()
{
    IniFile ini(iniPath_);
    Prefs = ReadProgramPrefs(ini);
}

void TForm1::ApplyLinkPrefs()
{
    for (const TTextPref& pref : LinkTextPrefs())
        SetControlText(Control<QWidget>(pref.control), Prefs.*pref.value);
}

void TForm1::ApplyTerminalPrefs()
{
    // In their order: each box runs its click handler when its state changes, and "Show Hex" is applied
    // after "Log Time Stamp", so its stored state wins over what ShowTSClick has just done to it.
    for (const TBoolPref& pref : TerminalBoolPrefs())
        Control<QAbstractButton>(pref.control)->setChecked(Prefs.*pref.value);
}

void TForm1::ApplyWindowPrefs()
{
    QRect available(0, 0, 1024, 768);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        available = screen->availableGeometry();
    QRect fitted = FitWindowToScreen(Prefs.Left, Prefs.Top, Prefs.Width, Prefs.Height, available);
    move(fitted.topLeft());
    resize(fitted.size());
}

void TForm1::ApplyApnPrefs()
{
    for (const char* name : {"InitString", "InitString2"})
        AddApnNames(PageContext.Get<QComboBox>(name), Prefs.Apn);
}
