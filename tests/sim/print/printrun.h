#pragma once

// Runs a stream through a print engine and keeps the pages (at 360 dpi) and the reports.

#include <set>
#include <utility>
#include <vector>

#include <QImage>
#include <nlohmann/json.hpp>

#include "printengine.h"
#include "recordinghooks.h"
#include "streambuilder.h"

namespace simtest
{

class PrintRun
{
public:
    explicit PrintRun(std::string pagesFolder = {})
        : engine_(hooks, sim::PrintOptions{std::move(pagesFolder), true, {}})
    {
        engine_.SetPageListener([this](const sim::PrintedPage &page) { pages.push_back(page); });
    }

    PrintRun &Feed(const StreamBuilder &stream)
    {
        engine_.Feed(stream.Data().data(), stream.Size());
        return *this;
    }
    // Feeds the stream and ends the job; returns the job's report.
    nlohmann::json Job(const StreamBuilder &stream)
    {
        Feed(stream);
        engine_.EndJob();
        const std::string text = engine_.LastReportJson();
        return text.empty() ? nlohmann::json{} : nlohmann::json::parse(text);
    }
    nlohmann::json Current() const { return nlohmann::json::parse(engine_.CurrentReportJson()); }
    sim::PrintEngine &Engine() { return engine_; }

    RecordingHooks hooks;
    std::vector<sim::PrintedPage> pages;

private:
    sim::PrintEngine engine_;
};

// Every pixel of a page that is not paper white, as (x, y).
inline std::set<std::pair<int, int>> InkedPixels(const QImage &image)
{
    std::set<std::pair<int, int>> inked;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const uchar *corner = rgb.constScanLine(rgb.height() - 1) + 3 * (rgb.width() - 1);
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar *line = rgb.constScanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            if (line[3 * x] != corner[0] || line[3 * x + 1] != corner[1] ||
                line[3 * x + 2] != corner[2]) {
                inked.insert({x, y});
            }
        }
    }
    return inked;
}

inline int Lightness(QRgb rgb)
{
    return qRed(rgb) + qGreen(rgb) + qBlue(rgb);
}

// Errors of a report of one kind, as offsets.
inline std::vector<uint64_t> ErrorOffsets(const nlohmann::json &report, const std::string &kind)
{
    std::vector<uint64_t> offsets;
    for (const auto &error : report["errors"]) {
        if (error["kind"] == kind) {
            offsets.push_back(error["offset"].get<uint64_t>());
        }
    }
    return offsets;
}

} // namespace simtest
