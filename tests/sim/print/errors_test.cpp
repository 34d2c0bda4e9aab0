// Streams with exactly one fault each: the report names the fault and the byte where it stands,
// and the printer goes on with what follows.

#include <gtest/gtest.h>

#include "printrun.h"

namespace
{

using simtest::ErrorOffsets;
using simtest::InkedPixels;
using simtest::PrintRun;
using simtest::StreamBuilder;

StreamBuilder GraphicsPage()
{
    StreamBuilder stream;
    stream.Reset().EnterGraphicsMode().SetUnit(10).SetPrintDirection(1).SetDotSize(16);
    return stream;
}

// Runs a job and checks that its only fault is of this kind at this offset.
void ExpectOnlyFault(const StreamBuilder &stream, const std::string &kind, size_t offset)
{
    PrintRun run;
    const nlohmann::json report = run.Job(stream);
    ASSERT_EQ(report["errorCount"], 1) << report["errors"].dump(2);
    EXPECT_EQ(report["errors"][0]["kind"], kind) << report["errors"].dump(2);
    EXPECT_EQ(report["errors"][0]["offset"], offset) << report["errors"].dump(2);
}

TEST(PrintEngineFaults, EachCommandFaultIsReportedAtItsOffset)
{
    {
        StreamBuilder stream = GraphicsPage();
        const size_t at = stream.Size();
        stream.Bytes({0x1B, 'Z'}).EndPage();
        ExpectOnlyFault(stream, "unknown-command", at);
    }
    {
        StreamBuilder stream = GraphicsPage();
        const size_t at = stream.Size();
        stream.Bytes({0x1B, '(', 'q', 0x03, 0x00, 1, 2, 3}).EndPage();
        ExpectOnlyFault(stream, "unknown-command", at);
    }
    {
        StreamBuilder stream = GraphicsPage();
        const size_t at = stream.Size();
        stream.Bytes({0x1B, '(', 'e', 0x03, 0x00, 0x00, 0x10, 0x00}).EndPage();
        ExpectOnlyFault(stream, "wrong-parameter-count", at);
    }
    {
        StreamBuilder stream = GraphicsPage();
        const size_t at = stream.Size();
        stream.Bytes({0x1B, '(', 'v', 0x03, 0x00, 0x10, 0x00, 0x00}).EndPage();
        ExpectOnlyFault(stream, "wrong-parameter-count", at);
    }
    {
        StreamBuilder stream = GraphicsPage();
        const size_t at = stream.Size();
        stream.SetDotSize(20).EndPage();
        ExpectOnlyFault(stream, "parameter-out-of-range", at);
    }
    {
        StreamBuilder stream = GraphicsPage();
        const size_t at = stream.Size();
        stream.SetPaperSize(2976, 100000).EndPage();
        ExpectOnlyFault(stream, "parameter-out-of-range", at);
    }
    {
        StreamBuilder stream = GraphicsPage();
        stream.SetRasterResolution();
        const size_t at = stream.Size();
        stream.RasterHeader(3, 1, 1).RepeatSend(1, 0x40).EndPage();
        ExpectOnlyFault(stream, "raster-header-out-of-range", at);
    }
    {
        StreamBuilder stream = GraphicsPage();
        stream.SetRasterResolution();
        const size_t at = stream.Size();
        stream.RasterHeader(0, 1, 1, 1, 1).RepeatSend(1, 0x40).EndPage();
        ExpectOnlyFault(stream, "raster-header-out-of-range", at);
    }
}

TEST(PrintEngineFaults, RunLengthHeader80IsOutOfRange)
{
    StreamBuilder stream = GraphicsPage();
    stream.Block(0, 129, 1);
    const size_t at = stream.Size();
    stream.Bytes({0x80, 0x00}).Feed(0).EndPage();
    ExpectOnlyFault(stream, "record-header-out-of-range", at);
}

TEST(PrintEngineFaults, BlockOneByteShortIsReportedWhereItsDataEnds)
{
    StreamBuilder stream = GraphicsPage();
    stream.Block(0, 10, 2).RepeatSend(10, 0x55).RepeatSend(9, 0x55);
    const size_t at = stream.Size();
    stream.SetUnit(10).Feed(1).Block(0, 1, 1).RepeatSend(1, 0x40).EndPage();
    PrintRun run;
    const nlohmann::json report = run.Job(stream);
    ASSERT_EQ(report["errorCount"], 1) << report["errors"].dump(2);
    EXPECT_EQ(ErrorOffsets(report, "raster-length-mismatch"), std::vector<uint64_t>{at});
    EXPECT_NE(report["errors"][0]["message"].get<std::string>().find("1 byte short"),
              std::string::npos);
    // The printer picks up at the next command: the feed and the later block still print.
    EXPECT_EQ(report["commands"]["Feed"], 1);
    ASSERT_EQ(run.pages.size(), 1u);
    EXPECT_TRUE(InkedPixels(run.pages[0].image).count({48, 43}));
}

TEST(PrintEngineFaults, BlockShortBeforeAFormFeedEndsThere)
{
    StreamBuilder stream = GraphicsPage();
    stream.Block(0, 10, 2).RepeatSend(10, 0x55).RepeatSend(9, 0x55);
    const size_t at = stream.Size();
    stream.EndPage();
    PrintRun run;
    const nlohmann::json report = run.Job(stream);
    EXPECT_EQ(simtest::ErrorOffsets(report, "raster-length-mismatch"), std::vector<uint64_t>{at});
    EXPECT_EQ(report["errorCount"], 1);
    EXPECT_EQ(report["commands"]["FormFeed"], 1);
    EXPECT_EQ(run.pages.size(), 1u);
}

TEST(PrintEngineFaults, BlockOneByteLongIsReportedAtTheExtraData)
{
    {
        // The last run is one copy too long.
        StreamBuilder stream = GraphicsPage();
        stream.Block(0, 10, 2).RepeatSend(10, 0x55);
        const size_t at = stream.Size();
        stream.RepeatSend(11, 0x55).Feed(1).EndPage();
        ExpectOnlyFault(stream, "raster-length-mismatch", at);
    }
    {
        // A whole extra one-byte record after the block.
        StreamBuilder stream = GraphicsPage();
        stream.Block(0, 10, 2).RepeatSend(10, 0x55).RepeatSend(10, 0x55);
        const size_t at = stream.Size();
        stream.RepeatSend(1, 0x00).Feed(1).EndPage();
        ExpectOnlyFault(stream, "raster-length-mismatch", at);
    }
    {
        // An uncompressed block with one byte too many.
        StreamBuilder stream = GraphicsPage();
        stream.SetRasterResolution().RasterHeader(0, 4, 1, 0).Bytes({1, 2, 3, 4});
        const size_t at = stream.Size();
        stream.Bytes({5}).Feed(1).EndPage();
        ExpectOnlyFault(stream, "raster-length-mismatch", at);
    }
}

TEST(PrintEngineFaults, PrintingOffTheSheetIsReported)
{
    {
        StreamBuilder stream = GraphicsPage();
        stream.SetHorizontalPosition(200);
        const size_t at = stream.Size() + 9;
        stream.Block(0, 720, 1).RepeatSendSplit(720, 0xFF).EndPage();
        ExpectOnlyFault(stream, "outside-sheet", at);
    }
    {
        // The vertical origin below the sheet's bottom edge (a feed that far ejects the sheet).
        StreamBuilder stream = GraphicsPage();
        stream.Bytes({0x1B, 0x28, 0x63, 0x04, 0x00, 0xCC, 0x10, 0x30, 0x11});
        const size_t at = stream.Size() + 9;
        stream.Block(0, 1, 1).RepeatSend(1, 0xFF).EndPage();
        ExpectOnlyFault(stream, "outside-sheet", at);
    }
    {
        StreamBuilder stream;
        stream.Reset().Text(std::string(81, 'x'));
        const size_t at = stream.Size();
        stream.Text("yy").NewLines(1).EndPage();
        ExpectOnlyFault(stream, "outside-sheet", at);
    }
}

TEST(PrintEngineFaults, ModeFaultsAreReportedAndNotPrinted)
{
    {
        StreamBuilder stream;
        stream.Reset().SetRasterResolution();
        const size_t at = stream.Size();
        stream.RasterHeader(0, 1, 1).RepeatSend(1, 0xFF).EndPage();
        PrintRun run;
        const nlohmann::json report = run.Job(stream);
        EXPECT_EQ(ErrorOffsets(report, "wrong-mode"), std::vector<uint64_t>{at});
        ASSERT_EQ(run.pages.size(), 1u);
        EXPECT_TRUE(InkedPixels(run.pages[0].image).empty());
    }
    {
        StreamBuilder stream = GraphicsPage();
        const size_t at = stream.Size();
        stream.Text("label").NewLines(1).EndPage();
        PrintRun run;
        const nlohmann::json report = run.Job(stream);
        EXPECT_EQ(ErrorOffsets(report, "stray-data"), std::vector<uint64_t>{at});
        EXPECT_EQ(report["errorCount"], 1);
        ASSERT_EQ(run.pages.size(), 1u);
        EXPECT_TRUE(InkedPixels(run.pages[0].image).empty());
    }
    {
        StreamBuilder stream;
        stream.Reset();
        const size_t at = stream.Size();
        stream.ExitRemoteMode();
        ExpectOnlyFault(stream, "wrong-mode", at);
    }
}

TEST(PrintEngineFaults, JobEndFaults)
{
    {
        StreamBuilder stream = GraphicsPage();
        const size_t header = stream.Size() + 9;
        stream.Block(0, 10, 10).RepeatSend(10, 0x55);
        PrintRun run;
        const nlohmann::json report = run.Job(stream);
        EXPECT_EQ(ErrorOffsets(report, "truncated"), std::vector<uint64_t>{header});
        // The sheet had a line on it: it is sent out, and that is reported too.
        EXPECT_EQ(ErrorOffsets(report, "page-not-ejected"), std::vector<uint64_t>{stream.Size()});
        EXPECT_EQ(run.pages.size(), 1u);
    }
    {
        StreamBuilder stream = GraphicsPage();
        const size_t at = stream.Size();
        stream.Bytes({0x1B, 0x28, 0x76, 0x02, 0x00, 0x10});
        ExpectOnlyFault(stream, "truncated", at);
    }
}

TEST(PrintEngineFaults, ErrorListIsCappedButCounted)
{
    StreamBuilder stream;
    stream.Reset();
    for (int i = 0; i < 3000; ++i) {
        stream.Bytes({0x1B, 'Z'});
    }
    PrintRun run;
    const nlohmann::json report = run.Job(stream);
    EXPECT_EQ(report["errorCount"], 3000);
    EXPECT_EQ(report["errors"].size(), 1000u);
    EXPECT_EQ(report["errorsByKind"]["unknown-command"], 3000);
}

} // namespace
