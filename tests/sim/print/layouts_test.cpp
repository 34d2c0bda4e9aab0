// Streams laid out the way the service program prints its patterns: they print without a single
// fault, the marks land where the layouts mean them, and jobs, pages, files and print times
// come out as the printer promises.

#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>
#include <fstream>

#include "papersettings.h"
#include "printrun.h"

namespace
{

using simtest::InkedPixels;
using simtest::PrintRun;
using simtest::StreamBuilder;

constexpr int kLeft = 48;
constexpr int kTop = 42;

StreamBuilder &BeginGraphicsPage(StreamBuilder &s, int unit, int direction, int dotSize, int mode)
{
    return s.Reset()
        .EnterGraphicsMode()
        .SetUnit(unit)
        .SetPrintDirection(direction)
        .SetDotSize(dotSize)
        .SetColorMode(mode);
}

StreamBuilder &SendPaperSettings(StreamBuilder &s)
{
    return s.EnterRemoteMode()
        .Remote("SN", novari_test::PaperSettings2Parameters())
        .ExitRemoteMode();
}

StreamBuilder FirstDotPattern()
{
    StreamBuilder s;
    BeginGraphicsPage(s, 10, 1, 16, 1);
    s.SetPaperSize(2976, 4208).SetPageFormat(42, 4167);
    s.Block(0, 720, 90);
    for (int line = 0; line < 29; ++line) {
        s.RepeatSend(1, 0xC0).RepeatSendSplit(719, 0x00);
    }
    s.RepeatSendSplit(61 * 720, 0x00);
    s.Reset().Text("    First dot adjustment").Bytes({0x00}).NewLines(1).EndPage();
    return s;
}

TEST(PrintEngineLayouts, FirstDotPatternPrintsTheLeftmostDotsAndItsLabel)
{
    PrintRun run;
    const nlohmann::json report = run.Job(FirstDotPattern());
    EXPECT_EQ(report["errorCount"], 0) << report["errors"].dump(2);
    ASSERT_EQ(run.pages.size(), 1u);
    EXPECT_EQ(run.pages[0].image.height(), 4208);
    const auto inked = InkedPixels(run.pages[0].image);
    for (int line = 0; line < 29; ++line) {
        EXPECT_TRUE(inked.count({kLeft, kTop + 3 * line})) << line;
    }
    EXPECT_FALSE(inked.count({kLeft, kTop + 3 * 29}));
    EXPECT_FALSE(inked.count({kLeft + 1, kTop}));
    // The label starts four characters in, on the same line as the block's top.
    EXPECT_GT(std::count_if(inked.begin(), inked.end(),
                            [](const auto &p) { return p.first >= kLeft + 4 * 36; }),
              0);
}

TEST(PrintEngineLayouts, TopMarginPatternIsOneLineAtTheTopOfThePrintableArea)
{
    StreamBuilder s;
    s.Reset()
        .EnterGraphicsMode()
        .SetPaperSize(2976, 4209)
        .SetPageFormat(42, 4167)
        .SetPageLength(4167);
    s.SetUnit(10).SetPrintDirection(1).SetDotSize(16).SetColorMode(1);
    s.Block(0, 106, 90).RepeatSendSplit(106, 0xFF).RepeatSendSplit(9434, 0x00);
    s.Reset().Text(std::string(44, ' ') + "Top Margin Adjustment").Bytes({0x00}).NewLines(2);
    s.EndPage();
    PrintRun run;
    const nlohmann::json report = run.Job(s);
    EXPECT_EQ(report["errorCount"], 0) << report["errors"].dump(2);
    ASSERT_EQ(run.pages.size(), 1u);
    const auto inked = InkedPixels(run.pages[0].image);
    for (int x = kLeft; x < kLeft + 424; ++x) {
        ASSERT_TRUE(inked.count({x, kTop})) << x;
    }
    EXPECT_FALSE(inked.count({kLeft + 424, kTop}));
    EXPECT_FALSE(inked.count({kLeft, kTop - 1}));
}

TEST(PrintEngineLayouts, HeadAngularPatternShiftsColumnsInFineUnits)
{
    StreamBuilder s;
    s.Text("Head angular adjustment\r\n").Bytes({0x00});
    BeginGraphicsPage(s, 20, 1, 16, 1).Feed(90);
    const auto line = [&s](bool first, int onlyGroup) {
        s.RepeatSend(1, first ? 0x40 : 0x00).RepeatSendSplit(269, 0x00);
        for (int g = 0; g < 5; ++g) {
            if (onlyGroup < 0 || onlyGroup == g) {
                s.RepeatSend(1, 0xFF).RepeatSend(1, 0x0F).RepeatSend(1, 0xF0);
            } else {
                s.RepeatSend(3, 0x00);
            }
            s.RepeatSend(33, 0x00);
        }
        s.RepeatSendSplit(269, 0x00).RepeatSend(1, first ? 0x01 : 0x00);
    };
    for (int pass = 0; pass < 3; ++pass) {
        s.SetUnitsFine().SetHorizontalPosition(6).Block(0, 720, 90);
        for (int l = 0; l < 90; ++l) {
            line(l == 0, -1);
        }
        s.SetUnit(10).Feed(1);
    }
    s.SetUnit(30).Feed(89);
    for (int pass = 0; pass < 3; ++pass) {
        for (int g = 0; g < 5; ++g) {
            s.SetUnitsFine().SetHorizontalPosition(3 * g).Block(0, 720, 90);
            for (int l = 0; l < 90; ++l) {
                line(l == 0, g);
            }
            s.SetUnit(10).Feed(0);
        }
        s.SetUnit(10).Feed(1);
    }
    s.SetUnit(30).Feed(100).Reset();
    s.Text("                             NG  -3   0   3  NG").Bytes({0x00}).EndPage();
    PrintRun run;
    const nlohmann::json report = run.Job(s);
    EXPECT_EQ(report["errorCount"], 0) << report["errors"].dump(2);
    ASSERT_EQ(run.pages.size(), 1u);
    const auto inked = InkedPixels(run.pages[0].image);
    // Text line, then half an inch (1/180 units) down: the reference band's first line with
    // its end dot 6/2880 inch (one sheet dot, rounded) right of the edge.
    const int bandTop = kTop + 60 + 180;
    EXPECT_TRUE(inked.count({kLeft + 1, bandTop}));
    EXPECT_FALSE(inked.count({kLeft, bandTop}));
    // 3 passes fill 270 rows; the comparison band follows at once (3/360 + 89/120 inch below),
    // its first column at position 0: the end dot on the edge itself.
    EXPECT_TRUE(inked.count({kLeft + 1, bandTop + 2}));
    EXPECT_TRUE(inked.count({kLeft, bandTop + 270}));
    // Column 4 is shifted 12/2880 inch: 1.5 sheet dots, rounded to 2.
    EXPECT_TRUE(inked.count({kLeft + 2 + (270 + 4 * 36) * 4, bandTop + 271}));
    EXPECT_FALSE(inked.count({kLeft + 1 + (270 + 4 * 36) * 4, bandTop + 271}));
    // Two text lines, three reference passes, fifteen comparison sub-passes.
    EXPECT_EQ(report["pages"][0]["passes"].get<int>(), 2 + 3 + 15);
}

TEST(PrintEngineLayouts, PaperSettingsNozzleCheckAndFeedPaperPassWithoutFaults)
{
    StreamBuilder s;
    s.Reset();
    SendPaperSettings(s);
    s.Bytes({0x1B, 0x40, 0x1B, 0x28, 0x47, 0x01, 0x00, 0x01});
    s.SetUnits(1, 1, 1, 5760).Feed(100).Reset();
    s.Text("Nozzle check pattern\r\n").Bytes({0x00});
    s.EnterRemoteMode().Remote("NC", {0x00, 0x00}).ExitRemoteMode().NewLines(2).EndPage();
    PrintRun run;
    const nlohmann::json report = run.Job(s);
    EXPECT_EQ(report["errorCount"], 0) << report["errors"].dump(2);
    ASSERT_EQ(run.hooks.remoteCommands.size(), 2u);
    EXPECT_EQ(run.hooks.remoteCommands[0].first, "SN");
    EXPECT_EQ(run.hooks.remoteCommands[0].second.size(), 82u);
    EXPECT_EQ(run.hooks.remoteCommands[1].first, "NC");
    ASSERT_EQ(run.pages.size(), 1u);
    // The nozzle check pattern was printed below the label, in all six inks.
    for (const char *ink : {"cyan", "magenta", "yellow", "lightCyan", "lightMagenta"}) {
        EXPECT_EQ(report["inkUsed"][ink]["dots"], 90 * 16) << ink;
    }
    EXPECT_GT(report["inkUsed"]["black"]["dots"].get<int>(), 90 * 16);
    EXPECT_EQ(report["commands"]["SetUnits"], 1);
}

TEST(PrintEngineLayouts, JobsSplitAfterAPageAndFilesAreWritten)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("simprint-pages-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    {
        PrintRun run(folder.string());
        StreamBuilder two;
        two.Reset().Text("one").EndPage().Reset().Text("two").EndPage();
        two.Factory(0x50, {}); // a factory packet after the page: its own job
        run.Feed(two);
        run.Engine().EndJob();
        ASSERT_EQ(run.pages.size(), 2u);
        EXPECT_EQ(run.hooks.pageSeconds.size(), 2u);
    }
    for (const char *name :
         {"page-0001.png", "page-0002.png", "job-0001.json", "job-0002.json", "job-0003.json"}) {
        EXPECT_TRUE(std::filesystem::exists(folder / name)) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "job-0004.json"));
    QImage page;
    ASSERT_TRUE(page.load(QString::fromStdString((folder / "page-0002.png").string())));
    EXPECT_EQ(page.size(), QSize(2976, 4209));
    std::ifstream first(folder / "job-0001.json");
    const nlohmann::json job1 = nlohmann::json::parse(first);
    EXPECT_EQ(job1["pageCount"], 1);
    EXPECT_EQ(job1["firstByte"], 0);
    EXPECT_EQ(job1["bytes"], 6);
    EXPECT_EQ(job1["pages"][0]["file"], "page-0001.png");
    std::ifstream third(folder / "job-0003.json");
    const nlohmann::json job3 = nlohmann::json::parse(third);
    EXPECT_EQ(job3["pageCount"], 0);
    EXPECT_EQ(job3["factoryPackets"]["50"], 1);
    std::filesystem::remove_all(folder);
}

TEST(PrintEngineLayouts, PrintTimeGrowsWithPassesAndFeed)
{
    const auto seconds = [](int passes, int feed) {
        PrintRun run;
        StreamBuilder s;
        BeginGraphicsPage(s, 10, 1, 16, 1);
        for (int pass = 0; pass < passes; ++pass) {
            s.Block(0, 100, 1).RepeatSend(100, 0xFF).SetUnit(10).Feed(1);
        }
        s.Feed(feed).EndPage();
        const nlohmann::json report = run.Job(s);
        EXPECT_EQ(run.hooks.pageSeconds.size(), 1u);
        EXPECT_DOUBLE_EQ(run.hooks.pageSeconds.at(0),
                         report["pages"][0]["printSeconds"].get<double>());
        return run.hooks.pageSeconds.at(0);
    };
    const double base = seconds(1, 0);
    EXPECT_GT(base, 3.0);
    EXPECT_GT(seconds(10, 0), base + 9 * 0.25);
    EXPECT_NEAR(seconds(1, 720) - base, 2 * 0.5 + 0.02, 1e-9);
}

} // namespace
