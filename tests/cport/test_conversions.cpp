// Texts of the settings, the error messages and the port list.
#include "cport/CportConv.h"
#include "cport/EComPort.h"
#include "cport/EnumPorts.h"

#include "ComExpect.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

TEST(Conversions, TextsAndOrdinals)
{
    EXPECT_EQ(BaudRateToStr(br115200), "115200");
    EXPECT_EQ(BaudRateToStr(brCustom), "Custom");
    EXPECT_EQ(StopBitsToStr(sbOne5StopBits), "1.5");
    EXPECT_EQ(DataBitsToStr(dbSeven), "7");
    EXPECT_EQ(ParityToStr(prSpace), "Space");
    EXPECT_EQ(FlowControlToStr(fcNone), "None");
    EXPECT_EQ(DTRFlowControlToStr(dtrHandshake), "Handshake");
    EXPECT_EQ(RTSFlowControlToStr(rtsToggle), "Toggle");

    EXPECT_EQ(StrToBaudRate("115200"), br115200);
    EXPECT_EQ(StrToBaudRate("12345"), br9600);
    EXPECT_EQ(StrToBaudRate("custom"), brCustom);
    EXPECT_EQ(StrToParity("mark"), prMark);
    EXPECT_EQ(StrToParity("bogus"), prNone);
    EXPECT_EQ(StrToFlowControl(""), fcCustom);
    EXPECT_EQ(StrToFlowControl("HARDWARE"), fcHardware);
    EXPECT_EQ(StrToStopBits("2"), sbTwoStopBits);
    EXPECT_EQ(StrToStopBits("3"), sbOneStopBit);
    EXPECT_EQ(StrToDataBits("5"), dbFive);
    EXPECT_EQ(StrToDataBits("x"), dbEight);

    // The program INI file stores these ordinals.
    EXPECT_EQ(int(br9600), 7);
    EXPECT_EQ(int(br115200), 13);
    EXPECT_EQ(int(br256000), 15);
    EXPECT_EQ(int(dbEight), 3);
    EXPECT_EQ(int(prSpace), 4);
    EXPECT_EQ(int(fcNone), 2);
    for (int i = 0; i <= int(br256000); ++i)
        EXPECT_EQ(StrToBaudRate(BaudRateToStr(TBaudRate(i))), TBaudRate(i));
    EXPECT_EQ(BaudRateValue(br56000), 56000);
}

TEST(Conversions, EventMasks)
{
    EXPECT_EQ(ComEventsToMask(TComEvents{evRxChar, evRLSD}), 0x0021u);
    EXPECT_EQ(ComEventsToMask(AllComEvents), 0x05FFu);
    EXPECT_EQ(MaskToComEvents(0x0100 | 0x0004 | 0x8000), (TComEvents{evRing, evTxEmpty}));
    EXPECT_EQ(MaskToComEvents(ComEventsToMask(AllComEvents)), AllComEvents);
}

TEST(ComErrors, MessagesCarryTheSystemCode)
{
    const EComPort withCode(7, 87);
    EXPECT_STREQ(withCode.what(), "SetCommState function failed (system error code: 87)");
    EXPECT_EQ(withCode.Code, 7);
    EXPECT_EQ(withCode.WinCode, 87);
    const EComPort plain(18);
    EXPECT_STREQ(plain.what(), "Link (un)registration failed");
    EXPECT_EQ(plain.WinCode, -1);
    EXPECT_STREQ(ComErrorMessage(1), "Unable to open com port");
    EXPECT_STREQ(ComErrorMessage(19), "Cannot change led state if ComPort is selected");
    EXPECT_STREQ(ComErrorMessage(23), "Registry error");
    EXPECT_STREQ(ComErrorMessage(24), "");
}

namespace
{
struct SysTree {
    std::string root;
    SysTree()
    {
        char tmpl[] = "/tmp/kivttyXXXXXX";
        root = mkdtemp(tmpl);
    }
    ~SysTree() { std::system(("rm -rf " + root).c_str()); }
    void Add(const std::string& name, bool device, int type = -1)
    {
        mkdir((root + "/" + name).c_str(), 0755);
        if (device)
            mkdir((root + "/" + name + "/device").c_str(), 0755);
        if (type >= 0)
            std::ofstream(root + "/" + name + "/type") << type << "\n";
    }
};
} // namespace

TEST(PortList, RealDevicesSortedWithoutPhantomUarts)
{
    SysTree t;
    t.Add("ttyUSB0", true);
    t.Add("ttyS1", true, 0); // a slot without a UART
    t.Add("ttyS0", true, 4); // a 16550A
    t.Add("ttyACM0", true);
    t.Add("tty1", false); // a virtual console
    t.Add("ptmx", false);
    std::vector<std::string> ports = {"stale"};
    EnumComPortsIn(t.root, ports);
    EXPECT_EQ(ports, (std::vector<std::string>{"ttyACM0", "ttyS0", "ttyUSB0"}));

    SysTree empty;
    EnumComPortsIn(empty.root, ports);
    EXPECT_TRUE(ports.empty());

    ports = {"kept"};
    EXPECT_TRUE(RaisesCom([&] { EnumComPortsIn(t.root + "/missing", ports); }, 23, ENOENT));
    EXPECT_EQ(ports, (std::vector<std::string>{"kept"}));
}
