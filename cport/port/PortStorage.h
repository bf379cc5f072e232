#pragma once

#include "cport/port/ComRegistry.h"
#include "cport/port/CportTypes.h"

#include <string>

class IniFile;
class TCustomComPort;

// Saves a port's settings to an INI file or to the registry store and reads them back. The port's StoredProps
// choose the groups of settings that take part; keys, order and value texts are fixed, so files written by
// one version read in another. A derived storage can store more through the four virtual operations.
class TComPortStorage
{
  public:
    // Name is the port component's name: the INI section, and the last key of the registry path.
    explicit TComPortStorage(TCustomComPort& Port, std::string Name = "ComPort1");
    virtual ~TComPortStorage() = default;
    TComPortStorage(const TComPortStorage&) = delete;
    TComPortStorage& operator=(const TComPortStorage&) = delete;

    // StoreTo is the INI file name, or a registry path such as "HKEY_CURRENT_USER\Software\Ports".
    // Any failure inside raises EComPort 16.
    void StoreSettings(TStoreType StoreType, const std::string& StoreTo);
    // Inside one port update: an open port is reconfigured once, at the end, also after a failure part-way
    // (the settings read so far stay). Any failure inside raises EComPort 17.
    void LoadSettings(TStoreType StoreType, const std::string& LoadFrom);

    TCustomComPort& Port() const { return FPort; }
    const std::string& Name() const { return FName; }
    // The file that holds the registry store.
    std::string RegistryFile = DefaultRegistryFile();

  protected:
    // Write every key of the selected groups, in order ("CustomBaudRate" only for a custom rate).
    virtual void StoreIniFile(IniFile& Ini);
    virtual void StoreRegistry(TComRegistry& Registry);
    // Read them through the port's setters. From an INI file a missing key keeps the setting as it is (but
    // "CustomBaudRate" falls back to 9600); the registry has no fall-backs: a missing text reads as empty and
    // a missing number raises.
    virtual void LoadIniFile(IniFile& Ini);
    virtual void LoadRegistry(TComRegistry& Registry);

  private:
    TCustomComPort& FPort;
    std::string FName;
};
