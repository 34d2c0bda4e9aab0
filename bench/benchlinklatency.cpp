// bench-link-latency: how long the virtual printer takes to answer while it prints. A virtual
// printer saving full-resolution pages is sent full A4 pages of raster data in pieces of 1000
// bytes, as the program sends them (a refused piece is sent again after a short wait), with a
// status inquiry after every piece and, once the last piece is in, until the printer is
// ready. Every request's time from sending to its reply is kept; the worst and the 99th
// percentile are printed. Target: worst under 100 ms (500 ms in the sanitized build).

#include "linkframe.h"
#include "runtimedir.h"
#include "simprocess.h"
#include "teststream.h"
#include "virtualprinter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{
constexpr int Pages = 3;
constexpr size_t Piece = 1000;
constexpr int ResendWaitMs = 5;
constexpr double TimeScale = 0.02; // the pages' time on paper, shortened
constexpr double TargetMs = 100.0;
constexpr double SanitizedTargetMs = 500.0;
constexpr int StateField = 1 + 14;
constexpr uint8_t Ready = 4;

struct Timings {
    std::vector<double> ms;
    int refused = 0;
    int failed = 0;
};

// One request; its time lands in timings. Nothing on a request that got no reply.
std::optional<simtest::LinkReply> Timed(simtest::LinkClient &client, uint8_t op,
                                        const std::vector<uint8_t> &payload, Timings &timings)
{
    QElapsedTimer clock;
    clock.start();
    std::optional<simtest::LinkReply> reply = client.Ask(op, payload, 5000);
    timings.ms.push_back(clock.nsecsElapsed() / 1e6);
    if (!reply)
        ++timings.failed;
    return reply;
}

double Percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t at = std::min(values.size() - 1, size_t(share * double(values.size())));
    return values[at];
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir pages;
    novari_test::RuntimeDir runtime;
    novari_test::VirtualPrinter::Options options;
    options.port = QStringLiteral("USB001");
    options.capture = false;
    options.timeScale = TimeScale;
    options.extraArguments = {QStringLiteral("--full-resolution"), QStringLiteral("--pages"),
                              pages.path()};
    novari_test::VirtualPrinter printer(runtime, options);
    if (!printer.Start()) {
        std::fprintf(stderr, "bench-link-latency: %s\n", qPrintable(printer.ErrorText()));
        return 1;
    }
    simtest::LinkClient client;
    if (client.Connect(printer.SocketPath()) != 0 || !client.Ask(LINK_OP_CHANNEL_OPEN)) {
        std::fprintf(stderr, "bench-link-latency: cannot reach the printer\n");
        return 1;
    }

    const std::string inquiryText = "@BDC ST2\r\n";
    const std::vector<uint8_t> inquiry(inquiryText.begin(), inquiryText.end());
    std::vector<uint8_t> stream;
    for (int page = 0; page < Pages; ++page) {
        const std::vector<uint8_t> one = sim::TestStream::FullPage(false);
        stream.insert(stream.end(), one.begin(), one.end());
    }
    Timings timings;
    QElapsedTimer total;
    total.start();
    for (size_t at = 0; at < stream.size() && timings.failed == 0;) {
        const size_t count = std::min(Piece, stream.size() - at);
        const std::vector<uint8_t> piece(stream.begin() + long(at),
                                         stream.begin() + long(at + count));
        const std::optional<simtest::LinkReply> sent = Timed(client, LINK_OP_DATA, piece, timings);
        Timed(client, LINK_OP_STATUS, inquiry, timings);
        if (sent && sent->Result() == LINK_RESULT_OK) {
            at += count;
        } else {
            ++timings.refused;
            QThread::msleep(ResendWaitMs);
        }
    }
    for (int polls = 0; polls < 20000 && timings.failed == 0; ++polls) {
        const std::optional<simtest::LinkReply> status =
            Timed(client, LINK_OP_STATUS, inquiry, timings);
        if (status && status->payload.size() > StateField && status->payload[StateField] == Ready)
            break;
        QThread::msleep(ResendWaitMs);
    }

    const double worst = Percentile(timings.ms, 1.0);
    std::printf("bench-link-latency: %d full A4 pages (%zu bytes) at full resolution, time "
                "scale %.2f, in %.1f s\n",
                Pages, stream.size(), TimeScale, total.elapsed() / 1000.0);
    std::printf(
        "  %zu requests (%d data pieces refused while the buffer was full), %d unanswered\n",
        timings.ms.size(), timings.refused, timings.failed);
    std::printf("  reply time: median %.2f ms, 99th percentile %.2f ms, worst %.2f ms\n",
                Percentile(timings.ms, 0.5), Percentile(timings.ms, 0.99), worst);
    std::printf("  target: worst under %.0f ms (%.0f ms in the sanitized build)\n", TargetMs,
                SanitizedTargetMs);
    return timings.failed == 0 ? 0 : 1;
}
