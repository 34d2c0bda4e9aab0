#include "printengine.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "hexformat.h"
#include "jobreport.h"
#include "pageinterpreter.h"
#include "pngwriter.h"
#include "streamparser.h"

namespace sim
{

namespace
{

std::string Numbered(const char *prefix, int number, const char *suffix)
{
    char name[64];
    std::snprintf(name, sizeof name, "%s%04d%s", prefix, number, suffix);
    return name;
}

// Where a file is written before it is renamed into place: hidden, beside it, so a page or
// report is either whole under its name or not there at all.
std::filesystem::path PartFile(const std::filesystem::path &path)
{
    return path.parent_path() / ("." + path.filename().string() + ".part");
}

// Renames the written part file into place; an empty text, else why not (the part is gone).
std::string PutInPlace(const std::filesystem::path &part, const std::filesystem::path &path)
{
    std::error_code error;
    std::filesystem::rename(part, path, error);
    if (!error)
        return "";
    std::filesystem::remove(part, error);
    return "cannot write " + path.string();
}

} // namespace

// Job boundaries: a job is everything the printer takes between two EndJob() calls (channel
// closed, printer reset or restarted). Because the program keeps the channel open for a whole
// visit, the printer also starts a new job when, after at least one page came out, the next
// print begins on a blank sheet: a Reset (ESC @), an enter remote mode or a factory packet
// that follows the last form feed with nothing printed in between. Jobs that took no bytes
// write no report.
class PrintEngine::Impl : public StreamSink
{
public:
    Impl(FirmwareHooks &hooks, PrintOptions options)
        : interpreter_(report_, [this](const PageOut &page) { OnPage(page); }), hooks_(hooks),
          options_(std::move(options))
    {
        interpreter_.SetReturnPrintShift([this](int dotSizeMode, int colorCode) {
            return hooks_.ReturnPrintShiftInches(dotSizeMode, colorCode);
        });
        interpreter_.SetNozzleSlant([this] { return hooks_.NozzleRowSlantInches(); });

        interpreter_.SetPrintableAreaShift([this] { return hooks_.FirstDotShiftInches(); },
                                           [this] { return hooks_.TopMarginShiftInches(); });
        report_.Begin(1, 0);
    }

    void Feed(const uint8_t *bytes, size_t count)
    {
        parser_.Feed(bytes, count);
        report_.SetEnd(parser_.Offset());
    }

    void EndJob()
    {
        parser_.Finish();
        interpreter_.EndJob(parser_.Offset());
        report_.SetEnd(parser_.Offset());
        CloseJob(parser_.Offset());
    }

    std::function<void(const PrintedPage &)> listener_;
    JobReport report_;
    std::string lastReport_;
    StreamParser parser_{*this};
    PageInterpreter interpreter_;

private:
    void Command(const ParsedCommand &command) override
    {
        if (!command.extended && command.letter == '@') {
            NewJobAfterPage(command.offset);
        }
        interpreter_.Command(command);
    }

    void Byte(uint8_t byte, uint64_t offset) override { interpreter_.Byte(byte, offset); }
    void RasterBegin(const RasterHeaderInfo &header) override { interpreter_.RasterBegin(header); }
    void RasterLine(const uint8_t *bytes, size_t count, int lineIndex) override
    {
        interpreter_.RasterLine(bytes, count, lineIndex);
    }
    void RasterEnd(bool complete) override { interpreter_.RasterEnd(complete); }

    void FactoryPacket(const std::vector<uint8_t> &packet, uint64_t offset) override
    {
        NewJobAfterPage(offset);
        report_.CountCommand("FactoryPacket");
        report_.CountFactoryPacket(packet.size() > 7 ? packet[7] : -1);
        const std::string why = hooks_.FactoryPacket(packet);
        if (why.empty())
            PlaceAtEdge(packet);
        if (!why.empty()) {
            report_.AddError(StreamError{offset, ErrorKind::RejectedPacket,
                                         "factory packet at " + Hex(offset) + " (" +
                                             std::to_string(packet.size()) +
                                             " bytes) rejected: " + why});
        }
    }

    // The next raster block prints against an edge of the paper, where the PW sensor finds
    // it: after F2 (first flag 1: the right edge, 0: the left one), and after F1 with its last
    // byte 1 (first byte 1: the top edge, 0: the bottom one). F1 with last byte 0 leaves the
    // choice as it was.
    void PlaceAtEdge(const std::vector<uint8_t> &packet)
    {
        constexpr size_t kCodeAt = 7;
        constexpr size_t kFirstAt = 10;
        constexpr size_t kF1LastAt = 15;
        constexpr uint8_t kSideEdgeBlock = 0xF2;
        constexpr uint8_t kEndEdgeBlock = 0xF1;
        if (packet.size() <= kFirstAt)
            return;
        int side = -1;
        if (packet[kCodeAt] == kSideEdgeBlock)
            side = packet[kFirstAt] == 1 ? PageInterpreter::kRightEdge : PageInterpreter::kLeftEdge;
        else if (packet[kCodeAt] == kEndEdgeBlock && packet.size() > kF1LastAt &&
                 packet[kF1LastAt] == 1)
            side = packet[kFirstAt] == 1 ? PageInterpreter::kTopEdge : PageInterpreter::kBottomEdge;
        if (side < 0)
            return;
        if (const std::optional<double> shift = hooks_.EdgeBlockShiftInches(side))
            interpreter_.PlaceNextBlockAtEdge(side, *shift);
    }

    void EnterRemoteMode(uint64_t offset) override
    {
        NewJobAfterPage(offset);
        report_.CountCommand("EnterRemoteMode");
    }

    void RemoteCommand(const std::string &name, const std::vector<uint8_t> &parameters,
                       uint64_t offset) override
    {
        report_.CountCommand("RemoteCommand");
        report_.CountRemoteCommand(name);
        const std::string why = hooks_.RemoteCommand(name, parameters);
        if (!why.empty()) {
            report_.AddError(StreamError{offset, ErrorKind::RejectedPacket,
                                         "remote command \"" + name + "\" at " + Hex(offset) +
                                             " rejected: " + why});
            return;
        }
        if (name == "NC") {
            interpreter_.PrintNozzleCheck(offset);
        }
    }

    void ExitRemoteMode(uint64_t offset) override
    {
        (void)offset;
        report_.CountCommand("ExitRemoteMode");
    }

    void Error(const StreamError &error) override { report_.AddError(error); }

    void NewJobAfterPage(uint64_t offset)
    {
        if (report_.PageCount() == 0 || !interpreter_.SheetBlank()) {
            return;
        }
        report_.SetEnd(offset);
        CloseJob(offset);
    }

    // The job under way ends; the next one starts at nextStart.
    void CloseJob(uint64_t nextStart)
    {
        if (!report_.Empty()) {
            lastReport_ = report_.Text();
            SaveReport();
            report_.Begin(report_.Number() + 1, nextStart);
        } else {
            report_.Begin(report_.Number(), nextStart);
        }
    }

    bool PrepareFolder()
    {
        if (options_.pagesFolder.empty()) {
            return false;
        }
        std::error_code error;
        std::filesystem::create_directories(options_.pagesFolder, error);
        if (error && !folderWarned_) {
            folderWarned_ = true;
            std::fprintf(stderr, "printer: cannot create %s: %s\n", options_.pagesFolder.c_str(),
                         error.message().c_str());
        }
        return !error;
    }

    void SaveReport()
    {
        if (!PrepareFolder()) {
            return;
        }
        const std::filesystem::path path = std::filesystem::path(options_.pagesFolder) /
                                           Numbered("job-", report_.Number(), ".json");
        const std::filesystem::path part = PartFile(path);
        std::ofstream file(part);
        file << report_.Text() << '\n';
        file.close();
        std::string why = file ? PutInPlace(part, path) : "cannot write " + path.string();
        if (!why.empty()) {
            std::fprintf(stderr, "printer: %s\n", why.c_str());
        }
    }

    // The page's image, written whole under its name; an empty text, else why not.
    std::string SavePage(const QImage &image, const std::string &name) const
    {
        const std::filesystem::path path = std::filesystem::path(options_.pagesFolder) / name;
        const std::filesystem::path part = PartFile(path);
        const std::string why =
            PngWriter::Write(image, part.string(), Sheet::kDpi / (options_.fullResolution ? 1 : 4));
        if (!why.empty()) {
            std::error_code error;
            std::filesystem::remove(part, error);
            return why;
        }
        if (options_.beforePageSaved)
            options_.beforePageSaved(path.string());
        return PutInPlace(part, path);
    }

    void OnPage(const PageOut &page)
    {
        ++pageNumber_;
        PageRecord record;
        record.number = pageNumber_;
        record.offset = page.offset;
        record.seconds = page.seconds;
        record.passes = page.passes;
        record.feedInches = page.feedInches;
        record.widthDots = page.sheet->Width();
        record.lengthDots = page.sheet->Length();
        hooks_.PageWriting(true);
        const bool save = PrepareFolder();
        QImage image;
        if (save || listener_) {
            const int divisor = options_.fullResolution ? 1 : 4;
            image = page.sheet->Render(divisor);
            // The image says its resolution, so that a scan of it can be made to size.
            const int dotsPerMetre = static_cast<int>(std::lround(Sheet::kDpi / divisor / 0.0254));
            image.setDotsPerMeterX(dotsPerMetre);
            image.setDotsPerMeterY(dotsPerMetre);
        }
        if (save) {
            record.file = Numbered("page-", pageNumber_, ".png");
            const std::string why = SavePage(image, record.file);
            if (!why.empty()) {
                std::fprintf(stderr, "printer: %s\n", why.c_str());
                record.file.clear();
            }
        }
        report_.AddPage(record);
        report_.SetEnd(parser_.Offset() + 1);
        SaveReport();
        hooks_.PagePrinted(page.seconds);
        if (listener_) {
            const std::string file =
                record.file.empty()
                    ? std::string()
                    : (std::filesystem::path(options_.pagesFolder) / record.file).string();
            listener_(PrintedPage{pageNumber_, image, report_.Text(), file});
        }
        hooks_.PageWriting(false);
    }

    FirmwareHooks &hooks_;
    PrintOptions options_;
    int pageNumber_ = 0;
    bool folderWarned_ = false;
};

PrintEngine::PrintEngine(FirmwareHooks &hooks, PrintOptions options)
    : impl_(std::make_unique<Impl>(hooks, std::move(options)))
{
}

PrintEngine::~PrintEngine() = default;

void PrintEngine::Feed(const uint8_t *bytes, size_t count)
{
    if (bytes != nullptr && count > 0) {
        impl_->Feed(bytes, count);
    }
}

void PrintEngine::EndJob()
{
    impl_->EndJob();
}

void PrintEngine::SetPageListener(std::function<void(const PrintedPage &)> listener)
{
    impl_->listener_ = std::move(listener);
}

std::string PrintEngine::CurrentReportJson() const
{
    return impl_->report_.Text();
}

std::string PrintEngine::LastReportJson() const
{
    return impl_->lastReport_;
}

uint64_t PrintEngine::BytesTaken() const
{
    return impl_->parser_.Offset();
}

double PrintEngine::PrintSeconds() const
{
    return impl_->interpreter_.PrintSeconds();
}

SheetInProgress PrintEngine::CurrentSheet(int divisor) const
{
    SheetInProgress sheet;
    sheet.image = impl_->interpreter_.CurrentSheet().Render(divisor);
    sheet.fraction = impl_->interpreter_.SheetFraction();
    sheet.bytesTaken = impl_->parser_.Offset();
    return sheet;
}

} // namespace sim
