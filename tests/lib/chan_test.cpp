// The channel library against a fake printer: what each call sends, and how odd replies map to
// channel errors.
#include "fakeprinter.h"

#include <cstring>
#include <numeric>

namespace novari_test
{
namespace
{

using Bytes = std::vector<uint8_t>;

class ChanTest : public LinkTest
{
protected:
    void SetUp() override
    {
        LinkTest::SetUp();
        ASSERT_EQ(GateOpenPort(0x0401), NOVARI_OK);
        ASSERT_EQ(ChanOpen(nullptr), NOVARI_OK);
    }
    // Answers EEPROM reads with the given bytes, everything else politely.
    void AnswerReadsWith(std::function<std::vector<uint8_t>(const FakeRequest &)> bytes)
    {
        printer_.SetHandler([this, bytes](const FakeRequest &request) {
            return request.kind == LINK_OP_EEPROM_READ ? FakeAnswer{bytes(request)}
                                                       : printer_.Polite(request);
        });
    }
    uint8_t ReadOk(uint8_t address)
    {
        uint8_t value = 0;
        EXPECT_EQ(ChanReadEeprom(address, &value, nullptr), NOVARI_OK);
        return value;
    }

    FakePrinter printer_{runtime_, "USB001"};
};

TEST_F(ChanTest, EepromRequestsCarryTheKeyPairGiven)
{
    EXPECT_EQ(ReadOk(0x75), 0x75 ^ 0x5A);
    ChanSetCommandCode(0x12, 0x34);
    EXPECT_EQ(ChanWriteEeprom(0x10, 0xFD, nullptr), NOVARI_OK);
    EXPECT_EQ(ChanGetErrorCode(), NOVARI_CHAN_NO_ERROR);
    EXPECT_EQ(printer_.Requests(LINK_OP_EEPROM_READ)[0].payload,
              (std::vector<uint8_t>{0x5E, 0xA7, 0x75}));
    EXPECT_EQ(printer_.Requests(LINK_OP_EEPROM_WRITE)[0].payload,
              (std::vector<uint8_t>{0x12, 0x34, 0x10, 0xFD}));
}

TEST_F(ChanTest, LongDataIsSplitIntoFramesAndEmptyDataSendsNothing)
{
    std::vector<uint8_t> bytes(2500);
    std::iota(bytes.begin(), bytes.end(), 0);
    ASSERT_EQ(ChanSendData(bytes.data(), 2500, nullptr), NOVARI_OK);
    EXPECT_EQ(ChanSendData(nullptr, 0, nullptr), NOVARI_OK);
    std::vector<uint8_t> received;
    std::vector<size_t> sizes;
    for (const FakeRequest &frame : printer_.Requests(LINK_OP_DATA)) {
        received.insert(received.end(), frame.payload.begin(), frame.payload.end());
        sizes.push_back(frame.payload.size());
    }
    EXPECT_EQ(received, bytes);
    EXPECT_EQ(sizes, (std::vector<size_t>{1024, 1024, 452}));
    EXPECT_EQ(ChanSendData(bytes.data(), -1, nullptr), NOVARI_CHANNEL_ERROR);
    EXPECT_EQ(ChanSendData(nullptr, 5, nullptr), NOVARI_CHANNEL_ERROR);

    // A frame the printer cannot take ends the send there.
    printer_.SetHandler([](const FakeRequest &request) {
        return FakeAnswer{ReplyTo(request, {LINK_RESULT_NOT_READY})};
    });
    EXPECT_EQ(ChanSendData(bytes.data(), 2500, nullptr), NOVARI_CHANNEL_ERROR);
    EXPECT_EQ(ChanGetErrorCode(), NOVARI_CHAN_NOT_READY);
    EXPECT_EQ(printer_.Requests(LINK_OP_DATA).size(), 4u);
}

TEST_F(ChanTest, PrinterResultsBecomeChannelErrors)
{
    const std::pair<uint8_t, int16_t> cases[] = {{LINK_RESULT_CHANNEL_CLOSED, NOVARI_CHAN_NOT_OPEN},
                                                 {LINK_RESULT_KEY_REFUSED, NOVARI_CHAN_KEY_REFUSED},
                                                 {LINK_RESULT_BAD_REQUEST, NOVARI_CHAN_REFUSED},
                                                 {LINK_RESULT_UNKNOWN_OP, NOVARI_CHAN_REFUSED},
                                                 {LINK_RESULT_NOT_STORED, NOVARI_CHAN_NOT_STORED},
                                                 {0x99, NOVARI_CHAN_BAD_REPLY}};
    for (const auto &[result, error] : cases) {
        AnswerReadsWith([result = result](const FakeRequest &r) { return ReplyTo(r, {result}); });
        uint8_t value = 0x77;
        EXPECT_EQ(ChanReadEeprom(0x10, &value, nullptr), NOVARI_CHANNEL_ERROR);
        EXPECT_EQ(ChanGetErrorCode(), error) << int(result);
        EXPECT_EQ(value, 0x77) << "value untouched on failure";
    }
}

TEST_F(ChanTest, MalformedRepliesFailAndTheLinkRecovers)
{
    const auto flipLast = [](Bytes b) { return b.back() ^= 0xFF, b; };
    const auto cutShort = [](Bytes b) { return b.resize(b.size() - 3), b; };
    const struct {
        std::function<Bytes(const FakeRequest &)> bytes;
        int16_t error;
        int16_t ioError;
    } cases[] = {
        {[&](const FakeRequest &r) {
             return flipLast(ReplyTo(r, {0, 0x42}));
         },
         NOVARI_CHAN_BAD_REPLY, NOVARI_IO_TIMEOUT},
        {[](const FakeRequest &r) { return ReplyTo(r, {0}); }, NOVARI_CHAN_BAD_REPLY, 0},
        {[](const FakeRequest &r) {
             return ReplyTo(r, {0, 1, 2});
         },
         NOVARI_CHAN_BAD_REPLY, 0},
        {[](const FakeRequest &r) { return ReplyTo(r, {}); }, NOVARI_CHAN_BAD_REPLY,
         NOVARI_IO_TIMEOUT},
        {[](const FakeRequest &r) {
             return Bytes{0xA5, 0x5A, uint8_t(r.kind | 0x80), r.seq, 1, 5};
         },
         NOVARI_CHAN_BAD_REPLY, NOVARI_IO_TIMEOUT}, // length beyond any frame
        {[](const FakeRequest &) { return Frame(0xFF, 0, {LINK_RESULT_BAD_REQUEST}); },
         NOVARI_CHAN_REFUSED, NOVARI_IO_TIMEOUT},
        {[](const FakeRequest &) { return Bytes(50, 0x5A); }, NOVARI_CHAN_NO_REPLY,
         NOVARI_IO_TIMEOUT},
        {[&](const FakeRequest &r) {
             return cutShort(ReplyTo(r, {0, 0x42}));
         },
         NOVARI_CHAN_NO_REPLY, NOVARI_IO_TIMEOUT},
    };
    int index = 0;
    for (const auto &c : cases) {
        AnswerReadsWith(c.bytes);
        uint8_t value;
        EXPECT_EQ(ChanReadEeprom(0x20, &value, nullptr), NOVARI_CHANNEL_ERROR) << index;
        EXPECT_EQ(ChanGetErrorCode(), c.error) << index;
        EXPECT_EQ(IoError(), c.ioError) << index;
        printer_.SetHandler(nullptr);
        EXPECT_EQ(ReadOk(0x21), 0x21 ^ 0x5A) << "after case " << index++;
    }
}

// A reply cut short (the printer restarted half-way, say) swallows the start of the good
// reply that follows it in the same read; wherever the cut, the good one is taken.
TEST_F(ChanTest, GoodReplyAfterATornOneIsTakenWhateverTheCut)
{
    const size_t size = ReplyTo({}, {0, 0}).size();
    for (size_t cut = 1; cut < size; ++cut) {
        AnswerReadsWith([cut](const FakeRequest &r) {
            const Bytes good = ReplyTo(r, {0, uint8_t(r.payload[2] + cut)});
            Bytes bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
            bytes.insert(bytes.end(), good.begin(), good.end());
            return bytes;
        });
        EXPECT_EQ(ReadOk(0x30), uint8_t(0x30 + cut)) << "cut after " << cut << " bytes";
    }
}

TEST_F(ChanTest, RepliesToOtherRequestsAreSkipped)
{
    AnswerReadsWith([](const FakeRequest &r) {
        std::vector<uint8_t> bytes = Frame(uint8_t(r.kind | 0x80), uint8_t(r.seq - 1), {0, 0x11});
        for (const auto &more : {Frame(LINK_OP_DATA | 0x80, r.seq, {0}), ReplyTo(r, {0, 0x22})})
            bytes.insert(bytes.end(), more.begin(), more.end());
        return bytes;
    });
    EXPECT_EQ(ReadOk(0x30), 0x22);

    // The late reply to a request that timed out does not answer the next one.
    bool first = true;
    AnswerReadsWith([&first](const FakeRequest &r) {
        if (std::exchange(first, false))
            std::this_thread::sleep_for(std::chrono::milliseconds(2600));
        return ReplyTo(r, {0, r.payload[2]});
    });
    uint8_t value = 0;
    EXPECT_EQ(ChanReadEeprom(0x40, &value, nullptr), NOVARI_CHANNEL_ERROR);
    EXPECT_EQ(ChanGetErrorCode(), NOVARI_CHAN_NO_REPLY);
    EXPECT_EQ(IoError(), NOVARI_IO_TIMEOUT);
    EXPECT_EQ(ReadOk(0x41), 0x41);
}

TEST_F(ChanTest, StatusReplyIsCopiedAsSentAndNeverBeyond256Bytes)
{
    uint8_t reply[300];
    std::memset(reply, 0xEE, sizeof reply);
    ASSERT_EQ(ChanFetchStatus("@BDC ST2\r\n", reply, nullptr), NOVARI_OK);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(reply), 10), "@BDC ST2\r\n");
    EXPECT_EQ(reply[14], 4);
    EXPECT_EQ(reply[15], 0xEE) << "nothing written past the reply";
    const auto inquiry = printer_.Requests(LINK_OP_STATUS).at(0).payload;
    EXPECT_EQ(std::string(inquiry.begin(), inquiry.end()), "@BDC ST2\r\n");

    for (const size_t size : {256u, 257u}) {
        printer_.SetHandler([size](const FakeRequest &request) {
            std::vector<uint8_t> payload(size + 1, 0x01);
            payload[0] = 0;
            return FakeAnswer{ReplyTo(request, payload)};
        });
        std::memset(reply, 0, sizeof reply);
        const bool fits = size == 256;
        EXPECT_EQ(ChanFetchStatus("@BDC ST2\r\n", reply, nullptr),
                  fits ? NOVARI_OK : NOVARI_CHANNEL_ERROR);
        EXPECT_EQ(reply[0], fits ? 0x01 : 0x00) << "a reply too long is not copied at all";
        EXPECT_EQ(reply[256], 0);
    }
}

TEST_F(ChanTest, ResetThenHangUpIsSuccessAndLaterCallsSeeTheHangUp)
{
    EXPECT_EQ(ChanResetPrinter(nullptr), NOVARI_OK);
    EXPECT_EQ(ChanWriteEeprom(0, 0, nullptr), NOVARI_CHANNEL_ERROR);
    EXPECT_EQ(ChanGetErrorCode(), NOVARI_CHAN_DISCONNECTED);
    ASSERT_EQ(GateOpenPort(0x0401), NOVARI_OK) << "the restarted printer can be reopened";
    GateClosePort();
    EXPECT_EQ(ChanOpen(nullptr), NOVARI_CHANNEL_ERROR);
    EXPECT_EQ(ChanGetErrorCode(), NOVARI_CHAN_NOT_OPEN);
}

} // namespace
} // namespace novari_test
