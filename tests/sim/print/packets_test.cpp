// Factory and remote-mode packets on the data channel reach the firmware whole, in any split,
// and refusals end up in the job report.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "printengine.h"
#include "recordinghooks.h"
#include "streambuilder.h"

namespace
{

using simtest::RecordingHooks;
using simtest::StreamBuilder;

nlohmann::json Report(const sim::PrintEngine &engine)
{
    return nlohmann::json::parse(engine.CurrentReportJson());
}

void FeedInPieces(sim::PrintEngine &engine, const std::vector<uint8_t> &data, size_t piece)
{
    for (size_t i = 0; i < data.size(); i += piece) {
        engine.Feed(data.data() + i, std::min(piece, data.size() - i));
    }
}

TEST(PrintEnginePackets, FactoryPacketReachesFirmwareWholeInAnySplit)
{
    StreamBuilder stream;
    stream.Factory(0x84, {0x07}).Factory(0x50, {});
    for (size_t piece : {1u, 2u, 3u, 7u, 1000u}) {
        RecordingHooks hooks;
        sim::PrintEngine engine(hooks, {});
        FeedInPieces(engine, stream.Data(), piece);
        ASSERT_EQ(hooks.factoryPackets.size(), 2u) << "piece " << piece;
        EXPECT_EQ(hooks.factoryPackets[0], (std::vector<uint8_t>{0x1B, 0x7C, 0x00, 0x06, 0x00, 0x5E,
                                                                 0xA7, 0x84, 0x7B, 0x42, 0x07}));
        EXPECT_EQ(hooks.factoryPackets[1], (std::vector<uint8_t>{0x1B, 0x7C, 0x00, 0x05, 0x00, 0x5E,
                                                                 0xA7, 0x50, 0xAF, 0x28}));
        EXPECT_EQ(Report(engine)["errorCount"], 0);
    }
}

TEST(PrintEnginePackets, RemoteCommandsReachFirmwareBetweenEnterAndExit)
{
    std::vector<uint8_t> settings(82, 0x0F);
    StreamBuilder stream;
    stream.EnterRemoteMode()
        .Remote("SN", settings)
        .ExitRemoteMode()
        .EnterRemoteMode()
        .Remote("LD", {})
        .Remote("JE", {0x00})
        .ExitRemoteMode();
    for (size_t piece : {1u, 5u, 1000u}) {
        RecordingHooks hooks;
        sim::PrintEngine engine(hooks, {});
        FeedInPieces(engine, stream.Data(), piece);
        ASSERT_EQ(hooks.remoteCommands.size(), 3u);
        EXPECT_EQ(hooks.remoteCommands[0].first, "SN");
        EXPECT_EQ(hooks.remoteCommands[0].second, settings);
        EXPECT_EQ(hooks.remoteCommands[1].first, "LD");
        EXPECT_TRUE(hooks.remoteCommands[1].second.empty());
        EXPECT_EQ(hooks.remoteCommands[2].first, "JE");
        EXPECT_EQ(hooks.remoteCommands[2].second, std::vector<uint8_t>{0x00});
        const nlohmann::json report = Report(engine);
        EXPECT_EQ(report["errorCount"], 0);
        EXPECT_EQ(report["commands"]["EnterRemoteMode"], 2);
        EXPECT_EQ(report["commands"]["ExitRemoteMode"], 2);
        EXPECT_EQ(report["remoteCommands"]["SN"], 1);
    }
}

TEST(PrintEnginePackets, RejectedPacketsAreReportedWithOffsetAndFirmwareText)
{
    RecordingHooks hooks;
    hooks.factoryAnswer = "bad complement byte";
    hooks.remoteAnswer = "unknown remote command";
    sim::PrintEngine engine(hooks, {});
    StreamBuilder stream;
    stream.Text("ab").Factory(0x05, {0x00});
    const size_t remoteAt = stream.Size() + 13;
    stream.EnterRemoteMode().Remote("ZZ", {1, 2}).ExitRemoteMode();
    engine.Feed(stream.Data().data(), stream.Size());
    const nlohmann::json report = Report(engine);
    ASSERT_EQ(report["errorCount"], 2);
    EXPECT_EQ(report["errors"][0]["kind"], "rejected-packet");
    EXPECT_EQ(report["errors"][0]["offset"], 2);
    EXPECT_NE(report["errors"][0]["message"].get<std::string>().find("bad complement byte"),
              std::string::npos);
    EXPECT_EQ(report["errors"][1]["kind"], "rejected-packet");
    EXPECT_EQ(report["errors"][1]["offset"], remoteAt);
    EXPECT_NE(report["errors"][1]["message"].get<std::string>().find("unknown remote command"),
              std::string::npos);
}

TEST(PrintEnginePackets, PrintCommandsInsideRemoteModeAreSkippedUpToExit)
{
    RecordingHooks hooks;
    sim::PrintEngine engine(hooks, {});
    StreamBuilder stream;
    stream.EnterRemoteMode().Reset().Remote("LD", {}).ExitRemoteMode().Factory(0x50, {});
    engine.Feed(stream.Data().data(), stream.Size());
    EXPECT_TRUE(hooks.remoteCommands.empty());
    EXPECT_EQ(hooks.factoryPackets.size(), 1u);
    const nlohmann::json report = Report(engine);
    ASSERT_EQ(report["errorCount"], 1);
    EXPECT_EQ(report["errors"][0]["kind"], "stray-data");
    EXPECT_EQ(report["errors"][0]["offset"], 13);
}

TEST(PrintEnginePackets, HalfACommandBeforeExitRemoteModeStillLeavesRemoteMode)
{
    RecordingHooks hooks;
    sim::PrintEngine engine(hooks, {});
    StreamBuilder stream;
    stream.EnterRemoteMode().Text("X").ExitRemoteMode().Factory(0x50, {});
    engine.Feed(stream.Data().data(), stream.Size());
    EXPECT_EQ(hooks.factoryPackets.size(), 1u);
    const nlohmann::json report = Report(engine);
    ASSERT_EQ(report["errorCount"], 1);
    EXPECT_EQ(report["errors"][0]["kind"], "stray-data");
    EXPECT_EQ(report["commands"]["ExitRemoteMode"], 1);
}

TEST(PrintEnginePackets, JobEndingInsidePacketsIsReportedAsTruncated)
{
    RecordingHooks hooks;
    sim::PrintEngine engine(hooks, {});
    StreamBuilder stream;
    stream.Bytes({0x1B, 0x7C, 0x00, 0xFF, 0xFF, 0x5E});
    engine.Feed(stream.Data().data(), stream.Size());
    engine.EndJob();
    EXPECT_TRUE(hooks.factoryPackets.empty());
    const nlohmann::json report = nlohmann::json::parse(engine.LastReportJson());
    ASSERT_EQ(report["errorCount"], 1);
    EXPECT_EQ(report["errors"][0]["kind"], "truncated");
    EXPECT_EQ(report["errors"][0]["offset"], 0);

    StreamBuilder remote;
    remote.EnterRemoteMode().Remote("JE", {0});
    engine.Feed(remote.Data().data(), remote.Size());
    engine.EndJob();
    const nlohmann::json second = nlohmann::json::parse(engine.LastReportJson());
    EXPECT_EQ(second["job"], 2);
    EXPECT_EQ(second["firstByte"], stream.Size());
    ASSERT_EQ(second["errorCount"], 1);
    EXPECT_EQ(second["errors"][0]["kind"], "truncated");
}

} // namespace
