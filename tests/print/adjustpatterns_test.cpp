// The Bi-D and head angular layouts against the scripted link libraries: the raster blocks
// they decode to, the labels they print and the stored values they write around the passes.
#include "fakelink.h"
#include "link/factory.h"
#include "link/raster.h"
#include "link/statuscontrol.h"
#include "print/bidpattern.h"
#include "print/headangularpattern.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<uint8_t>;

struct Block {
    uint8_t color;
    int expected; // bytesPerLine x lines from the header
    int decoded;  // what the records decode to before the next command
};

class Layouts : public ::testing::Test
{
protected:
    Layouts() { link.QueueStatus(fake::StateReply(4)); }

    // Splits what was sent into factory packets and the print stream.
    void Collect()
    {
        data.clear();
        factory.clear();
        for (int i = 0; i < link.SendCount(); ++i) {
            const Bytes sent = link.Sent(i);
            if (sent.size() >= 10 && sent[0] == 0x1B && sent[1] == 0x7C)
                factory.push_back(sent);
            else
                data.insert(data.end(), sent.begin(), sent.end());
        }
    }
    // Raster blocks of the stream, decoded record by record up to their declared size.
    std::vector<Block> Blocks() const
    {
        std::vector<Block> blocks;
        size_t i = 0;
        while (i + 9 <= data.size()) {
            if (data[i] != 0x1B || data[i + 1] != 0x69) {
                ++i;
                continue;
            }
            const int perLine = data[i + 5] | data[i + 6] << 8;
            const int lines = data[i + 7] | data[i + 8] << 8;
            Block block{data[i + 2], perLine * lines, 0};
            i += 9;
            while (block.decoded < block.expected && i + 1 < data.size()) {
                const uint8_t header = data[i];
                if (header <= 127) {
                    block.decoded += header + 1;
                    i += 2 + header;
                } else {
                    block.decoded += 257 - header;
                    i += 2;
                }
            }
            blocks.push_back(block);
        }
        return blocks;
    }
    // Values of the Bi-D writes (FactoryCommand00), in order.
    std::vector<int> BidWrites() const
    {
        std::vector<int> values;
        for (const Bytes &packet : factory) {
            if (packet[7] == 0x00)
                values.push_back(static_cast<int16_t>(packet[12] | packet[13] << 8));
        }
        return values;
    }
    std::string Text() const { return std::string(data.begin(), data.end()); }

    fake::Link link;
    fake::Waits waits;
    TPDLLFunction dll{fake::Folder("fakelink")};
    TPStatusControl status{dll, raster};
    TPRaster raster{dll, status};
    TPFactory factoryCommands{raster};
    Bytes data;
    std::vector<Bytes> factory;
};

// The numbers of a printed label line, in order.
std::vector<int> Numbers(const std::string &line)
{
    std::vector<int> numbers;
    size_t at = 0;
    while (at < line.size()) {
        size_t used = 0;
        if (line[at] == '-' || std::isdigit(static_cast<unsigned char>(line[at]))) {
            numbers.push_back(std::stoi(line.substr(at), &used));
            at += used;
        } else {
            ++at;
        }
    }
    return numbers;
}

TEST_F(Layouts, HeadAngularPrintsAtAngleZeroAndRestoresTheStoredValue)
{
    link.SetEeprom(0x75, 0xFD);
    TPHeadAngularPattern pattern(dll, raster, factoryCommands, status);
    ASSERT_EQ(pattern.HeadAngularPattern(), 1);
    Collect();

    ASSERT_EQ(factory.size(), 4u);
    EXPECT_EQ(factory[0],
              Bytes({0x1B, 0x7C, 0x00, 0x06, 0x00, 0x5E, 0xA7, 0x05, 0xFA, 0x82, 0x00}));
    EXPECT_EQ(factory[1][7], 0x50);
    EXPECT_EQ(factory[2].back(), 0xFD);
    EXPECT_EQ(factory[3][7], 0x50);

    // Three reference passes and three comparison passes of five columns.
    const std::vector<Block> blocks = Blocks();
    ASSERT_EQ(blocks.size(), 18u);
    for (const Block &block : blocks) {
        EXPECT_EQ(block.color, 0);
        EXPECT_EQ(block.expected, 720 * 90);
        EXPECT_EQ(block.decoded, block.expected);
    }
    EXPECT_NE(Text().find("Head angular adjustment\r\n"), std::string::npos);
    EXPECT_NE(Text().find("NG  -3   0   3  NG"), std::string::npos);
    EXPECT_EQ(raster.Fill(), 0);
}

TEST_F(Layouts, BidBlockNumbersItsColumnsAroundTheCentreAndEndsOnIt)
{
    struct Case {
        int centre;
        std::vector<int> middleRow;
    };
    for (const Case &c :
         {Case{0, {-6, -4, -2, 0, 2, 4, 6}}, Case{-30, {-36, -34, -32, -30, -28, -26, -24}}}) {
        link.Reset();
        link.QueueStatus(fake::StateReply(4));
        TPBidPattern pattern(raster, status, factoryCommands);
        ASSERT_EQ(pattern.BidBlock(0, 1, 16, c.centre, 255, 255), 1);
        ASSERT_EQ(raster.Flush(), 1);
        Collect();
        const std::string text = Text();
        const size_t row1 = text.find("       ");
        ASSERT_NE(row1, std::string::npos);
        // Row 0 is the centre - 1 alone, then the middle row, then row 2 with centre + 1.
        std::vector<int> labels;
        for (size_t at = 0; (at = text.find("\x1B@\r         \x1B@", at)) != std::string::npos;) {
            at += 14;
            const size_t end = text.find('\x1B', at);
            for (int n : Numbers(text.substr(at, end - at)))
                labels.push_back(n);
        }
        std::vector<int> expected = {c.centre - 1};
        expected.insert(expected.end(), c.middleRow.begin(), c.middleRow.end());
        expected.push_back(c.centre + 1);
        EXPECT_EQ(labels, expected) << "centre " << c.centre;

        // Each row: the forward pass with the centre, then the return prints right to left.
        const int m = c.centre;
        EXPECT_EQ(BidWrites(), std::vector<int>({m, m - 1, m, m + 6, m + 4, m + 2, m, m - 2, m - 4,
                                                 m - 6, m, m + 1, m}));
        for (const Block &block : Blocks())
            EXPECT_EQ(block.decoded, 720 * 90);
    }
}

TEST_F(Layouts, BidPageOfTheColourGroupAloneInTheVsd3ModePrintsThreePassesARow)
{
    TPBidPattern pattern(raster, status, factoryCommands);
    ASSERT_EQ(pattern.BidPage(0, 18, 100, 5), 1);
    ASSERT_EQ(raster.Flush(), 1);
    Collect();
    EXPECT_EQ(Text().rfind("VSD3 \0Bi-D Color \0PG-\0", 0, 22), 0u);
    EXPECT_EQ(Text().find("Black"), std::string::npos);

    // Rows 0 and 2: three passes of one forward and one return print; row 1: three of eight.
    const std::vector<int> writes = BidWrites();
    EXPECT_EQ(writes.size(), size_t(3 * 2 + 3 * 8 + 3 * 2 + 1));
    EXPECT_EQ(writes.back(), 5);
    for (const Bytes &packet : factory) {
        EXPECT_EQ(packet[10], 0x13); // VSD3, narrow gap
        EXPECT_EQ(packet[11], 2);    // colour
    }
    const std::vector<Block> blocks = Blocks();
    ASSERT_EQ(blocks.size(), size_t(writes.size() - 1) * 3);
    for (size_t i = 0; i < blocks.size(); ++i) {
        EXPECT_EQ(blocks[i].color, (Bytes{18, 17, 4})[i % 3]);
        EXPECT_EQ(blocks[i].decoded, 720 * 90);
    }
}

TEST_F(Layouts, HeadAngularFailureHalfWayPutsTheStoredValueBack)
{
    link.SetEeprom(0x75, 0xFD);
    link.QueueSend(1); // head angular 0
    link.QueueSend(1); // commit
    link.QueueSend(0x2000, 51);
    link.QueueSend(0x2000, 51);
    link.QueueStatus(fake::StateReply(0, 4)); // after the ready reply: jammed
    // The printer has stored the 0 it was sent by the time it jams.
    waits.onWait = [&](int) { link.SetEeprom(0x75, 0); };
    TPHeadAngularPattern pattern(dll, raster, factoryCommands, status);
    EXPECT_EQ(pattern.HeadAngularPattern(), 0x4000);
    EXPECT_EQ(link.Eeprom(0x75), 0xFD);
    EXPECT_EQ(pattern.PutBack().LastOutcome(), TPPutBack::Outcome::PutBack);
    EXPECT_EQ(link.SendCount(), 4); // no commit to a jammed printer
    // The refused rest of the page (with its 0) does not go out with the next job.
    EXPECT_EQ(raster.Fill(), 0);
}

TEST_F(Layouts, FirstFailureEndsTheLayoutWithItsCode)
{
    link.QueueSend(0x2000, 7); // the first factory packet: head angular 0
    TPHeadAngularPattern pattern(dll, raster, factoryCommands, status);
    EXPECT_EQ(pattern.HeadAngularPattern(), 0x2000);
    EXPECT_EQ(link.SendCount(), 1);
}
} // namespace
