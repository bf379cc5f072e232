#include "link/protocol/UnitAnswers.h"

#include <gtest/gtest.h>

using namespace UnitAnswers;

TEST(UnitAnswers, TokenizerFollowsStrtok)
{
    Tokenizer t(",,a,b,,c");
    EXPECT_EQ(t.Next(","), "a");
    EXPECT_EQ(t.Next(","), "b");
    EXPECT_EQ(t.Next(","), "c");
    EXPECT_FALSE(t.Next(","));
    EXPECT_FALSE(t.Next(","));

    // Each call goes on after the delimiter that ended the last token, with its own delimiter set.
    Tokenizer u("x:y z\r\nw");
    EXPECT_EQ(u.Next(":"), "x");
    EXPECT_EQ(u.Next(" "), "y");
    EXPECT_EQ(u.Next(" "), "z\r\nw");

    Tokenizer v(std::string_view("ab\0cd", 5));
    EXPECT_EQ(v.Next(","), "ab");
    EXPECT_FALSE(v.Next(","));
}

TEST(UnitAnswers, TimersFromTheAnswer)
{
    auto periods =
        ParseTimers("\r\nSWT\r\n1,00:00,60\r\n2,00:00,1440\r\n3,00:00,5\r\n4,00:00,0\r\n5,00:00, 720 \r\nOK\r\n");
    ASSERT_TRUE(periods);
    EXPECT_EQ(*periods, (std::array<std::string, 5>{"60", "1440", "5", "0", "720"}));
}

TEST(UnitAnswers, TimersRefusedWhenAnyPeriodIsMissingOrOutOfRange)
{
    EXPECT_FALSE(ParseTimers(""));
    EXPECT_FALSE(ParseTimers("\r\n\r\n"));
    EXPECT_FALSE(ParseTimers("SWT\r\n")); // one line only
    EXPECT_FALSE(ParseTimers("SWT\r\n1,00:00,60\r\n2,00:00,60\r\n3,00:00,60\r\n4,00:00,60\r\n"));
    EXPECT_FALSE(ParseTimers("SWT\r\n1,00:00,60\r\n2,00:00,1441\r\n3,00:00,1\r\n4,00:00,1\r\n5,00:00,1\r\n"));
    EXPECT_FALSE(ParseTimers("SWT\r\n1,00:00,60\r\n2,00:00,-1\r\n3,00:00,1\r\n4,00:00,1\r\n5,00:00,1\r\n"));
    EXPECT_FALSE(ParseTimers("SWT\r\n1,00:00,6x\r\n2,00:00,1\r\n3,00:00,1\r\n4,00:00,1\r\n5,00:00,1\r\n"));
    EXPECT_FALSE(ParseTimers("SWT\r\n1,00:00,99999\r\n2,00:00,1\r\n3,00:00,1\r\n4,00:00,1\r\n5,00:00,1\r\n"));
}

TEST(UnitAnswers, HardwareTypeWordIsTrimmed)
{
    EXPECT_EQ(ParseHardwareType("KVRP1: KIV-Corvo MOSS\r\nOK\r\n"), "MOSS");
    EXPECT_EQ(ParseHardwareType("KVRP1: KIV TARN\r\n"), "TARN");
    EXPECT_EQ(ParseHardwareType("KVRP1: KIV tarn"), "tarn");
    EXPECT_EQ(ParseHardwareType("HW:  KIV   MOSS  \r\n"), "MOSS");
    // Too few words after the colon, or no colon at all: an empty word.
    EXPECT_EQ(ParseHardwareType("KVRP1: KIV\r\n"), "");
    EXPECT_EQ(ParseHardwareType("no colon here"), "");
    // Nothing but colons, or nothing at all: no answer.
    EXPECT_FALSE(ParseHardwareType(":::"));
    EXPECT_FALSE(ParseHardwareType(""));
}
