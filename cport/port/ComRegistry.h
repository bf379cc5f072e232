#pragma once

#include <memory>
#include <stdexcept>
#include <string>

class IniFile;

// A failure of the registry store: no key open, a missing or mistyped value, a file that cannot be written.
class ERegistryException : public std::runtime_error
{
  public:
    using std::runtime_error::runtime_error;
};

// A small registry of our own, kept in one INI file: a key is a section named by its root and path
// ("HKEY_CURRENT_USER\Software\Ports\ComPort1"), a value a line of it. Texts are written in double quotes,
// whole numbers as DWORDs ("dword:0000ffff"), so a reader can tell the two kinds apart as the registry does.
class TComRegistry
{
  public:
    explicit TComRegistry(const std::string& FileName);
    ~TComRegistry();
    TComRegistry(const TComRegistry&) = delete;
    TComRegistry& operator=(const TComRegistry&) = delete;

    // "HKEY_CURRENT_USER" (the start) or "HKEY_LOCAL_MACHINE".
    const std::string& RootKey() const { return FRoot; }
    void SetRootKey(const std::string& Root) { FRoot = Root; }

    // Opens Key below the root; the key comes into being with its first value. Leading and trailing
    // backslashes do not count.
    void OpenKey(const std::string& Key);
    void CloseKey() { FKey.clear(); }
    bool HasCurrentKey() const { return !FKey.empty(); }
    // The section of the open key, empty when none is open.
    std::string CurrentPath() const;

    // Writes go to the file at once; each raises ERegistryException without an open key or when the file
    // cannot be written.
    void WriteString(const std::string& Name, const std::string& Value);
    void WriteInteger(const std::string& Name, int Value); // as the DWORD of its 32 bits
    // A missing text reads as empty; a DWORD where a text is wanted raises.
    std::string ReadString(const std::string& Name) const;
    // A missing value or one that is no DWORD raises.
    int ReadInteger(const std::string& Name) const;

  private:
    std::string Raw(const std::string& Name) const;
    void Need() const;

    std::unique_ptr<IniFile> FIni;
    std::string FRoot = "HKEY_CURRENT_USER";
    std::string FKey;
};

// Chooses the root from the part of Path before its first backslash (HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER,
// any letter case; another text keeps the root) and opens the rest of Path with Name appended. A path without
// a backslash chooses nothing and opens nothing; one with nothing after it opens Name right below the root.
void SetRegistryKey(TComRegistry& Registry, const std::string& Path, const std::string& Name);

// The file behind the registry store when nobody names another: registry.ini in the user's configuration
// folder for this tool ($XDG_CONFIG_HOME or ~/.config, then kivconfig).
std::string DefaultRegistryFile();
