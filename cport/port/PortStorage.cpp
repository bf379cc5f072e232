#include "cport/port/PortStorage.h"

#include "cport/port/ComUpdate.h"
#include "cport/port/Cport.h"
#include "cport/port/StoreTexts.h"
#include "platform/IniFile.h"

#include <filesystem>
#include <system_error>

namespace
{
using P = TCustomComPort;
using S = std::string;

// One stored setting: a text (GetText/SetText) or a whole number (GetInt/SetInt).
struct TStoredKey {
    TStoredProp Group;
    const char* Name;
    S (*GetText)(P&) = nullptr;
    void (*SetText)(P&, const S&) = nullptr;
    int (*GetInt)(P&) = nullptr;
    void (*SetInt)(P&, int) = nullptr;
    bool CustomRate = false; // only with a custom rate; read with 9600 for a missing key
};

TStoredKey Text(TStoredProp g, const char* n, S (*get)(P&), void (*set)(P&, const S&))
{
    return {g, n, get, set};
}

TStoredKey Int(TStoredProp g, const char* n, int (*get)(P&), void (*set)(P&, int))
{
    return {g, n, nullptr, nullptr, get, set};
}

// The keys in the order in which they are written and read; the groups follow each other in this order too.
// The flow-control preset comes before the single flow-control keys, which so override it when selected.
const TStoredKey StoredKeys[] = {
    Text(
        spBasic, "Port", [](P& p) { return p.Port(); }, [](P& p, const S& v) { p.SetPort(v); }),
    Text(
        spBasic, "BaudRate", [](P& p) { return BaudRateToStr(p.BaudRate()); },
        [](P& p, const S& v) { p.SetBaudRate(StrToBaudRate(v)); }),
    {spBasic, "CustomBaudRate", nullptr, nullptr, [](P& p) { return p.CustomBaudRate(); },
     [](P& p, int v) { p.SetCustomBaudRate(v); }, true},
    Text(
        spBasic, "StopBits", [](P& p) { return StopBitsToStr(p.StopBits()); },
        [](P& p, const S& v) { p.SetStopBits(StrToStopBits(v)); }),
    Text(
        spBasic, "DataBits", [](P& p) { return DataBitsToStr(p.DataBits()); },
        [](P& p, const S& v) { p.SetDataBits(StrToDataBits(v)); }),
    Text(
        spBasic, "Parity", [](P& p) { return ParityToStr(p.Parity().Bits()); },
        [](P& p, const S& v) { p.Parity().SetBits(StrToParity(v)); }),
    Text(
        spBasic, "FlowControl", [](P& p) { return FlowControlToStr(p.FlowControl().FlowControl()); },
        [](P& p, const S& v) { p.FlowControl().SetFlowControl(StrToFlowControl(v)); }),
    Text(
        spOthers, "EventChar", [](P& p) { return CharToStr(p.EventChar()); },
        [](P& p, const S& v) { p.SetEventChar(StrToChar(v)); }),
    Text(
        spOthers, "DiscardNull", [](P& p) { return BoolToYesNo(p.DiscardNull()); },
        [](P& p, const S& v) { p.SetDiscardNull(YesNoToBool(v)); }),
    Text(
        spParity, "Parity.Check", [](P& p) { return BoolToYesNo(p.Parity().Check()); },
        [](P& p, const S& v) { p.Parity().SetCheck(YesNoToBool(v)); }),
    Text(
        spParity, "Parity.Replace", [](P& p) { return BoolToYesNo(p.Parity().Replace()); },
        [](P& p, const S& v) { p.Parity().SetReplace(YesNoToBool(v)); }),
    Text(
        spParity, "Parity.ReplaceChar", [](P& p) { return CharToStr(p.Parity().ReplaceChar()); },
        [](P& p, const S& v) { p.Parity().SetReplaceChar(StrToChar(v)); }),
    Int(
        spBuffer, "Buffer.OutputSize", [](P& p) { return p.Buffer().OutputSize(); },
        [](P& p, int v) { p.Buffer().SetOutputSize(v); }),
    Int(
        spBuffer, "Buffer.InputSize", [](P& p) { return p.Buffer().InputSize(); },
        [](P& p, int v) { p.Buffer().SetInputSize(v); }),
    Int(
        spTimeouts, "Timeouts.ReadInterval", [](P& p) { return p.Timeouts().ReadInterval(); },
        [](P& p, int v) { p.Timeouts().SetReadInterval(v); }),
    Int(
        spTimeouts, "Timeouts.ReadTotalConstant", [](P& p) { return p.Timeouts().ReadTotalConstant(); },
        [](P& p, int v) { p.Timeouts().SetReadTotalConstant(v); }),
    Int(
        spTimeouts, "Timeouts.ReadTotalMultiplier", [](P& p) { return p.Timeouts().ReadTotalMultiplier(); },
        [](P& p, int v) { p.Timeouts().SetReadTotalMultiplier(v); }),
    Int(
        spTimeouts, "Timeouts.WriteTotalConstant", [](P& p) { return p.Timeouts().WriteTotalConstant(); },
        [](P& p, int v) { p.Timeouts().SetWriteTotalConstant(v); }),
    Int(
        spTimeouts, "Timeouts.WriteTotalMultiplier", [](P& p) { return p.Timeouts().WriteTotalMultiplier(); },
        [](P& p, int v) { p.Timeouts().SetWriteTotalMultiplier(v); }),
    Text(
        spFlowControl, "FlowControl.ControlRTS", [](P& p) { return RTSToStr(p.FlowControl().ControlRTS()); },
        [](P& p, const S& v) { p.FlowControl().SetControlRTS(StrToRTS(v)); }),
    Text(
        spFlowControl, "FlowControl.ControlDTR", [](P& p) { return DTRToStr(p.FlowControl().ControlDTR()); },
        [](P& p, const S& v) { p.FlowControl().SetControlDTR(StrToDTR(v)); }),
    Text(
        spFlowControl, "FlowControl.DSRSensitivity", [](P& p) { return BoolToYesNo(p.FlowControl().DSRSensitivity()); },
        [](P& p, const S& v) { p.FlowControl().SetDSRSensitivity(YesNoToBool(v)); }),
    Text(
        spFlowControl, "FlowControl.OutCTSFlow", [](P& p) { return BoolToYesNo(p.FlowControl().OutCTSFlow()); },
        [](P& p, const S& v) { p.FlowControl().SetOutCTSFlow(YesNoToBool(v)); }),
    Text(
        spFlowControl, "FlowControl.OutDSRFlow", [](P& p) { return BoolToYesNo(p.FlowControl().OutDSRFlow()); },
        [](P& p, const S& v) { p.FlowControl().SetOutDSRFlow(YesNoToBool(v)); }),
    Text(
        spFlowControl, "FlowControl.TxContinueOnXoff",
        [](P& p) { return BoolToYesNo(p.FlowControl().TxContinueOnXoff()); },
        [](P& p, const S& v) { p.FlowControl().SetTxContinueOnXoff(YesNoToBool(v)); }),
    Text(
        spFlowControl, "FlowControl.XonXoffIn", [](P& p) { return BoolToYesNo(p.FlowControl().XonXoffIn()); },
        [](P& p, const S& v) { p.FlowControl().SetXonXoffIn(YesNoToBool(v)); }),
    Text(
        spFlowControl, "FlowControl.XonXoffOut", [](P& p) { return BoolToYesNo(p.FlowControl().XonXoffOut()); },
        [](P& p, const S& v) { p.FlowControl().SetXonXoffOut(YesNoToBool(v)); }),
    Text(
        spFlowControl, "FlowControl.XoffChar", [](P& p) { return CharToStr(p.FlowControl().XoffChar()); },
        [](P& p, const S& v) { p.FlowControl().SetXoffChar(StrToChar(v)); }),
    Text(
        spFlowControl, "FlowControl.XonChar", [](P& p) { return CharToStr(p.FlowControl().XonChar()); },
        [](P& p, const S& v) { p.FlowControl().SetXonChar(StrToChar(v)); }),
};

// Where the values go and where they come from; one of each per store kind.
struct TKeyWriter {
    virtual ~TKeyWriter() = default;
    virtual void Text(const char* Key, const S& Value) = 0;
    virtual void Integer(const char* Key, int Value) = 0;
};

struct TKeyReader {
    virtual ~TKeyReader() = default;
    // Fallback is what the setting holds now (9600 for the custom rate).
    virtual S Text(const char* Key, const S& Fallback) = 0;
    virtual int Integer(const char* Key, int Fallback) = 0;
};

bool Selected(P& Port, const TStoredKey& k)
{
    return Port.StoredProps().Contains(k.Group) && (!k.CustomRate || Port.BaudRate() == brCustom);
}

void WriteKeys(P& Port, TKeyWriter& Out)
{
    for (const TStoredKey& k : StoredKeys) {
        if (!Selected(Port, k))
            continue;
        if (k.GetText)
            Out.Text(k.Name, k.GetText(Port));
        else
            Out.Integer(k.Name, k.GetInt(Port));
    }
}

// The custom rate is looked at after the rate before it has been read, so it follows the value just set.
void ReadKeys(P& Port, TKeyReader& In)
{
    for (const TStoredKey& k : StoredKeys) {
        if (!Selected(Port, k))
            continue;
        if (k.SetText)
            k.SetText(Port, In.Text(k.Name, k.GetText(Port)));
        else
            k.SetInt(Port, In.Integer(k.Name, k.CustomRate ? 9600 : k.GetInt(Port)));
    }
}

struct TIniWriter final : TKeyWriter {
    IniFile& Ini;
    const S& Section;
    TIniWriter(IniFile& i, const S& s) : Ini(i), Section(s) {}
    void Text(const char* Key, const S& Value) override { Ini.WriteString(Section, Key, Value); }
    void Integer(const char* Key, int Value) override { Ini.WriteInteger(Section, Key, Value); }
};

struct TIniReader final : TKeyReader {
    IniFile& Ini;
    const S& Section;
    TIniReader(IniFile& i, const S& s) : Ini(i), Section(s) {}
    S Text(const char* Key, const S& Fallback) override { return Ini.ReadString(Section, Key, Fallback); }
    int Integer(const char* Key, int Fallback) override { return Ini.ReadInteger(Section, Key, Fallback); }
};

struct TRegWriter final : TKeyWriter {
    TComRegistry& Reg;
    explicit TRegWriter(TComRegistry& r) : Reg(r) {}
    void Text(const char* Key, const S& Value) override { Reg.WriteString(Key, Value); }
    void Integer(const char* Key, int Value) override { Reg.WriteInteger(Key, Value); }
};

// A path that names no key is refused before anything is read or written: a load would otherwise see no
// values and empty the port name.
void RequireKey(const TComRegistry& Registry)
{
    if (!Registry.HasCurrentKey())
        throw ERegistryException("No registry key given");
}

void MakeFolderOf(const std::string& File)
{
    std::error_code Ignored;
    const std::filesystem::path Dir = std::filesystem::path(File).parent_path();
    if (!Dir.empty())
        std::filesystem::create_directories(Dir, Ignored);
}

struct TRegReader final : TKeyReader {
    TComRegistry& Reg;
    explicit TRegReader(TComRegistry& r) : Reg(r) {}
    S Text(const char* Key, const S&) override { return Reg.ReadString(Key); }
    int Integer(const char* Key, int) override { return Reg.ReadInteger(Key); }
};
} // namespace

TComPortStorage::TComPortStorage(TCustomComPort& Port, std::string Name) : FPort(Port), FName(std::move(Name)) {}

void TComPortStorage::StoreIniFile(IniFile& Ini)
{
    TIniWriter Out(Ini, FName);
    WriteKeys(FPort, Out);
}

void TComPortStorage::StoreRegistry(TComRegistry& Registry)
{
    TRegWriter Out(Registry);
    WriteKeys(FPort, Out);
}

void TComPortStorage::LoadIniFile(IniFile& Ini)
{
    TIniReader In(Ini, FName);
    ReadKeys(FPort, In);
}

void TComPortStorage::LoadRegistry(TComRegistry& Registry)
{
    TRegReader In(Registry);
    ReadKeys(FPort, In);
}

void TComPortStorage::StoreSettings(TStoreType StoreType, const std::string& StoreTo)
{
    try {
        if (StoreType == stRegistry) {
            TComRegistry Registry(RegistryFile);
            SetRegistryKey(Registry, StoreTo, FName);
            RequireKey(Registry);
            MakeFolderOf(RegistryFile);
            StoreRegistry(Registry);
        } else {
            IniFile Ini(StoreTo);
            IniFile::Batch Once(Ini); // one file write; nothing written when a step fails
            StoreIniFile(Ini);
            Once.Commit();
        }
    } catch (...) {
        throw EComPort(ComErr::Store);
    }
}

void TComPortStorage::LoadSettings(TStoreType StoreType, const std::string& LoadFrom)
{
    try {
        TComUpdate Update(FPort);
        if (StoreType == stRegistry) {
            TComRegistry Registry(RegistryFile);
            SetRegistryKey(Registry, LoadFrom, FName);
            RequireKey(Registry);
            LoadRegistry(Registry);
        } else {
            IniFile Ini(LoadFrom);
            LoadIniFile(Ini);
        }
        Update.Finish();
    } catch (...) {
        throw EComPort(ComErr::Load);
    }
}
