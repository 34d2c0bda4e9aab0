// Hand-built streams with known pictures: the dots land where the units and the raster format
// put them, in the right inks, and text prints after a Reset.

#include <gtest/gtest.h>

#include "printrun.h"

namespace
{

using simtest::InkedPixels;
using simtest::Lightness;
using simtest::PrintRun;
using simtest::StreamBuilder;

// Sheet pixel of the printable area's top left corner on a page (360 dpi, default margins).
constexpr int kLeft = 48;
constexpr int kTop = 42;

StreamBuilder GraphicsPage()
{
    StreamBuilder stream;
    stream.Reset().EnterGraphicsMode().SetUnit(10).SetPrintDirection(1).SetDotSize(16).SetColorMode(
        1);
    return stream;
}

std::set<std::pair<int, int>> Row(int y, int from, int count)
{
    std::set<std::pair<int, int>> pixels;
    for (int x = from; x < from + count; ++x) {
        pixels.insert({x, y});
    }
    return pixels;
}

TEST(PrintEnginePages, SingleDotLandsWhereTheUnitsSay)
{
    PrintRun run;
    StreamBuilder stream = GraphicsPage();
    stream.Feed(100).SetHorizontalPosition(20).Block(0, 1, 1).RepeatSend(1, 0x04).EndPage();
    const nlohmann::json report = run.Job(stream);
    ASSERT_EQ(run.pages.size(), 1u);
    EXPECT_EQ(run.pages[0].image.width(), 2976);
    EXPECT_EQ(run.pages[0].image.height(), 4209);
    // 100/360 inch down, 20/360 inch across, third dot of the byte.
    EXPECT_EQ(InkedPixels(run.pages[0].image),
              (std::set<std::pair<int, int>>{{kLeft + 22, kTop + 100}}));
    EXPECT_EQ(report["errorCount"], 0);
    EXPECT_EQ(report["inkUsed"]["black"]["dots"], 1);
    EXPECT_EQ(report["pageCount"], 1);
}

TEST(PrintEnginePages, BlockOfFiveFiveLinesIsOneNozzleRowEveryThirdLine)
{
    PrintRun run;
    StreamBuilder stream = GraphicsPage();
    stream.Block(2, 10, 4);
    for (int line = 0; line < 4; ++line) {
        stream.RepeatSend(10, 0x55);
    }
    stream.EndPage();
    const nlohmann::json report = run.Job(stream);
    ASSERT_EQ(run.pages.size(), 1u);
    std::set<std::pair<int, int>> expected;
    for (int line = 0; line < 4; ++line) {
        const auto row = Row(kTop + 3 * line, kLeft, 40);
        expected.insert(row.begin(), row.end());
    }
    EXPECT_EQ(InkedPixels(run.pages[0].image), expected);
    EXPECT_EQ(report["inkUsed"]["cyan"]["dotsByValue"][0], 160);
    EXPECT_EQ(report["errorCount"], 0);
}

TEST(PrintEnginePages, RunLengthRecordOf128CopiesFillsAWholeLine)
{
    PrintRun run;
    StreamBuilder stream = GraphicsPage();
    stream.Block(0, 128, 1).Bytes({0x81, 0xFF}).EndPage();
    const nlohmann::json report = run.Job(stream);
    ASSERT_EQ(run.pages.size(), 1u);
    EXPECT_EQ(InkedPixels(run.pages[0].image), Row(kTop, kLeft, 512));
    EXPECT_EQ(report["inkUsed"]["black"]["dotsByValue"][2], 512);
    EXPECT_EQ(report["errorCount"], 0);
}

TEST(PrintEnginePages, ThreePassesOneThreeSixtiethApartFillTheBand)
{
    PrintRun run;
    StreamBuilder stream = GraphicsPage();
    for (int pass = 0; pass < 3; ++pass) {
        stream.Block(0, 1, 2).RepeatSend(2, 0xC0).SetUnit(10).Feed(1);
    }
    stream.EndPage();
    const nlohmann::json report = run.Job(stream);
    ASSERT_EQ(run.pages.size(), 1u);
    std::set<std::pair<int, int>> expected;
    for (int y = kTop; y < kTop + 6; ++y) {
        expected.insert({kLeft, y});
    }
    EXPECT_EQ(InkedPixels(run.pages[0].image), expected);
    EXPECT_EQ(report["pages"][0]["passes"], 3);
    EXPECT_EQ(report["errorCount"], 0);
}

TEST(PrintEnginePages, TextAfterResetPrintsInTheDraftFont)
{
    PrintRun run;
    StreamBuilder stream;
    stream.Reset().Text("I").Bytes({0x00}).NewLines(1).Text(" I").EndPage();
    const nlohmann::json report = run.Job(stream);
    ASSERT_EQ(run.pages.size(), 1u);
    const QImage &page = run.pages[0].image;
    // The I's stem is font column 2: 6 dots wide, 7 font rows of 6 dots tall, below a 6-dot
    // gap at the top of the 1/6 inch line.
    const auto inked = InkedPixels(page);
    EXPECT_TRUE(inked.count({kLeft + 12, kTop + 6}));
    EXPECT_TRUE(inked.count({kLeft + 17, kTop + 47}));
    EXPECT_FALSE(inked.count({kLeft + 18, kTop + 20}));
    EXPECT_FALSE(inked.count({kLeft + 12, kTop + 48}));
    // The second line starts 1/6 inch lower, one 1/10 inch cell to the right.
    EXPECT_TRUE(inked.count({kLeft + 36 + 12, kTop + 60 + 6}));
    EXPECT_FALSE(inked.count({kLeft + 12, kTop + 60 + 6}));
    EXPECT_EQ(report["commands"]["Text"], 3);
    EXPECT_EQ(report["errorCount"], 0);
}

TEST(PrintEnginePages, PositionCommandsUseTheirUnits)
{
    PrintRun run;
    StreamBuilder stream = GraphicsPage();
    // 1/2880 inch units: position 16 is 2 dots of 1/360 inch.
    stream.SetUnitsFine().SetHorizontalPosition(16).Block(0, 1, 1).RepeatSend(1, 0x40);
    // Page 1/360, vertical 1/180, horizontal 1/360 inch: a feed of 10 moves 20 dots.
    stream.SetUnitsMixed().Feed(10).AbsolutePosition(300).Block(0, 1, 1).RepeatSend(1, 0x40);
    // 1/720 inch: 1B 24 position 100 is 50 dots; the relative move adds 50/720 inch.
    stream.SetUnit(5).AbsolutePosition(100).RelativeMove(50).Block(0, 1, 1).RepeatSend(1, 0x40);
    // After a block the head stands right of it: the next block follows on.
    stream.SetUnit(10).Feed(10).SetHorizontalPosition(0).Block(1, 2, 1).RepeatSend(2, 0x40);
    stream.Block(1, 1, 1).RepeatSend(1, 0x40);
    stream.EndPage();
    const nlohmann::json report = run.Job(stream);
    ASSERT_EQ(run.pages.size(), 1u);
    EXPECT_EQ(InkedPixels(run.pages[0].image),
              (std::set<std::pair<int, int>>{{kLeft + 2, kTop},
                                             {kLeft + 300, kTop + 20},
                                             {kLeft + 75, kTop + 20},
                                             {kLeft, kTop + 30},
                                             {kLeft + 4, kTop + 30},
                                             {kLeft + 8, kTop + 30}}));
    EXPECT_EQ(report["commands"]["SetUnitsFine"], 1);
    EXPECT_EQ(report["commands"]["SetUnitsMixed"], 1);
    EXPECT_EQ(report["commands"]["RelativeMove"], 1);
    EXPECT_EQ(report["errorCount"], 0);
}

TEST(PrintEnginePages, ResolutionCommandDecidesLineAndDotPitch)
{
    PrintRun run;
    StreamBuilder stream = GraphicsPage();
    // 720 dpi across, 360 lines per inch down: two dots share a sheet pixel.
    stream.SetRasterResolution(0xD0, 0x02, 2, 1).RasterHeader(0, 1, 3).RepeatSend(3, 0x41);
    stream.EndPage();
    run.Job(stream);
    ASSERT_EQ(run.pages.size(), 1u);
    std::set<std::pair<int, int>> expected;
    for (int line = 0; line < 3; ++line) {
        expected.insert({kLeft, kTop + line});
        expected.insert({kLeft + 2, kTop + line}); // dot 3 of 720 dpi is 1.5 -> 2
    }
    EXPECT_EQ(InkedPixels(run.pages[0].image), expected);
}

TEST(PrintEnginePages, InksMixSubtractivelyAndLightInksAreLighter)
{
    PrintRun run;
    StreamBuilder stream = GraphicsPage();
    const int colors[] = {2, 0x12, 1, 0x11, 4};
    for (int i = 0; i < 5; ++i) {
        stream.SetHorizontalPosition(10 * i).Block(colors[i], 1, 1).RepeatSend(1, 0xC0);
    }
    // Cyan over yellow at 100.
    stream.SetHorizontalPosition(100).Block(2, 1, 1).RepeatSend(1, 0xC0);
    stream.SetHorizontalPosition(100).Block(4, 1, 1).RepeatSend(1, 0xC0);
    // Dot values 1, 2, 3 in black at 200..202.
    stream.SetHorizontalPosition(200).Block(0, 1, 1).RepeatSend(1, 0x6C);
    stream.EndPage();
    run.Job(stream);
    ASSERT_EQ(run.pages.size(), 1u);
    const QImage &page = run.pages[0].image;
    const QRgb cyan = page.pixel(kLeft, kTop);
    const QRgb lightCyan = page.pixel(kLeft + 10, kTop);
    const QRgb magenta = page.pixel(kLeft + 20, kTop);
    const QRgb lightMagenta = page.pixel(kLeft + 30, kTop);
    const QRgb yellow = page.pixel(kLeft + 40, kTop);
    const QRgb green = page.pixel(kLeft + 100, kTop);
    EXPECT_GT(Lightness(lightCyan), Lightness(cyan));
    EXPECT_GT(Lightness(lightMagenta), Lightness(magenta));
    EXPECT_LT(qRed(cyan), qBlue(cyan));
    EXPECT_LT(qGreen(magenta), qRed(magenta));
    EXPECT_LT(qBlue(yellow), qRed(yellow));
    // Cyan and yellow make green: little red and blue, darker than either ink alone.
    EXPECT_GT(qGreen(green), qRed(green));
    EXPECT_GT(qGreen(green), qBlue(green));
    EXPECT_LT(Lightness(green), Lightness(cyan));
    EXPECT_LT(Lightness(green), Lightness(yellow));
    // Bigger drops are darker.
    EXPECT_GT(Lightness(page.pixel(kLeft + 200, kTop)), Lightness(page.pixel(kLeft + 201, kTop)));
    EXPECT_GT(Lightness(page.pixel(kLeft + 201, kTop)), Lightness(page.pixel(kLeft + 202, kTop)));
}

TEST(PrintEnginePages, PaperSizeSetsTheNextSheet)
{
    PrintRun run;
    StreamBuilder stream = GraphicsPage();
    stream.SetPaperSize(3060, 3960).SetPageFormat(42, 3900).SetPageLength(3900);
    stream.Block(0, 1, 1).RepeatSend(1, 0x40).EndPage();
    const nlohmann::json report = run.Job(stream);
    ASSERT_EQ(run.pages.size(), 1u);
    EXPECT_EQ(run.pages[0].image.width(), 3060);
    EXPECT_EQ(run.pages[0].image.height(), 3960);
    EXPECT_EQ(report["errorCount"], 0);
}

TEST(PrintEnginePages, ScreenSizePagesAreAQuarterAcross)
{
    simtest::RecordingHooks hooks;
    sim::PrintEngine engine(hooks, sim::PrintOptions{});
    std::vector<sim::PrintedPage> pages;
    engine.SetPageListener([&](const sim::PrintedPage &page) { pages.push_back(page); });
    StreamBuilder stream = GraphicsPage();
    stream.Block(0, 1, 1).RepeatSend(1, 0xC0).EndPage().EndPage();
    engine.Feed(stream.Data().data(), stream.Size());
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].number, 1);
    EXPECT_EQ(pages[1].number, 2);
    EXPECT_EQ(pages[0].image.width(), 744);
    EXPECT_EQ(pages[0].image.height(), 1053);
    EXPECT_LT(Lightness(pages[0].image.pixel(kLeft / 4, kTop / 4)), 3 * 255);
    EXPECT_EQ(InkedPixels(pages[1].image).size(), 0u);
    EXPECT_EQ(nlohmann::json::parse(pages[1].reportJson)["pageCount"], 2);
}

} // namespace
