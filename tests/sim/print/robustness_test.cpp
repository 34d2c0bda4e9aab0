// Streams the printer cannot follow: every one ends in a report, never a crash, a hang or
// unbounded memory. Inputs the fuzz target once broke the engine with are replayed here.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "printrun.h"

namespace
{

using simtest::PrintRun;
using simtest::StreamBuilder;

// Feeds a fuzz input the way the fuzz target does: the first byte picks the piece size.
nlohmann::json ReplayFuzzInput(const std::vector<uint8_t> &input)
{
    simtest::RecordingHooks hooks;
    sim::PrintEngine engine(hooks, sim::PrintOptions{});
    if (input.empty()) {
        return {};
    }
    const size_t piece = static_cast<size_t>(input[0]) + 1;
    for (size_t i = 1; i < input.size(); i += piece) {
        engine.Feed(input.data() + i, std::min(piece, input.size() - i));
    }
    EXPECT_TRUE(nlohmann::json::parse(engine.CurrentReportJson()).is_object());
    engine.EndJob();
    const std::string last = engine.LastReportJson();
    return last.empty() ? nlohmann::json::object() : nlohmann::json::parse(last);
}

TEST(PrintEngineRobustness, FuzzRegressionInputsGiveAReport)
{
    const std::filesystem::path folder(SIMPRINT_FUZZ_REGRESSIONS);
    int replayed = 0;
    for (const auto &entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream file(entry.path(), std::ios::binary);
        const std::vector<uint8_t> input((std::istreambuf_iterator<char>(file)),
                                         std::istreambuf_iterator<char>());
        SCOPED_TRACE(entry.path().filename().string());
        EXPECT_NO_THROW(ReplayFuzzInput(input));
        ++replayed;
    }
    EXPECT_GT(replayed, 0);
}

TEST(PrintEngineRobustness, AbsurdCountsAndEndlessBlocksStayBounded)
{
    PrintRun run;
    StreamBuilder stream;
    // A raster block of 65535 x 65535 bytes that never ends, an extended command that
    // announces 65535 parameter bytes, and a factory packet of 65535 bytes, all cut short.
    stream.Reset().EnterGraphicsMode().SetRasterResolution().RasterHeader(0, 0xFFFF, 0xFFFF);
    for (int i = 0; i < 20000; ++i) {
        stream.Bytes({0x81, 0x00});
    }
    run.Feed(stream);
    const nlohmann::json report = run.Job(StreamBuilder{});
    EXPECT_EQ(simtest::ErrorOffsets(report, "truncated").size(), 1u);

    StreamBuilder packets;
    packets.Bytes({0x1B, 0x28, 0x71, 0xFF, 0xFF, 1, 2, 3});
    const nlohmann::json second = run.Job(packets);
    EXPECT_EQ(simtest::ErrorOffsets(second, "truncated").size(), 1u);
    StreamBuilder factory;
    factory.Bytes({0x1B, 0x7C, 0x00, 0xFF, 0xFF, 0x5E, 0xA7});
    const nlohmann::json third = run.Job(factory);
    EXPECT_EQ(simtest::ErrorOffsets(third, "truncated").size(), 1u);
    EXPECT_TRUE(run.hooks.factoryPackets.empty());
}

TEST(PrintEngineRobustness, EveryCutInsideACommandIsReportedAsTruncated)
{
    // Units a job may end between: commands, a whole raster block, a whole remote-mode stretch.
    std::vector<StreamBuilder> units(9);
    units[0].Reset();
    units[1].EnterGraphicsMode();
    units[2].SetUnit(10);
    units[3].SetDotSize(16);
    units[4].SetRasterResolution();
    units[5].RasterHeader(0, 3, 2).RepeatSend(6, 0x55);
    units[6].Bytes({0x1B, 0x28, 0x76, 0x02, 0x00, 0x01, 0x00});
    units[7].EnterRemoteMode().Remote("JE", {0}).ExitRemoteMode();
    units[8].Factory(0x50, {});
    std::vector<uint8_t> data;
    std::set<size_t> boundaries{0};
    for (const StreamBuilder &unit : units) {
        data.insert(data.end(), unit.Data().begin(), unit.Data().end());
        boundaries.insert(data.size());
    }
    for (size_t cut = 1; cut < data.size(); ++cut) {
        simtest::RecordingHooks hooks;
        sim::PrintEngine engine(hooks, sim::PrintOptions{});
        engine.Feed(data.data(), cut);
        engine.EndJob();
        const nlohmann::json report = nlohmann::json::parse(engine.LastReportJson());
        const size_t truncated = simtest::ErrorOffsets(report, "truncated").size();
        EXPECT_EQ(truncated, boundaries.count(cut) ? 0u : 1u) << "cut at " << cut;
    }
}

TEST(PrintEngineRobustness, RandomBytesInAnySplitNeverThrow)
{
    uint32_t seed = 99;
    for (int round = 0; round < 200; ++round) {
        std::vector<uint8_t> input(1 + round * 13);
        for (uint8_t &b : input) {
            seed = seed * 1664525u + 1013904223u;
            // Bias towards ESC and command letters so commands are formed.
            const uint8_t r = static_cast<uint8_t>(seed >> 24);
            b = r < 40 ? 0x1B : r < 80 ? static_cast<uint8_t>("@(iUx$\\|GUeKDScCv$R"[r % 19]) : r;
        }
        EXPECT_NO_THROW(ReplayFuzzInput(input));
    }
}

} // namespace

namespace
{

TEST(PrintEngineRobustness, EndlessFormFeedsKeepTheReportBounded)
{
    simtest::RecordingHooks hooks;
    sim::PrintEngine engine(hooks, sim::PrintOptions{});
    const std::vector<uint8_t> feeds(1500, 0x0C);
    engine.Feed(feeds.data(), feeds.size());
    engine.EndJob();
    const nlohmann::json report = nlohmann::json::parse(engine.LastReportJson());
    EXPECT_EQ(report["pageCount"], 1500);
    EXPECT_EQ(report["pages"].size(), 1000u);
    EXPECT_EQ(hooks.pageSeconds.size(), 1500u);
}

} // namespace
