#include "platform/Convert.h"

#include <gtest/gtest.h>

TEST(Convert, DecimalAndHexadecimal)
{
    EXPECT_EQ(StrToInt("10"), 10);
    EXPECT_EQ(StrToInt("-42"), -42);
    EXPECT_EQ(StrToInt("$10"), 16);
    EXPECT_EQ(StrToInt("0x10"), 16);
    EXPECT_EQ(StrToInt("  7"), 7);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(HexToInt("ff"), 255);
}

TEST(Convert, BadTextsRaiseTheUsersMessage)
{
    for (const char* bad : {"", "abc", "12a", "1 2", "0x", "$", "2147483648", "9999999999"}) {
        try {
            StrToInt(bad);
            ADD_FAILURE() << bad;
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' is not a valid integer value");
        }
    }
    EXPECT_EQ(StrToIntDef("x", 17), 17);
    EXPECT_EQ(StrToIntDef("$1F", 17), 31);
}

TEST(Convert, AtoiReadsTheLeadingNumberAndSaturates)
{
    EXPECT_EQ(AtoiSaturated("  42ms"), 42);
    EXPECT_EQ(AtoiSaturated("-7"), -7);
    EXPECT_EQ(AtoiSaturated("+3"), 3);
    EXPECT_EQ(AtoiSaturated("x1"), 0);
    EXPECT_EQ(AtoiSaturated(""), 0);
    EXPECT_EQ(AtoiSaturated("99999999999999999999"), 2147483647);
    EXPECT_EQ(AtoiSaturated("-99999999999999999999"), -2147483647 - 1);
}
