#include "fakelink.h"
#include "link/program.h"
#include "link/raster.h"

#include <gtest/gtest.h>

namespace
{
using Record = TPStatusControl::StatusRecord;
constexpr uint16_t Malformed = TPStatusControl::MalformedReply;

std::array<uint16_t, TPStatusControl::InkCount> Levels(std::initializer_list<uint16_t> levels)
{
    std::array<uint16_t, TPStatusControl::InkCount> out{};
    std::copy(levels.begin(), levels.end(), out.begin());
    return out;
}

// A reply of exactly 256 bytes on the heap, so that a read past its end is caught by the
// address sanitizer build: the header, the declared end and the bytes given.
std::vector<uint8_t> Raw(int declaredEnd, std::initializer_list<std::pair<int, uint8_t>> bytes)
{
    std::vector<uint8_t> reply = fake::Reply().Bytes();
    reply[10] = static_cast<uint8_t>(declaredEnd & 0xFF);
    reply[11] = static_cast<uint8_t>(declaredEnd >> 8);
    for (const auto &[offset, value] : bytes)
        reply[static_cast<size_t>(offset)] = value;
    return reply;
}

class StatusParse : public ::testing::Test
{
protected:
    fake::Link link;
    TPDLLFunction dll{fake::Folder("fakelink")};
    TPStatusControl status{dll, raster};
    TPRaster raster{dll, status};

    uint16_t Parse(const std::vector<uint8_t> &reply) { return status.ParseReply(reply.data()); }
    void Prime()
    {
        ASSERT_EQ(Parse(fake::Reply()
                            .State(3)
                            .Error(5)
                            .Inks({{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}})
                            .Bytes()),
                  1);
    }
};
} // namespace

TEST_F(StatusParse, NormalReplyFillsTheRecordThroughTheLibrary)
{
    link.QueueStatus(fake::Reply()
                         .State(4)
                         .Error(0)
                         .Field(0x04, {0x10, 0x15, 0x20})
                         .Field(0x0C, {0x34, 0x12})
                         .Field(0x33, {9, 9, 9, 9}) // a field this program does not use
                         .Inks({{0, 80}, {1, 71}, {2, 62}, {3, 53}, {4, 44}, {5, 100}})
                         .Bytes());
    EXPECT_EQ(status.ReadStatus(), 1);
    EXPECT_EQ(status.Record().state, 4);
    EXPECT_EQ(status.Record().error, 0);
    EXPECT_EQ(status.Record().inkLevel, Levels({80, 71, 62, 53, 44, 100}));
    EXPECT_EQ(link.LastCommand(), "@BDC ST2\r\n");
    EXPECT_TRUE(link.StatusBufferWasClear());
}

TEST_F(StatusParse, ColoursInAnyOrderLandUnderTheirOwnColour)
{
    EXPECT_EQ(Parse(fake::Reply()
                        .State(4)
                        .Inks({{3, 13}, {2, 12}, {1, 11}, {0, 10}, {5, 15}, {4, 14}})
                        .Bytes()),
              1);
    EXPECT_EQ(status.Record().inkLevel, Levels({10, 11, 12, 13, 14, 15}));
}

TEST_F(StatusParse, ReplyWithoutHeaderEndOrStateIsMalformedAndKeepsNothing)
{
    std::vector<uint8_t> otherHeader = fake::StateReply(4);
    otherHeader[7] = '3';
    const struct {
        const char *what;
        std::vector<uint8_t> reply;
    } cases[] = {
        {"empty", std::vector<uint8_t>(256, 0)},
        {"header only", fake::Reply().DeclaredEnd(0).Bytes()},
        {"L = 3", fake::Reply().State(4).DeclaredEnd(3).Bytes()},
        {"L = 12, no fields", fake::Reply().State(4).DeclaredEnd(12).Bytes()},
        {"no state field",
         fake::Reply().Error(0).Inks({{0, 9}, {1, 9}, {2, 9}, {3, 9}, {4, 9}, {5, 9}}).Bytes()},
        {"state past the declared end", fake::Reply().Error(0).State(4).DeclaredEnd(15).Bytes()},
        {"another header", otherHeader},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Prime();
        EXPECT_EQ(Parse(c.reply), Malformed);
        EXPECT_EQ(status.Record().state, 3);
        EXPECT_EQ(status.Record().error, 5);
        EXPECT_EQ(status.Record().inkLevel, Levels({1, 2, 3, 4, 5, 6}));
    }
    // Fields beyond the declared end are not looked at.
    EXPECT_EQ(Parse(fake::Reply().State(4).Error(9).DeclaredEnd(15).Bytes()), 1);
    EXPECT_EQ(status.Record().state, 4);
    EXPECT_EQ(status.Record().error, 5);
}

TEST_F(StatusParse, FetchFailurePassesItsCodeAndKeepsTheRecord)
{
    Prime();
    link.QueueStatus({}, 0x2000, 3);
    EXPECT_EQ(status.ReadStatus(), 0x2000);
    EXPECT_EQ(status.Record().state, 3);

    TPProgram noLibrary(fake::Folder("fakelink-nochan"));
    EXPECT_EQ(noLibrary.status.ReadStatus(), TPDLLFunction::MissingExport);
}

TEST_F(StatusParse, MalformedFieldsStopTheParseKeepingWhatCameBefore)
{
    struct Case {
        const char *what;
        fake::Reply reply;
    };
    const Case cases[] = {
        {"state of length 2", fake::Reply().Error(1).Field(0x01, {4, 4})},
        {"error of length 0", fake::Reply().Error(1).Field(0x02, {})},
        {"unknown warning", fake::Reply().Error(1).Field(0x04, {0x10, 0x16})},
        {"warning 0x0F", fake::Reply().Error(1).Field(0x04, {0x0F})},
        {"counter of length 3", fake::Reply().Error(1).Field(0x0C, {1, 2, 3})},
        {"ink field of length 18", fake::Reply().Error(1).Field(0x0F, {0, 0, 0, 1, 0, 1, 1, 0, 2, 1,
                                                                       0, 3, 1, 0, 4, 1, 0, 5})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Prime();
        fake::Reply reply = c.reply;
        EXPECT_EQ(Parse(reply.State(4).Bytes()), Malformed);
        EXPECT_EQ(status.Record().error, 1); // parsed before the bad field
        EXPECT_EQ(status.Record().state, 3); // after it: not reached
    }
}

TEST_F(StatusParse, UnknownColourCodeStopsMidFieldAfterStoringEarlierEntries)
{
    Prime();
    EXPECT_EQ(
        Parse(fake::Reply().Inks({{0, 50}, {1, 51}, {6, 52}, {3, 53}, {4, 54}, {5, 55}}).Bytes()),
        Malformed);
    EXPECT_EQ(status.Record().inkLevel, Levels({50, 51, 3, 4, 5, 6}));
}

TEST_F(StatusParse, DeclaredEndBeyondTheBufferIsCutAtTheBuffer)
{
    // L = 0xFFFF: the fields, then zero bytes (unused fields of length 0) up to byte 255.
    std::vector<uint8_t> reply = fake::Reply().State(2).Error(0).DeclaredEnd(0xFFFF).Bytes();
    EXPECT_EQ(Parse(reply), 1);
    EXPECT_EQ(status.Record().state, 2);

    // L = 300 with a last field ending exactly at byte 256.
    reply = Raw(300, {{12, 0x01}, {13, 1}, {14, 7}, {15, 0x30}, {16, 239}});
    EXPECT_EQ(Parse(reply), 1);
    EXPECT_EQ(status.Record().state, 7);
}

TEST_F(StatusParse, FieldsRunningPastTheBufferAreMalformed)
{
    // Unused field up to offset 250, then one that claims 10 bytes (would end at 262).
    EXPECT_EQ(Parse(Raw(256, {{12, 0x30}, {13, 236}, {250, 0x30}, {251, 10}})), Malformed);
    // An ink field that starts 21 bytes before the end cannot fit its entries.
    EXPECT_EQ(Parse(Raw(0xFFFF, {{12, 0x30}, {13, 224}, {238, 0x0F}, {239, 19}})), Malformed);
    // A type byte on the very last byte has no room for its length.
    EXPECT_EQ(Parse(Raw(0x1000, {{12, 0x30}, {13, 241}, {255, 0x01}})), Malformed);
    // Warning codes running past the end are not read.
    EXPECT_EQ(Parse(Raw(256, {{12, 0x30},
                              {13, 236},
                              {250, 0x04},
                              {251, 200},
                              {252, 0x10},
                              {253, 0x10},
                              {254, 0x10},
                              {255, 0x10}})),
              Malformed);
}

namespace
{
class WaitReady : public ::testing::Test
{
protected:
    WaitReady()
    {
        status.SetWindowLink(&window);
        raster.SetWindowLink(&window);
    }

    fake::Link link;
    fake::Waits waits;
    fake::Window window;
    TPDLLFunction dll{fake::Folder("fakelink")};
    TPStatusControl status{dll, raster};
    TPRaster raster{dll, status};

    int ResetSends() const
    {
        int count = 0;
        for (int i = 0; i < link.SendCount(); ++i)
            count += link.Sent(i) == std::vector<uint8_t>{0x1B, 0x40} ? 1 : 0;
        return count;
    }
};
} // namespace

TEST_F(WaitReady, ReadyPrinterReturnsAtOnce)
{
    link.QueueStatus(fake::StateReply(4));
    EXPECT_EQ(status.WaitUntilReady(true, true), 1);
    EXPECT_TRUE(waits.asked.empty());
    EXPECT_EQ(link.SendCount(), 0);
    EXPECT_TRUE(window.lines.empty());
}

TEST_F(WaitReady, BusyStatesAreShownPolledOnceASecondWithAResetBetween)
{
    link.QueueStatus(fake::StateReply(2));
    link.QueueStatus(fake::StateReply(3));
    link.QueueStatus(fake::StateReply(7));
    link.QueueStatus(fake::StateReply(1)); // an unnamed state: waited out silently
    link.QueueStatus(fake::StateReply(4));
    EXPECT_EQ(status.WaitUntilReady(true, false), 1);

    const std::vector<std::pair<int, QString>> expected = {
        {19, "Printer is busy."}, {6, "Please wait.."},         {19, "Printer is printing."},
        {6, "Please wait.."},     {19, "Printer is cleaning."}, {6, "Please wait.."}};
    ASSERT_EQ(window.lines.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(window.lines[i].mode, expected[i].first);
        EXPECT_EQ(window.lines[i].text, expected[i].second);
    }
    EXPECT_EQ(waits.asked, std::vector<int>(4, 1000));
    EXPECT_EQ(window.repaints, 4);
    EXPECT_EQ(ResetSends(), 4);
    EXPECT_EQ(link.StatusCount(), 5);
}

TEST_F(WaitReady, WithoutMessagesNothingIsShown)
{
    link.QueueStatus(fake::StateReply(2));
    link.QueueStatus(fake::StateReply(4));
    EXPECT_EQ(status.WaitUntilReady(false, false), 1);
    EXPECT_TRUE(window.lines.empty());
    EXPECT_EQ(waits.asked, std::vector<int>{1000});
}

TEST_F(WaitReady, FailingStatusLineEndsTheWait)
{
    window.showResult = 0x4000;
    link.QueueStatus(fake::StateReply(2));
    EXPECT_EQ(status.WaitUntilReady(true, false), 0x4000);
    EXPECT_EQ(window.lines.size(), 1u);
    EXPECT_TRUE(waits.asked.empty());
    EXPECT_EQ(link.SendCount(), 0);
}

TEST_F(WaitReady, PaperOutAsksOncePerPollUntilReloaded)
{
    link.QueueStatus(fake::StateReply(0, 6));
    link.QueueStatus(fake::StateReply(0, 6));
    link.QueueStatus(fake::StateReply(4));
    EXPECT_EQ(status.WaitUntilReady(false, true), 1);
    EXPECT_EQ(window.paperPrompts, 2);
    EXPECT_EQ(waits.asked, std::vector<int>(2, 1000));
    EXPECT_EQ(ResetSends(), 2);
}

TEST_F(WaitReady, ErrorStatesEndTheWaitWith4000)
{
    struct Case {
        uint8_t state, error;
        bool paperPrompt;
    };
    for (const Case c : {Case{0, 6, false}, Case{0, 4, true}, Case{0, 0, true}, Case{8, 6, true},
                         Case{8, 0, false}}) {
        SCOPED_TRACE(testing::Message() << int(c.state) << "/" << int(c.error));
        link.Reset();
        waits.asked.clear();
        window.paperPrompts = 0;
        link.QueueStatus(fake::StateReply(c.state, c.error));
        EXPECT_EQ(status.WaitUntilReady(true, c.paperPrompt), 0x4000);
        EXPECT_EQ(window.paperPrompts, 0);
        EXPECT_TRUE(waits.asked.empty());
        EXPECT_EQ(link.SendCount(), 0);
    }
}

TEST_F(WaitReady, StatusAndStreamFailuresArePassedUp)
{
    link.QueueStatus({}, 0x2000, 4);
    EXPECT_EQ(status.WaitUntilReady(true, true), 0x2000);

    link.Reset();
    link.QueueStatus(fake::Reply().State(2).Field(0x01, {1, 2}).Bytes());
    EXPECT_EQ(status.WaitUntilReady(true, true), Malformed);

    // The Reset between polls is refused by a disconnected printer.
    link.Reset();
    link.QueueStatus(fake::StateReply(2));
    link.QueueSend(0x2000, 4);
    EXPECT_EQ(status.WaitUntilReady(false, false), 0x2000);
    EXPECT_TRUE(waits.asked.empty());
    EXPECT_EQ(raster.Fill(), 2); // the Reset stays in the stream
}
