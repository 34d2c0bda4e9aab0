// bench-print-engine: how fast the virtual printer's print engine reads a print stream and how
// long an A4 page at 360 dpi takes to render.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <unistd.h>

#include "pngwriter.h"
#include "printengine.h"
#include "sheet.h"
#include "teststream.h"

namespace
{

using Clock = std::chrono::steady_clock;

class QuietHooks : public sim::FirmwareHooks
{
public:
    std::string FactoryPacket(const std::vector<uint8_t> &) override { return {}; }
    std::string RemoteCommand(const std::string &, const std::vector<uint8_t> &) override
    {
        return {};
    }
    void PagePrinted(double seconds) override { lastSeconds = seconds; }
    double lastSeconds = 0.0;
};

double Seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

// Feeds the stream in 1000-byte pieces, as the program sends it, several times; best run wins.
void Interpret(const char *label, const std::vector<uint8_t> &stream, uint64_t rasterBytes)
{
    double best = 1e9;
    double pageSeconds = 0.0;
    for (int round = 0; round < 5; ++round) {
        QuietHooks hooks;
        sim::PrintEngine engine(hooks, sim::PrintOptions{});
        const auto start = Clock::now();
        for (size_t i = 0; i < stream.size(); i += 1000) {
            engine.Feed(stream.data() + i, std::min<size_t>(1000, stream.size() - i));
        }
        engine.EndJob();
        best = std::min(best, Seconds(start));
        pageSeconds = hooks.lastSeconds;
    }
    std::printf("%-34s %9zu bytes  %8.1f ms  %8.1f MB/s  (page on paper: %.1f s)\n", label,
                stream.size(), best * 1e3, stream.size() / best / 1e6, pageSeconds);
    if (rasterBytes > 0) {
        std::printf("%-34s %9llu raster bytes decoded: %.1f MB/s\n", "",
                    static_cast<unsigned long long>(rasterBytes), rasterBytes / best / 1e6);
    }
}

void RenderSheet(int divisor)
{
    // An A4 sheet with every row printed, so that no row can be skipped as blank.
    sim::Sheet sheet;
    sheet.Load(2976, 4209);
    for (int y = 0; y < sheet.Length(); ++y) {
        for (int x = 0; x < sheet.Width(); x += 7) {
            sheet.LayDot(x, y, (x + y) % 6, 1 + (x % 3));
        }
    }
    double best = 1e9;
    int width = 0;
    for (int round = 0; round < 5; ++round) {
        const auto start = Clock::now();
        const QImage image = sheet.Render(divisor);
        best = std::min(best, Seconds(start));
        width = image.width();
    }
    std::printf("render A4 at %3d dpi (%4d px wide)   %8.1f ms\n", 360 / divisor, width,
                best * 1e3);
    const QImage image = sheet.Render(divisor);
    const std::string path = "/tmp/bench-print-engine-" + std::to_string(getpid()) + ".png";
    const auto start = Clock::now();
    const std::string why = sim::PngWriter::Write(image, path, 360 / divisor);
    const double seconds = Seconds(start);
    std::remove(path.c_str());
    std::printf("write it as PNG                      %8.1f ms%s\n", seconds * 1e3,
                why.empty() ? "" : (" (failed: " + why + ")").c_str());
}

void WholePage(bool fullResolution)
{
    const std::vector<uint8_t> stream = sim::TestStream::FullPage(false);
    double best = 1e9;
    for (int round = 0; round < 5; ++round) {
        QuietHooks hooks;
        sim::PrintEngine engine(hooks, sim::PrintOptions{{}, fullResolution, {}});
        int pages = 0;
        engine.SetPageListener([&pages](const sim::PrintedPage &) { ++pages; });
        const auto start = Clock::now();
        engine.Feed(stream.data(), stream.size());
        engine.EndJob();
        best = std::min(best, Seconds(start));
    }
    std::printf("full A4 page, interpret + render at %d dpi  %8.1f ms\n", fullResolution ? 360 : 90,
                best * 1e3);
}

} // namespace

int main()
{
    std::printf("bench-print-engine: best of 5 runs\n\n");
    Interpret("A4 page, run-length raster", sim::TestStream::FullPage(false),
              sim::TestStream::kFullPageRasterBytes);
    Interpret("A4 page, literal raster", sim::TestStream::FullPage(true),
              sim::TestStream::kFullPageRasterBytes);
    Interpret("test page (text, inks, positions)", sim::TestStream::TestPage(), 0);
    std::printf("\n");
    RenderSheet(1);
    RenderSheet(4);
    WholePage(true);
    WholePage(false);
    return 0;
}
