#include "ChannelFixture.h"

#include "channels/CommandText.h"
#include "platform/Convert.h"

#include <QLineEdit>
#include <gtest/gtest.h>

using namespace std::string_literals;

TEST_F(ChannelPage, PowerInLowLevelIsTruncatedHundredthsClampedToItsRange)
{
    struct Case {
        const char* typed;
        const char* shown;
        std::string stored; // 286-287; empty: the conversion error, nothing written
    };
    const Case cases[] = {{"11.57", "11.57", "\x04\x85"s},
                          {"0.29", "0.29", "\x00\x1D"s},
                          {"25.5", "25", "\x09\xC4"s},
                          {"25", "25", "\x09\xC4"s},
                          {"-1", "0", "\x00\x00"s},
                          {"1e30", "25", "\x09\xC4"s},
                          {"nan", "nan", ""},
                          {"inf", "inf", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Load(286, "\x12\x34"s);
        if (c.stored.empty()) {
            EXPECT_THROW(Type("IO8lowerLevel", c.typed), EConvertError);
            EXPECT_FALSE(image.Image.AnyMarked(286, 2));
        } else {
            Type("IO8lowerLevel", c.typed);
            EXPECT_EQ(image.Image.Bytes(286, 2), c.stored);
        }
        EXPECT_EQ(ctx.Get<QLineEdit>("IO8lowerLevel")->text().toStdString(), c.shown);
    }
    for (const auto& [stored, shown] : {std::pair{"\x04\x7E"s, "11.5"}, {"\x04\xB0"s, "12"}, {"\xFF\x9C"s, "654.36"}}) {
        Load(286, stored);
        EXPECT_EQ(ctx.Get<QLineEdit>("IO8lowerLevel")->text().toStdString(), shown);
    }
}

TEST_F(ChannelPage, UnitCommandsAreStoredWithoutTheirPrefixInTheirOwnSlot)
{
    const std::pair<std::string, std::string> strips[] = {
        {"KVSRTC=1:00:00:00", "SRTC=1:00:00:00"}, {"kvsrd", "srd"}, {"kV", ""}, {"K", "K"}, {"SRD", "SRD"}, {"", ""}};
    for (const auto& [typed, stored] : strips)
        EXPECT_EQ(StripCommandPrefix(typed), stored) << typed;

    const std::pair<const char*, int> edits[] = {
        {"IO1kvcmdText", 1128},  {"IO1kvcmdText2", 1233}, {"IO2kvcmdText", 1149},
        {"IO2kvcmdText2", 1254}, {"IO3kvcmdText", 1170},  {"IO3kvcmdText2", 1275},
        {"IO4kvcmdText", 1191},  {"IO4kvcmdText2", 1296}, {"IO8kvcmdText", 1212}};
    const std::string full(20, 'C');
    for (const auto& [name, address] : edits) {
        SCOPED_TRACE(name);
        Load(address - 1, std::string(23, '\xFF'));
        Type(name, ("kv" + full).c_str()); // the edit holds 20 characters: "kv" and 18 more
        EXPECT_EQ(image.Image.Bytes(address - 1, 23), "\xFF"s + full.substr(2) + '\0' + "\xFF\xFF\xFF"s);
        EXPECT_EQ(ctx.Get<QLineEdit>(name)->text().toStdString(), full.substr(2));
        Type(name, full.c_str());
        EXPECT_EQ(image.Image.Bytes(address - 1, 23), "\xFF"s + full + '\0' + "\xFF"s) << "the slot's last byte";
    }
}

TEST_F(ChannelPage, DelaysClampAndTheRestoreDelayIsOneForAll)
{
    const int delays[] = {171, 173, 191, 208, 225, 242, 259, 284};
    for (int n = 1; n <= 8; ++n) {
        SCOPED_TRACE(n);
        for (const auto& [typed, shown, stored] : {std::tuple{"5000", "3600", "\x0E\x10"s}, {"-5", "0", "\x00\x00"s}}) {
            Type(Name("delay", n, "Edit").c_str(), typed);
            EXPECT_EQ(ctx.Get<QLineEdit>(Name("delay", n, "Edit"))->text().toStdString(), shown);
            EXPECT_EQ(image.Image.Bytes(delays[n - 1], 2), stored);
        }
        for (const auto& [typed, stored, shown] :
             {std::tuple{"65535", "\x02\x58"s, "600"}, {"70000", "\x02\x58"s, "600"}, {"-1", "\x00\x00"s, "0"}}) {
            Type(Name("RestoreEdit", n).c_str(), typed);
            EXPECT_EQ(image.Image.Bytes(275, 2), stored) << typed;
            EXPECT_EQ(ctx.Get<QLineEdit>(Name("RestoreEdit", 9 - n))->text().toStdString(), shown);
        }
    }
    Load(275, "\xFF\xFF"s);
    EXPECT_EQ(ctx.Get<QLineEdit>("RestoreEdit1")->text(), "600");
}

// Before a write the Set buttons commit what was typed but not yet left, each channel its own edits, the
// power-in monitor's unit command included.
TEST_F(ChannelPage, CommitsStoreWhatWasTypedButNotLeft)
{
    const char* typed[] = {"IO2alarmText2", "IO3kvcmdText2", "IO8kvcmdText", "IO7alarmText"};
    for (const char* name : typed) {
        ctx.Get<QLineEdit>(name)->selectAll();
        ctx.Get<QLineEdit>(name)->insert("KVxy"); // typed over the shown text
    }
    for (const char* name : {"IO4upperLevel", "hystEdit6", "IO5constX1", "IO2unit"}) {
        ctx.Get<QLineEdit>(name)->selectAll();
        ctx.Get<QLineEdit>(name)->insert("3000");
    }
    Type("IO8lowerLevel", "3"); // left already: committing it again changes nothing
    image.UnmarkRange(0, 3072);
    commits.Run();
    EXPECT_EQ(image.Image.Bytes(579, 5), "KVxy\0"s);
    EXPECT_EQ(image.Image.Bytes(1275, 3), "xy\0"s);
    EXPECT_EQ(image.Image.Bytes(1212, 3), "xy\0"s);
    EXPECT_EQ(image.Image.Bytes(483, 5), "KVxy\0"s);
    EXPECT_EQ(image.Image.Bytes(194, 2), "\x09\xC4"s) << "held at 2500 mV";
    EXPECT_EQ(image.Image.Bytes(232, 2), "\x0B\xB8"s);
    EXPECT_EQ(image.Image.Bytes(2086, 2), "\x0B\xB8"s);
    EXPECT_EQ(image.Image.Bytes(2494, 5), "3000\0"s);
    EXPECT_FALSE(image.Image.AnyMarked(286, 2));
}
