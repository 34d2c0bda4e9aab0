// Pieces of the check prints, laid out as the service program sends them: absolute and
// relative positions, literal records, the photo prints' units. Marks land on the dots the
// layouts name, in the inks they name.

#include <gtest/gtest.h>

#include "printrun.h"

namespace
{

using simtest::InkedPixels;
using simtest::PrintRun;
using simtest::StreamBuilder;

constexpr int kLeft = 48;
constexpr int kTop = 42;
const int kColors[6] = {0, 2, 0x12, 1, 0x11, 4};

bool Cyanish(QRgb rgb)
{
    return qRed(rgb) + 40 < qBlue(rgb);
}
bool Grey(QRgb rgb)
{
    return qAbs(qRed(rgb) - qBlue(rgb)) < 20 && qRed(rgb) < 200;
}

TEST(PrintEngineCheckPatterns, DotAlignmentMarksSitAtTheirAbsolutePositions)
{
    StreamBuilder s;
    s.Reset().EnterGraphicsMode().SetUnit(10).SetPrintDirection(1).SetDotSize(16);
    for (int k = 0; k < 2; ++k) {
        const int mark = k == 0 ? 0xF0 : 0x55;
        s.SetDotSize(k == 0 ? 16 : 17).SetColorMode(1);
        for (int c = 0; c < 6; ++c) {
            s.AbsolutePosition(160 * (6 * k + c)).Block(kColors[c], 80, 90);
            for (int line = 0; line < 90; ++line) {
                s.RepeatSend(1, mark).RepeatSend(11, 0).RepeatSend(1, mark).RepeatSend(11, 0);
                s.RepeatSend(56, 0);
            }
        }
        s.SetUnit(10).Feed(0);
    }
    s.EndPage();
    PrintRun run;
    const nlohmann::json report = run.Job(s);
    EXPECT_EQ(report["errorCount"], 0) << report["errors"].dump(2);
    ASSERT_EQ(run.pages.size(), 1u);
    const QImage &page = run.pages[0].image;
    // VSD1 black: two value-3 dots at 0 and 1, the second mark 12 bytes (48 dots) on.
    EXPECT_TRUE(Grey(page.pixel(kLeft, kTop)));
    EXPECT_TRUE(Grey(page.pixel(kLeft + 49, kTop + 3)));
    EXPECT_FALSE(Grey(page.pixel(kLeft + 2, kTop)));
    // VSD1 cyan at 160 dots; VSD2 black (value-1 dots) at 960 dots, four in a row.
    EXPECT_TRUE(Cyanish(page.pixel(kLeft + 160, kTop)));
    for (int dx = 0; dx < 4; ++dx) {
        EXPECT_TRUE(Grey(page.pixel(kLeft + 960 + dx, kTop + 3 * 89)));
    }
    EXPECT_LT(qRed(page.pixel(kLeft, kTop)), qRed(page.pixel(kLeft + 960, kTop)));
    EXPECT_EQ(report["commands"]["HorizontalPosition"], 12);
}

TEST(PrintEngineCheckPatterns, NozzleColumnShiftBlocksFollowOnWithRelativeMoves)
{
    StreamBuilder s;
    s.Reset().EnterGraphicsMode().SetUnit(10).SetPrintDirection(1).SetDotSize(18);
    const auto band = [&s](int color, bool top) {
        s.Block(color, 110, 90);
        for (int line = 0; line < 90; ++line) {
            const bool marked = (line < 45) == top;
            for (int i = 0; i < 11; ++i) {
                s.RepeatSend(1, marked ? 0x55 : 0x00).RepeatSend(9, 0x00);
            }
        }
        s.RelativeMove(50);
    };
    for (int b = 0; b < 5; ++b) {
        band(0, true);
    }
    s.SetUnit(10).Feed(0);
    for (int c = 1; c < 6; ++c) {
        band(kColors[c], false);
    }
    s.SetUnit(10).Feed(1).EndPage();
    PrintRun run;
    const nlohmann::json report = run.Job(s);
    EXPECT_EQ(report["errorCount"], 0) << report["errors"].dump(2);
    ASSERT_EQ(run.pages.size(), 1u);
    const QImage &page = run.pages[0].image;
    // Block b starts 440 + 50 = 490 dots after block b - 1; marks every 40 dots.
    EXPECT_TRUE(Grey(page.pixel(kLeft + 490 * 3 + 40 * 10 + 3, kTop + 3 * 44)));
    EXPECT_FALSE(Grey(page.pixel(kLeft + 490 * 3 + 40 * 10 + 4, kTop + 3 * 44)));
    // The colour sub-band: cyan under the first black block, from line 45 on.
    EXPECT_TRUE(Cyanish(page.pixel(kLeft, kTop + 3 * 45)));
    EXPECT_EQ(page.pixel(kLeft, kTop + 3 * 44 + 1), page.pixel(kLeft + 5, kTop + 1));
    EXPECT_EQ(report["commands"]["RelativeMove"], 10);
}

TEST(PrintEngineCheckPatterns, EdgeMarkRowsLiteralRecordsPutDotsOnNamedDots)
{
    StreamBuilder s;
    s.Reset().EnterGraphicsMode().SetPrintDirection(1).SetUnit(10).SetColorMode(0).SetDotSize(17);
    s.Block(0, 29, 90).RepeatSend(29, 0x00);
    for (int r = 24; r < 28; ++r) {
        const int first = 55 + 2 * r;
        for (int line = 0; line < 21; ++line) {
            for (int byte = 0; byte < 29; ++byte) {
                int value = 0;
                for (int d = 0; d < 4; ++d) {
                    const int dot = 4 * byte + d;
                    if (dot == first || dot == first + 1) {
                        value |= 3 << (6 - 2 * d);
                    }
                }
                s.RepeatSend(1, value);
            }
        }
        s.RepeatSend(29, 0x00);
    }
    s.RepeatSend(29, 0x00).Feed(0).EndPage();
    PrintRun run;
    const nlohmann::json report = run.Job(s);
    EXPECT_EQ(report["errorCount"], 0) << report["errors"].dump(2);
    ASSERT_EQ(run.pages.size(), 1u);
    const auto inked = InkedPixels(run.pages[0].image);
    // Row 24: dots 103 and 104 (the last dot of byte 25, the first of byte 26), lines 1-21.
    EXPECT_TRUE(inked.count({kLeft + 103, kTop + 3}));
    EXPECT_TRUE(inked.count({kLeft + 104, kTop + 3 * 21}));
    EXPECT_FALSE(inked.count({kLeft + 102, kTop + 3}));
    EXPECT_FALSE(inked.count({kLeft + 103, kTop}));
    // Row 27 two dots further on each row: 109 and 110.
    EXPECT_TRUE(inked.count({kLeft + 110, kTop + 3 * (1 + 3 * 22)}));
    EXPECT_EQ(inked.size(), 4u * 21 * 2);
}

TEST(PrintEngineCheckPatterns, PhotoPrintUnitsAndCornerMark)
{
    StreamBuilder s;
    s.EnterGraphicsMode().SetUnits(1, 1, 1, 360).SetPaperSize(2976, 4209).SetPageFormat(42, 4167);
    s.SetPageLength(4125);
    s.SetUnit(10).SetPrintDirection(1).SetDotSize(16).SetColorMode(0).FeedLong(0);
    s.Block(0, 720, 90).RepeatSendSplit(720, 0xFF);
    for (int line = 0; line < 59; ++line) {
        s.RepeatSend(1, 0xC0).RepeatSendSplit(719, 0x00);
    }
    s.RepeatSendSplit(30 * 720, 0x00);
    s.FeedLong(0).Feed(24).Feed(120).EndPage();
    PrintRun run;
    const nlohmann::json report = run.Job(s);
    EXPECT_EQ(report["errorCount"], 0) << report["errors"].dump(2);
    ASSERT_EQ(run.pages.size(), 1u);
    const auto inked = InkedPixels(run.pages[0].image);
    EXPECT_TRUE(inked.count({kLeft + 2879, kTop}));
    EXPECT_TRUE(inked.count({kLeft, kTop + 3 * 59}));
    EXPECT_FALSE(inked.count({kLeft, kTop + 3 * 60}));
    EXPECT_EQ(inked.size(), 2880u + 59u);
    EXPECT_DOUBLE_EQ(report["pages"][0]["feedInches"].get<double>(), 144.0 / 360.0);
}

} // namespace
