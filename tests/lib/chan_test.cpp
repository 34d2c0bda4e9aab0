// The channel library against a fake printer: what each call sends, and how odd replies map to
// channel errors.
#include "linkframe.h"
#include "linktest.h"

#include <cstring>
#include <numeric>
#include <thread>

namespace novari_test
{
namespace
{

class ChanTest : public LinkTest
{
protected:
    void SetUp() override
    {
        LinkTest::SetUp();
        ASSERT_EQ(GateOpenPort(0x0401), NOVARI_OK);
        ASSERT_EQ(ChanOpen(nullptr), NOVARI_OK);
    }

    // Requests of one kind the printer received.
    std::vector<FakeRequest> RequestsOf(uint8_t kind) const
    {
        std::vector<FakeRequest> found;
        for (const FakeRequest &request : printer_.Requests())
            if (request.kind == kind)
                found.push_back(request);
        return found;
    }

    // Answers EEPROM reads with the given raw bytes, everything else as usual.
    void AnswerReadsWith(std::function<std::vector<uint8_t>(const FakeRequest &)> bytes)
    {
        printer_.SetHandler([this, bytes](const FakeRequest &request) {
            if (request.kind != LINK_OP_EEPROM_READ)
                return printer_.Standard(request);
            return FakeAnswer{bytes(request)};
        });
    }

    FakePrinter printer_{runtime_, "USB001"};
};

TEST_F(ChanTest, EepromBytesTravelWithTheKeyPair)
{
    ASSERT_EQ(ChanWriteEeprom(0x75, 0xFD, nullptr), NOVARI_OK);
    EXPECT_EQ(printer_.Eeprom(0x75), 0xFD);
    uint8_t value = 0;
    ASSERT_EQ(ChanReadEeprom(0x75, &value, nullptr), NOVARI_OK);
    EXPECT_EQ(value, 0xFD);
    EXPECT_EQ(ChanGetErrorCode(), NOVARI_CHAN_NO_ERROR);

    ChanSetCommandCode(0x12, 0x34);
    value = 0x77;
    EXPECT_EQ(ChanReadEeprom(0x10, &value, nullptr), NOVARI_CHANNEL_ERROR);
    EXPECT_EQ(ChanGetErrorCode(), NOVARI_CHAN_KEY_REFUSED);
    EXPECT_EQ(value, 0x77);
    EXPECT_EQ(ChanWriteEeprom(0x10, 1, nullptr), NOVARI_CHANNEL_ERROR);
    EXPECT_EQ(ChanGetErrorCode(), NOVARI_CHAN_KEY_REFUSED);

    const auto reads = RequestsOf(LINK_OP_EEPROM_READ);
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[0].payload, (std::vector<uint8_t>{0x5E, 0xA7, 0x75}));
    EXPECT_EQ(reads[1].payload, (std::vector<uint8_t>{0x12, 0x34, 0x10}));
    const auto writes = RequestsOf(LINK_OP_EEPROM_WRITE);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].payload, (std::vector<uint8_t>{0x5E, 0xA7, 0x75, 0xFD}));
    EXPECT_EQ(writes[1].payload, (std::vector<uint8_t>{0x12, 0x34, 0x10, 0x01}));
}

TEST_F(ChanTest, LongDataIsSplitIntoFramesAndEmptyDataSendsNothing)
{
    std::vector<uint8_t> bytes(2500);
    std::iota(bytes.begin(), bytes.end(), 0);
    ASSERT_EQ(ChanSendData(bytes.data(), static_cast<int32_t>(bytes.size()), nullptr), NOVARI_OK);
    EXPECT_EQ(printer_.Data(), bytes);
    const auto frames = RequestsOf(LINK_OP_DATA);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].payload.size(), 1024u);
    EXPECT_EQ(frames[1].payload.size(), 1024u);
    EXPECT_EQ(frames[2].payload.size(), 452u);

    EXPECT_EQ(ChanSendData(bytes.data(), 0, nullptr), NOVARI_OK);
    EXPECT_EQ(ChanSendData(nullptr, 0, nullptr), NOVARI_OK);
    EXPECT_EQ(RequestsOf(LINK_OP_DATA).size(), 3u);
    EXPECT_EQ(ChanSendData(bytes.data(), -1, nullptr), NOVARI_CHANNEL_ERROR);
    EXPECT_EQ(ChanSendData(nullptr, 5, nullptr), NOVARI_CHANNEL_ERROR);
}

TEST_F(ChanTest, PrinterResultsBecomeChannelErrors)
{
    struct Case {
        uint8_t result;
        int16_t error;
    };
    for (const Case c :
         {Case{LINK_RESULT_NOT_READY, NOVARI_CHAN_NOT_READY},
          Case{LINK_RESULT_CHANNEL_CLOSED, NOVARI_CHAN_NOT_OPEN},
          Case{LINK_RESULT_BAD_REQUEST, NOVARI_CHAN_REFUSED},
          Case{LINK_RESULT_UNKNOWN_OP, NOVARI_CHAN_REFUSED}, Case{0x99, NOVARI_CHAN_BAD_REPLY}}) {
        printer_.SetHandler(
            [&](const FakeRequest &request) { return FakeAnswer{ReplyTo(request, {c.result})}; });
        const uint8_t byte = 1;
        EXPECT_EQ(ChanSendData(&byte, 1, nullptr), NOVARI_CHANNEL_ERROR);
        EXPECT_EQ(ChanGetErrorCode(), c.error) << int(c.result);
    }
    printer_.SetHandler(nullptr);
    ASSERT_EQ(ChanClose(nullptr), NOVARI_OK);
    uint8_t value;
    EXPECT_EQ(ChanReadEeprom(0, &value, nullptr), NOVARI_CHANNEL_ERROR);
    EXPECT_EQ(ChanGetErrorCode(), NOVARI_CHAN_NOT_OPEN);
}

TEST_F(ChanTest, DataRefusedHalfWayStopsTheSend)
{
    printer_.SetHandler([this](const FakeRequest &request) {
        if (request.kind == LINK_OP_DATA && RequestsOf(LINK_OP_DATA).size() == 2)
            return FakeAnswer{ReplyTo(request, {LINK_RESULT_NOT_READY})};
        return printer_.Standard(request);
    });
    const std::vector<uint8_t> bytes(3000, 0xAB);
    EXPECT_EQ(ChanSendData(bytes.data(), 3000, nullptr), NOVARI_CHANNEL_ERROR);
    EXPECT_EQ(ChanGetErrorCode(), NOVARI_CHAN_NOT_READY);
    EXPECT_EQ(RequestsOf(LINK_OP_DATA).size(), 2u) << "nothing sent after the refusal";
    EXPECT_EQ(printer_.Data().size(), 1024u);
}

TEST_F(ChanTest, MalformedRepliesFailFastAndTheLinkRecovers)
{
    struct Case {
        const char *what;
        std::function<std::vector<uint8_t>(const FakeRequest &)> bytes;
        int16_t error;
    };
    const Case cases[] = {
        {"bad check sum",
         [](const FakeRequest &r) {
             auto bytes = ReplyTo(r, {0, 0x42});
             bytes.back() ^= 0xFF;
             return bytes;
         },
         NOVARI_CHAN_BAD_REPLY},
        {"value missing", [](const FakeRequest &r) { return ReplyTo(r, {0}); },
         NOVARI_CHAN_BAD_REPLY},
        {"value too long",
         [](const FakeRequest &r) {
             return ReplyTo(r, {0, 1, 2});
         },
         NOVARI_CHAN_BAD_REPLY},
        {"no result byte", [](const FakeRequest &r) { return ReplyTo(r, {}); },
         NOVARI_CHAN_BAD_REPLY},
        {"length beyond any frame",
         [](const FakeRequest &r) {
             return std::vector<uint8_t>{0xA5, 0x5A, uint8_t(r.kind | 0x80), r.seq, 0x01, 0x05,
                                         0,    0x42};
         },
         NOVARI_CHAN_BAD_REPLY},
        {"error frame",
         [](const FakeRequest &) { return Frame(0xFF, 0, {LINK_RESULT_BAD_REQUEST}); },
         NOVARI_CHAN_REFUSED},
        {"noise only", [](const FakeRequest &) { return std::vector<uint8_t>(50, 0x5A); },
         NOVARI_CHAN_NO_REPLY},
        {"frame cut short",
         [](const FakeRequest &r) {
             auto bytes = ReplyTo(r, {0, 0x42});
             bytes.resize(bytes.size() - 3);
             return bytes;
         },
         NOVARI_CHAN_NO_REPLY},
    };
    for (const Case &c : cases) {
        AnswerReadsWith(c.bytes);
        uint8_t value = 0x99;
        EXPECT_EQ(ChanReadEeprom(0x20, &value, nullptr), NOVARI_CHANNEL_ERROR) << c.what;
        EXPECT_EQ(ChanGetErrorCode(), c.error) << c.what;
        EXPECT_EQ(value, 0x99) << c.what;

        printer_.SetHandler(nullptr);
        ASSERT_EQ(ChanReadEeprom(0x20, &value, nullptr), NOVARI_OK) << "after " << c.what;
        EXPECT_EQ(value, printer_.Eeprom(0x20)) << "after " << c.what;
    }
}

TEST_F(ChanTest, RepliesWithOtherSequenceNumbersAreSkipped)
{
    AnswerReadsWith([](const FakeRequest &r) {
        std::vector<uint8_t> bytes = Frame(uint8_t(r.kind | 0x80), uint8_t(r.seq - 1), {0, 0x11});
        const auto otherKind = Frame(LINK_OP_DATA | 0x80, r.seq, {0});
        const auto right = ReplyTo(r, {0, 0x22});
        bytes.insert(bytes.end(), otherKind.begin(), otherKind.end());
        bytes.insert(bytes.end(), right.begin(), right.end());
        return bytes;
    });
    uint8_t value = 0;
    ASSERT_EQ(ChanReadEeprom(0x30, &value, nullptr), NOVARI_OK);
    EXPECT_EQ(value, 0x22);
}

TEST_F(ChanTest, LateReplyOfATimedOutRequestDoesNotAnswerTheNextOne)
{
    bool first = true;
    AnswerReadsWith([&first](const FakeRequest &r) {
        if (first) {
            first = false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2600));
            return ReplyTo(r, {0, 0x11});
        }
        return ReplyTo(r, {0, 0x22});
    });
    uint8_t value = 0;
    EXPECT_EQ(ChanReadEeprom(0x40, &value, nullptr), NOVARI_CHANNEL_ERROR);
    EXPECT_EQ(ChanGetErrorCode(), NOVARI_CHAN_NO_REPLY);
    int16_t io = 0;
    GateGetIoError(&io);
    EXPECT_EQ(io, NOVARI_IO_TIMEOUT);
    ASSERT_EQ(ChanReadEeprom(0x41, &value, nullptr), NOVARI_OK);
    EXPECT_EQ(value, 0x22);
}

TEST_F(ChanTest, StatusReplyIsCopiedAsSentAndNeverBeyond256Bytes)
{
    uint8_t reply[300];
    std::memset(reply, 0xEE, sizeof reply);
    ASSERT_EQ(ChanFetchStatus("@BDC ST2\r\n", reply, nullptr), NOVARI_OK);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(reply), 10), "@BDC ST2\r\n");
    const size_t length = reply[10];
    EXPECT_EQ(reply[length], 0xEE) << "nothing written past the reply";
    const auto inquiries = RequestsOf(LINK_OP_STATUS);
    ASSERT_EQ(inquiries.size(), 1u);
    EXPECT_EQ(std::string(inquiries[0].payload.begin(), inquiries[0].payload.end()),
              "@BDC ST2\r\n");

    for (const size_t size : {256u, 257u}) {
        printer_.SetHandler([size](const FakeRequest &request) {
            std::vector<uint8_t> payload(size + 1, 0x01);
            payload[0] = 0;
            return FakeAnswer{ReplyTo(request, payload)};
        });
        std::memset(reply, 0, sizeof reply);
        const uint16_t result = ChanFetchStatus("@BDC ST2\r\n", reply, nullptr);
        EXPECT_EQ(reply[256], 0) << size;
        if (size == 256) {
            EXPECT_EQ(result, NOVARI_OK);
            EXPECT_EQ(reply[255], 0x01);
        } else {
            EXPECT_EQ(result, NOVARI_CHANNEL_ERROR);
            EXPECT_EQ(ChanGetErrorCode(), NOVARI_CHAN_BAD_REPLY);
            EXPECT_EQ(reply[0], 0) << "a reply too long is not copied at all";
        }
    }
}

TEST_F(ChanTest, SilentPrinterAndHangUpGiveTheirChannelErrors)
{
    printer_.SetHandler([](const FakeRequest &) { return FakeAnswer{}; });
    uint8_t value;
    const double seconds =
        Timed([&] { EXPECT_EQ(ChanReadEeprom(0, &value, nullptr), NOVARI_CHANNEL_ERROR); });
    EXPECT_EQ(ChanGetErrorCode(), NOVARI_CHAN_NO_REPLY);
    EXPECT_LT(seconds, 5.0);

    printer_.SetHandler([](const FakeRequest &) { return FakeAnswer{{}, true}; });
    EXPECT_EQ(ChanWriteEeprom(0, 0, nullptr), NOVARI_CHANNEL_ERROR);
    EXPECT_EQ(ChanGetErrorCode(), NOVARI_CHAN_DISCONNECTED);
    const uint8_t byte = 0;
    EXPECT_EQ(ChanSendData(&byte, 1, nullptr), NOVARI_CHANNEL_ERROR);
    EXPECT_EQ(ChanGetErrorCode(), NOVARI_CHAN_DISCONNECTED);

    GateClosePort();
    EXPECT_EQ(ChanOpen(nullptr), NOVARI_CHANNEL_ERROR);
    EXPECT_EQ(ChanGetErrorCode(), NOVARI_CHAN_NOT_OPEN);
}

TEST_F(ChanTest, ResetSucceedsWhenThePrinterHangsUpAfterItsReply)
{
    EXPECT_EQ(ChanResetPrinter(nullptr), NOVARI_OK);
    EXPECT_EQ(RequestsOf(LINK_OP_RESET).size(), 1u);
    uint8_t value;
    EXPECT_EQ(ChanReadEeprom(0, &value, nullptr), NOVARI_CHANNEL_ERROR);
    EXPECT_EQ(ChanGetErrorCode(), NOVARI_CHAN_DISCONNECTED);
    // Reopening reaches the restarted printer.
    ASSERT_EQ(GateOpenPort(0x0401), NOVARI_OK);
    EXPECT_EQ(printer_.Connections(), 2);
}

} // namespace
} // namespace novari_test
