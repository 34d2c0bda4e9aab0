// The first dot and top margin patterns as the printer receives them: their one raster block
// decoded, the paper size around it and the title line after it.
#include "fakelink.h"
#include "link/program.h"
#include "link/statuscontrol.h"
#include "print/marginpatterns.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace
{
using Bytes = std::vector<uint8_t>;

// One raster block found in a stream: its header values, its decoded lines and where the
// stream goes on after it.
struct Block {
    int color = -1;
    int bytesPerLine = 0;
    int lines = 0;
    Bytes decoded;
    size_t end = 0;
};

size_t Find(const Bytes &stream, const Bytes &needle, size_t from = 0)
{
    const auto at = std::search(stream.begin() + static_cast<long>(from), stream.end(),
                                needle.begin(), needle.end());
    return static_cast<size_t>(at - stream.begin());
}

// The first block after the raster resolution of the patterns (360 base, lines 1/120 inch).
Block FirstBlock(const Bytes &stream)
{
    const Bytes resolution = {0x1B, 0x28, 0x44, 0x04, 0x00, 0x68, 0x01, 0x03, 0x01, 0x1B, 0x69};
    Block block;
    size_t at = Find(stream, resolution);
    if (at + resolution.size() + 7 > stream.size())
        return block;
    at += resolution.size();
    block.color = stream[at];
    EXPECT_EQ(stream[at + 1], 1); // run-length
    EXPECT_EQ(stream[at + 2], 2); // two bits a dot
    block.bytesPerLine = stream[at + 3] | stream[at + 4] << 8;
    block.lines = stream[at + 5] | stream[at + 6] << 8;
    at += 7;
    const size_t size = static_cast<size_t>(block.bytesPerLine) * block.lines;
    while (block.decoded.size() < size && at + 1 < stream.size()) {
        const uint8_t header = stream[at];
        if (header < 0x80) {
            block.decoded.insert(block.decoded.end(), stream.begin() + static_cast<long>(at) + 1,
                                 stream.begin() + static_cast<long>(at) + 2 + header);
            at += 2 + header;
        } else {
            block.decoded.insert(block.decoded.end(), 257 - header, stream[at + 1]);
            at += 2;
        }
    }
    block.end = at;
    return block;
}

// Width and length of the paper size command, in 1/360 inch.
std::pair<uint32_t, uint32_t> PaperSize(const Bytes &stream)
{
    const size_t at = Find(stream, {0x1B, 0x28, 0x53, 0x08, 0x00}) + 5;
    if (at + 8 > stream.size())
        return {0, 0};
    auto u32 = [&](size_t i) {
        return uint32_t(stream[i]) | uint32_t(stream[i + 1]) << 8 | uint32_t(stream[i + 2]) << 16 |
               uint32_t(stream[i + 3]) << 24;
    };
    return {u32(at), u32(at + 4)};
}

Bytes Text(const std::string &text)
{
    Bytes bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

class MarginPatterns : public ::testing::Test
{
protected:
    MarginPatterns() { raster.SetWindowLink(&window); }

    Bytes Printed(const std::function<uint16_t(TPRaster &)> &pattern)
    {
        link.Reset();
        EXPECT_EQ(pattern(raster), 1);
        EXPECT_EQ(raster.Fill(), 0) << "the pattern leaves bytes behind";
        return link.Taken();
    }

    fake::Link link;
    fake::Waits waits;
    fake::Window window;
    TPDLLFunction dll{fake::Folder("fakelink")};
    TPStatusControl status{dll, raster};
    TPRaster raster{dll, status};
};
} // namespace

TEST_F(MarginPatterns, FirstDotPutsOneLargeDotAtTheLeftOf29LinesAndEjectsThePage)
{
    const Bytes stream = Printed(FirstDotPattern);
    const Block block = FirstBlock(stream);
    EXPECT_EQ(block.color, 0);
    EXPECT_EQ(block.bytesPerLine, 720);
    EXPECT_EQ(block.lines, 90);
    ASSERT_EQ(block.decoded.size(), 720u * 90u);
    for (int line = 0; line < 90; ++line) {
        const auto begin = block.decoded.begin() + line * 720;
        EXPECT_EQ(*begin, line < 29 ? 0xC0 : 0x00) << "line " << line;
        EXPECT_TRUE(std::all_of(begin + 1, begin + 720, [](uint8_t b) { return b == 0; }))
            << "line " << line;
    }
    EXPECT_EQ(PaperSize(stream), std::make_pair(2976u, 4208u));

    // After the block: plain text with its zero byte, one line feed, the form feed last.
    Bytes tail = {0x1B, 0x40};
    const Bytes title = Text("    First dot adjustment");
    ASSERT_EQ(title.size(), 25u);
    tail.insert(tail.end(), title.begin(), title.end());
    tail.insert(tail.end(), {0x0D, 0x0A, 0x0C});
    EXPECT_EQ(Bytes(stream.begin() + static_cast<long>(block.end), stream.end()), tail);
}

TEST_F(MarginPatterns, TopMarginDrawsOneSolidLineOnTopAndLeavesThePageToTheCaller)
{
    const Bytes stream = Printed(TopMarginPattern);
    const Block block = FirstBlock(stream);
    EXPECT_EQ(block.color, 0);
    EXPECT_EQ(block.bytesPerLine, 106);
    EXPECT_EQ(block.lines, 90);
    ASSERT_EQ(block.decoded.size(), 9540u);
    EXPECT_TRUE(std::all_of(block.decoded.begin(), block.decoded.begin() + 106,
                            [](uint8_t b) { return b == 0xFF; }));
    EXPECT_TRUE(std::all_of(block.decoded.begin() + 106, block.decoded.end(),
                            [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(PaperSize(stream), std::make_pair(2976u, 4209u));
    // Page length 4167 in the 1/360 inch unit.
    EXPECT_LT(Find(stream, {0x1B, 0x28, 0x43, 0x04, 0x00, 0x47, 0x10, 0x00, 0x00}), block.end);

    Bytes tail = {0x1B, 0x40};
    const Bytes title = Text(std::string(44, ' ') + "Top Margin Adjustment");
    ASSERT_EQ(title.size(), 66u);
    tail.insert(tail.end(), title.begin(), title.end());
    tail.insert(tail.end(), {0x0D, 0x0A, 0x0D, 0x0A});
    EXPECT_EQ(Bytes(stream.begin() + static_cast<long>(block.end), stream.end()), tail);
}

TEST_F(MarginPatterns, FirstFailingSendEndsThePattern)
{
    for (const auto &pattern : {std::function<uint16_t(TPRaster &)>(FirstDotPattern),
                                std::function<uint16_t(TPRaster &)>(TopMarginPattern)}) {
        link.Reset();
        link.QueueSend(0x2000, 4);
        EXPECT_EQ(pattern(raster), 0x2000);
        EXPECT_EQ(link.SendCount(), 1);
        // What the failed send kept goes out with the next job.
        EXPECT_EQ(raster.Flush(), 1);
    }
}
