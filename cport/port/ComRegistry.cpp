#include "cport/port/ComRegistry.h"

#include "cport/port/AsciiCase.h"
#include "platform/IniFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace
{
const std::string DwordTag = "dword:";

bool IsQuoted(const std::string& v)
{
    return v.size() >= 2 && v.front() == '"' && v.back() == '"';
}

bool IsDword(const std::string& v)
{
    return v.size() > DwordTag.size() && v.compare(0, DwordTag.size(), DwordTag) == 0;
}

// Eight hexadecimal digits at most; false for anything else.
bool ParseDword(const std::string& Digits, std::uint32_t& Out)
{
    if (Digits.empty() || Digits.size() > 8)
        return false;
    std::uint32_t v = 0;
    for (char c : Digits) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = v * 16 + std::uint32_t(d);
    }
    Out = v;
    return true;
}
} // namespace

TComRegistry::TComRegistry(const std::string& FileName) : FIni(std::make_unique<IniFile>(FileName)) {}

TComRegistry::~TComRegistry() = default;

void TComRegistry::OpenKey(const std::string& Key)
{
    std::size_t b = Key.find_first_not_of('\\');
    std::size_t e = Key.find_last_not_of('\\');
    FKey = b == std::string::npos ? std::string() : Key.substr(b, e - b + 1);
}

std::string TComRegistry::CurrentPath() const
{
    return FKey.empty() ? std::string() : FRoot + "\\" + FKey;
}

void TComRegistry::Need() const
{
    if (FKey.empty())
        throw ERegistryException("No registry key is open");
}

void TComRegistry::WriteString(const std::string& Name, const std::string& Value)
{
    Need();
    try {
        FIni->WriteString(CurrentPath(), Name, "\"" + Value + "\"");
    } catch (const EIniFileException& e) {
        throw ERegistryException(e.what());
    }
}

void TComRegistry::WriteInteger(const std::string& Name, int Value)
{
    Need();
    char Text[16];
    std::snprintf(Text, sizeof Text, "%08x", unsigned(std::uint32_t(Value)));
    try {
        FIni->WriteString(CurrentPath(), Name, DwordTag + Text);
    } catch (const EIniFileException& e) {
        throw ERegistryException(e.what());
    }
}

std::string TComRegistry::Raw(const std::string& Name) const
{
    Need();
    return FIni->ReadString(CurrentPath(), Name, "");
}

std::string TComRegistry::ReadString(const std::string& Name) const
{
    const std::string v = Raw(Name);
    if (IsQuoted(v))
        return v.substr(1, v.size() - 2);
    if (IsDword(v))
        throw ERegistryException("Invalid data type for '" + Name + "'");
    return v; // a hand-written text without quotes
}

int TComRegistry::ReadInteger(const std::string& Name) const
{
    const std::string v = Raw(Name);
    std::uint32_t n = 0;
    if (!IsDword(v) || !ParseDword(v.substr(DwordTag.size()), n))
        throw ERegistryException("Invalid data type for '" + Name + "'");
    return int(n);
}

void SetRegistryKey(TComRegistry& Registry, const std::string& Path, const std::string& Name)
{
    const std::size_t Slash = Path.find('\\');
    if (Slash == std::string::npos)
        return;
    const std::string Root = UpperAscii(Path.substr(0, Slash));
    if (Root == "HKEY_LOCAL_MACHINE" || Root == "HKEY_CURRENT_USER")
        Registry.SetRootKey(Root);
    std::string Key = Path.substr(Slash + 1);
    if (Key.empty() || Key.back() != '\\')
        Key += '\\';
    Registry.OpenKey(Key + Name);
}

std::string DefaultRegistryFile()
{
    std::filesystem::path Dir;
    if (const char* Xdg = std::getenv("XDG_CONFIG_HOME"); Xdg && *Xdg)
        Dir = Xdg;
    else if (const char* Home = std::getenv("HOME"); Home && *Home)
        Dir = std::filesystem::path(Home) / ".config";
    else
        Dir = ".";
    return (Dir / "kivconfig" / "registry.ini").string();
}
