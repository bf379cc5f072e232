#pragma once

#include "app/TForm1.h"
#include "platform/TempFiles.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/RadioGroup.h"
#include "platform/ui/ScriptedDialogs.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHostAddress>
#include <QLineEdit>
#include <QVBoxLayout>

#include <chrono>
#include <functional>
#include <string>

// A temporary folder with one program INI file in it.
struct TTempIni : TTempFiles {
    QTemporaryDir& dir = Folder;
    std::string path = Path("kivconfig.INI");

    using TTempFiles::Put;
    void Put(const std::string& bytes) const { Put(path, bytes); }
    std::string Bytes() const { return Read(path); }
    bool Exists() const { return std::filesystem::exists(path); }
};

// What a window under test answers its dialogs with and keeps its program INI in.
struct TWindowRig {
    TTempIni ini;
    TScriptedDialogs dialogs;
    TScopedDialogs useDialogs{dialogs};
};

template <class T> T* AddControl(QWidget* page, const char* name, T* control)
{
    control->setObjectName(name);
    if (!page->layout())
        new QVBoxLayout(page);
    page->layout()->addWidget(control);
    return control;
}

inline TForm1::TOptions OptionsWith(const TTempIni& ini, std::function<void(TForm1&)> build = {})
{
    TForm1::TOptions options;
    options.IniPath = ini.path;
    options.BuildPages = std::move(build);
    options.Server.Address = QHostAddress(QHostAddress::LocalHost);
    options.Server.UdpPort = 0;
    return options;
}

// Runs the window until done holds or the time is up.
inline bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds time = std::chrono::seconds(20))
{
    const auto limit = std::chrono::steady_clock::now() + time;
    while (!done() && std::chrono::steady_clock::now() < limit)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}
