// A line that holds one of the tool's bytes back past the port's write time limit (a CTS that drops for a
// moment): every sender stops at that byte with one port error, goes on with nothing that depended on it and
// reports no success. The unit answers at once; after the held byte the line is free again.
#include "TermPageRig.h"

#include "link/protocol/Protocol.h"

#include <QLineEdit>

namespace
{
const char* kHeld = "Write time-out: the line held the data back";

struct HeldLine : TermPageRig {
    SimUnit unit;
    HeldLine()
    {
        port.Unit = &unit;
        link.Timing = LinkTiming{}.Scaled(0, 0.05);
        store.ImageLoaded = 1;
        page.ComboBox8->setEditText("+4670123");
        page.ComboBox9->setEditText("Alarm");
    }
    void Fresh()
    {
        unit = SimUnit{};
        port.Forget();
        host.PortErrors.clear();
        host.Status.clear();
        now = LocalTime{2026, 3, 5, 9, 7, 3, 0};
    }
    void Script(const std::vector<std::string>& lines)
    {
        page.ScriptComboBox->clear();
        for (const auto& l : lines)
            page.ScriptComboBox->addItem(QString::fromLatin1(l.c_str()));
        page.SpeedButton7Click();
    }
};

struct HeldCase {
    const char* name;
    std::function<void(HeldLine&)> run;
    std::string heldIn; // the byte held is the offset-th of the first of these on the wire (-1: the one before)
    int offset;
    std::string after; // what goes out after the held byte
    std::string status;
};
} // namespace

TEST_F(HeldLine, EverySenderStopsAtTheHeldByteAndReportsNoSuccess)
{
    const auto restore = std::string(Protocol::kRestore);
    const HeldCase cases[] = {
        {"send box", [](HeldLine& t) { t.Send("KVRIS"); }, "KVRIS", 2, "", ""},
        {"clock", [](HeldLine& t) { t.page.SetRTCButtonClick(); }, "KVSRD", 3, "", ""},
        {"sms", [](HeldLine& t) { t.page.SpeedButton11Click(); }, "AT+CMGF", 4, "", ""},
        {"reset", [](HeldLine& t) { t.page.SpeedButton12Click(); }, "KV&SR", 0, "", ""},
        {"script",
         [](HeldLine& t) {
             t.Script({"KVI", "KVSWT?"});
         },
         "KVI", 2, "", ""},
        {"timer set", [](HeldLine& t) { t.link.SetSWTButtonClick(); }, "KVSWT=3", 6, "", ""},
        {"write, timer set",
         [](HeldLine& t) {
             t.host.RS = true;
             t.link.WriteEEPROMExecuteClick();
             t.host.RS = false;
         },
         "KVSWT=3", 6, restore, Msg::kCommFailure},
        {"read, password", [](HeldLine& t) { t.link.ReadEEPROMExecuteClick(); }, "kvpw=", 3, restore,
         Msg::kCommFailure},
        {"write, block command", [](HeldLine& t) { t.link.WriteEEPROMExecuteClick(); }, "KVWEB1", 5, restore,
         Msg::kCommFailure},
        {"write, frame byte", [](HeldLine& t) { t.link.WriteEEPROMExecuteClick(); }, "KVWEB0", 100, restore,
         Msg::kCommFailure},
        {"write, the frame's closing CR", [](HeldLine& t) { t.link.WriteEEPROMExecuteClick(); }, "KVWEB1", -1, restore,
         Msg::kCommFailure},
        {"service panel, frame byte", [](HeldLine& t) { t.page.Button3Click(); }, "KVWXB=", 50, restore,
         Msg::kCommFailure},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        c.run(*this);
        const std::string whole = port.Wire();
        const size_t found = whole.find(c.heldIn);
        ASSERT_NE(found, std::string::npos);
        ASSERT_TRUE(host.PortErrors.empty());
        const size_t at = found + c.offset;

        Fresh();
        port.HoldWriteAt = static_cast<int>(at); // every write is one byte
        c.run(*this);
        EXPECT_EQ(host.PortErrors, std::vector<std::string>{kHeld});
        EXPECT_EQ(port.Wire(), whole.substr(0, at) + c.after);
        EXPECT_EQ(host.Status, c.status);
        EXPECT_FALSE(link.Busy.Busy());
    }
}
