#include "platform/Convert.h"

#include <gtest/gtest.h>

TEST(Convert, DecimalAndHexadecimalAndTheUsersMessageForTheRest)
{
    for (auto [text, value] :
         {std::pair{"10", 10}, {"-42", -42}, {"$10", 16}, {"0x10", 16}, {"  7", 7}, {"2147483647", 2147483647}})
        EXPECT_EQ(StrToInt(text), value) << text;
    EXPECT_EQ(HexToInt("ff"), 255);
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
    for (auto [text, value] : {std::pair{"  42ms", 42},
                               {"-7", -7},
                               {"+3", 3},
                               {"x1", 0},
                               {"", 0},
                               {"99999999999999999999", 2147483647},
                               {"-99999999999999999999", -2147483647 - 1}})
        EXPECT_EQ(AtoiSaturated(text), value) << text;
}
