// Where the moves the layouts send put the head: return prints against their forward twins,
// relative moves, the mixed units and the long feed; and how the dot-size modes look.

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "pageinterpreter.h"
#include "printrun.h"

namespace
{

using simtest::InkedPixels;
using simtest::Lightness;
using simtest::PrintRun;
using simtest::StreamBuilder;

using Pixels = std::set<std::pair<int, int>>;
using Steps = std::function<void(StreamBuilder &)>;

constexpr int kLeft = 48;
constexpr int kTop = 42;

StreamBuilder GraphicsPage(int dotSize = 16)
{
    StreamBuilder s;
    s.Reset().EnterGraphicsMode().SetUnit(10).SetPrintDirection(1).SetDotSize(dotSize);
    return s;
}

Pixels Print(const StreamBuilder &stream, PrintRun &run)
{
    const nlohmann::json report = run.Job(stream);
    EXPECT_EQ(report["errorCount"], 0) << report["errors"].dump(2);
    return run.pages.size() == 1 ? InkedPixels(run.pages[0].image) : Pixels{};
}

Pixels Shifted(const Pixels &pixels, int dx, int belowY)
{
    Pixels out;
    for (const auto &p : pixels) {
        out.insert({p.second < belowY ? p.first + dx : p.first, p.second});
    }
    return out;
}

// A band of two blocks, the second following on, in a direction; then, 10/360 inch lower, a
// forward block at the left edge.
StreamBuilder Band(const Steps &before, int direction)
{
    StreamBuilder s = GraphicsPage(17);
    before(s);
    s.SetPrintDirection(direction);
    for (int block = 0; block < 2; ++block) {
        s.Block(0x12, 2, 2).RepeatSend(1, 0xC0).RepeatSend(1, 0x03).RepeatSend(2, 0x30);
    }
    s.SetUnit(10).Feed(10).SetPrintDirection(1).Block(0x12, 1, 1).RepeatSend(1, 0xC0);
    return s.EndPage();
}

TEST(PrintEngineMoves, ReturnPrintLandsOnItsForwardTwin)
{
    struct Case {
        const char *name;
        Steps before;
        double shiftInches;
        int shiftDots;
    };
    const Case cases[] = {
        {"left edge", [](StreamBuilder &) {}, 0.0, 0},
        {"fine position", [](StreamBuilder &s) { s.SetUnitsFine().SetHorizontalPosition(100); },
         0.0, 0},
        {"after a relative move",
         [](StreamBuilder &s) { s.AbsolutePosition(300).RelativeMove(-7); }, 0.0, 0},
        {"misaligned right", [](StreamBuilder &s) { s.SetHorizontalPosition(40); }, 2.0 / 360, 2},
        {"misaligned left", [](StreamBuilder &s) { s.SetHorizontalPosition(40); }, -3.0 / 360, -3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PrintRun forward;
        forward.hooks.returnShiftInches = c.shiftInches;
        const Pixels twin = Print(Band(c.before, 1), forward);
        ASSERT_EQ(twin.size(), 2u * 4 + 1); // four dots a block
        EXPECT_TRUE(forward.hooks.returnShiftAsked.empty());
        PrintRun back;
        back.hooks.returnShiftInches = c.shiftInches;
        // Only the return-printed band moves; the forward block below it stays put.
        EXPECT_EQ(Print(Band(c.before, 3), back), Shifted(twin, c.shiftDots, kTop + 10));
        EXPECT_EQ(back.hooks.returnShiftAsked,
                  (std::vector<std::pair<int, int>>{{17, 0x12}, {17, 0x12}}));
    }
}

TEST(PrintEngineMoves, TiltedHeadLandsItsLastNozzleSideways)
{
    // One dot a line down a block of 90 lines (one line a nozzle, 3 sheet rows apart), at 40.
    constexpr int kX = kLeft + 40;
    constexpr int kLastNozzle = 89;
    struct Case {
        const char *name;
        std::optional<double> slantInches;
        std::set<int> firstNozzle;
        std::set<int> lastNozzle;
    };
    const Case cases[] = {
        {"whole dots", std::nullopt, {kX}, {kX}},
        {"upright, between dots", 0.0, {kX}, {kX}},
        {"right", 89.0 / 360, {kX}, {kX + 89}},
        {"left", -21.0 / 360, {kX}, {kX - 21}},
        {"half a dot: shared", 0.5 / 360, {kX}, {kX, kX + 1}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        StreamBuilder s = GraphicsPage();
        s.SetHorizontalPosition(40).Block(0, 1, kLastNozzle + 1);
        for (int line = 0; line <= kLastNozzle; ++line) {
            s.RepeatSend(1, 0x80);
        }
        PrintRun run;
        run.hooks.nozzleSlantInches = c.slantInches;
        const Pixels inked = Print(s.EndPage(), run);
        const auto row = [&inked](int y) {
            std::set<int> xs;
            for (const auto &p : inked) {
                if (p.second == y) {
                    xs.insert(p.first);
                }
            }
            return xs;
        };
        EXPECT_EQ(row(kTop), c.firstNozzle);
        EXPECT_EQ(row(kTop + 3 * kLastNozzle), c.lastNozzle);
    }
}

// The first dot and top margin offsets move everything a page prints, raster and text, by
// what the firmware answers when the page starts; a change during the page waits for the next.
TEST(PrintEngineMoves, PrintableAreaMovesByThePageStartOffsets)
{
    StreamBuilder marks = GraphicsPage();
    marks.Block(0, 1, 1).RepeatSend(1, 0x80).Feed(20).Block(0, 1, 1).RepeatSend(1, 0x80);
    PrintRun aligned;
    const Pixels twin = Print(StreamBuilder(marks).EndPage(), aligned);
    ASSERT_EQ(twin.size(), 2u);

    PrintRun run;
    run.hooks.firstDotShiftInches = 9.0 / 1440;  // 2.25 dots: lands 2 dots right
    run.hooks.topMarginShiftInches = -3.0 / 720; // 1.5 dots up: lands 1 dot up
    run.Feed(marks);
    run.hooks.firstDotShiftInches = 0.0;
    run.hooks.topMarginShiftInches = 0.0;
    StreamBuilder rest;
    rest.Reset().Text("   I").EndPage();
    run.Feed(rest).Feed(StreamBuilder(marks).EndPage());
    run.Engine().EndJob();
    ASSERT_EQ(run.pages.size(), 2u);

    Pixels first;
    int textLeft = INT32_MAX;
    for (const auto &[x, y] : InkedPixels(run.pages[0].image)) {
        if (x < kLeft + 5)
            first.insert({x - 2, y + 1});
        else
            textLeft = std::min(textLeft, x);
    }
    EXPECT_EQ(first, twin);
    PrintRun textOnly;
    StreamBuilder text;
    text.Reset().Text("   I").EndPage();
    int alignedTextLeft = INT32_MAX;
    for (const auto &pixel : Print(text, textOnly))
        alignedTextLeft = std::min(alignedTextLeft, pixel.first);
    EXPECT_EQ(textLeft, alignedTextLeft + 2);
    EXPECT_EQ(InkedPixels(run.pages[1].image), twin);
}

// Where a one-dot mark lands after the steps, relative to the printable area's top left.
std::pair<int, int> MarkAfter(const Steps &steps)
{
    StreamBuilder s = GraphicsPage();
    steps(s);
    s.Block(0, 1, 1).RepeatSend(1, 0x80).EndPage();
    PrintRun run;
    const Pixels inked = Print(s, run);
    EXPECT_EQ(inked.size(), 1u);
    return inked.empty()
               ? std::pair<int, int>{-1, -1}
               : std::pair<int, int>{inked.begin()->first - kLeft, inked.begin()->second - kTop};
}

TEST(PrintEngineMoves, MovesPlaceDotsAsTheirUnitsSay)
{
    struct Case {
        const char *name;
        Steps steps;
        int x; // dots right of the printable area's left edge
        int y; // dots below the top margin
    };
    const Case cases[] = {
        {"relative move, 1/360", [](StreamBuilder &s) { s.RelativeMove(50); }, 50, 0},
        {"relative move, 1/720", [](StreamBuilder &s) { s.SetUnit(5).RelativeMove(50); }, 25, 0},
        {"relative move back", [](StreamBuilder &s) { s.AbsolutePosition(100).RelativeMove(-40); },
         60, 0},
        {"relative move, 1/2880 (6.25 dots)",
         [](StreamBuilder &s) { s.SetUnitsFine().RelativeMove(50); }, 6, 0},
        {"relative move after a block",
         [](StreamBuilder &s) { s.Block(0, 10, 1).RepeatSend(10, 0x00).RelativeMove(50); }, 90, 0},
        {"mixed units: across 1/360, down 1/180",
         [](StreamBuilder &s) {
             s.SetUnitsMixed().Feed(10).AbsolutePosition(100).RelativeMove(30);
         },
         130, 20},
        {"mixed units, fixed-position command",
         [](StreamBuilder &s) { s.SetUnitsMixed().SetHorizontalPosition(200); }, 200, 0},
        {"long feed, 1/360", [](StreamBuilder &s) { s.FeedLong(300); }, 0, 300},
        {"long feed, mixed units", [](StreamBuilder &s) { s.SetUnitsMixed().FeedLong(100); }, 0,
         200},
        {"long feed, 1/5760", [](StreamBuilder &s) { s.SetUnits(1, 1, 1, 5760).FeedLong(5760); }, 0,
         360},
        {"long feed keeps the head where it is",
         [](StreamBuilder &s) { s.SetHorizontalPosition(70).FeedLong(12); }, 70, 12},
        {"short feed returns the head",
         [](StreamBuilder &s) { s.SetHorizontalPosition(70).Feed(12); }, 0, 12},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MarkAfter(c.steps), std::make_pair(c.x, c.y));
    }
}

TEST(PrintEngineMoves, LongFeedCountsAsPaperMoved)
{
    StreamBuilder s = GraphicsPage();
    s.FeedLong(720).Block(0, 1, 1).RepeatSend(1, 0x80).EndPage();
    PrintRun run;
    const nlohmann::json report = run.Job(s);
    EXPECT_DOUBLE_EQ(report["pages"][0]["feedInches"].get<double>(), 2.0);
    EXPECT_EQ(report["commands"]["FeedLong"], 1);
}

TEST(PrintEngineMoves, FeedPastTheSheetEjectsItAndBoundsItsTime)
{
    // The longest feed there is, one dot, a form feed: the feed takes the sheet out, and the
    // dot prints on the next one.
    StreamBuilder s = GraphicsPage();
    s.Bytes({0x1B, 0x28, 0x76, 0x04, 0x00, 0xFF, 0xFF, 0xFF, 0x7F});
    s.Block(0, 1, 1).RepeatSend(1, 0x80).EndPage();
    PrintRun run;
    const nlohmann::json report = run.Job(s);
    ASSERT_EQ(report["pageCount"], 2);
    const double sheetInches = sim::PageInterpreter::kA4LengthDots / double(sim::Sheet::kDpi);
    EXPECT_LE(report["pages"][0]["feedInches"].get<double>(), sheetInches);
    EXPECT_LT(report["pages"][0]["printSeconds"].get<double>(), 60.0);
    EXPECT_EQ(report["errorsByKind"]["fed-past-sheet"], 1);
    EXPECT_EQ(run.pages.size(), 2u);
}

TEST(PrintEngineMoves, DotSizeModesLookDifferent)
{
    StreamBuilder s = GraphicsPage();
    const int modes[] = {16, 17, 18, 19};
    for (int i = 0; i < 4; ++i) {
        s.SetDotSize(modes[i]).SetHorizontalPosition(10 * i).Block(0, 1, 1).RepeatSend(1, 0xAA);
    }
    PrintRun run;
    Print(s.EndPage(), run);
    ASSERT_EQ(run.pages.size(), 1u);
    std::set<QRgb> looks;
    int lightness[4];
    for (int i = 0; i < 4; ++i) {
        const QRgb pixel = run.pages[0].image.pixel(kLeft + 10 * i, kTop);
        looks.insert(pixel);
        lightness[i] = Lightness(pixel);
    }
    EXPECT_EQ(looks.size(), 4u);
    // VSD1 lays the largest drops, VSD3 the smallest.
    EXPECT_EQ(*std::min_element(lightness, lightness + 4), lightness[0]);
    EXPECT_EQ(*std::max_element(lightness, lightness + 4), lightness[2]);
}

} // namespace
