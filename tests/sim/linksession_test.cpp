// The printer's end of the link protocol without sockets: requests in, answers out.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "eepromstore.h"
#include "factoryimage.h"
#include "firmware.h"
#include "linkframe.h"
#include "linksession.h"

namespace sim
{
namespace
{

struct Reply {
    uint8_t kind = 0;
    uint8_t seq = 0;
    std::vector<uint8_t> payload;
};

std::vector<uint8_t> Frame(uint8_t kind, uint8_t seq, const std::vector<uint8_t> &payload)
{
    std::vector<uint8_t> frame(LINK_MAX_FRAME);
    frame.resize(link_frame_build(kind, seq, payload.data(), payload.size(), frame.data()));
    return frame;
}

std::vector<Reply> Decode(const std::vector<uint8_t> &bytes)
{
    link_decoder decoder{};
    link_decoder_reset(&decoder);
    std::vector<Reply> replies;
    for (uint8_t byte : bytes) {
        const link_decode_status status = link_decoder_feed(&decoder, byte);
        EXPECT_TRUE(status == LINK_DECODE_MORE || status == LINK_DECODE_FRAME);
        if (status == LINK_DECODE_FRAME) {
            const uint8_t *payload = link_decoder_payload(&decoder);
            replies.push_back(
                {link_decoder_kind(&decoder), link_decoder_seq(&decoder),
                 std::vector<uint8_t>(payload, payload + link_decoder_length(&decoder))});
        }
    }
    return replies;
}

class LinkSessionTest : public ::testing::Test, public PrintDataSink
{
protected:
    LinkSessionTest()
        : eeprom_(FactoryImage(Model::Q530, Destination::Asia)),
          firmware_(Model::Q530, eeprom_, 0.01, [this]() { return now_; }),
          session_(firmware_, nullptr, *this)
    {
    }

    void Feed(const uint8_t *bytes, size_t count) override
    {
        fed_.insert(fed_.end(), bytes, bytes + count);
    }
    void EndJob() override { ++jobsEnded_; }
    void CancelJob() override { ++jobsCancelled_; }
    size_t Room() const override { return room_; }

    // One request, exactly one answer expected.
    Reply Ask(uint8_t op, const std::vector<uint8_t> &payload = {})
    {
        ++seq_;
        const std::vector<Reply> replies = Decode(Send(Frame(op, seq_, payload)));
        EXPECT_EQ(replies.size(), 1u);
        if (replies.empty())
            return {};
        EXPECT_EQ(replies[0].kind, op | 0x80);
        EXPECT_EQ(replies[0].seq, seq_);
        return replies[0];
    }

    std::vector<uint8_t> Send(const std::vector<uint8_t> &bytes)
    {
        return session_.Receive(bytes.data(), bytes.size());
    }

    double now_ = 0;
    EepromStore eeprom_;
    Firmware firmware_;
    LinkSession session_;
    std::vector<uint8_t> fed_;
    int jobsEnded_ = 0;
    int jobsCancelled_ = 0;
    size_t room_ = 1 << 20; // the printer's input buffer
    uint8_t seq_ = 0;
};

TEST_F(LinkSessionTest, AnswersEveryRequestOfAVisit)
{
    const Reply id = Ask(LINK_OP_DEVICE_ID);
    EXPECT_EQ(std::string(id.payload.begin(), id.payload.end()),
              std::string("\0MFG:NOVARI;MDL:Halden Photo Q530;CLS:PRINTER;", 46));

    EXPECT_EQ(Ask(LINK_OP_EEPROM_READ, {0x5E, 0xA7, 0x6E}).payload,
              std::vector<uint8_t>{LINK_RESULT_CHANNEL_CLOSED});
    EXPECT_EQ(Ask(LINK_OP_DATA, {1, 2}).payload, std::vector<uint8_t>{LINK_RESULT_CHANNEL_CLOSED});
    EXPECT_EQ(Ask(LINK_OP_CHANNEL_OPEN).payload, std::vector<uint8_t>{LINK_RESULT_OK});

    EXPECT_EQ(Ask(LINK_OP_EEPROM_READ, {0x5E, 0xA7, 0x6E}).payload,
              (std::vector<uint8_t>{0, 0x04}));
    EXPECT_EQ(Ask(LINK_OP_EEPROM_WRITE, {0x5E, 0xA7, 0x57, 0xEC}).payload,
              std::vector<uint8_t>{LINK_RESULT_OK});
    EXPECT_EQ(eeprom_.Read(0x57), 0xEC);
    EXPECT_EQ(Ask(LINK_OP_EEPROM_WRITE, {0x5E, 0xA6, 0x57, 0x00}).payload,
              std::vector<uint8_t>{LINK_RESULT_KEY_REFUSED});
    EXPECT_EQ(Ask(LINK_OP_EEPROM_READ, {0xA7, 0x5E, 0x57}).payload,
              std::vector<uint8_t>{LINK_RESULT_KEY_REFUSED});
    EXPECT_EQ(eeprom_.Read(0x57), 0xEC);
    EXPECT_EQ(Ask(LINK_OP_EEPROM_READ, {0x5E, 0xA7}).payload,
              std::vector<uint8_t>{LINK_RESULT_BAD_REQUEST});
    EXPECT_EQ(Ask(LINK_OP_EEPROM_WRITE, {0x5E, 0xA7, 0x57}).payload,
              std::vector<uint8_t>{LINK_RESULT_BAD_REQUEST});

    const std::string inquiry = "@BDC ST2\r\n";
    const Reply status = Ask(LINK_OP_STATUS, std::vector<uint8_t>(inquiry.begin(), inquiry.end()));
    ASSERT_GT(status.payload.size(), 15u);
    EXPECT_EQ(status.payload[0], LINK_RESULT_OK);
    EXPECT_EQ(status.payload[1 + 14], kStateReady);
    EXPECT_LE(status.payload.size() - 1, 256u);
    EXPECT_EQ(Ask(LINK_OP_STATUS, {'@'}).payload, std::vector<uint8_t>{LINK_RESULT_BAD_REQUEST});

    EXPECT_EQ(Ask(LINK_OP_DATA, {1, 2, 3}).payload, std::vector<uint8_t>{LINK_RESULT_OK});
    EXPECT_EQ(fed_, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(Ask(0x42).payload, std::vector<uint8_t>{LINK_RESULT_UNKNOWN_OP});

    EXPECT_EQ(Ask(LINK_OP_CHANNEL_CLOSE).payload, std::vector<uint8_t>{LINK_RESULT_OK});
    EXPECT_EQ(jobsEnded_, 1);
    EXPECT_FALSE(session_.WantsClose());
}

TEST_F(LinkSessionTest, DataIsRefusedWhileThePrinterCannotTakeIt)
{
    Ask(LINK_OP_CHANNEL_OPEN);
    for (Fault fault : {Fault::Busy, Fault::Cleaning, Fault::PaperOut, Fault::Jam}) {
        firmware_.SetFault(fault);
        EXPECT_EQ(Ask(LINK_OP_DATA, {9}).payload, std::vector<uint8_t>{LINK_RESULT_NOT_READY});
        // EEPROM and status still work in a fault.
        EXPECT_EQ(Ask(LINK_OP_EEPROM_READ, {0x5E, 0xA7, 0x5B}).payload,
                  (std::vector<uint8_t>{0, 0xFA}));
        firmware_.Clear();
    }
    // Printing, the printer takes what its input buffer has room for.
    firmware_.PagePrinted(10);
    EXPECT_EQ(Ask(LINK_OP_DATA, {9}).payload, std::vector<uint8_t>{LINK_RESULT_OK});
    room_ = 2;
    EXPECT_EQ(Ask(LINK_OP_DATA, {7, 7, 7}).payload, std::vector<uint8_t>{LINK_RESULT_NOT_READY});
    EXPECT_EQ(firmware_.State(), kStatePrinting) << "a full buffer is no fault";
    EXPECT_EQ(fed_, std::vector<uint8_t>{9}) << "refused bytes never reach the engine";
}

TEST_F(LinkSessionTest, ResetClosesChannelAndConnection)
{
    Ask(LINK_OP_CHANNEL_OPEN);
    EXPECT_EQ(Ask(LINK_OP_RESET).payload, std::vector<uint8_t>{LINK_RESULT_OK});
    EXPECT_TRUE(session_.WantsClose());
    EXPECT_FALSE(session_.ChannelOpen());
    EXPECT_EQ(jobsCancelled_, 1) << "what the buffer holds is not printed after a reset";
    EXPECT_EQ(firmware_.State(), kStateBusy);
    // Nothing after the reset in the same read is answered.
    EXPECT_TRUE(Send(Frame(LINK_OP_DEVICE_ID, 1, {})).empty());
}

TEST_F(LinkSessionTest, SurvivesGarbageAndAnswersWithErrorFrames)
{
    // Noise outside frames is skipped; a bad check sum gets one error frame.
    std::vector<uint8_t> bytes = {0x00, 0xFF, 0xA5, 0x00, 0x13};
    std::vector<uint8_t> bad = Frame(LINK_OP_DEVICE_ID, 7, {});
    bad.back() ^= 0x01;
    bytes.insert(bytes.end(), bad.begin(), bad.end());
    // Too long a length.
    bytes.insert(bytes.end(), {0xA5, 0x5A, 0x01, 0x01, 0x01, 0x04});
    const std::vector<uint8_t> good = Frame(LINK_OP_DEVICE_ID, 8, {});
    bytes.insert(bytes.end(), good.begin(), good.end());
    const std::vector<Reply> replies = Decode(Send(bytes));
    ASSERT_EQ(replies.size(), 3u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(replies[i].kind, 0xFF);
        EXPECT_EQ(replies[i].seq, 0);
        EXPECT_EQ(replies[i].payload, std::vector<uint8_t>{LINK_RESULT_BAD_REQUEST});
    }
    EXPECT_EQ(replies[2].kind, 0x81);
    EXPECT_EQ(replies[2].seq, 8);

    // A frame split over many reads is put together.
    const std::vector<uint8_t> split = Frame(LINK_OP_CHANNEL_OPEN, 9, {});
    for (size_t i = 0; i + 1 < split.size(); ++i)
        EXPECT_TRUE(session_.Receive(&split[i], 1).empty());
    EXPECT_EQ(Decode(session_.Receive(&split.back(), 1)).size(), 1u);

    // Endless garbage makes the printer hang up instead of answering forever.
    std::vector<uint8_t> flood;
    for (int i = 0; i < LinkSession::kGarbageLimit + 5; ++i)
        flood.insert(flood.end(), bad.begin(), bad.end());
    EXPECT_EQ(Decode(Send(flood)).size(), static_cast<size_t>(LinkSession::kGarbageLimit));
    EXPECT_TRUE(session_.WantsClose());
}

// A frame cut short (in its header or in its payload) takes in the start of the next one; the
// good request after it is still answered, after the error frame for the torn one.
TEST_F(LinkSessionTest, TornFrameDoesNotCostTheNextRequest)
{
    const std::vector<uint8_t> whole = Frame(LINK_OP_DATA, 3, {1, 2, 3, 4});
    for (const size_t cut : {4u, 8u}) {
        std::vector<uint8_t> bytes(whole.begin(), whole.begin() + cut);
        const std::vector<uint8_t> good = Frame(LINK_OP_DEVICE_ID, 9, {});
        bytes.insert(bytes.end(), good.begin(), good.end());
        const std::vector<Reply> replies = Decode(Send(bytes));
        ASSERT_EQ(replies.size(), 2u) << "cut at " << cut;
        EXPECT_EQ(replies[0].kind, 0xFF);
        EXPECT_EQ(replies[1].kind, LINK_OP_DEVICE_ID | LINK_REPLY_BIT);
        EXPECT_EQ(replies[1].seq, 9);
    }
}

// Noise without a frame start is garbage too: a client that sends nothing else is let go.
TEST_F(LinkSessionTest, LongNoiseMakesThePrinterHangUp)
{
    const std::vector<uint8_t> noise(LinkSession::kNoiseRun * (LinkSession::kGarbageLimit - 1));
    EXPECT_TRUE(Send(noise).empty());
    EXPECT_FALSE(session_.WantsClose());
    Ask(LINK_OP_DEVICE_ID); // a good frame starts the count afresh
    EXPECT_TRUE(Send(noise).empty());
    EXPECT_FALSE(session_.WantsClose());
    Send(std::vector<uint8_t>(LinkSession::kNoiseRun));
    EXPECT_TRUE(session_.WantsClose());
}

TEST_F(LinkSessionTest, SyncBytesThatStartNoFrameAreNoiseToo)
{
    std::vector<uint8_t> noise;
    while (noise.size() < 2 * size_t(LinkSession::kNoiseRun) * LinkSession::kGarbageLimit)
        noise.insert(noise.end(), {LINK_SYNC0, 0x00});
    Send(noise);
    EXPECT_TRUE(session_.WantsClose());
}

TEST_F(LinkSessionTest, SilentPrinterTakesRequestsAndNeverAnswers)
{
    session_.SetSilent(true);
    EXPECT_TRUE(Send(Frame(LINK_OP_CHANNEL_OPEN, 1, {})).empty());
    EXPECT_TRUE(Send(Frame(LINK_OP_DEVICE_ID, 2, {})).empty());
    session_.SetSilent(false);
    EXPECT_FALSE(session_.ChannelOpen()) << "an unanswered request does nothing";
    Ask(LINK_OP_DEVICE_ID);
}

TEST_F(LinkSessionTest, DisconnectMidFrameEndsTheJobAndStartsClean)
{
    Ask(LINK_OP_CHANNEL_OPEN);
    const std::vector<uint8_t> frame = Frame(LINK_OP_DATA, 3, {1, 2, 3, 4});
    session_.Receive(frame.data(), 5);
    session_.Disconnected();
    EXPECT_EQ(jobsEnded_, 1);
    EXPECT_FALSE(session_.ChannelOpen());
    EXPECT_TRUE(fed_.empty());
    Ask(LINK_OP_DEVICE_ID);
}

TEST_F(LinkSessionTest, RandomBytesNeverBreakTheSession)
{
    Ask(LINK_OP_CHANNEL_OPEN);
    uint32_t state = 12345;
    std::vector<uint8_t> bytes(200000);
    for (size_t i = 0; i < bytes.size(); ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<uint8_t>(state >> 16);
        if (i % 997 == 0)
            bytes[i] = 0xA5; // sync bytes now and then, so frame heads are tried too
        if (i % 997 == 1)
            bytes[i] = 0x5A;
    }
    for (size_t at = 0; at < bytes.size() && !session_.WantsClose(); at += 777) {
        const size_t count = std::min<size_t>(777, bytes.size() - at);
        for (const Reply &reply : Decode(session_.Receive(bytes.data() + at, count)))
            EXPECT_TRUE(reply.kind == 0xFF || (reply.kind & 0x80)) << int(reply.kind);
    }
    // The session either hung up on the garbage or still answers a good request.
    if (!session_.WantsClose()) {
        session_.Disconnected();
        Ask(LINK_OP_DEVICE_ID);
    }
}

// The program takes OK as "written": a byte the printer could not put in its file is answered
// with an error, and a read still finds what the file holds.
TEST(LinkSessionEeprom, WriteIsAcknowledgedOnlyOnceStored)
{
    const std::string folder = testing::TempDir() + "eeprom-" + std::to_string(getpid());
    EepromStore store(folder + "/printer.eep");
    ASSERT_EQ(store.Open(FactoryImage(Model::Q510, Destination::UsEuro)), "");
    Firmware firmware(Model::Q510, store, 0.01, []() { return 0.0; });
    struct : PrintDataSink {
        void Feed(const uint8_t *, size_t) override {}
        void EndJob() override {}
    } sink;
    LinkSession session(firmware, nullptr, sink);
    uint8_t seq = 0;
    auto ask = [&](uint8_t op, const std::vector<uint8_t> &payload) {
        const std::vector<uint8_t> frame = Frame(op, ++seq, payload);
        const std::vector<Reply> replies = Decode(session.Receive(frame.data(), frame.size()));
        return replies.size() == 1 ? replies[0].payload : std::vector<uint8_t>{};
    };
    ASSERT_EQ(ask(LINK_OP_CHANNEL_OPEN, {}), std::vector<uint8_t>{LINK_RESULT_OK});
    EXPECT_EQ(ask(LINK_OP_EEPROM_WRITE, {0x5E, 0xA7, 0x57, 0xEC}),
              std::vector<uint8_t>{LINK_RESULT_OK});

    std::filesystem::remove_all(folder); // the file can no longer be written
    EXPECT_EQ(ask(LINK_OP_EEPROM_WRITE, {0x5E, 0xA7, 0x57, 0x12}),
              std::vector<uint8_t>{LINK_RESULT_NOT_STORED});
    EXPECT_EQ(ask(LINK_OP_EEPROM_READ, {0x5E, 0xA7, 0x57}),
              (std::vector<uint8_t>{LINK_RESULT_OK, 0xEC}));
}

// A printer killed while it saved leaves its temporary file; the next start removes it, but
// not one a save under way may still need.
TEST(LinkSessionEeprom, StaleTemporaryFilesAreRemovedAtStart)
{
    namespace fs = std::filesystem;
    const fs::path folder = testing::TempDir() + "stale-" + std::to_string(getpid());
    fs::create_directories(folder);
    const fs::path stale = folder / "USB001.eep.a1B2c3";
    const fs::path fresh = folder / "USB001.eep.Zz9Yy8";
    const fs::path other = folder / "USB002.eep.a1B2c3";
    for (const fs::path &file : {stale, fresh, other})
        std::ofstream(file) << "part of an image";
    const auto old =
        fs::last_write_time(stale) - std::chrono::seconds(EepromStore::kStaleSeconds + 5);
    fs::last_write_time(stale, old);
    fs::last_write_time(other, old);

    EepromStore store((folder / "USB001.eep").string());
    ASSERT_EQ(store.Open(FactoryImage(Model::Q510, Destination::UsEuro)), "");
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(fresh)) << "a save under way may still rename it";
    EXPECT_TRUE(fs::exists(other)) << "another printer's";
    fs::remove_all(folder);
}

TEST(LinkSessionInUse, TheNewcomerGetsOneErrorFrame)
{
    const std::vector<Reply> replies = Decode(LinkSession::InUseFrame());
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].kind, 0xFF);
    EXPECT_EQ(replies[0].payload, std::vector<uint8_t>{0x14});
}

} // namespace
} // namespace sim
