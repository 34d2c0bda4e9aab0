#include "adjust/items/market/market.h"

#include <gtest/gtest.h>

namespace
{
using Bytes = TPMarket::MarketBytes;
using Verdict = TPMarket::Verdict;

std::vector<TPMarket::Write> writesOf(int destination)
{
    return TPMarket::SettingWrites(destination);
}

TEST(MarketWrites, FixedBytesFirstThenMarketBytesInAddressOrder)
{
    const std::vector<TPMarket::Write> expected = {{0x2A, 0x03}, {0x30, 0x04}, {0x6F, 0x00},
                                                   {0x6E, 0x00}, {0x5B, 0xBA}, {0xCD, 0x01}};
    EXPECT_EQ(writesOf(TPMarket::Latin), expected);
}

TEST(MarketWrites, EachDestinationWritesItsRow)
{
    const struct {
        int destination;
        Bytes bytes;
    } rows[] = {{TPMarket::UsEuro, {0x00, 0xBA, 0x00}},
                {TPMarket::Latin, {0x00, 0xBA, 0x01}},
                {TPMarket::Asia, {0x04, 0xFA, 0x01}},
                {TPMarket::Eal, {0x04, 0xFA, 0x01}}};
    for (const auto &row : rows) {
        const auto writes = writesOf(row.destination);
        ASSERT_EQ(writes.size(), 6u) << row.destination;
        EXPECT_EQ(writes[3], (TPMarket::Write{0x6E, row.bytes[0]})) << row.destination;
        EXPECT_EQ(writes[4], (TPMarket::Write{0x5B, row.bytes[1]})) << row.destination;
        EXPECT_EQ(writes[5], (TPMarket::Write{0xCD, row.bytes[2]})) << row.destination;
    }
}

TEST(MarketWrites, UnknownDestinationWritesOnlyTheFixedBytes)
{
    for (int destination : {2, 5, 255}) {
        const auto writes = writesOf(destination);
        ASSERT_EQ(writes.size(), 3u);
        EXPECT_EQ(writes.back(), (TPMarket::Write{0x6F, 0x00}));
        EXPECT_FALSE(TPMarket::BytesFor(destination).has_value());
    }
}

TEST(MarketCheck, RightBytesNameTheMarket)
{
    EXPECT_EQ(TPMarket::Check(TPModel::Q510, TPMarket::UsEuro, {0x00, 0xBA, 0x00}).marketText,
              "US / Euro.");
    EXPECT_EQ(TPMarket::Check(TPModel::Q510, TPMarket::Latin, {0x00, 0xBA, 0x01}).marketText,
              "LATIN.");
    EXPECT_EQ(TPMarket::Check(TPModel::Q530, TPMarket::Asia, {0x04, 0xFA, 0x01}).marketText,
              "Asia.");
    EXPECT_EQ(TPMarket::Check(TPModel::Q530, TPMarket::Eal, {0x04, 0xFA, 0x01}).marketText, "EAL.");
}

TEST(MarketCheck, LatinAndUsEuroDifferOnlyInCdAndAreNotMistaken)
{
    EXPECT_EQ(TPMarket::Check(TPModel::Q510, TPMarket::Latin, {0x00, 0xBA, 0x00}).verdict,
              Verdict::Wrong);
    EXPECT_EQ(TPMarket::Check(TPModel::Q510, TPMarket::UsEuro, {0x00, 0xBA, 0x01}).verdict,
              Verdict::Wrong);
    EXPECT_EQ(TPMarket::Check(TPModel::Q510, TPMarket::UsEuro, {0x00, 0xBA, 0x00}).verdict,
              Verdict::Right);
}

TEST(MarketCheck, EalIgnoresCdButAsiaDoesNot)
{
    for (int cd : {0x00, 0x01, 0x7F, 0xFF})
        EXPECT_EQ(TPMarket::Check(TPModel::Q530, TPMarket::Eal, {0x04, 0xFA, uint8_t(cd)}).verdict,
                  Verdict::Right)
            << cd;
    EXPECT_EQ(TPMarket::Check(TPModel::Q530, TPMarket::Asia, {0x04, 0xFA, 0x00}).verdict,
              Verdict::Wrong);
    EXPECT_EQ(TPMarket::Check(TPModel::Q530, TPMarket::Eal, {0x04, 0xFB, 0x01}).verdict,
              Verdict::Wrong);
    EXPECT_EQ(TPMarket::Check(TPModel::Q530, TPMarket::Eal, {0x00, 0xFA, 0x01}).verdict,
              Verdict::Wrong);
}

TEST(MarketCheck, ModelAndDestinationOutsideThePairsAreNotJudged)
{
    // A Q530 never carries US/Euro or Latin, a Q510 never Asia or EAL.
    EXPECT_EQ(TPMarket::Check(TPModel::Q530, TPMarket::UsEuro, {0x00, 0xBA, 0x00}).verdict,
              Verdict::Unchecked);
    EXPECT_EQ(TPMarket::Check(TPModel::Q510, TPMarket::Eal, {0x04, 0xFA, 0x01}).verdict,
              Verdict::Unchecked);
    EXPECT_EQ(TPMarket::Check(TPModel::None, TPMarket::Asia, {0x04, 0xFA, 0x01}).verdict,
              Verdict::Unchecked);
    EXPECT_EQ(TPMarket::Check(TPModel::Q510, 255, {0x00, 0xBA, 0x00}).verdict, Verdict::Unchecked);
}
} // namespace
