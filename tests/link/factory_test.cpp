#include "fakelink.h"
#include "link/factory.h"
#include "link/program.h"
#include "link/raster.h"
#include "link/statuscontrol.h"

#include <functional>
#include <gtest/gtest.h>

namespace
{
using Bytes = std::vector<uint8_t>;

class Factory : public ::testing::Test
{
protected:
    // The one packet a command sent, with a check that it went by itself.
    Bytes SentBy(const std::function<uint16_t()> &command)
    {
        link.Reset();
        EXPECT_EQ(command(), 1);
        EXPECT_EQ(link.SendCount(), 1);
        return link.Sent(0);
    }

    fake::Link link;
    fake::Waits waits;
    TPDLLFunction dll{fake::Folder("fakelink")};
    TPStatusControl status{dll, raster};
    TPRaster raster{dll, status};
    TPFactory factory{raster};
};
} // namespace

TEST_F(Factory, InkChargeAndCommitPacketsByteForByte)
{
    EXPECT_EQ(SentBy([&] { return factory.FactoryCommand84(7); }),
              Bytes({0x1B, 0x7C, 0x00, 0x06, 0x00, 0x5E, 0xA7, 0x84, 0x7B, 0x42, 0x07}));
    EXPECT_EQ(SentBy([&] { return factory.FactoryCommand50(); }),
              Bytes({0x1B, 0x7C, 0x00, 0x05, 0x00, 0x5E, 0xA7, 0x50, 0xAF, 0x28}));
    EXPECT_EQ(SentBy([&] { return factory.FactoryCommand84(2); }).back(), 0x02);
}

TEST_F(Factory, EveryCommandHasItsCodeCheckBytesAndParameterLayout)
{
    struct Case {
        uint8_t code;
        std::function<uint16_t()> command;
        Bytes parameters;
        uint8_t rotated;
    };
    const std::vector<Case> cases = {
        {0x05, [&] { return factory.FactoryCommand05(0xFD); }, {0xFD}, 0x82},
        {0x06, [&] { return factory.FactoryCommand06(0x03); }, {0x03}, 0x03},
        {0x4C, [&] { return factory.FactoryCommand4C(0x12, 0x34); }, {0x12, 0x34}, 0x26},
        {0x81, [&] { return factory.FactoryCommand81(); }, {}, 0xC0},
        {0xC4, [&] { return factory.FactoryCommandC4(1, 2, 0x1234); }, {1, 2, 0x34, 0x12}, 0x62},
        {0xC5, [&] { return factory.FactoryCommandC5(3, 4, 0xBEEF); }, {3, 4, 0xEF, 0xBE}, 0xE2},
        {0xCD, [&] { return factory.FactoryCommandCD(5, -2); }, {5, 0, 0xFE, 0xFF}, 0xE6},
        {0xCD, [&] { return factory.FactoryCommandCD(5, 300); }, {5, 0, 0x2C, 0x01}, 0xE6},
        {0xD5, [&] { return factory.FactoryCommandD5(9); }, {9}, 0xEA},
        {0xF1,
         [&] { return factory.FactoryCommandF1(1, 0x1234, 0x5678, 2); },
         {1, 0x34, 0x12, 0x78, 0x56, 2},
         0xF8},
        {0xF2, [&] { return factory.FactoryCommandF2(1, 2); }, {1, 0}, 0x79},
        {0xF2, [&] { return factory.FactoryCommandF2(0, 1); }, {0, 1}, 0x79},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.code));
        const Bytes packet = SentBy(c.command);
        ASSERT_EQ(packet.size(), 10 + c.parameters.size());
        EXPECT_EQ(Bytes(packet.begin(), packet.begin() + 3), Bytes({0x1B, 0x7C, 0x00}));
        EXPECT_EQ(packet[3] | packet[4] << 8, static_cast<int>(packet.size() - 5));
        EXPECT_EQ(packet[5], 0x5E);
        EXPECT_EQ(packet[6], 0xA7);
        EXPECT_EQ(packet[7], c.code);
        EXPECT_EQ(packet[8], c.code ^ 0xFF);
        EXPECT_EQ(packet[9], c.rotated);
        EXPECT_EQ(Bytes(packet.begin() + 10, packet.end()), c.parameters);
        EXPECT_EQ(factory.PacketLength(), static_cast<int>(packet.size()));
    }
}

TEST_F(Factory, Command00ModeKindAndSignedValue)
{
    struct Case {
        uint8_t dotSize;
        bool flag;
        uint8_t kind;
        int value;
        Bytes parameters;
    };
    const Case cases[] = {
        {16, true, 1, 5, {0x01, 0x01, 0x05, 0x00}},
        {17, true, 2, -1, {0x02, 0x02, 0xFF, 0xFF}},
        {18, true, 1, -30, {0x03, 0x01, 0xE2, 0xFF}},
        {19, true, 0, 0, {0x00, 0x02, 0x00, 0x00}},
        {16, false, 1, 127, {0x11, 0x01, 0x7F, 0x00}},
        {17, false, 1, -128, {0x12, 0x01, 0x80, 0xFF}},
        {18, false, 2, 12, {0x13, 0x02, 0x0C, 0x00}},
        {19, false, 3, -7, {0x10, 0x02, 0xF9, 0xFF}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.dotSize) << " " << c.flag << " " << c.value);
        const Bytes packet =
            SentBy([&] { return factory.FactoryCommand00(c.dotSize, c.flag, c.kind, c.value); });
        ASSERT_EQ(packet.size(), 14u);
        EXPECT_EQ(Bytes(packet.begin(), packet.begin() + 10),
                  Bytes({0x1B, 0x7C, 0x00, 0x09, 0x00, 0x5E, 0xA7, 0x00, 0xFF, 0x00}));
        EXPECT_EQ(Bytes(packet.begin() + 10, packet.end()), c.parameters);
    }
}

TEST_F(Factory, UnknownDotSizeSendsNothing)
{
    for (uint8_t dotSize : {0, 15, 20, 255}) {
        EXPECT_EQ(factory.FactoryCommand00(dotSize, true, 1, 1), TPRaster::RequestRefused);
    }
    EXPECT_EQ(link.SendCount(), 0);
}

TEST_F(Factory, PacketsBypassTheStreamAndWaitForAPrinterThatCannotTakeData)
{
    ASSERT_EQ(raster.Reset(), 1);
    // Refused while busy: the packet waits like the stream's data and goes out afterwards,
    // alone; the stream's bytes stay in its buffer.
    link.QueueSend(0x2000, 51);
    link.QueueStatus(fake::StateReply(TPStatusControl::StateBusy));
    EXPECT_EQ(factory.FactoryCommand50(), 1);
    EXPECT_EQ(link.SendCount(), 2);
    EXPECT_EQ(link.Sent(1), link.Sent(0));
    EXPECT_EQ(waits.asked, std::vector<int>{500});
    EXPECT_EQ(raster.Fill(), 2);

    // Any other channel error is not retried.
    link.Reset();
    link.QueueSend(0x2000, 4);
    EXPECT_EQ(factory.FactoryCommand50(), 0x2000);
    EXPECT_EQ(link.SendCount(), 1);
    EXPECT_EQ(link.StatusCount(), 0);

    fake::Link missing("fakelink-missing");
    TPProgram lacking(fake::Folder("fakelink-missing"));
    EXPECT_EQ(lacking.factory.FactoryCommand84(2), TPDLLFunction::MissingExport);
}
