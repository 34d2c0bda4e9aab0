// How long the program takes to build the A4 normal, photo quality and photo paper check
// prints, and how many bytes each sends, against the scripted link libraries (which only keep
// what they are sent). Target: all three together in under 5 ms.
#include "fakelink.h"
#include "link/program.h"
#include "print/checkpattern.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace
{
constexpr int Runs = 20;

struct Print {
    const char *name;
    std::function<uint16_t(TPCheckPattern &)> run;
};

struct Measure {
    double medianMs = 0;
    size_t bytes = 0;
    int sends = 0;
};

Measure Time(fake::Link &link, TPProgram &program, TPCheckPattern &checks, const Print &print)
{
    std::vector<double> times;
    Measure measure;
    for (int run = 0; run < Runs; ++run) {
        link.Reset();
        link.QueueStatus(fake::StateReply(TPStatusControl::StateReady));
        const auto start = std::chrono::steady_clock::now();
        const uint16_t result = print.run(checks);
        const auto end = std::chrono::steady_clock::now();
        if (result != TPResult::Ok || program.raster.Fill() != 0) {
            std::fprintf(stderr, "%s failed: 0x%04X\n", print.name, result);
            std::exit(1);
        }
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    measure.medianMs = times[times.size() / 2];
    measure.bytes = link.Taken().size();
    measure.sends = link.SendCount();
    return measure;
}
} // namespace

int main()
{
    fake::Link link;
    fake::Waits waits;
    TPProgram program(fake::Folder("fakelink"));
    if (!program.dll.IsLoaded()) {
        std::fprintf(stderr, "the scripted link libraries are not built (bin/fakelink)\n");
        return 1;
    }
    TPCheckPattern checks(program);
    const Print prints[] = {
        {"A4 normal paper", [](TPCheckPattern &c) { return c.A4NormalPrint(); }},
        {"A4 photo quality ink jet paper",
         [](TPCheckPattern &c) { return c.A4PhotoQualityPrint(); }},
        {"A4 photo paper/glossy photo paper",
         [](TPCheckPattern &c) { return c.A4PhotoPaperPrint(); }},
    };
    double total = 0;
    std::printf("%-36s %10s %12s %8s\n", "print", "median ms", "bytes sent", "sends");
    for (const Print &print : prints) {
        const Measure measure = Time(link, program, checks, print);
        total += measure.medianMs;
        std::printf("%-36s %10.3f %12zu %8d\n", print.name, measure.medianMs, measure.bytes,
                    measure.sends);
    }
    constexpr double TargetMs = 5.0;
    std::printf("%-36s %10.3f   (target < %.0f ms: %s)\n", "together", total, TargetMs,
                total < TargetMs ? "met" : "MISSED");
    return 0;
}
