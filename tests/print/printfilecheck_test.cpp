#include "link/dllfunction.h"
#include "print/printfilecheck.h"

#include <QFile>
#include <gtest/gtest.h>

namespace
{
using Bytes = std::vector<uint8_t>;
using Verdict = TPPrintFileCheck::Verdict;

Verdict Whole(const Bytes &bytes)
{
    TPPrintFileCheck check;
    check.Feed(bytes.data(), bytes.size());
    return check.Finish();
}

Verdict ByteByByte(const Bytes &bytes)
{
    TPPrintFileCheck check;
    for (const uint8_t byte : bytes)
        check.Feed(&byte, 1);
    return check.Finish();
}

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes &part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

const Bytes Text = {'C', 'D', '\r', '\n', 0x00};
// A raster block of 2 x 3 bytes whose data, a literal record and a run, looks like a factory
// packet's start.
const Bytes Block = {0x1B, 'i', 0, 1, 2, 2, 0, 3, 0, 0x02, 0x1B, '|', 0x00, 0xFE, 0x1B};
const Bytes Feed = {0x1B, '(', 'v', 2, 0, 90, 0, 0x0D};
} // namespace

TEST(PrintFileCheck, PassesPrintDataAndStopsAtAnythingElse)
{
    const struct {
        const char *what;
        Bytes bytes;
        Verdict verdict;
    } cases[] = {
        {"text, raster data, feeds", Join({Text, {0x1B, '@'}, Block, Feed, {0x0C}}),
         Verdict::PrintData},
        {"factory packet", Join({Text, {0x1B, '|', 0, 5, 0, 0x5E, 0xA7, 0x50, 0xAF, 0x28}}),
         Verdict::FactoryPacket},
        {"remote mode", Join({Block, {0x1B, '(', 'R', 8, 0, 0, 'R', 'E', 'M', 'O', 'T', 'E', '1'}}),
         Verdict::RemoteMode},
        {"end of remote mode", {0x1B, 0x00, 0x00, 0x00}, Verdict::RemoteMode},
        {"unknown command", Join({Text, {0x1B, 'Z', 1}}), Verdict::OtherCommand},
        {"unknown parenthesised command", {0x1B, '(', 'q', 1, 0, 7}, Verdict::OtherCommand},
        {"raster records past their block",
         {0x1B, 'i', 0, 1, 2, 1, 0, 1, 0, 0xFE, 0},
         Verdict::Incomplete},
        {"cut inside a raster block", Bytes(Block.begin(), Block.end() - 2), Verdict::Incomplete},
        {"cut inside a command", {0x1B, '(', 'v', 2, 0, 90}, Verdict::Incomplete},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Whole(c.bytes), c.verdict);
        EXPECT_EQ(ByteByByte(c.bytes), c.verdict);
    }

    // The sample job the build writes passes.
    QFile sample(TPDLLFunction::ExecutableFolder() + "/CD-R2.prn");
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QByteArray job = sample.readAll();
    EXPECT_EQ(Whole(Bytes(job.begin(), job.end())), Verdict::PrintData);
}
