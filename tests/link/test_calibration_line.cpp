#include "image/ImageStore.h"
#include "link/protocol/CalibrationLine.h"

#include <gtest/gtest.h>

TEST(CalibrationLine, NamesEveryByteOfTheBlockWithItsAddress)
{
    struct Case {
        int channel;
        TCalibrationBlock block;
        const char* line;
    } const cases[] = {
        {7,
         {0xFFFF, 0, 0, 0x0102, ""},
         "KVWE=QZ7M4K,2116:255,2117:255,2118:0,2119:0,2120:0,2121:0,2122:1,2123:2,2124:0\r"},
        {5,
         {1, 2, 3, 4,
          "\xB0"
          "C"},
         "KVWE=QZ7M4K,2082:0,2083:1,2084:0,2085:2,2086:0,2087:3,2088:0,2089:4,2090:176,2091:67,2092:0\r"},
        // a text longer than the slot stops at its eighth character, so the next block is never written
        {2,
         {0, 0, 0, 0, "abcdefghij"},
         "KVWE=QZ7M4K,2486:0,2487:0,2488:0,2489:0,2490:0,2491:0,2492:0,2493:0,2494:97,2495:98,2496:99,2497:100,"
         "2498:101,2499:102,2500:103,2501:104,2502:0\r"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CalibrationLine(CalibrationBlockAddress(c.channel), c.block), c.line) << c.channel;
}

TEST(CalibrationLine, BlockIsReadAsTheImageHoldsIt)
{
    ImageStore image;
    image.setDefaultClick();
    image.LoadPlain(2065, std::string("\xFF\xFE\x00\x10\x80\x00\x00\x01km/h\0xyz", 17));
    const TCalibrationBlock block = ReadCalibrationBlock(image, 4);
    EXPECT_EQ(block.y1, 0xFFFE);
    EXPECT_EQ(block.y2, 0x0010);
    EXPECT_EQ(block.x1, 0x8000);
    EXPECT_EQ(block.x2, 0x0001);
    EXPECT_EQ(block.unit, "km/h");
}
