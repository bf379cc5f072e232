// Port settings storage: every setting through the INI file and back, the registry store's missing values,
// and the failures (codes 16 and 17, one file write, no update left open).
#include "CportTestSupport.h"
#include "FakeComBackend.h"
#include "FileSizeLimit.h"
#include "cport/port/PortStorage.h"
#include "platform/TempFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

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

struct StorageTest : ::testing::Test, TFakePort, TTempFiles {
    std::string ini = Path("port.ini");
    TComPortStorage storage{Port};

    StorageTest() : TFakePort("COM1")
    {
        Port.SetEvents({});
        storage.RegistryFile = Path("reg/registry.ini"); // a folder the store makes
    }
    void TearDown() override { Port.Close(); }
    void Load(const std::string& text, TStoredProps groups = AllGroups)
    {
        Put(ini, text);
        Port.SetStoredProps(groups);
        storage.LoadSettings(stIniFile, ini);
    }
};
} // namespace

TEST_F(StorageTest, EverySettingGoesThroughTheIniFileAndBack)
{
    Load(OddKeys);
    EXPECT_EQ(Port.FlowControl().XoffChar(), char(200));
    const std::string copy = Path("copy.ini");
    storage.StoreSettings(stIniFile, copy);
    EXPECT_EQ(Read(copy), OddKeys);

    TComPort back;
    back.SetStoredProps(AllGroups);
    TComPortStorage(back).LoadSettings(stIniFile, copy);
    EXPECT_EQ(PortSnapshot(back), PortSnapshot(Port));
}

TEST_F(StorageTest, RegistryHasNoFallbacksAndAPathWithoutKeyReadsNothing)
{
    const std::string key = "[HKEY_CURRENT_USER\\P\\ComPort1]\r\n";
    Put(storage.RegistryFile, key + "BaudRate=\"57600\"\r\n");
    Port.SetPort("ttyS7");
    Port.Parity().SetBits(prOdd);
    storage.LoadSettings(stRegistry, "HKEY_CURRENT_USER\\P");
    EXPECT_EQ(std::tuple(Port.Port(), Port.BaudRate(), Port.Parity().Bits()), std::tuple("", br57600, prNone));

    // A text where a number belongs is refused like a missing one, and a number where a text belongs.
    for (const std::string keys : {"BaudRate=\"Custom\"\r\nCustomBaudRate=\"300\"\r\n", "Port=dword:00000001\r\n"}) {
        Put(storage.RegistryFile, key + keys);
        EXPECT_TRUE(RaisesCom([&] { storage.LoadSettings(stRegistry, "HKEY_CURRENT_USER\\P"); }, 17)) << keys;
    }
    fs::remove_all(Dir / "reg");
    Port.SetPort("ttyS7");
    EXPECT_TRUE(RaisesCom([&] { storage.StoreSettings(stRegistry, "NoBackslash"); }, 16));
    EXPECT_TRUE(RaisesCom([&] { storage.LoadSettings(stRegistry, "NoBackslash"); }, 17));
    EXPECT_EQ(Port.Port(), "ttyS7");
    EXPECT_FALSE(fs::exists(storage.RegistryFile));
}

TEST_F(StorageTest, FailuresBecomeCodes16And17WriteNothingAndLeaveNoUpdateOpen)
{
    EXPECT_TRUE(RaisesCom([&] { storage.StoreSettings(stIniFile, Path("missing/x.ini")); }, 16, -1));
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

    // The registry key lacks the buffer sizes: the load fails part-way, after the basic keys, which stay; the
    // update ended and pushed them at once, and a change now reaches the device at once.
    Put(storage.RegistryFile, "[HKEY_CURRENT_USER\\Soft\\ComPort1]\r\nPort=\"COM1\"\r\nBaudRate=\"2400\"\r\n");
    Port.SetStoredProps({spBasic, spBuffer});
    Dev->ClearLog();
    EXPECT_TRUE(RaisesCom([&] { storage.LoadSettings(stRegistry, "HKEY_CURRENT_USER\\Soft"); }, 17));
    Port.SetBaudRate(br4800);
    EXPECT_EQ(Dev->Log(), (Log{"buffer 1024 1024", "line 2400", "timeouts 4294967295 1000", "line 4800"}));
}
