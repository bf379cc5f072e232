// Port settings storage: the INI file's exact text, the registry store's values, value texts read back,
// the load rules (defaults, order, one reconfiguration) and the failure codes.
#include "CportTestSupport.h"
#include "FakeComBackend.h"
#include "FileSizeLimit.h"
#include "cport/PortStorage.h"
#include "cport/StoreTexts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace
{
using Log = std::vector<std::string>;

// Every stored setting far from its default, as the INI store writes it.
const std::string OddKeys =
    "[ComPort1]\r\nPort=ttyUSB3\r\nBaudRate=Custom\r\nCustomBaudRate=250000\r\nStopBits=2\r\nDataBits=7\r\n"
    "Parity=Mark\r\nFlowControl=Custom\r\nEventChar=A\r\nDiscardNull=Yes\r\nParity.Check=Yes\r\n"
    "Parity.Replace=Yes\r\nParity.ReplaceChar=#32\r\nBuffer.OutputSize=8192\r\nBuffer.InputSize=500000\r\n"
    "Timeouts.ReadInterval=-1\r\nTimeouts.ReadTotalConstant=7\r\nTimeouts.ReadTotalMultiplier=3\r\n"
    "Timeouts.WriteTotalConstant=2500\r\nTimeouts.WriteTotalMultiplier=11\r\nFlowControl.ControlRTS=Toggle\r\n"
    "FlowControl.ControlDTR=Handshake\r\nFlowControl.DSRSensitivity=Yes\r\nFlowControl.OutCTSFlow=Yes\r\n"
    "FlowControl.OutDSRFlow=Yes\r\nFlowControl.TxContinueOnXoff=Yes\r\nFlowControl.XonXoffIn=Yes\r\n"
    "FlowControl.XonXoffOut=No\r\nFlowControl.XoffChar=#200\r\nFlowControl.XonChar==\r\n";

const TStoredProps AllGroups = {spBasic, spFlowControl, spBuffer, spTimeouts, spParity, spOthers};

struct StorageTest : ::testing::Test, TFakePort {
    fs::path dir;
    std::string ini;
    TComPortStorage storage{Port};

    StorageTest() : TFakePort("COM1") { Port.SetEvents({}); }
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "storage-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        ini = (dir / "port.ini").string();
        storage.RegistryFile = (dir / "reg" / "registry.ini").string(); // a folder the store makes
    }
    void TearDown() override
    {
        Port.Close();
        fs::remove_all(dir);
    }
    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void Put(const std::string& path, const std::string& bytes)
    {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    void Load(const std::string& text, TStoredProps groups = AllGroups)
    {
        Put(ini, text);
        Port.SetStoredProps(groups);
        storage.LoadSettings(stIniFile, ini);
    }
};
} // namespace

TEST(StoreTexts, ValueTextsBothWays)
{
    EXPECT_EQ(BoolToYesNo(true) + BoolToYesNo(false), "YesNo");
    for (auto [text, yes] : {std::pair{"yes", true}, {"YES", true}, {"1", false}, {"True", false}, {"y", false}})
        EXPECT_EQ(YesNoToBool(text), yes) << text;
    for (auto [ch, text] :
         {std::pair{char(17), "#17"}, {' ', "#32"}, {'A', "A"}, {'\x7F', "\x7F"}, {char(200), "#200"}})
        EXPECT_EQ(CharToStr(ch), text);
    for (auto [text, ch] : {std::pair{"", 0}, {"#17", 17}, {"#", '#'}, {"#abc", 0}, {"#300", 44}, {"Xyz", 'X'}})
        EXPECT_EQ(StrToChar(text), char(ch)) << text;
    EXPECT_EQ(std::pair(StrToDTR("handshake"), StrToDTR("Toggle")), std::pair(dtrHandshake, dtrDisable));
    EXPECT_EQ(std::pair(StrToRTS("toggle"), StrToRTS("")), std::pair(rtsToggle, rtsDisable));
}

TEST_F(StorageTest, StoreWritesTheBasicKeysInOrderAndUpdatesASectionInPlace)
{
    Put(ini, "[Other]\r\nKey=1\r\n[ComPort1]\r\nBaudRate=300\r\nMine=kept\r\n");
    storage.StoreSettings(stIniFile, ini);
    EXPECT_EQ(Read(ini), "[Other]\r\nKey=1\r\n[ComPort1]\r\nBaudRate=9600\r\nMine=kept\r\n"
                         "Port=COM1\r\nStopBits=1\r\nDataBits=8\r\nParity=None\r\nFlowControl=None\r\n");
    fs::remove(ini);
    storage.StoreSettings(stIniFile, ini);
    EXPECT_EQ(Read(ini), "[ComPort1]\r\nPort=COM1\r\nBaudRate=9600\r\nStopBits=1\r\nDataBits=8\r\nParity=None\r\n"
                         "FlowControl=None\r\n");
}

TEST_F(StorageTest, EverySettingGoesThroughTheIniFileBothWays)
{
    Load(OddKeys);
    EXPECT_EQ(Port.FlowControl().XoffChar(), char(200));
    EXPECT_EQ(Port.Timeouts().ReadInterval(), -1);
    const std::string copy = (dir / "copy.ini").string();
    storage.StoreSettings(stIniFile, copy);
    EXPECT_EQ(Read(copy), OddKeys);
}

TEST_F(StorageTest, OddValueTextsReadBack)
{
    Port.Parity().SetReplaceChar('x');
    Load("[ComPort1]\r\nBaudRate=115200\r\nStopBits=1.5\r\nParity=even\r\nFlowControl=nonsense\r\nDataBits=9\r\n"
         "EventChar=#\r\nDiscardNull=yes\r\nParity.Check=True\r\nParity.Replace=1\r\nParity.ReplaceChar=#abc\r\n"
         "Buffer.InputSize=1025\r\nBuffer.OutputSize=$100\r\nFlowControl.XonChar=#300\r\nFlowControl.XoffChar=\r\n"
         "FlowControl.ControlDTR=HANDSHAKE\r\nFlowControl.ControlRTS=sideways\r\n");
    EXPECT_EQ(Port.BaudRate(), br115200);
    EXPECT_EQ(Port.StopBits(), sbOne5StopBits);
    EXPECT_EQ(Port.Parity().Bits(), prEven);
    EXPECT_EQ(Port.DataBits(), dbEight);
    EXPECT_EQ(Port.EventChar(), '#');
    EXPECT_TRUE(Port.DiscardNull());
    EXPECT_FALSE(Port.Parity().Check() || Port.Parity().Replace());
    EXPECT_EQ(Port.Parity().ReplaceChar(), 0);
    EXPECT_EQ(Port.Buffer().InputSize(), 1024);
    EXPECT_EQ(Port.Buffer().OutputSize(), 256);
    EXPECT_EQ(Port.FlowControl().XonChar(), 44);
    EXPECT_EQ(Port.FlowControl().XoffChar(), 0);
    EXPECT_EQ(Port.FlowControl().ControlDTR(), dtrHandshake);
    EXPECT_EQ(Port.FlowControl().ControlRTS(), rtsDisable);
    EXPECT_EQ(Port.Port(), "COM1"); // missing key: unchanged
}

TEST_F(StorageTest, MissingSectionOrGroupsKeepEverythingButTheCustomRate)
{
    Load(OddKeys);
    Port.SetCustomBaudRate(9600);
    const std::string before = PortSnapshot(Port);
    Port.SetCustomBaudRate(250000);
    Load("[Another]\r\nPort=ttyS9\r\n");
    EXPECT_EQ(PortSnapshot(Port), before);

    Load("[ComPort1]\r\nPort=ttyS4\r\nBaudRate=300\r\n", {});
    EXPECT_EQ(PortSnapshot(Port), before);
    fs::remove(ini);
    storage.StoreSettings(stIniFile, ini);
    EXPECT_FALSE(fs::exists(ini));
}

TEST_F(StorageTest, SingleFlowKeysOverrideThePresetOnlyWhenSelected)
{
    const std::string text = "[ComPort1]\r\nFlowControl=Hardware\r\nFlowControl.ControlRTS=Enable\r\n"
                             "FlowControl.OutCTSFlow=No\r\n";
    Load(text, {spBasic});
    EXPECT_EQ(Port.FlowControl().ControlRTS(), rtsHandshake);
    EXPECT_TRUE(Port.FlowControl().OutCTSFlow());
    Load(text, {spBasic, spFlowControl});
    EXPECT_EQ(Port.FlowControl().ControlRTS(), rtsEnable);
    EXPECT_FALSE(Port.FlowControl().OutCTSFlow());
}

TEST_F(StorageTest, AnOpenPortIsReconfiguredOnceAfterTheLoad)
{
    Port.Open();
    Dev->ClearLog();
    Load("[ComPort1]\r\nPort=COM1\r\nBaudRate=19200\r\nStopBits=2\r\nDataBits=7\r\nParity=Odd\r\n"
         "FlowControl=Software\r\nBuffer.InputSize=4096\r\nTimeouts.ReadInterval=20\r\n");
    EXPECT_EQ(Dev->Log(), (Log{"buffer 4096 1024", "line 19200", "timeouts 20 1000"}));
    const TComLineSettings line = Dev->LastLine();
    EXPECT_EQ(line.DataBits, 7);
    EXPECT_EQ(line.StopBits, sbTwoStopBits);
    EXPECT_EQ(line.Parity, prOdd);
    EXPECT_TRUE(line.XonXoffIn);
}

TEST_F(StorageTest, FailuresBecomeCodes16And17AndAFailedStoreWritesNothing)
{
    EXPECT_TRUE(RaisesCom([&] { storage.StoreSettings(stIniFile, (dir / "missing" / "x.ini").string()); }, 16, -1));
    // The store is one file write: a disk that takes the first keys but not all leaves the file as it was.
    const std::string old = "[Other]\r\nKey=1\r\n";
    Put(ini, old);
    {
        TFileSizeLimit limit(old.size() + 24);
        EXPECT_TRUE(RaisesCom([&] { storage.StoreSettings(stIniFile, ini); }, 16));
    }
    EXPECT_EQ(Read(ini), old);

    // A device that refuses the new line settings fails the load as a whole with its own code hidden.
    Port.Open();
    Dev->RefuseLine = EINVAL;
    EXPECT_TRUE(RaisesCom([&] { Load("[ComPort1]\r\nBaudRate=300\r\n"); }, 17, -1));
    EXPECT_EQ(Port.BaudRate(), br300);
    Dev->RefuseLine = 0;
}

TEST_F(StorageTest, AFailedLoadLeavesNoUpdateOpen)
{
    Port.Open();
    // The registry key lacks the buffer sizes: the load fails part-way, after the basic keys.
    Put(storage.RegistryFile, "[HKEY_CURRENT_USER\\Soft\\ComPort1]\r\nPort=\"COM1\"\r\nBaudRate=\"2400\"\r\n");
    Port.SetStoredProps({spBasic, spBuffer});
    Dev->ClearLog();
    EXPECT_TRUE(RaisesCom([&] { storage.LoadSettings(stRegistry, "HKEY_CURRENT_USER\\Soft"); }, 17));
    EXPECT_EQ(Port.BaudRate(), br2400); // read before the failure: stays
    // The update ended and pushed what was read; a change now reaches the device at once.
    EXPECT_EQ(Dev->Log(), (Log{"buffer 1024 1024", "line 2400", "timeouts 4294967295 1000"}));
    Dev->ClearLog();
    Port.SetBaudRate(br4800);
    EXPECT_EQ(Dev->Log(), (Log{"line 4800"}));
}

TEST_F(StorageTest, RegistryStoreKeepsTextsAndDwords)
{
    Load(OddKeys);
    Port.SetStoredProps({spBasic, spTimeouts, spOthers});
    storage.StoreSettings(stRegistry, "HKEY_CURRENT_USER\\Software\\Ports");
    EXPECT_EQ(
        Read(storage.RegistryFile),
        "[HKEY_CURRENT_USER\\Software\\Ports\\ComPort1]\r\nPort=\"ttyUSB3\"\r\nBaudRate=\"Custom\"\r\n"
        "CustomBaudRate=dword:0003d090\r\nStopBits=\"2\"\r\nDataBits=\"7\"\r\nParity=\"Mark\"\r\n"
        "FlowControl=\"Custom\"\r\nEventChar=\"A\"\r\nDiscardNull=\"Yes\"\r\nTimeouts.ReadInterval=dword:ffffffff\r\n"
        "Timeouts.ReadTotalConstant=dword:00000007\r\nTimeouts.ReadTotalMultiplier=dword:00000003\r\n"
        "Timeouts.WriteTotalConstant=dword:000009c4\r\nTimeouts.WriteTotalMultiplier=dword:0000000b\r\n");
    TComPort back;
    back.SetStoredProps({spBasic, spTimeouts, spOthers});
    TComPortStorage loader(back);
    loader.RegistryFile = storage.RegistryFile;
    loader.LoadSettings(stRegistry, "hkey_current_user\\Software\\Ports\\");
    EXPECT_EQ(back.Port(), "ttyUSB3");
    EXPECT_EQ(back.CustomBaudRate(), 250000);
    EXPECT_EQ(back.EventChar(), 'A');
    EXPECT_EQ(back.Timeouts().Values(), Port.Timeouts().Values());

    // The root comes from the path; an unknown root keeps the one chosen before.
    storage.StoreSettings(stRegistry, "hkey_local_machine\\Software\\Ports");
    storage.StoreSettings(stRegistry, "NOROOT\\Keys");
    const std::string text = Read(storage.RegistryFile);
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software\\Ports\\ComPort1]"), std::string::npos) << text;
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Keys\\ComPort1]"), std::string::npos) << text;
}

TEST_F(StorageTest, RegistryHasNoFallbacks)
{
    Put(storage.RegistryFile, "[HKEY_CURRENT_USER\\P\\ComPort1]\r\nBaudRate=\"57600\"\r\n");
    Port.Parity().SetBits(prOdd);
    Port.FlowControl().SetFlowControl(fcHardware);
    storage.LoadSettings(stRegistry, "HKEY_CURRENT_USER\\P");
    EXPECT_EQ(Port.Port(), "");
    EXPECT_EQ(Port.BaudRate(), br57600);
    EXPECT_EQ(Port.Parity().Bits(), prNone);
    EXPECT_EQ(Port.FlowControl().FlowControl(), fcHardware); // a missing preset reads as "Custom"

    // A text where a number belongs is refused like a missing one, and a number where a text belongs.
    for (const char* keys : {"BaudRate=\"Custom\"\r\nCustomBaudRate=\"300\"\r\n", "Port=dword:00000001\r\n"}) {
        Put(storage.RegistryFile, std::string("[HKEY_CURRENT_USER\\P\\ComPort1]\r\n") + keys);
        EXPECT_TRUE(RaisesCom([&] { storage.LoadSettings(stRegistry, "HKEY_CURRENT_USER\\P"); }, 17)) << keys;
    }
}

TEST_F(StorageTest, RegistryPathWithoutKeyIsRefusedWithoutChanges)
{
    Port.SetPort("ttyS7");
    EXPECT_TRUE(RaisesCom([&] { storage.StoreSettings(stRegistry, "NoBackslash"); }, 16));
    EXPECT_TRUE(RaisesCom([&] { storage.LoadSettings(stRegistry, "NoBackslash"); }, 17));
    EXPECT_EQ(Port.Port(), "ttyS7");
    EXPECT_FALSE(fs::exists(storage.RegistryFile));
}
