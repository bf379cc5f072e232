#pragma once

#include "app/TForm1.h"
#include "files/KvxFile.h"
#include "image/ByteTables.h"
#include "image/ToolVersion.h"
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
#include <cstdio>
#include <functional>
#include <map>
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

// The text a byte table of the window shows for an address.
inline std::string CellAt(const TForm1& form, ByteTable table, int address)
{
    return form.Image.CellText(table, ByteTables::ColOf(address), ByteTables::RowOf(address));
}

// One byte printed with a printf format ("%02X" as the tool writes it, "%03x" as a person might).
inline std::string Printed(const char* format, uint8_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A ".kvx" file of image as the tool writes it, but for the byte tokens at some addresses, printed with the
// format given for each; tokens holds them as the file spells them.
struct TSpelledKvx {
    std::string file;
    std::map<int, std::string> tokens;
};
inline TSpelledKvx KvxSpelled(const std::string& image, const std::map<int, const char*>& formats)
{
    TSpelledKvx spelled{FormatKvx(image, {}, kVersionTag), {}};
    for (auto it = formats.rbegin(); it != formats.rend(); ++it) { // from the end: the earlier offsets stay
        const auto [address, format] = *it;
        const std::string token = Printed(format, static_cast<uint8_t>(image.at(size_t(address))));
        spelled.file.replace(size_t(address) * 3, 2, token);
        spelled.tokens.emplace(address, token);
    }
    return spelled;
}
