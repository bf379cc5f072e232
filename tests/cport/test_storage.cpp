// Port settings storage: the INI file's exact text, the registry store's values, value texts read back,
// the load rules (defaults, order, one reconfiguration) and the failure codes.
#include "FakeComBackend.h"
#include "PortSnapshot.h"
#include "cport/Cport.h"
#include "cport/PortStorage.h"
#include "cport/StoreTexts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace
{

struct StorageTest : ::testing::Test {
    fs::path dir;
    std::string ini;
    TComPort port;
    TComPortStorage storage{port};

    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "storage-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        ini = (dir / "port.ini").string();
        storage.RegistryFile = (dir / "reg" / "registry.ini").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void Put(const std::string& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static TStoredProps AllGroups() { return {spBasic, spFlowControl, spBuffer, spTimeouts, spParity, spOthers}; }

    // A port far from the defaults in every stored setting.
    static void MakeOdd(TCustomComPort& p)
    {
        p.SetPort("ttyUSB3");
        p.SetBaudRate(brCustom);
        p.SetCustomBaudRate(250000);
        p.SetStopBits(sbTwoStopBits);
        p.SetDataBits(dbSeven);
        p.Parity().SetBits(prMark);
        p.SetEventChar('A');
        p.SetDiscardNull(true);
        p.Parity().SetCheck(true);
        p.Parity().SetReplace(true);
        p.Parity().SetReplaceChar(' ');
        p.Buffer().SetOutputSize(8192);
        p.Buffer().SetInputSize(500000);
        p.Timeouts().SetReadInterval(-1);
        p.Timeouts().SetReadTotalConstant(7);
        p.Timeouts().SetReadTotalMultiplier(3);
        p.Timeouts().SetWriteTotalConstant(2500);
        p.Timeouts().SetWriteTotalMultiplier(11);
        p.FlowControl().SetControlRTS(rtsToggle);
        p.FlowControl().SetControlDTR(dtrHandshake);
        p.FlowControl().SetDSRSensitivity(true);
        p.FlowControl().SetOutCTSFlow(true);
        p.FlowControl().SetOutDSRFlow(true);
        p.FlowControl().SetTxContinueOnXoff(true);
        p.FlowControl().SetXonXoffIn(true);
        p.FlowControl().SetXonXoffOut(false);
        p.FlowControl().SetXoffChar(char(200));
        p.FlowControl().SetXonChar('=');
    }

    static void ExpectSame(TCustomComPort& a, TCustomComPort& b) { EXPECT_EQ(PortSnapshot(a), PortSnapshot(b)); }
};

const char* const BasicKeys = "[ComPort1]\r\n"
                              "Port=COM1\r\n"
                              "BaudRate=9600\r\n"
                              "StopBits=1\r\n"
                              "DataBits=8\r\n"
                              "Parity=None\r\n"
                              "FlowControl=None\r\n";

} // namespace

TEST(StoreTexts, ValueTextsBothWays)
{
    EXPECT_EQ(BoolToYesNo(true), "Yes");
    EXPECT_EQ(BoolToYesNo(false), "No");
    for (const char* yes : {"yes", "Yes", "YES"})
        EXPECT_TRUE(YesNoToBool(yes)) << yes;
    for (const char* no : {"1", "True", "", "No", "y"})
        EXPECT_FALSE(YesNoToBool(no)) << no;

    EXPECT_EQ(CharToStr(17), "#17");
    EXPECT_EQ(CharToStr(' '), "#32");
    EXPECT_EQ(CharToStr('A'), "A");
    EXPECT_EQ(CharToStr('!'), "!");
    EXPECT_EQ(CharToStr(127), "\x7F");
    EXPECT_EQ(CharToStr(char(200)), "#200");
    EXPECT_EQ(CharToStr(0), "#0");

    EXPECT_EQ(StrToChar(""), 0);
    EXPECT_EQ(StrToChar("#17"), 17);
    EXPECT_EQ(StrToChar("#"), '#');
    EXPECT_EQ(StrToChar("#abc"), 0);
    EXPECT_EQ(StrToChar("#300"), 44);
    EXPECT_EQ(StrToChar("#200"), char(200));
    EXPECT_EQ(StrToChar("Xyz"), 'X');

    EXPECT_EQ(StrToDTR("handshake"), dtrHandshake);
    EXPECT_EQ(StrToDTR("ENABLE"), dtrEnable);
    EXPECT_EQ(StrToDTR("Toggle"), dtrDisable);
    EXPECT_EQ(StrToRTS("toggle"), rtsToggle);
    EXPECT_EQ(StrToRTS(""), rtsDisable);
    EXPECT_EQ(RTSToStr(rtsHandshake), "Handshake");
    EXPECT_EQ(DTRToStr(dtrEnable), "Enable");
}

TEST_F(StorageTest, BasicGroupWritesSixKeysInOrder)
{
    storage.StoreSettings(stIniFile, ini);
    EXPECT_EQ(Read(ini), BasicKeys);

    port.SetBaudRate(brCustom);
    port.SetCustomBaudRate(31250);
    fs::remove(ini);
    storage.StoreSettings(stIniFile, ini);
    EXPECT_EQ(Read(ini), "[ComPort1]\r\n"
                         "Port=COM1\r\n"
                         "BaudRate=Custom\r\n"
                         "CustomBaudRate=31250\r\n"
                         "StopBits=1\r\n"
                         "DataBits=8\r\n"
                         "Parity=None\r\n"
                         "FlowControl=None\r\n");
}

TEST_F(StorageTest, EveryGroupWritesItsKeysWithTheirTexts)
{
    MakeOdd(port);
    port.SetStoredProps(AllGroups());
    storage.StoreSettings(stIniFile, ini);
    EXPECT_EQ(Read(ini), "[ComPort1]\r\n"
                         "Port=ttyUSB3\r\n"
                         "BaudRate=Custom\r\n"
                         "CustomBaudRate=250000\r\n"
                         "StopBits=2\r\n"
                         "DataBits=7\r\n"
                         "Parity=Mark\r\n"
                         "FlowControl=Custom\r\n"
                         "EventChar=A\r\n"
                         "DiscardNull=Yes\r\n"
                         "Parity.Check=Yes\r\n"
                         "Parity.Replace=Yes\r\n"
                         "Parity.ReplaceChar=#32\r\n"
                         "Buffer.OutputSize=8192\r\n"
                         "Buffer.InputSize=500000\r\n"
                         "Timeouts.ReadInterval=-1\r\n"
                         "Timeouts.ReadTotalConstant=7\r\n"
                         "Timeouts.ReadTotalMultiplier=3\r\n"
                         "Timeouts.WriteTotalConstant=2500\r\n"
                         "Timeouts.WriteTotalMultiplier=11\r\n"
                         "FlowControl.ControlRTS=Toggle\r\n"
                         "FlowControl.ControlDTR=Handshake\r\n"
                         "FlowControl.DSRSensitivity=Yes\r\n"
                         "FlowControl.OutCTSFlow=Yes\r\n"
                         "FlowControl.OutDSRFlow=Yes\r\n"
                         "FlowControl.TxContinueOnXoff=Yes\r\n"
                         "FlowControl.XonXoffIn=Yes\r\n"
                         "FlowControl.XonXoffOut=No\r\n"
                         "FlowControl.XoffChar=#200\r\n"
                         "FlowControl.XonChar==\r\n");
}

TEST_F(StorageTest, DefaultFlowCharactersAreStoredAsCodes)
{
    port.SetStoredProps({spFlowControl});
    storage.StoreSettings(stIniFile, ini);
    const std::string text = Read(ini);
    EXPECT_NE(text.find("FlowControl.XoffChar=#19\r\nFlowControl.XonChar=#17\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("Port="), std::string::npos);
}

TEST_F(StorageTest, AStoreUpdatesAnExistingSectionInPlace)
{
    Put(ini, "[Other]\r\nKey=1\r\n[ComPort1]\r\nBaudRate=300\r\nMine=kept\r\n");
    storage.StoreSettings(stIniFile, ini);
    EXPECT_EQ(Read(ini), "[Other]\r\nKey=1\r\n[ComPort1]\r\nBaudRate=9600\r\nMine=kept\r\n"
                         "Port=COM1\r\nStopBits=1\r\nDataBits=8\r\nParity=None\r\nFlowControl=None\r\n");
}

TEST_F(StorageTest, EverySettingComesBackFromAnIniFile)
{
    TComPort source;
    MakeOdd(source);
    source.SetStoredProps(AllGroups());
    TComPortStorage(source).StoreSettings(stIniFile, ini);

    port.SetStoredProps(AllGroups());
    storage.LoadSettings(stIniFile, ini);
    ExpectSame(source, port);
    EXPECT_EQ(port.FlowControl().XonChar(), '=');
    EXPECT_EQ(port.FlowControl().XoffChar(), char(200));
    EXPECT_EQ(port.Parity().ReplaceChar(), ' ');
    EXPECT_EQ(port.Timeouts().ReadInterval(), -1);
}

TEST_F(StorageTest, OddValueTextsReadBack)
{
    Put(ini, "[ComPort1]\r\n"
             "BaudRate=115200\r\n"
             "StopBits=1.5\r\n"
             "Parity=even\r\n"
             "FlowControl=nonsense\r\n"
             "DataBits=9\r\n"
             "EventChar=#\r\n"
             "DiscardNull=yes\r\n"
             "Parity.Check=True\r\n"
             "Parity.Replace=1\r\n"
             "Parity.ReplaceChar=#abc\r\n"
             "Buffer.InputSize=1025\r\n"
             "Buffer.OutputSize=$100\r\n"
             "FlowControl.XonChar=#300\r\n"
             "FlowControl.XoffChar=\r\n"
             "FlowControl.ControlDTR=HANDSHAKE\r\n"
             "FlowControl.ControlRTS=sideways\r\n");
    port.SetStoredProps(AllGroups());
    port.Parity().SetReplaceChar('x');
    storage.LoadSettings(stIniFile, ini);
    EXPECT_EQ(port.BaudRate(), br115200);
    EXPECT_EQ(port.StopBits(), sbOne5StopBits);
    EXPECT_EQ(port.Parity().Bits(), prEven);
    EXPECT_EQ(port.DataBits(), dbEight);
    EXPECT_EQ(port.EventChar(), '#');
    EXPECT_TRUE(port.DiscardNull());
    EXPECT_FALSE(port.Parity().Check());
    EXPECT_FALSE(port.Parity().Replace());
    EXPECT_EQ(port.Parity().ReplaceChar(), 0);
    EXPECT_EQ(port.Buffer().InputSize(), 1024);
    EXPECT_EQ(port.Buffer().OutputSize(), 256);
    EXPECT_EQ(port.FlowControl().XonChar(), 44);
    EXPECT_EQ(port.FlowControl().XoffChar(), 0);
    EXPECT_EQ(port.FlowControl().ControlDTR(), dtrHandshake);
    EXPECT_EQ(port.FlowControl().ControlRTS(), rtsDisable);
    EXPECT_EQ(port.Port(), "COM1"); // missing key: unchanged
}

TEST_F(StorageTest, MissingSectionKeepsEverythingButTheCustomRate)
{
    Put(ini, "[Another]\r\nPort=ttyS9\r\n");
    MakeOdd(port);
    port.SetStoredProps(AllGroups());
    TComPort before;
    MakeOdd(before);
    storage.LoadSettings(stIniFile, ini);
    EXPECT_EQ(port.CustomBaudRate(), 9600);
    before.SetCustomBaudRate(9600);
    ExpectSame(before, port);
}

TEST_F(StorageTest, NoGroupsStoreNothingAndLoadNothing)
{
    port.SetStoredProps({});
    storage.StoreSettings(stIniFile, ini);
    EXPECT_FALSE(fs::exists(ini));

    Put(ini, BasicKeys);
    port.SetPort("ttyS4");
    storage.LoadSettings(stIniFile, ini);
    EXPECT_EQ(port.Port(), "ttyS4");
}

TEST_F(StorageTest, SingleFlowKeysOverrideThePresetOnlyWhenSelected)
{
    Put(ini, "[ComPort1]\r\nFlowControl=Hardware\r\n"
             "FlowControl.ControlRTS=Enable\r\nFlowControl.OutCTSFlow=No\r\n");
    storage.LoadSettings(stIniFile, ini);
    EXPECT_EQ(port.FlowControl().ControlRTS(), rtsHandshake);
    EXPECT_TRUE(port.FlowControl().OutCTSFlow());
    EXPECT_EQ(port.FlowControl().FlowControl(), fcHardware);

    TComPort other;
    other.SetStoredProps({spBasic, spFlowControl});
    TComPortStorage(other).LoadSettings(stIniFile, ini);
    EXPECT_EQ(other.FlowControl().ControlRTS(), rtsEnable);
    EXPECT_FALSE(other.FlowControl().OutCTSFlow());
}

TEST_F(StorageTest, AnOpenPortIsReconfiguredOnceAfterTheLoad)
{
    auto* fake = new TFakeComBackend;
    port.SetBackend(std::unique_ptr<TComBackend>(fake));
    port.SetPort("ttyFAKE");
    port.SetEvents({});
    port.Open();
    fake->ClearLog();

    Put(ini, "[ComPort1]\r\nPort=ttyFAKE\r\nBaudRate=19200\r\nStopBits=2\r\nDataBits=7\r\n"
             "Parity=Odd\r\nFlowControl=Software\r\nBuffer.InputSize=4096\r\nTimeouts.ReadInterval=20\r\n");
    port.SetStoredProps(AllGroups());
    storage.LoadSettings(stIniFile, ini);
    EXPECT_EQ(fake->Log(), (std::vector<std::string>{"buffer 4096 1024", "line 19200", "timeouts 20 1000"}));
    const TComLineSettings line = fake->LastLine();
    EXPECT_EQ(line.DataBits, 7);
    EXPECT_EQ(line.StopBits, sbTwoStopBits);
    EXPECT_EQ(line.Parity, prOdd);
    EXPECT_TRUE(line.XonXoffIn);
    port.Close();
}

TEST_F(StorageTest, FailuresBecomeCodes16And17)
{
    try {
        storage.StoreSettings(stIniFile, (dir / "missing" / "x.ini").string());
        FAIL() << "store into a missing folder";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.Code, 16);
        EXPECT_EQ(e.WinCode, -1);
        EXPECT_STREQ(e.what(), "Failed to store settings");
    }
    // A device that refuses the new line settings fails the load as a whole with its own code hidden.
    auto* fake = new TFakeComBackend;
    port.SetBackend(std::unique_ptr<TComBackend>(fake));
    port.SetPort("ttyFAKE");
    port.SetEvents({});
    port.Open();
    fake->RefuseLine = 22;
    Put(ini, "[ComPort1]\r\nBaudRate=300\r\n");
    try {
        storage.LoadSettings(stIniFile, ini);
        FAIL() << "a refused line setting must fail the load";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.Code, 17);
        EXPECT_EQ(e.WinCode, -1);
    }
    EXPECT_EQ(port.BaudRate(), br300);
    fake->RefuseLine = 0;
    port.Close();
}

TEST_F(StorageTest, AFailedLoadLeavesNoUpdateOpen)
{
    auto* fake = new TFakeComBackend;
    port.SetBackend(std::unique_ptr<TComBackend>(fake));
    port.SetPort("ttyFAKE");
    port.SetEvents({});
    port.Open();

    // The registry key lacks the buffer sizes: the load fails part-way, after the basic keys.
    Put(storage.RegistryFile, "");
    fs::create_directories(fs::path(storage.RegistryFile).parent_path());
    Put(storage.RegistryFile, "[HKEY_CURRENT_USER\\Soft\\ComPort1]\r\nPort=\"ttyFAKE\"\r\nBaudRate=\"2400\"\r\n");
    port.SetStoredProps({spBasic, spBuffer});
    fake->ClearLog();
    try {
        storage.LoadSettings(stRegistry, "HKEY_CURRENT_USER\\Soft");
        FAIL() << "a missing number must fail the load";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.Code, 17);
        EXPECT_STREQ(e.what(), "Failed to load settings");
    }
    EXPECT_EQ(port.BaudRate(), br2400); // read before the failure: stays
    // The update ended and pushed what was read; a change now reaches the device at once.
    EXPECT_EQ(fake->Log(), (std::vector<std::string>{"buffer 1024 1024", "line 2400", "timeouts 4294967295 1000"}));
    fake->ClearLog();
    port.SetBaudRate(br4800);
    EXPECT_EQ(fake->Log(), (std::vector<std::string>{"line 4800"}));
    port.Close();
}

TEST_F(StorageTest, RegistryStoreKeepsTextsAndDwords)
{
    MakeOdd(port);
    port.SetStoredProps({spBasic, spTimeouts, spOthers});
    storage.StoreSettings(stRegistry, "HKEY_CURRENT_USER\\Software\\Ports");
    EXPECT_EQ(Read(storage.RegistryFile), "[HKEY_CURRENT_USER\\Software\\Ports\\ComPort1]\r\n"
                                          "Port=\"ttyUSB3\"\r\n"
                                          "BaudRate=\"Custom\"\r\n"
                                          "CustomBaudRate=dword:0003d090\r\n"
                                          "StopBits=\"2\"\r\n"
                                          "DataBits=\"7\"\r\n"
                                          "Parity=\"Mark\"\r\n"
                                          "FlowControl=\"Custom\"\r\n"
                                          "EventChar=\"A\"\r\n"
                                          "DiscardNull=\"Yes\"\r\n"
                                          "Timeouts.ReadInterval=dword:ffffffff\r\n"
                                          "Timeouts.ReadTotalConstant=dword:00000007\r\n"
                                          "Timeouts.ReadTotalMultiplier=dword:00000003\r\n"
                                          "Timeouts.WriteTotalConstant=dword:000009c4\r\n"
                                          "Timeouts.WriteTotalMultiplier=dword:0000000b\r\n");

    TComPort back;
    back.SetStoredProps({spBasic, spTimeouts, spOthers});
    TComPortStorage loader(back);
    loader.RegistryFile = storage.RegistryFile;
    loader.LoadSettings(stRegistry, "hkey_current_user\\Software\\Ports\\");
    EXPECT_EQ(back.Port(), "ttyUSB3");
    EXPECT_EQ(back.CustomBaudRate(), 250000);
    EXPECT_EQ(back.Timeouts().Values(), port.Timeouts().Values());
    EXPECT_EQ(back.EventChar(), 'A');
}

TEST_F(StorageTest, RegistryRootComesFromThePath)
{
    storage.StoreSettings(stRegistry, "hkey_local_machine\\Software\\Ports");
    storage.StoreSettings(stRegistry, "NOROOT\\Keys");
    const std::string text = Read(storage.RegistryFile);
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software\\Ports\\ComPort1]"), std::string::npos) << text;
    // An unknown root keeps the one chosen before: a fresh registry object starts at the current user.
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Keys\\ComPort1]"), std::string::npos) << text;

    storage.StoreSettings(stRegistry, "HKEY_CURRENT_USER\\");
    EXPECT_NE(Read(storage.RegistryFile).find("[HKEY_CURRENT_USER\\ComPort1]"), std::string::npos);
}

TEST_F(StorageTest, RegistryHasNoFallbacks)
{
    fs::create_directories(fs::path(storage.RegistryFile).parent_path());
    Put(storage.RegistryFile, "[HKEY_CURRENT_USER\\P\\ComPort1]\r\nBaudRate=\"57600\"\r\n");
    port.SetPort("ttyS1");
    port.Parity().SetBits(prOdd);
    port.FlowControl().SetFlowControl(fcHardware);
    storage.LoadSettings(stRegistry, "HKEY_CURRENT_USER\\P");
    EXPECT_EQ(port.Port(), "");
    EXPECT_EQ(port.BaudRate(), br57600);
    EXPECT_EQ(port.Parity().Bits(), prNone);
    // A missing preset reads as "Custom", which leaves the flow flags as they were.
    EXPECT_EQ(port.FlowControl().FlowControl(), fcHardware);

    // A text where a number belongs is refused like a missing one.
    Put(storage.RegistryFile, "[HKEY_CURRENT_USER\\P\\ComPort1]\r\nBaudRate=\"Custom\"\r\nCustomBaudRate=\"300\"\r\n");
    EXPECT_THROW(storage.LoadSettings(stRegistry, "HKEY_CURRENT_USER\\P"), EComPort);
    // And a number where a text belongs.
    Put(storage.RegistryFile, "[HKEY_CURRENT_USER\\P\\ComPort1]\r\nPort=dword:00000001\r\n");
    EXPECT_THROW(storage.LoadSettings(stRegistry, "HKEY_CURRENT_USER\\P"), EComPort);
}

TEST_F(StorageTest, RegistryPathWithoutKeyIsRefusedWithoutChanges)
{
    port.SetPort("ttyS7");
    try {
        storage.StoreSettings(stRegistry, "NoBackslash");
        FAIL();
    } catch (const EComPort& e) {
        EXPECT_EQ(e.Code, 16);
    }
    try {
        storage.LoadSettings(stRegistry, "NoBackslash");
        FAIL();
    } catch (const EComPort& e) {
        EXPECT_EQ(e.Code, 17);
    }
    EXPECT_EQ(port.Port(), "ttyS7");
    EXPECT_FALSE(fs::exists(storage.RegistryFile));
}
