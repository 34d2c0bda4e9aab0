// Builds every adjustment pattern layout into a stream whose sends go to the scripted link
// libraries (build/bin/fakelink), which only keep the bytes, and prints the time each took
// and the stream size. Target: all of them together under 5 ms.
#include "../tests/support/fakelink/fakecontrol.h"
#include "link/dllfunction.h"
#include "link/factory.h"
#include "link/raster.h"
#include "link/statuscontrol.h"
#include "print/bidpattern.h"
#include "print/headangularpattern.h"
#include "print/marginpatterns.h"

#include <chrono>
#include <cstdio>
#include <dlfcn.h>
#include <functional>
#include <vector>

namespace
{
struct Printer {
    TPDLLFunction &dll;
    TPRaster &raster;
    TPStatusControl &status;
    TPFactory &factory;
};

struct Layout {
    const char *name;
    std::function<uint16_t(Printer &)> build;
};

// Add further layouts here.
const std::vector<Layout> Layouts = {
    {"HeadAngularPattern",
     [](Printer &p) {
         return TPHeadAngularPattern(p.dll, p.raster, p.factory, p.status).HeadAngularPattern();
     }},
    {"BidPage VSD1 Black/Color",
     [](Printer &p) { return TPBidPattern(p.raster, p.status, p.factory).BidPage(1, 16, 0, 0); }},
    {"BidPage VSD3 Black/Color PG-",
     [](Printer &p) { return TPBidPattern(p.raster, p.status, p.factory).BidPage(0, 18, 0, 0); }},
    {"BidPage ECO Color",
     [](Printer &p) {
         return TPBidPattern(p.raster, p.status, p.factory).BidPage(1, 19, 100, -3);
     }},
    {"BidBlock VSD2 Black",
     [](Printer &p) {
         return TPBidPattern(p.raster, p.status, p.factory).BidBlock(0, 1, 17, 5, 255, 255);
     }},
    {"FirstDotPattern", [](Printer &p) { return FirstDotPattern(p.raster); }},
    {"TopMarginPattern", [](Printer &p) { return TopMarginPattern(p.raster); }},
};

// A status reply of a ready printer, as the scripted library hands it out.
std::vector<uint8_t> ReadyReply()
{
    const char header[] = "@BDC ST2\r\n";
    std::vector<uint8_t> reply(header, header + 10);
    reply.insert(reply.end(), {16, 0, 0x01, 1, 4, 0x02, 1, 0});
    reply.resize(256, 0);
    return reply;
}
} // namespace

int main()
{
    const QString folder = TPDLLFunction::ExecutableFolder() + QStringLiteral("/fakelink");
    TPDLLFunction dll(folder);
    void *chan = dlopen((folder + QStringLiteral("/libchanlink.so")).toLocal8Bit().constData(),
                        RTLD_NOW | RTLD_LOCAL);
    if (!dll.IsLoaded() || !chan) {
        std::fprintf(stderr, "bench-layouts: the scripted link libraries are not in %s\n",
                     qPrintable(folder));
        return 1;
    }
    auto reset = reinterpret_cast<decltype(&FakeChanReset)>(dlsym(chan, "FakeChanReset"));
    auto queueStatus =
        reinterpret_cast<decltype(&FakeChanQueueStatus)>(dlsym(chan, "FakeChanQueueStatus"));
    auto sendCount =
        reinterpret_cast<decltype(&FakeChanSendCount)>(dlsym(chan, "FakeChanSendCount"));
    auto sendBytes =
        reinterpret_cast<decltype(&FakeChanSendBytes)>(dlsym(chan, "FakeChanSendBytes"));

    struct Objects {
        TPDLLFunction &dll;
        TPStatusControl status{dll, raster};
        TPRaster raster{dll, status};
        TPFactory factory{raster};
    } objects{dll};
    Printer printer{dll, objects.raster, objects.status, objects.factory};

    double total = 0;
    std::printf("%-32s %10s %12s %8s\n", "layout", "ms", "bytes", "result");
    for (const Layout &layout : Layouts) {
        reset();
        const std::vector<uint8_t> ready = ReadyReply();
        queueStatus(1, 0, ready.data(), static_cast<int>(ready.size()));
        const auto start = std::chrono::steady_clock::now();
        uint16_t result = layout.build(printer);
        if (result == 1)
            result = objects.raster.Flush();
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        total += ms;
        long bytes = 0;
        for (int i = 0; i < sendCount(); ++i)
            bytes += sendBytes(i, nullptr, 0);
        std::printf("%-32s %10.3f %12ld %8u\n", layout.name, ms, bytes, result);
    }
    std::printf("%-32s %10.3f   (target < 5 ms)\n", "all", total);
    dlclose(chan);
    return 0;
}
