#include "fakelink.h"
#include "link/program.h"
#include "print/checklayouts.h"
#include "print/checkpattern.h"
#include "print/numberrows.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <random>

namespace
{
using Bytes = std::vector<uint8_t>;

// One raster block of a stream, decoded.
struct Block {
    int ink = 0;
    int width = 0;
    int lines = 0;
    Bytes data;         // decoded bytes, as many as the records gave
    bool exact = false; // the records gave exactly width x lines bytes, then a command

    Bytes Line(int index) const
    {
        const auto from = data.begin() + static_cast<long>(index) * width;
        return Bytes(from, from + width);
    }
    int Dot(int line, int dot) const
    {
        const uint8_t byte = data[static_cast<size_t>(line * width + dot / 4)];
        return byte >> (3 - dot % 4) * 2 & 3;
    }
    std::vector<int> InkedLines() const
    {
        std::vector<int> inked;
        for (int line = 0; line < lines; ++line) {
            const Bytes bytes = Line(line);
            if (std::any_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b != 0; }))
                inked.push_back(line);
        }
        return inked;
    }
};

// Finds every raster header (1B 69) and decodes the run-length records after it.
std::vector<Block> Blocks(const Bytes &stream)
{
    std::vector<Block> blocks;
    size_t at = 0;
    while (at + 9 <= stream.size()) {
        if (stream[at] != 0x1B || stream[at + 1] != 0x69) {
            ++at;
            continue;
        }
        Block block;
        block.ink = stream[at + 2];
        block.width = stream[at + 5] | stream[at + 6] << 8;
        block.lines = stream[at + 7] | stream[at + 8] << 8;
        const size_t wanted = static_cast<size_t>(block.width) * static_cast<size_t>(block.lines);
        at += 9;
        while (block.data.size() < wanted && at + 1 < stream.size()) {
            const int header = stream[at];
            if (header < 128) {
                block.data.insert(block.data.end(), stream.begin() + static_cast<long>(at) + 1,
                                  stream.begin() + static_cast<long>(at) + 2 + header);
                at += 2 + static_cast<size_t>(header);
            } else {
                block.data.insert(block.data.end(), static_cast<size_t>(257 - header),
                                  stream[at + 1]);
                at += 2;
            }
        }
        block.exact = block.data.size() == wanted && (at == stream.size() || stream[at] == 0x1B);
        block.data.resize(wanted, 0);
        blocks.push_back(std::move(block));
    }
    return blocks;
}

class CheckLayouts : public ::testing::Test
{
protected:
    CheckLayouts() { program.raster.SetWindowLink(&window); }

    // Everything the printer took while an operation ran, with a final flush.
    Bytes Printed(const std::function<uint16_t()> &operation)
    {
        link.Reset();
        EXPECT_EQ(operation(), 1);
        EXPECT_EQ(program.raster.Flush(), 1);
        return link.Taken();
    }
    Block OnlyBlock(const std::function<uint16_t(TPRaster &)> &layout)
    {
        const std::vector<Block> blocks = Blocks(Printed([&] { return layout(program.raster); }));
        EXPECT_EQ(blocks.size(), 1u);
        EXPECT_TRUE(!blocks.empty() && blocks[0].exact);
        return blocks.empty() ? Block() : blocks[0];
    }

    fake::Link link;
    fake::Waits waits;
    fake::Window window;
    TPProgram program{fake::Folder("fakelink")};
    TPCheckPattern checks{program};
};

TEST_F(CheckLayouts, EdgeLinesFollowTheOffsetAndStayInsideTheirBlock)
{
    using namespace TPCheckLayouts;
    struct Case {
        bool top;
        int offset;
        int line;
    };
    // Offsets beyond the stored range are drawn at the nearer end of the block.
    const Case cases[] = {{true, -20, 27}, {true, 20, 67},  {true, 0, 47},   {false, -20, 67},
                          {false, 20, 27}, {true, -35, 27}, {false, 99, 27}, {true, 127, 67}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << (c.top ? "top " : "bottom ") << c.offset);
        const Block block = OnlyBlock([&](TPRaster &raster) {
            return c.top ? TopEdgeLinePattern(raster, c.offset)
                         : BottomEdgeLinePattern(raster, c.offset);
        });
        EXPECT_EQ(block.width * block.lines, 727 * 68);
        EXPECT_EQ(block.InkedLines(), std::vector<int>{c.line});
    }
}

TEST_F(CheckLayouts, SideDotsAndEdgeMarksSitOnTheirDots)
{
    using namespace TPCheckLayouts;
    struct Case {
        int offset;
        int byte;
        uint8_t value;
    };
    for (const Case &c : {Case{0, 17, 0x03}, Case{19, 27, 0x30}, Case{-40, 7, 0x03}}) {
        SCOPED_TRACE(c.offset);
        const Block block =
            OnlyBlock([&](TPRaster &raster) { return SideDotPattern(raster, c.offset); });
        const std::vector<int> inked = block.InkedLines();
        ASSERT_EQ(inked.size(), 50u);
        EXPECT_EQ(inked.front(), 40);
        Bytes expected(28, 0);
        expected[static_cast<size_t>(c.byte)] = c.value;
        for (int line : inked)
            EXPECT_EQ(block.Line(line), expected);
    }

    const Block marks = OnlyBlock([&](TPRaster &raster) { return EdgeMarkRows(raster, 24, 0); });
    EXPECT_EQ(marks.InkedLines().size(), 4u * 21u);
    std::vector<int> dots;
    for (int line : marks.InkedLines())
        for (int dot = 0; dot < 116; ++dot)
            if (marks.Dot(line, dot) == 3 && std::find(dots.begin(), dots.end(), dot) == dots.end())
                dots.push_back(dot);
    EXPECT_EQ(dots, (std::vector<int>{103, 104, 105, 106, 107, 108, 109, 110}));
    EXPECT_EQ(EdgeMarkRows(program.raster, 25, 0), TPResult::RequestRefused);
}

TEST_F(CheckLayouts, NumberRowsDrawTheirGlyphs)
{
    const Block block = OnlyBlock([](TPRaster &raster) {
        return TPNumberRows::NumberRows(raster, {" -8", " -7", " -6", " -5"}, 2);
    });
    EXPECT_EQ(block.width, 27);
    EXPECT_EQ(block.lines, 88);
    EXPECT_EQ(block.ink, 2);
    // The middle glyph row of " -8": a blank cell, the minus bar, the 8's crossbar.
    const Bytes middle = block.Line(4 + 1 + 5);
    const Bytes blank(9, 0);
    EXPECT_EQ(Bytes(middle.begin(), middle.begin() + 9), blank);
    EXPECT_EQ(std::count(middle.begin() + 9, middle.begin() + 18, 0xFF), 6);
    EXPECT_EQ(std::count(middle.begin() + 18, middle.end(), 0xFF), 6);
    // Between the glyph bands of two rows only blank lines.
    for (int line = 17; line < 22 + 4; ++line)
        EXPECT_EQ(block.Line(line), Bytes(27, 0)) << line;
    EXPECT_EQ(TPNumberRows::NumberRows(program.raster, {"1", "12", "1", "1"}, 2),
              TPResult::RequestRefused);
}

TEST_F(CheckLayouts, EveryPrintCarriesCompleteBlocks)
{
    // Stored corrections far outside what the edge layouts draw.
    const std::vector<std::pair<const char *, std::function<uint16_t()>>> prints = {
        {"A4 normal", [&] { return checks.A4NormalPrint(); }},
        {"photo quality", [&] { return checks.A4PhotoQualityPrint(); }},
        {"photo paper", [&] { return checks.A4PhotoPaperPrint(); }},
        {"head check", [&] { return checks.HeadCheckPrint(); }},
        {"PW sensor", [&] { return checks.PwSensorPattern(); }},
    };
    for (const auto &[name, print] : prints) {
        SCOPED_TRACE(name);
        link.Reset();
        link.QueueStatus(fake::StateReply(TPStatusControl::StateReady));
        for (const uint8_t address : {0x70, 0x71, 0x72, 0x73})
            link.SetEeprom(address, 0x80);
        ASSERT_EQ(print(), 1);
        EXPECT_EQ(program.raster.Fill(), 0) << "the print ends with everything sent";
        const std::vector<Block> blocks = Blocks(link.Taken());
        EXPECT_GT(blocks.size(), 5u);
        for (size_t i = 0; i < blocks.size(); ++i)
            EXPECT_TRUE(blocks[i].exact)
                << "block " << i << " " << blocks[i].width << "x" << blocks[i].lines;
        for (int i = 0; i < link.SendCount(); ++i)
            EXPECT_LE(link.Sent(i).size(), 1000u);
    }
    // The PW sensor pattern cleared both copies of every correction.
    for (const uint8_t address : {0x70, 0x71, 0x72, 0x73, 0xCE, 0xCF, 0xD0, 0xD1})
        EXPECT_EQ(link.Eeprom(address), 0) << int(address);
}

TEST_F(CheckLayouts, CdrFileIsSentAsItIsInPiecesOfAtMost1000Bytes)
{
    QTemporaryDir folder;
    checks.SetCdrSearchFolders({folder.path() + "/missing", folder.path()});
    link.Reset();
    EXPECT_EQ(checks.CdrFilePrint(), TPResult::FileOpen);
    EXPECT_EQ(link.SendCount(), 0);

    // A file that is there but cannot be read is not replaced by a later folder's.
    QFile good(QDir(folder.path()).filePath("CD-R2.prn"));
    ASSERT_TRUE(good.open(QIODevice::WriteOnly));
    good.write("CD\r\n");
    good.close();
    ASSERT_TRUE(QDir(folder.path()).mkpath("first/CD-R2.prn"));
    checks.SetCdrSearchFolders({folder.path() + "/first", folder.path()});
    EXPECT_EQ(checks.CdrFilePrint(), TPResult::FileOpen);
    EXPECT_EQ(checks.LastCdrProblem(), TPCheckPattern::CdrProblem::Unreadable);
    EXPECT_EQ(link.SendCount(), 0);
    checks.SetCdrSearchFolders({folder.path()});

    // Print data is sent, commands that reach the printer's settings are not, not even the
    // print data before them.
    ASSERT_TRUE(good.open(QIODevice::WriteOnly | QIODevice::Truncate));
    good.write(QByteArray(1500, 'x') + QByteArray::fromHex("1b7c0005005ea750af28"));
    good.close();
    EXPECT_EQ(checks.CdrFilePrint(), TPResult::FileOpen);
    EXPECT_EQ(checks.LastCdrProblem(), TPCheckPattern::CdrProblem::NotPrintData);
    EXPECT_EQ(checks.CdrVerdict(), TPPrintFileCheck::Verdict::FactoryPacket);
    EXPECT_EQ(link.SendCount(), 0);

    // A piece the printer cannot take yet is sent again after the resend wait.
    ASSERT_TRUE(good.open(QIODevice::WriteOnly | QIODevice::Truncate));
    good.write("CD\r\n");
    good.close();
    link.QueueSend(0x2000, 51);
    link.QueueStatus(fake::StateReply(2));
    waits.asked.clear();
    EXPECT_EQ(checks.CdrFilePrint(), 1);
    EXPECT_EQ(link.SendCount(), 2);
    EXPECT_EQ(waits.asked, std::vector<int>({500}));

    std::mt19937 random(7);
    struct Case {
        int size;
        std::vector<size_t> sends;
    };
    const Case cases[] = {
        {2000, {1000, 1000}}, {1500, {1000, 500}}, {0, {}}, {10 * 1024 * 1024, {}}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.size);
        QByteArray content(c.size, '\0');
        // Any bytes but the escape that starts a command: print data only.
        for (char &byte : content)
            byte = static_cast<char>(random() % 0x1B);
        QFile file(QDir(folder.path()).filePath("CD-R2.prn"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        link.Reset();
        ASSERT_EQ(checks.CdrFilePrint(), 1);
        const Bytes taken = link.Taken();
        EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(taken.data()), int(taken.size())),
                  content);
        if (!c.sends.empty()) {
            std::vector<size_t> sizes;
            for (int i = 0; i < link.SendCount(); ++i)
                sizes.push_back(link.Sent(i).size());
            EXPECT_EQ(sizes, c.sends);
        }
        EXPECT_EQ(checks.CdrFilePath(), file.fileName());
    }
}
} // namespace
