#include "fakelink.h"
#include "link/raster.h"
#include "link/remotecomm.h"
#include "link/statuscontrol.h"
#include "papersettings.h"

#include <gtest/gtest.h>

namespace
{
using Bytes = std::vector<uint8_t>;

const Bytes EnterRemote = {0x1B, 0x28, 0x52, 0x08, 0x00, 0x00, 0x52,
                           0x45, 0x4D, 0x4F, 0x54, 0x45, 0x31};
const Bytes ExitRemote = {0x1B, 0x00, 0x00, 0x00};
constexpr size_t BlockStart = 13 + 6; // after enter remote mode and the "SN" header
constexpr size_t BlockSize = 78;

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes &part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

class RemoteComm : public ::testing::Test
{
protected:
    Bytes Buffered() const { return Bytes(raster.Buffer(), raster.Buffer() + raster.Fill()); }

    fake::Link link;
    fake::Waits waits;
    TPDLLFunction dll{fake::Folder("fakelink")};
    TPStatusControl status{dll, raster};
    TPRaster raster{dll, status};
    TPRemoteComm remote{raster};
};
} // namespace

TEST_F(RemoteComm, PaperSettingsBlock2IsAppendedByteForByte)
{
    ASSERT_EQ(remote.SendPaperSettings(2), 1);
    EXPECT_EQ(link.SendCount(), 0); // waits for the caller's flush
    const Bytes expected = Cat({EnterRemote,
                                {0x53, 0x4E, 0x52, 0x00, 0x00, 0x15},
                                novari_test::PaperBlock2(),
                                {0x01, 0x08},
                                ExitRemote});
    EXPECT_EQ(expected.size(), 103u);
    EXPECT_EQ(Buffered(), expected);
}

TEST_F(RemoteComm, EveryBlockDiffersOnlyWhereItShouldAndCarriesItsSum)
{
    struct Block {
        int number;
        std::vector<std::pair<size_t, uint8_t>> differences;
        uint16_t sum;
    };
    const Block blocks[] = {
        {3, {{77, 0x01}}, 0x0800},
        {4, {{71, 0x01}, {72, 0x01}, {73, 0x01}, {77, 0x01}}, 0x0803},
        {5, {{0, 0x0D}, {14, 0x96}, {16, 0x0B}, {18, 0x40}, {71, 1}, {72, 1}, {73, 1}}, 0x07A7},
        {6,
         {{0, 0x17},
          {14, 0x96},
          {16, 0xF3},
          {17, 0x00},
          {18, 0x49},
          {58, 0x09},
          {71, 1},
          {72, 1},
          {73, 1},
          {77, 1}},
         0x08A5},
    };
    ASSERT_EQ(remote.SendPaperSettings(2), 1);
    const Bytes base = Buffered();
    EXPECT_EQ(TPRemoteComm::SettingsSum(2), 0x0801);
    ASSERT_EQ(raster.Flush(), 1);

    for (const Block &block : blocks) {
        SCOPED_TRACE(block.number);
        ASSERT_EQ(remote.SendPaperSettings(block.number), 1);
        const Bytes packet = Buffered();
        ASSERT_EQ(packet.size(), 103u);
        EXPECT_EQ(Bytes(packet.begin(), packet.begin() + BlockStart),
                  Bytes(base.begin(), base.begin() + BlockStart));
        EXPECT_EQ(Bytes(packet.end() - 4, packet.end()), ExitRemote);
        Bytes expectedBlock(base.begin() + BlockStart, base.begin() + BlockStart + BlockSize);
        for (const auto &[index, value] : block.differences)
            expectedBlock[index] = value;
        const Bytes sent(packet.begin() + BlockStart, packet.begin() + BlockStart + BlockSize);
        EXPECT_EQ(sent, expectedBlock);
        // The sum is the table's value, sent low byte first.
        uint32_t sum = 0;
        for (uint8_t byte : sent)
            sum += byte;
        EXPECT_EQ(sum & 0xFFFF, block.sum);
        EXPECT_EQ(TPRemoteComm::SettingsSum(block.number), block.sum);
        EXPECT_EQ(packet[BlockStart + BlockSize], block.sum & 0xFF);
        EXPECT_EQ(packet[BlockStart + BlockSize + 1], block.sum >> 8);
        ASSERT_EQ(raster.Flush(), 1);
    }
}

TEST_F(RemoteComm, UnknownSettingsBlockAppendsNothing)
{
    raster.Reset();
    for (int block : {0, 1, 7, -2}) {
        EXPECT_EQ(remote.SendPaperSettings(block), TPRaster::RequestRefused) << block;
        EXPECT_EQ(raster.Fill(), 2);
    }
}

TEST_F(RemoteComm, SettingsJoinWhatIsAlreadyInTheStream)
{
    ASSERT_EQ(raster.ResetToDraftText(), 1);
    ASSERT_EQ(remote.SendPaperSettings(4), 1);
    EXPECT_EQ(raster.Fill(), 5 + 103);
    EXPECT_EQ(Bytes(raster.Buffer() + 5, raster.Buffer() + 5 + 13), EnterRemote);
}

TEST_F(RemoteComm, LoadDefaultsAndEjectIsOne26ByteAppend)
{
    ASSERT_EQ(remote.LoadDefaultsAndEject(), 1);
    EXPECT_EQ(
        Buffered(),
        Cat({EnterRemote, {0x4C, 0x44, 0x00, 0x00, 0x4A, 0x45, 0x01, 0x00, 0x00}, ExitRemote}));
    EXPECT_EQ(raster.Fill(), 26);
}

TEST_F(RemoteComm, NozzleCheckPrintsItsTitleAndIsSentAtOnce)
{
    ASSERT_EQ(remote.PrintNozzleCheck(), 1);
    const std::string title = "Nozzle check pattern\r\n";
    Bytes expected(title.begin(), title.end());
    expected.push_back(0x00);
    expected = Cat({expected,
                    EnterRemote,
                    {0x4E, 0x43, 0x02, 0x00, 0x00, 0x00},
                    ExitRemote,
                    {0x0D, 0x0A, 0x0D, 0x0A}});
    EXPECT_EQ(link.Taken(), expected);
    EXPECT_EQ(raster.Fill(), 0);
}
