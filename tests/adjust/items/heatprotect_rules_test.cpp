#include "adjust/items/heatprotectoffset/heatprotectoffset.h"
#include "link/wait.h"

#include <gtest/gtest.h>
#include <numeric>
#include <vector>

namespace
{
using Values = TPHeatProtect::Values;
using Poll = TPHeatProtect::Poll;

TEST(HeatProtectRules, OffsetFollowsTheDispersionWithinItsLimits)
{
    const struct {
        int dispersion;
        uint8_t offset;
    } rows[] = {{-2, 42},    {0, 44},       {40, 80},    {41, 80},    {500, 80},  {-77, 0xE7},
                {-78, 0xE7}, {-1000, 0xE7}, {-48, 0x01}, {-49, 0x00}, {-50, 0xFF}};
    for (const auto &row : rows)
        EXPECT_EQ(TPHeatProtect::OffsetFor(row.dispersion), row.offset) << row.dispersion;
}

TEST(HeatProtectRules, DispersionTruncatesTowardZero)
{
    EXPECT_EQ(TPHeatProtect::Dispersion({380, 381, 382}, {700, 700, 701}), -2);
    EXPECT_EQ(TPHeatProtect::Dispersion({380, 380, 380}, {380, 380, 380}), 317);
    EXPECT_EQ(TPHeatProtect::Dispersion({300, 300, 300}, {617, 617, 618}), 0);
}

TEST(HeatProtectRules, DriveTimesOutsideTheirSeriesAreRefused)
{
    const struct {
        const TPHeatProtect::Series &series;
        int driveTime;
        bool accepted;
    } rows[] = {{TPHeatProtect::SlowSeries, 273, false}, {TPHeatProtect::SlowSeries, 274, true},
                {TPHeatProtect::SlowSeries, 502, true},  {TPHeatProtect::SlowSeries, 503, false},
                {TPHeatProtect::FastSeries, 545, false}, {TPHeatProtect::FastSeries, 546, true},
                {TPHeatProtect::FastSeries, 870, true},  {TPHeatProtect::FastSeries, 871, false},
                {TPHeatProtect::SlowSeries, 700, false}};
    for (const auto &row : rows)
        EXPECT_EQ(TPHeatProtect::Accepts(row.series, row.driveTime), row.accepted) << row.driveTime;
}

TEST(HeatProtectRules, SpreadOfMoreThanTenIsTooWide)
{
    EXPECT_TRUE(TPHeatProtect::SpreadTooWide({380, 391, 385}));
    EXPECT_TRUE(TPHeatProtect::SpreadTooWide({712, 700, 694}));
    EXPECT_FALSE(TPHeatProtect::SpreadTooWide({380, 390, 385}));
    EXPECT_FALSE(TPHeatProtect::SpreadTooWide({700, 700, 700}));
}

class RecordedWaits
{
public:
    RecordedWaits()
    {
        Wait::SetHandler([this](int ms) { asked.push_back(ms); });
    }
    ~RecordedWaits() { Wait::SetHandler(nullptr); }
    std::vector<int> asked;
};

TEST(HeatProtectRules, ReadyWaitPollsOnceASecondAndGivesUpAfterAFewMinutes)
{
    const struct {
        const char *name;
        int readyAtPoll; // 0: never
        Poll otherwise;
    } rows[] = {{"ready at once", 1, Poll::NotReady},
                {"ready after busy polls", 4, Poll::NotReady},
                {"answers again and is ready", 3, Poll::Failed},
                {"answers again after failures", TPHeatProtect::MaxFailedInquiries, Poll::Failed},
                {"stays busy", 0, Poll::NotReady},
                {"never answers", 0, Poll::Failed}};
    for (const auto &row : rows) {
        RecordedWaits waits;
        int polls = 0;
        int failures = 0;
        const bool ready = TPHeatProtect::WaitForReady(
            [&] { return ++polls == row.readyAtPoll ? Poll::Ready : row.otherwise; },
            [&] { ++failures; });
        const int waited = std::accumulate(waits.asked.begin(), waits.asked.end(), 0);
        EXPECT_EQ(static_cast<int>(waits.asked.size()), polls - 1) << row.name;
        if (row.readyAtPoll) {
            EXPECT_TRUE(ready) << row.name;
            EXPECT_EQ(polls, row.readyAtPoll) << row.name;
            EXPECT_EQ(waited, (polls - 1) * 1000) << row.name;
        } else if (row.otherwise == Poll::NotReady) {
            EXPECT_FALSE(ready) << row.name;
            EXPECT_GE(waited, 60 * 1000) << row.name;
            EXPECT_LE(waited, 5 * 60 * 1000) << row.name;
        } else {
            // Every failed inquiry also waits out the link's time-out: a few in a row end it.
            EXPECT_FALSE(ready) << row.name;
            EXPECT_EQ(polls, TPHeatProtect::MaxFailedInquiries) << row.name;
        }
        EXPECT_EQ(failures, row.otherwise == Poll::Failed ? polls - (ready ? 1 : 0) : 0)
            << row.name;
    }
}
} // namespace
