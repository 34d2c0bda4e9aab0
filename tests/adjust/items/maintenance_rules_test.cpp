#include "adjust/items/maintenance/maintenance.h"

#include <gtest/gtest.h>

namespace
{
TEST(WasteInkLimit, TwoFormulasMeetAtFiftyAndAreClamped)
{
    const struct {
        uint8_t a, b, c;
        int32_t limit;
    } rows[] = {
        {0, 50, 0, 45000},    // last step of the steep formula
        {0, 51, 0, 46750},    // 46950 before clamping
        {0, 49, 0, 44500},    //
        {10, 51, 5, 42450},   // 36750 + 10200 - 3500 - 1000
        {4, 20, 3, 28000},    // 20000 + 10000 - 1400 - 600
        {255, 0, 0, 20000},   // negative raw limit
        {0, 0, 0, 20000},     //
        {0, 255, 255, 36750}, //
        {0, 255, 0, 46750},   //
    };
    for (const auto &row : rows)
        EXPECT_EQ(TPMaintenance::LimitFrom(row.a, row.b, row.c), row.limit)
            << int(row.a) << "/" << int(row.b) << "/" << int(row.c);
}

TEST(WasteInkLimit, ClampKeepsTheValuesInsideTheRange)
{
    const struct {
        int32_t raw, limit;
    } rows[] = {{-100000, 20000}, {19999, 20000}, {20000, 20000}, {20001, 20001},
                {46749, 46749},   {46750, 46750}, {46751, 46750}, {99999, 46750}};
    for (const auto &row : rows)
        EXPECT_EQ(TPMaintenance::ClampLimit(row.raw), row.limit) << row.raw;
}

TEST(WasteInkRate, RoundsUpAndGoesBeyondAHundred)
{
    const struct {
        uint32_t counter;
        int64_t limit;
        int64_t rate;
    } rows[] = {{0, 46750, 0},       {1, 46750, 1},       {46750, 46750, 100},
                {46751, 46750, 101}, {20000, 20000, 100}, {65535, 20000, 328},
                {46750, 45000, 104}, {1, 0, -1},          {1, -5, -1}};
    for (const auto &row : rows)
        EXPECT_EQ(TPMaintenance::UsageRate(row.counter, row.limit), row.rate)
            << row.counter << "/" << row.limit;
}

TEST(WasteInkRate, CounterBytesAreHighThenLow)
{
    EXPECT_EQ(TPMaintenance::CounterFrom(0xB6, 0x9E), 46750);
    EXPECT_EQ(TPMaintenance::CounterFrom(0xFF, 0xFF), 65535);
}

TEST(WasteInkRate, ReadLineWithoutALimitGivesNoRate)
{
    EXPECT_EQ(TPMaintenance::RateLine(1, "46750"), "Waste ink pad usage rate: 1%");
    for (const char *limitText : {"", "0", "abc"}) {
        const QString line = TPMaintenance::RateLine(500, QString::fromLatin1(limitText));
        EXPECT_TRUE(line.startsWith("Waste ink pad usage rate: ")) << limitText;
        EXPECT_TRUE(line.contains("not available")) << limitText;
        EXPECT_FALSE(line.contains('%')) << limitText;
    }
}
} // namespace
