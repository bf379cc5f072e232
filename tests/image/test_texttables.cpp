#include "image/TextTables.h"

#include <gtest/gtest.h>

TEST(TextTables, BaudNames)
{
    EXPECT_EQ(BaudRateName(0), "");
    EXPECT_EQ(BaudRateName(13), "115200");
    EXPECT_EQ(BaudRateName(14), "");
    EXPECT_EQ(BaudRateName(15), "");
    EXPECT_EQ(BaudRateName(16), "");
}

TEST(TextTables, CommandDescriptions)
{
    EXPECT_EQ(CommandDescription(24), "Show active profile(KV&&V)");
    EXPECT_EQ(CommandDescriptionShown(24), "Show active profile(KV&V)");
    EXPECT_EQ(CommandDescription(7), CommandDescription(11));
    EXPECT_EQ(CommandDescription(59), "Set SMS Limit Counter(KV-SL)");
    EXPECT_EQ(CommandDescription(60), "");
    EXPECT_EQ(CommandDescriptionShown(51), "Get IP status profile(KV-I&IP)");
}
