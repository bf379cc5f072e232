#include "LinkRig.h"

#include "link/protocol/Protocol.h"

// The table as it stands: the unit answers within the delays the firmware expects.
struct RealTiming : LinkRig {
    RealTiming() { link.Timing = LinkTiming{}; }
};

TEST_F(RealTiming, Read)
{
    link.ReadEEPROMExecuteClick();
    EXPECT_EQ(host.Status, Msg::kReadOk);
    EXPECT_TRUE(SameBytes(Image(0, 3072), UnitMemory(0, 3072)));
    EXPECT_EQ(host.ModemType, "MOSS");
    EXPECT_TRUE(Unit().Violations.empty());
}

TEST_F(RealTiming, WriteWithTimersAndLogClear)
{
    host.RS = true;
    host.ClearMem = true;
    std::string image;
    for (int i = 0; i < 2048; ++i)
        image.push_back(static_cast<char>(255 - (i & 0xFF)));
    store.LoadPlain(0, image);
    link.WriteEEPROMExecuteClick();
    EXPECT_EQ(host.Status, Msg::kWriteOk);
    EXPECT_TRUE(SameBytes(UnitMemory(0, 2048), image));
    EXPECT_EQ(Unit().Timers, host.TimerEdits);
    EXPECT_EQ(Commands().back(), "kvspi=0,0");
    EXPECT_TRUE(SameBytes(UnitMemory(3072, 16), std::string(16, '\xFF')));
    EXPECT_TRUE(Unit().Violations.empty());
}
