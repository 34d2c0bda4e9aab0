#include "link/dataconversion.h"

#include <gtest/gtest.h>

TEST(DataConversion, UpperCaseHexPairsGiveTheirByte)
{
    const std::pair<const char *, int> cases[] = {{"0A", 10}, {"FF", 255}, {"00", 0}, {"9C", 0x9C}};
    for (const auto &[text, expected] : cases) {
        uint8_t value = 0x77;
        EXPECT_TRUE(TPDataConversion::HexPairToByte(QString::fromLatin1(text), &value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
}

TEST(DataConversion, AnythingElseIsRejectedAndLeavesTheByte)
{
    for (const char *text : {"0a", "ff", "G0", "0G", "A", "", "ABC", " A", "-1", "0x"}) {
        uint8_t value = 0x77;
        EXPECT_FALSE(TPDataConversion::HexPairToByte(QString::fromLatin1(text), &value)) << text;
        EXPECT_EQ(value, 0x77) << text;
    }
    uint8_t value = 0x77;
    EXPECT_FALSE(TPDataConversion::HexPairToByte(QString::fromUtf8("\xEF\xBC\xA1"
                                                                   "0"),
                                                 &value));
}
