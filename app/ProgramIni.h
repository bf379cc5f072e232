#pragma once

#include <array>
#include <string>

class IniFile;

// The tool's own preferences as the program INI file keeps them.

inline constexpr int kApnCount = 30;

// "Comport Settings": the port name and the ordinals of the serial port's setting enumerations.
struct TPortPrefs {
    std::string Port = "ttyUSB0";
    int BaudRate = 7;    // 9600
    int DataBits = 3;    // 8 bits
    int StopBits = 0;    // one stop bit
    int Parity = 0;      // none
    int FlowControl = 2; // none
};

struct TProgramPrefs {
    TPortPrefs Port;
    // "KIV Server": texts of the link page's fields, kept as typed.
    std::string ServerPort = "3004";
    std::string ClientPort = "2040";
    std::string UdpIp = "000.000.000.000";
    std::string UdpPort = "2055";
    // "Terminal"
    bool ShowLog = false;
    bool LogTimeStamp = true;
    bool ShowHex = false;
    // "Form": the main window's position and size
    int Top = 100;
    int Left = 100;
    int Height = 787;
    int Width = 954;
    // "User APN": the access-point names of the two init-string pick lists
    std::array<std::string, kApnCount> Apn;

    TProgramPrefs();
};

// Where each preference of the link and terminal pages and of the window lives: its INI key and, for the
// first two, the control that shows it (found by object name). In the order they are read and written.
struct TTextPref {
    const char* section;
    const char* key;
    const char* control;
    std::string TProgramPrefs::*value;
};
struct TBoolPref {
    const char* section;
    const char* key;
    const char* control;
    bool TProgramPrefs::*value;
};
struct TIntPref {
    const char* section;
    const char* key;
    int TProgramPrefs::*value;
};
const std::array<TTextPref, 4>& LinkTextPrefs();     // "KIV Server"
const std::array<TBoolPref, 3>& TerminalBoolPrefs(); // "Terminal"; "Show Hex" after "Log Time Stamp"
const std::array<TIntPref, 4>& FormIntPrefs();       // "Form"

// The built-in access-point names: 29 operator names and an empty 30th entry, the defaults of "APN1".."APN30".
const std::array<std::string, kApnCount>& BuiltInApnNames();

// Reads every key; a missing key, a value that is no number, or a port setting outside its enumeration gives
// that key's default.
TProgramPrefs ReadProgramPrefs(const IniFile& ini);

// The writers of the three paths, each in one file write (a failed write changes nothing and raises
// "Unable to write to <file>: <reason>").
void WritePortPrefs(IniFile& ini, const TPortPrefs& port);       // the port settings button
void WriteWindowPrefs(IniFile& ini, const TProgramPrefs& prefs); // Exit: "KIV Server", "Terminal", "Form"
void WriteClosePrefs(IniFile& ini, const TProgramPrefs& prefs);  // close: those and "User APN"

// The program INI file: the executable's path with its extension (if any) replaced by ".INI". When the
// executable's folder cannot be written, the same file name in $XDG_CONFIG_HOME/kivconfig/ (by default
// ~/.config/kivconfig/), which is created.
std::string ProgramIniPath(const std::string& executablePath);
