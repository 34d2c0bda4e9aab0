#pragma once

// The virtual printer's print engine: reads everything that arrives on the data channel
// (print stream, remote-mode packets, factory packets), lays pages out and reports on each
// job. It tells the firmware about packets and finished pages through FirmwareHooks.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QImage>

namespace sim
{

// Implemented by the firmware (printer core).
class FirmwareHooks
{
public:
    virtual ~FirmwareHooks() = default;
    // A factory packet (ESC "|" 00 count ...) exactly as it stood in the stream. Returns an
    // empty text when the firmware accepted and applied it, else why it was rejected.
    virtual std::string FactoryPacket(const std::vector<uint8_t> &packet) = 0;
    // One two-letter remote-mode command with its parameter bytes, met between enter and
    // exit remote mode. Returns an empty text when accepted, else why it was rejected.
    virtual std::string RemoteCommand(const std::string &name,
                                      const std::vector<uint8_t> &parameters) = 0;
    // A page left the printer; printing it took this long on paper (seconds, unscaled).
    virtual void PagePrinted(double seconds) = 0;
    // The engine starts (true) and ends (false) writing a page out: rendering its image,
    // saving it. Called before and after every page, PagePrinted in between.
    virtual void PageWriting(bool writing) { (void)writing; }
    // Inches a band printed on the carriage's way back (print direction 3) lands right of the
    // same band printed forwards (negative: left), for a dot-size mode (16-19) and a raster
    // colour code: where the mechanism's Bi-D misalignment shows. Asked at every such raster
    // block. The default is a perfectly aligned mechanism.
    virtual double ReturnPrintShiftInches(int dotSizeMode, int colorCode)
    {
        (void)dotSizeMode;
        (void)colorCode;
        return 0.0;
    }
    // Inches the head's last nozzle lands right of its first (negative: left) because the head
    // stands tilted, less the head angle correction in force; nozzles in between land in
    // proportion. Asked at every raster block. Nothing: a head that lands every dot on the
    // nearest sheet dot (the default); a value, even 0: dots land where they fall, sharing
    // their ink with the next sheet dot when they fall between two.
    virtual std::optional<double> NozzleRowSlantInches() { return std::nullopt; }

    // Edges the PW sensor finds: a raster block that follows a factory F2 or F1 packet is
    // printed against the paper's right (side 0), left (1), top (2) or bottom (3) edge.
    // Returns the inches such a block lands off where a true sensor puts it (left for the
    // right and left edges, towards the edge for the top and bottom), or nothing for a
    // printer that prints such blocks where the stream puts them (the default).
    virtual std::optional<double> EdgeBlockShiftInches(int side)
    {
        (void)side;
        return std::nullopt;
    }

    // Inches the printable area lands right of (first dot) and below (top margin) where a
    // perfectly adjusted mechanism puts it; negative: left, up. Asked when a page starts (the
    // first mark on a blank sheet), so a page prints with one setting throughout. The
    // defaults are a perfectly adjusted mechanism.
    virtual double FirstDotShiftInches() { return 0.0; }
    virtual double TopMarginShiftInches() { return 0.0; }
};

struct PrintOptions {
    std::string pagesFolder;     // --pages DIR: page-NNNN.png and a JSON report per job
    bool fullResolution = false; // PNG at 360 dpi instead of a size for the screen
    // Tests: called with the final path before a page's file is renamed into place (a slow
    // disk, a printer killed while it writes).
    std::function<void(const std::string &path)> beforePageSaved;
};

// The sheet in the printer, for a window that shows the job as it prints.
struct SheetInProgress {
    QImage image;          // small: a preview, not the page
    double fraction = 0.0; // how far down the sheet the head stands, 0..1
    uint64_t bytesTaken = 0;
};

// One finished page, for the output tray.
struct PrintedPage {
    int number = 0;         // 1, 2, ... over the printer's run
    QImage image;           // as saved (screen size unless full resolution)
    std::string reportJson; // the report of the job the page belongs to, so far
    std::string file;       // the page's image file, where it was saved
};

class PrintEngine
{
public:
    PrintEngine(FirmwareHooks &hooks, PrintOptions options);
    ~PrintEngine();
    PrintEngine(const PrintEngine &) = delete;
    PrintEngine &operator=(const PrintEngine &) = delete;

    // Bytes of the data channel, in order, as they arrive (any split).
    void Feed(const uint8_t *bytes, size_t count);
    // The job ends: channel closed, printer reset or restarted. Writes the job's report.
    void EndJob();
    // Called for every page that comes out.
    void SetPageListener(std::function<void(const PrintedPage &)> listener);

    // The report of the job under way, so far (JSON text).
    std::string CurrentReportJson() const;
    // The report of the last job that ended (JSON text; empty before the first).
    std::string LastReportJson() const;
    // Bytes taken since the printer started.
    uint64_t BytesTaken() const;
    // Seconds on paper of everything taken since the printer started (unscaled).
    double PrintSeconds() const;
    // The sheet under way, its image shrunk by divisor.
    SheetInProgress CurrentSheet(int divisor) const;

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace sim
