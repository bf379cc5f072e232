#include "AppTestSupport.h"
#include "ImageDiff.h"

#include "app/Saveprogress.h"
#include "link/protocol/BusyGuard.h"
#include "link/ui/ServerPage.h"
#include "platform/ui/StatusBar.h"
#include "sim/SimTcp.h"

#include <QAction>
#include <QToolButton>
#include <gtest/gtest.h>

// The main window's TCP road: the File menu connects to a unit that listens, the Server page reads its image.
class ServerRoad : public ::testing::Test, protected TWindowRig
{
  protected:
    void Connect(double scale)
    {
        form.Server->Timing = LinkTiming{}.Scaled(0.05, scale);
        form.ServerPage1->ClientPortEdit->setText(QString::number(sim.Port()));
        dialogs.AnswerInput(true, "127.0.0.1");
        form.FileConnectItem->trigger();
        ASSERT_TRUE(PumpUntil([&] { return form.Server->Tcp.ClientActive(); }));
    }

    SimTcp sim{SimTcp::AsServer};
    TForm1 form{OptionsWith(ini)};
};

TEST_F(ServerRoad, ConnectFromTheMenuAndReadOverTcp)
{
    sim.WithUnit([](SimUnit& unit) {
        unit.Password = "";
        for (int a = 0; a < SimUnit::kConfigSize; ++a)
            unit.Memory[static_cast<size_t>(a)] = static_cast<uint8_t>(a * 13 + 1);
    });
    Connect(0.25);
    EXPECT_EQ(form.StatusBar1->PanelText(1).rfind("CLIENT: Connect to: ", 0), 0u) << form.StatusBar1->PanelText(1);

    form.ServerPage1->ReadButtonTCP->click();
    ASSERT_TRUE(PumpUntil([&] { return form.Server->Transfer.Idle(); }));
    EXPECT_EQ(form.Status(), "EEPROM Read OK!");
    const std::string unit = sim.WithUnit(
        [](SimUnit& u) { return std::string(reinterpret_cast<const char*>(u.Memory.data()), SimUnit::kConfigSize); });
    // Every byte arrived; the redraw after the read rewrites only what its rules correct, marked as edits.
    for (int a : ChangedAddresses(unit, form.Image.Image.Bytes(0, 3072)))
        EXPECT_TRUE(form.Image.Image.Marked(a)) << "byte " << a << " differs from the unit's, unmarked";
    EXPECT_EQ(form.Image.Image.Bytes(0, 141), unit.substr(0, 141)) << "the texts, which no redraw writes";
    EXPECT_FALSE(form.TransferRunning());

    form.Disconnect1->trigger();
    EXPECT_TRUE(PumpUntil([&] { return !form.Server->Tcp.ClientActive(); }));
}

// One unit operation at a time: while the serial link holds the guard, a TCP transfer is refused, and the
// other way round; closing the window asks the same guard.
TEST_F(ServerRoad, SerialAndTcpTransfersWaitForEachOther)
{
    Connect(0.01);
    {
        BusyScope serial(form.Link.Busy, "write", [](const std::string&) {});
        form.ServerPage1->ReadButtonTCP->click();
        EXPECT_EQ(form.Status(), BusyScope::Refusal());
        EXPECT_TRUE(form.Server->Transfer.Idle());
    }
    EXPECT_EQ(sim.Received(), "") << "nothing reached the unit";

    sim.HoldAfter(0); // the unit answers nothing: the TCP read stays under way
    form.ServerPage1->ReadButtonTCP->click();
    ASSERT_TRUE(form.Server->Transfer.tcpReading);
    EXPECT_TRUE(form.TransferRunning());
    form.ReadEEPROM->trigger();
    EXPECT_EQ(form.Status(), BusyScope::Refusal());
    EXPECT_FALSE(form.Link.RefuseWhileBusy()) << "the serial port may still be opened or closed";
    form.FormSave->close(); // the user gives the read up
    EXPECT_FALSE(form.TransferRunning());
    EXPECT_FALSE(form.LinkGuard.Busy());
}
