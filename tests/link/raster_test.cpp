#include "fakelink.h"
#include "link/program.h"
#include "link/statuscontrol.h"

#include <functional>
#include <gtest/gtest.h>
#include <numeric>

namespace
{
using Bytes = std::vector<uint8_t>;

class Raster : public ::testing::Test
{
protected:
    Raster() { raster.SetWindowLink(&window); }

    // What one operation appends, read back through a flush.
    Bytes AppendedBy(const std::function<uint16_t()> &operation)
    {
        link.Reset();
        EXPECT_EQ(raster.Fill(), 0);
        EXPECT_EQ(operation(), 1);
        EXPECT_EQ(raster.Flush(), 1);
        return link.Taken();
    }
    Bytes Buffered() const { return Bytes(raster.Buffer(), raster.Buffer() + raster.Fill()); }
    void AppendCounting(int count, int from = 0)
    {
        Bytes bytes(static_cast<size_t>(count));
        std::iota(bytes.begin(), bytes.end(), static_cast<uint8_t>(from));
        ASSERT_EQ(raster.Append(bytes.data(), count), 1);
    }

    fake::Link link;
    fake::Waits waits;
    fake::Window window;
    TPDLLFunction dll{fake::Folder("fakelink")};
    TPStatusControl status{dll, raster};
    TPRaster raster{dll, status};
};
} // namespace

TEST_F(Raster, CommandsAppendTheirBytes)
{
    const std::vector<std::pair<std::function<uint16_t()>, Bytes>> cases = {
        {[&] { return raster.Reset(); }, {0x1B, 0x40}},
        {[&] { return raster.EnterGraphicsMode(); }, {0x1B, 0x28, 0x47, 0x01, 0x00, 0x01}},
        {[&] { return raster.SetUnit(10); }, {0x1B, 0x28, 0x55, 0x01, 0x00, 0x0A}},
        {[&] { return raster.SetPrintDirection(3); }, {0x1B, 0x55, 0x03}},
        {[&] { return raster.SetDotSize(19); }, {0x1B, 0x28, 0x65, 0x02, 0x00, 0x00, 0x13}},
        {[&] { return raster.SetColorMode(1); }, {0x1B, 0x28, 0x4B, 0x02, 0x00, 0x00, 0x01}},
        {[&] { return raster.SetColorMode(2); }, {0x1B, 0x28, 0x4B, 0x02, 0x00, 0x00, 0x02}},
        {[&] { return raster.SetColorMode(5); }, {0x1B, 0x28, 0x4B, 0x02, 0x00, 0x00, 0x00}},
        {[&] { return raster.SetRasterResolution(104, 1, 3, 1); },
         {0x1B, 0x28, 0x44, 0x04, 0x00, 0x68, 0x01, 0x03, 0x01}},
        {[&] { return raster.SetPaperSize(0xA0, 0x0B, 0, 0, 0x71, 0x10, 0, 0); },
         {0x1B, 0x28, 0x53, 0x08, 0x00, 0xA0, 0x0B, 0x00, 0x00, 0x71, 0x10, 0x00, 0x00}},
        {[&] { return raster.SetPageFormat(42, 4167); },
         {0x1B, 0x28, 0x63, 0x04, 0x00, 0x2A, 0x00, 0x47, 0x10}},
        {[&] { return raster.SetPageLength(4167); },
         {0x1B, 0x28, 0x43, 0x04, 0x00, 0x47, 0x10, 0x00, 0x00}},
        {[&] { return raster.SetPageLength(0x01020304); },
         {0x1B, 0x28, 0x43, 0x04, 0x00, 0x04, 0x03, 0x02, 0x01}},
        {[&] { return raster.RasterHeader(0x12, 1, 2, 720, 90); },
         {0x1B, 0x69, 0x12, 0x01, 0x02, 0xD0, 0x02, 0x5A, 0x00}},
        {[&] { return raster.Feed(90); }, {0x1B, 0x28, 0x76, 0x02, 0x00, 0x5A, 0x00, 0x0D}},
        {[&] { return raster.Feed(0); }, {0x1B, 0x28, 0x76, 0x02, 0x00, 0x00, 0x00, 0x0D}},
        {[&] { return raster.FeedLong(0x1234); },
         {0x1B, 0x28, 0x76, 0x04, 0x00, 0x34, 0x12, 0x00, 0x00}},
        {[&] { return raster.SetUnits(1, 1, 1, 360); },
         {0x1B, 0x28, 0x55, 0x05, 0x00, 0x01, 0x01, 0x01, 0x68, 0x01}},
        {[&] { return raster.SetUnitsFine(); },
         {0x1B, 0x28, 0x55, 0x05, 0x00, 0x01, 0x01, 0x01, 0x40, 0x0B}},
        {[&] { return raster.SetUnitsMixed(); },
         {0x1B, 0x28, 0x55, 0x05, 0x00, 0x04, 0x08, 0x04, 0xA0, 0x05}},
        {[&] { return raster.SetHorizontalPosition(200); },
         {0x1B, 0x28, 0x24, 0x04, 0x00, 0xC8, 0x00, 0x00, 0x00}},
        {[&] { return raster.ResetToDraftText(); }, {0x1B, 0x40, 0x1B, 0x78, 0x30}},
        {[&] { return raster.NewLines(3); }, {0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A}},
        {[&] { return raster.NewLines(0); }, {}},
        {[&] { return raster.BeginGraphicsPage(20, 1, 16, 0); },
         {0x1B, 0x40, 0x1B, 0x28, 0x47, 0x01, 0x00, 0x01, 0x1B, 0x28, 0x55,
          0x01, 0x00, 0x14, 0x1B, 0x55, 0x01, 0x1B, 0x28, 0x65, 0x02, 0x00,
          0x00, 0x10, 0x1B, 0x28, 0x4B, 0x02, 0x00, 0x00, 0x00}},
    };
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(AppendedBy(cases[i].first), cases[i].second) << "case " << i;
}

TEST_F(Raster, RunLengthRecords)
{
    const std::vector<std::pair<std::function<uint16_t()>, Bytes>> cases = {
        {[&] { return raster.RepeatSend(1, 0x40); }, {0x00, 0x40}},
        {[&] { return raster.RepeatSend(106, 0xFF); }, {0x97, 0xFF}},
        {[&] { return raster.RepeatSend(2, 0x00); }, {0xFF, 0x00}},
        {[&] { return raster.RepeatSend(128, 0x55); }, {0x81, 0x55}},
        {[&] { return raster.RepeatSend(129, 0x55); }, {0x80, 0x55}},
        {[&] { return raster.RepeatSendSplit(270, 0x00); }, {0x89, 0x00, 0x89, 0x00, 0xE3, 0x00}},
        {[&] { return raster.RepeatSendSplit(120, 0xAA); }, {0x89, 0xAA}},
        {[&] { return raster.RepeatSendSplit(121, 0xAA); }, {0x89, 0xAA, 0x00, 0xAA}},
        {[&] { return raster.RepeatSendSplit(720, 0x00); },
         Bytes{0x89, 0x00, 0x89, 0x00, 0x89, 0x00, 0x89, 0x00, 0x89, 0x00, 0x89, 0x00}},
    };
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(AppendedBy(cases[i].first), cases[i].second) << "case " << i;
}

TEST_F(Raster, RequestsThatWouldCorruptTheStreamAreRefusedAndChangeNothing)
{
    AppendCounting(5);
    const Bytes before = Buffered();
    Bytes big(1001, 0x11);
    EXPECT_EQ(raster.Append(big.data(), 1001), TPRaster::RequestRefused);
    for (int count : {130, 255, 1000, 0, -3})
        EXPECT_EQ(raster.RepeatSend(count, 0x22), TPRaster::RequestRefused) << count;
    EXPECT_EQ(raster.RepeatSendSplit(0, 0x22), TPRaster::RequestRefused);
    EXPECT_EQ(Buffered(), before);
    EXPECT_EQ(link.SendCount(), 0);

    // Nothing to append is no request at all.
    EXPECT_EQ(raster.Append(big.data(), 0), 1);
    EXPECT_EQ(raster.Append(nullptr, -1), 1);
    EXPECT_EQ(raster.Fill(), 5);
}

TEST_F(Raster, ThousandthByteSendsExactlyAThousandAndTheNextStartsAFreshBuffer)
{
    AppendCounting(999);
    EXPECT_EQ(link.SendCount(), 0);
    AppendCounting(1, 999 % 256);
    ASSERT_EQ(link.SendCount(), 1);
    EXPECT_EQ(link.Sent(0).size(), 1000u);
    EXPECT_EQ(raster.Fill(), 0);
    EXPECT_TRUE(std::all_of(raster.Buffer(), raster.Buffer() + TPRaster::BufferSize,
                            [](uint8_t b) { return b == 0; }));

    const uint8_t next = 0xEE;
    ASSERT_EQ(raster.Append(&next, 1), 1);
    EXPECT_EQ(raster.Fill(), 1);
    EXPECT_EQ(raster.Buffer()[0], 0xEE);
}

TEST_F(Raster, CommandSplitAcrossTheBoundaryKeepsTheByteStreamWhole)
{
    AppendCounting(995);
    ASSERT_EQ(raster.SetPageLength(4167), 1); // 9 bytes: 5 go now, 4 stay
    ASSERT_EQ(link.SendCount(), 1);
    const Bytes first = link.Sent(0);
    EXPECT_EQ(Bytes(first.end() - 5, first.end()), Bytes({0x1B, 0x28, 0x43, 0x04, 0x00}));
    EXPECT_EQ(Buffered(), Bytes({0x47, 0x10, 0x00, 0x00}));

    // A thousand bytes in one call from a part-filled buffer: one send, the rest kept.
    Bytes block(1000, 0x33);
    ASSERT_EQ(raster.Append(block.data(), 1000), 1);
    EXPECT_EQ(link.SendCount(), 2);
    EXPECT_EQ(raster.Fill(), 4);
}

TEST_F(Raster, FlushSendsAlsoAnEmptyBuffer)
{
    EXPECT_EQ(raster.Flush(), 1);
    ASSERT_EQ(link.SendCount(), 1);
    EXPECT_TRUE(link.Sent(0).empty());

    ASSERT_EQ(raster.EndPage(), 1);
    EXPECT_EQ(link.Sent(1), Bytes{0x0C});
    EXPECT_EQ(raster.Fill(), 0);
}

TEST_F(Raster, FeedPaperFlushesTheModeThenLeavesTheMoveBuffered)
{
    ASSERT_EQ(raster.FeedPaper(300), 1);
    ASSERT_EQ(link.SendCount(), 1);
    EXPECT_EQ(link.Sent(0), Bytes({0x1B, 0x40, 0x1B, 0x28, 0x47, 0x01, 0x00, 0x01}));
    EXPECT_EQ(Buffered(), Bytes({0x1B, 0x28, 0x55, 0x05, 0x00, 0x01, 0x01, 0x01, 0x80, 0x16,
                                 0x1B, 0x28, 0x76, 0x02, 0x00, 0x2C, 0x01, 0x0D, 0x1B, 0x40}));
}

TEST_F(Raster, BusyPrinterIsWaitedOutAndTheSameBytesSentAgain)
{
    link.QueueSend(0x2000, 51);
    link.QueueSend(0x2000, 51);
    link.QueueStatus(fake::StateReply(2));
    link.QueueStatus(fake::StateReply(3));
    AppendCounting(10);
    EXPECT_EQ(raster.Flush(), 1);
    ASSERT_EQ(link.SendCount(), 3);
    EXPECT_EQ(link.Sent(0), link.Sent(2));
    EXPECT_EQ(link.Sent(1), link.Sent(2));
    EXPECT_EQ(waits.asked, std::vector<int>({500, 500}));
    EXPECT_EQ(window.paperPrompts, 0);
    EXPECT_EQ(raster.Fill(), 0);
}

TEST_F(Raster, ResendEndsOnAPrinterThatStaysIdleButWaitsForOneThatPrints)
{
    constexpr int Bound = TPRaster::MaxIdleRefusals;
    // Busy throughout: the send gives up at the bound, the bytes kept for the next send.
    for (int i = 0; i < Bound + 5; ++i)
        link.QueueSend(0x2000, 51);
    link.QueueStatus(fake::StateReply(2));
    AppendCounting(10);
    EXPECT_EQ(raster.Flush(), TPResult::PrinterNotReady);
    EXPECT_EQ(link.SendCount(), Bound);
    EXPECT_EQ(waits.asked.size(), size_t(Bound - 1));
    EXPECT_EQ(raster.Fill(), 10);

    // A printer that reports printing in between takes its data at its own pace.
    link.Reset();
    for (int i = 0; i < 2 * Bound - 1; ++i)
        link.QueueSend(0x2000, 51);
    for (int i = 0; i < Bound - 1; ++i)
        link.QueueStatus(fake::StateReply(2));
    link.QueueStatus(fake::StateReply(3));
    for (int i = 0; i < Bound - 1; ++i)
        link.QueueStatus(fake::StateReply(7));
    EXPECT_EQ(raster.Flush(), 1);
    EXPECT_EQ(link.SendCount(), 2 * Bound);
}

TEST_F(Raster, PaperOutAsksForPaperThenResends)
{
    link.QueueSend(0x2000, 51);
    link.QueueStatus(fake::StateReply(0, 6));
    AppendCounting(10);
    // The prompt comes before the wait.
    std::vector<std::string> order;
    window.onPaperPrompt = [&] { order.push_back("prompt"); };
    waits.onWait = [&](int) { order.push_back("wait"); };
    EXPECT_EQ(raster.Flush(), 1);
    EXPECT_EQ(order, std::vector<std::string>({"prompt", "wait"}));
    ASSERT_EQ(link.SendCount(), 2);
    EXPECT_EQ(link.Sent(0), link.Sent(1));

    // Without a window the prompt is skipped, the wait is not.
    raster.SetWindowLink(nullptr);
    link.Reset();
    link.QueueSend(0x2000, 51);
    link.QueueStatus(fake::StateReply(0, 6));
    AppendCounting(3);
    EXPECT_EQ(raster.Flush(), 1);
    EXPECT_EQ(link.SendCount(), 2);
}

TEST_F(Raster, FailuresKeepTheUnsentBytesForTheNextSend)
{
    struct Case {
        const char *what;
        int16_t channelError;
        std::vector<uint8_t> status; // empty: no status inquiry expected
        uint16_t expected;
    };
    const Case cases[] = {
        {"printer error", 51, fake::StateReply(0, 4), 0x4000},
        {"fatal printer error", 51, fake::StateReply(0, 0), 0x4000},
        {"other channel error", 4, {}, 0x2000},
        {"malformed status", 51, fake::Reply().Field(0x02, {1, 1}).Bytes(), 0xA0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        link.Reset();
        waits.asked.clear();
        if (!c.status.empty())
            link.QueueStatus(c.status);
        link.QueueSend(0x2000, c.channelError);
        AppendCounting(7);
        const Bytes pending = Buffered();
        EXPECT_EQ(raster.Flush(), c.expected);
        EXPECT_EQ(link.SendCount(), 1);
        EXPECT_EQ(link.StatusCount(), c.status.empty() ? 0 : 1);
        EXPECT_EQ(window.paperPrompts, 0);
        EXPECT_TRUE(waits.asked.empty());
        EXPECT_EQ(Buffered(), pending);
        // They head the next send.
        ASSERT_EQ(raster.Reset(), 1);
        ASSERT_EQ(raster.Flush(), 1);
        Bytes expected = pending;
        expected.insert(expected.end(), {0x1B, 0x40});
        EXPECT_EQ(link.Sent(1), expected);
    }
}

TEST_F(Raster, FullBufferLeftByAFailedSendGoesOutBeforeItGrows)
{
    AppendCounting(999);
    link.QueueSend(0x2000, 4);
    const uint8_t last = 0xAB;
    EXPECT_EQ(raster.Append(&last, 1), 0x2000);
    EXPECT_EQ(raster.Fill(), 1000);

    const uint8_t more[] = {0xCD, 0xEF};
    ASSERT_EQ(raster.Append(more, 2), 1);
    ASSERT_EQ(link.SendCount(), 2);
    EXPECT_EQ(link.Sent(1).size(), 1000u);
    EXPECT_EQ(link.Sent(1).back(), 0xAB);
    EXPECT_EQ(Buffered(), Bytes({0xCD, 0xEF}));
}

TEST_F(Raster, MissingSendExportGivesB000)
{
    fake::Link missing("fakelink-missing");
    TPDLLFunction partial(fake::Folder("fakelink-missing"));
    TPProgram parts(fake::Folder("fakelink-missing"));
    TPRaster &stream = parts.raster;
    ASSERT_EQ(stream.Reset(), 1);
    EXPECT_EQ(stream.Flush(), TPDLLFunction::MissingExport);
    EXPECT_EQ(stream.Fill(), 2);
}
