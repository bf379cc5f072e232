#include "app/ProgramIni.h"

#include "platform/IniFile.h"

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

namespace
{

const char kComport[] = "Comport Settings";
const char kServer[] = "KIV Server";
const char kTerminal[] = "Terminal";
const char kForm[] = "Form";
const char kUserApn[] = "User APN";

std::string ApnKey(int n)
{
    return "APN" + std::to_string(n);
}

// A port setting is an ordinal of its enumeration: anything outside it falls back to the key's default.
int ReadOrdinal(const IniFile& ini, const char* key, int count, int fallback)
{
    int value = ini.ReadInteger(kComport, key, fallback);
    return value >= 0 && value < count ? value : fallback;
}

void WriteServerTerminalForm(IniFile& ini, const TProgramPrefs& p)
{
    for (const TTextPref& pref : LinkTextPrefs())
        ini.WriteString(pref.section, pref.key, p.*pref.value);
    for (const TBoolPref& pref : TerminalBoolPrefs())
        ini.WriteBool(pref.section, pref.key, p.*pref.value);
    for (const TIntPref& pref : FormIntPrefs())
        ini.WriteInteger(pref.section, pref.key, p.*pref.value);
}

} // namespace

TProgramPrefs::TProgramPrefs() : Apn(BuiltInApnNames()) {}

const std::array<TTextPref, 4>& LinkTextPrefs()
{
    static const std::array<TTextPref, 4> prefs = {{
        {kServer, "Server Port", "ServerPortEdit", &TProgramPrefs::ServerPort},
        {kServer, "Remote TCP Port", "ClientPortEdit", &TProgramPrefs::ClientPort},
        {kServer, "Remote UDP IP Add", "UDPIPEdit", &TProgramPrefs::UdpIp},
        {kServer, "Remote UDP Port", "UDPportEdit", &TProgramPrefs::UdpPort},
    }};
    return prefs;
}

const std::array<TBoolPref, 3>& TerminalBoolPrefs()
{
    static const std::array<TBoolPref, 3> prefs = {{
        {kTerminal, "Show LOG Window", "CheckBox14", &TProgramPrefs::ShowLog},
        {kTerminal, "Log Time Stamp", "ShowTS", &TProgramPrefs::LogTimeStamp},
        {kTerminal, "Show Hex", "HexCheckBox", &TProgramPrefs::ShowHex},
    }};
    return prefs;
}

const std::array<TIntPref, 4>& FormIntPrefs()
{
    static const std::array<TIntPref, 4> prefs = {{
        {kForm, "Top", &TProgramPrefs::Top},
        {kForm, "Left", &TProgramPrefs::Left},
        {kForm, "Height", &TProgramPrefs::Height},
        {kForm, "Width", &TProgramPrefs::Width},
    }};
    return prefs;
}

const std::array<std::string, kApnCount>& BuiltInApnNames()
{
    static const std::array<std::string, kApnCount> names = {
        "internet",
        "online.telia.se",
        "internet.tele2.se",
        "data.tre.se",
        "internet.telenor.se",
        "m2m.telenor.com",
        "iot.1nce.net",
        "em",
        "internet.t-mobile",
        "web.vodafone.de",
        "internet.eplus.de",
        "telenor",
        "internet.netcom.no",
        "internet.saunalahti",
        "internet.dna.fi",
        "internet.song.fi",
        "websp",
        "internet.tdc.dk",
        "internet.mtel.dk",
        "wap.vodafone.co.uk",
        "mobile.o2.co.uk",
        "three.co.uk",
        "orange.fr",
        "websfr",
        "wap.tim.it",
        "web.omnitel.it",
        "airtelwap.es",
        "movistar.es",
        "m2m.business",
        "",
    };
    return names;
}

TProgramPrefs ReadProgramPrefs(const IniFile& ini)
{
    TProgramPrefs p;
    const TPortPrefs d;
    p.Port.Port = ini.ReadString(kComport, "Port", d.Port);
    p.Port.BaudRate = ReadOrdinal(ini, "Baudrate", 16, d.BaudRate);
    p.Port.DataBits = ReadOrdinal(ini, "Data bits", 4, d.DataBits);
    p.Port.StopBits = ReadOrdinal(ini, "Stop bits", 3, d.StopBits);
    p.Port.Parity = ReadOrdinal(ini, "Parity", 5, d.Parity);
    p.Port.FlowControl = ReadOrdinal(ini, "Flow control", 4, d.FlowControl);

    for (const TTextPref& pref : LinkTextPrefs())
        p.*pref.value = ini.ReadString(pref.section, pref.key, p.*pref.value);
    for (const TBoolPref& pref : TerminalBoolPrefs())
        p.*pref.value = ini.ReadBool(pref.section, pref.key, p.*pref.value);
    for (const TIntPref& pref : FormIntPrefs())
        p.*pref.value = ini.ReadInteger(pref.section, pref.key, p.*pref.value);

    for (int n = 1; n <= kApnCount; ++n)
        p.Apn[static_cast<size_t>(n - 1)] = ini.ReadString(kUserApn, ApnKey(n), p.Apn[static_cast<size_t>(n - 1)]);
    return p;
}

void WritePortPrefs(IniFile& ini, const TPortPrefs& port)
{
    IniFile::Batch batch(ini);
    ini.WriteString(kComport, "Port", port.Port);
    ini.WriteInteger(kComport, "Baudrate", port.BaudRate);
    ini.WriteInteger(kComport, "Data bits", port.DataBits);
    ini.WriteInteger(kComport, "Stop bits", port.StopBits);
    ini.WriteInteger(kComport, "Parity", port.Parity);
    ini.WriteInteger(kComport, "Flow control", port.FlowControl);
    batch.Commit();
}

void WriteWindowPrefs(IniFile& ini, const TProgramPrefs& prefs)
{
    IniFile::Batch batch(ini);
    WriteServerTerminalForm(ini, prefs);
    batch.Commit();
}

void WriteClosePrefs(IniFile& ini, const TProgramPrefs& prefs)
{
    IniFile::Batch batch(ini);
    WriteServerTerminalForm(ini, prefs);
    // The names read at start-up go back as they came, so the user's own names survive a close.
    for (int n = 1; n <= kApnCount; ++n)
        ini.WriteString(kUserApn, ApnKey(n), prefs.Apn[static_cast<size_t>(n - 1)]);
    batch.Commit();
}

std::string ProgramIniPath(const std::string& executablePath)
{
    namespace fs = std::filesystem;
    fs::path exe(executablePath);
    fs::path ini = exe;
    ini.replace_extension(".INI");
    fs::path folder = exe.parent_path().empty() ? fs::path(".") : exe.parent_path();
    if (access(folder.c_str(), W_OK) == 0)
        return ini.string();

    fs::path config;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg)
        config = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        config = fs::path(home) / ".config";
    else
        config = fs::temp_directory_path();
    fs::path dir = config / "kivconfig";
    std::error_code ignored;
    fs::create_directories(dir, ignored);
    return (dir / ini.filename()).string();
}
