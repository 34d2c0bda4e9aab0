#pragma once

// The printer's command interpreter: keeps units, position and modes, lays raster dots and
// draft text onto the sheet, checks every command strictly and puts every fault, with its
// byte offset, into the job report. A form feed sends the sheet out through the page callback.
//
// Positions are kept in ticks of 1/28800 inch, which every unit the printer is given
// (u/3600 inch, or 1/b inch for b = 360, 1440, 2880, 5760) divides exactly. Horizontal
// positions count from the left edge of the printable area, 48 dots (1/7.5 inch) in from the
// sheet's left edge, which centres the 8-inch print width on an A4 sheet; vertical positions
// count from the top margin (42/360 inch unless a page format says otherwise).

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "jobreport.h"
#include "printclock.h"
#include "sheet.h"
#include "streamevents.h"

namespace sim
{

struct PageOut {
    const Sheet *sheet = nullptr;
    uint64_t offset = 0;
    double seconds = 0.0;
    int passes = 0;
    double feedInches = 0.0;
};

class PageInterpreter
{
public:
    // Print directions (ESC U n). A return print is a band printed on the carriage's way back,
    // the second half of a bidirectional pass; its dots are placed like a forward band's and
    // then shifted by the return print shift.
    static constexpr int kBidirectional = 0;
    static constexpr int kUnidirectional = 1;
    static constexpr int kReturnPrint = 3;
    // Inches a return-printed band of a raster colour lands right of where the same band
    // printed forwards would, under a dot-size mode (16-19): the mechanism's Bi-D misalignment.
    using ReturnPrintShift = std::function<double(int dotSizeMode, int colorCode)>;
    // Inches the head's last nozzle lands right of its first, or nothing for a head whose dots
    // all land on the nearest sheet dot.
    using NozzleSlant = std::function<std::optional<double>()>;
    // Nozzles of the head's row: line n of a raster block is printed by nozzle n mod 90.
    static constexpr int kNozzles = 90;

    static constexpr double kTicksPerInch = 28800.0;
    static constexpr double kTicksPerDot = kTicksPerInch / Sheet::kDpi;
    static constexpr int kLeftMarginDots = 48;
    static constexpr int kDefaultTopMarginDots = 42;
    static constexpr int kA4WidthDots = 2976;
    static constexpr int kA4LengthDots = 4209;

    PageInterpreter(JobReport &report, std::function<void(const PageOut &)> pageOut);

    // The state after power-on: defaults, a blank A4 sheet, position at the top left.
    void PowerOn();
    // Without one, return prints land exactly on their forward twins.
    void SetReturnPrintShift(ReturnPrintShift shift) { returnShift_ = std::move(shift); }
    // Without one, every dot lands on the nearest sheet dot.
    void SetNozzleSlant(NozzleSlant slant) { nozzleSlant_ = std::move(slant); }

    // Blocks printed against a paper edge (the PW sensor's edge marks and bars). Against a
    // side edge the block's dot kEdgeReferenceDot (the mark of offset 0) is placed so that a
    // two-dot mark starting there centres kEdgeDistanceDots (5 mm) from the edge, then the
    // block moves left by shiftInches. Against the top or bottom edge its raster line
    // kEdgeReferenceLine (the line of offset 0) is placed kEdgeDistanceDots from the edge,
    // then the block moves towards that edge by shiftInches.
    static constexpr int kRightEdge = 0;
    static constexpr int kLeftEdge = 1;
    static constexpr int kTopEdge = 2;
    static constexpr int kBottomEdge = 3;
    static constexpr int kEdgeReferenceDot = 71;
    static constexpr int kEdgeReferenceLine = 47;
    static constexpr int kEdgeDistanceDots = 71;
    void PlaceNextBlockAtEdge(int side, double shiftInches);

    // Inches the printable area lands right of (first dot) or below (top margin) its place:
    // the mechanism's first dot and top margin offsets, each asked when a page starts.
    using AreaShift = std::function<double()>;
    // Without them, the printable area lies where the margins put it.
    void SetPrintableAreaShift(AreaShift right, AreaShift down)
    {
        areaRight_ = std::move(right);
        areaDown_ = std::move(down);
    }

    void Command(const ParsedCommand &command);
    void Byte(uint8_t byte, uint64_t offset);
    void RasterBegin(const RasterHeaderInfo &header);
    void RasterLine(const uint8_t *bytes, size_t count, int lineIndex);
    void RasterEnd(bool complete);
    // The firmware took a nozzle check command: print the nozzle check pattern here.
    void PrintNozzleCheck(uint64_t offset);
    // The job ends: a sheet with printing on it and no form feed is reported and sent out;
    // then the printer returns to its power-on state.
    void EndJob(uint64_t offset);

    bool SheetBlank() const { return sheet_.Blank(); }
    // Seconds on paper since power-on: every page out and the page under way so far.
    double PrintSeconds() const { return pagesSeconds_ + clock_.Seconds(); }
    // How far down the sheet the head stands (0 at the top edge, 1 at the bottom).
    double SheetFraction() const;
    const Sheet &CurrentSheet() const { return sheet_; }
    bool GraphicsMode() const { return state_.graphics; }
    // Position in inches (horizontal from the printable area's left edge, vertical from the
    // top margin).
    double XInches() const { return x_ / kTicksPerInch; }
    double YInches() const { return y_ / kTicksPerInch; }

private:
    struct State {
        bool graphics = false;
        double pageUnit = 80.0; // ticks; 1/360 inch
        double verticalUnit = 80.0;
        double horizontalUnit = 80.0;
        int direction = 0;
        int dotSize = 16;
        int colorMode = 0;
        int resolution = 360;
        int lineDivisor = 3;
        int dotDivisor = 1;
        bool draft = false;
        double topMargin = kDefaultTopMarginDots * kTicksPerDot; // ticks below the sheet top
        double bottomMargin = 0.0;
        double pageLength = 0.0;
    };

    void Extended(const ParsedCommand &command);
    void Reset(const ParsedCommand &command);
    bool ExpectCount(const ParsedCommand &command, const char *name, uint32_t count);
    void SetUnits(const ParsedCommand &command);
    void SetDotSize(const ParsedCommand &command);
    void SetColorMode(const ParsedCommand &command);
    void SetRasterResolution(const ParsedCommand &command);
    void SetPaperSize(const ParsedCommand &command);
    void SetPageFormat(const ParsedCommand &command);
    void SetPageLength(const ParsedCommand &command);
    void Feed(const ParsedCommand &command);
    // Moves the paper; a move past the sheet's bottom edge takes the sheet out (the time on
    // paper counts only the part of the move that the sheet made).
    void MoveDown(double ticks, uint64_t offset);
    void SetX(double ticks, uint64_t offset);
    void Text(uint8_t byte, uint64_t offset);
    void StrayByte(uint8_t byte, uint64_t offset);
    void EjectPage(uint64_t offset);
    bool SetDot(int64_t x, int64_t y, int ink, int picolitres);
    // Lays a dot that falls at a sheet column with a fraction: its ink is shared between the
    // two sheet dots it falls between, on sheet row y (row: that row once fetched). Returns
    // false when any of it falls outside.
    bool LayFineDot(Sheet::Pixel *&row, int64_t y, double column, int picolitres);
    void FineRasterLine(const uint8_t *bytes, size_t count, int64_t y, int lineIndex);
    // Ticks a block of this colour is moved right under the current direction and dot size.
    double BlockShift(int colorCode) const;
    // On a blank sheet, takes the printable area's place for the page about to start.
    void PlacePrintableArea();
    void Report(uint64_t offset, ErrorKind kind, std::string message);
    void Count(const char *kind) { report_.CountCommand(kind); }
    int64_t SheetX(double ticks) const;
    int64_t SheetY(double ticks) const;

    JobReport &report_;
    std::function<void(const PageOut &)> pageOut_;
    ReturnPrintShift returnShift_;
    NozzleSlant nozzleSlant_;

    AreaShift areaRight_;
    AreaShift areaDown_;
    double areaRightTicks_ = 0.0; // the page's printable area shift
    double areaDownTicks_ = 0.0;
    State state_;
    Sheet sheet_;
    PrintClock clock_;
    double pagesSeconds_ = 0.0; // pages out since power-on, and time a power-on cut short
    double x_ = 0.0;
    double y_ = 0.0;
    int nextWidth_ = kA4WidthDots;
    int nextLength_ = kA4LengthDots;
    uint64_t lastStray_ = UINT64_MAX;
    bool textOutsideReported_ = false;

    struct EdgePlacement {
        int side = kLeftEdge;
        double shiftInches = 0.0;
    };
    std::optional<EdgePlacement> nextBlockAtEdge_;
    // Moves the head so that the block about to print sits against the side edge asked for.
    void MoveToEdge(const EdgePlacement &placement);
    // Where the block about to print starts (ticks below the sheet top) against the top or
    // bottom edge.
    double BlockTopAtEdge(const EdgePlacement &placement) const;

    // The raster block being printed.
    bool drawing_ = false;
    int ink_ = 0;
    int dropPicolitres_[4] = {0, 0, 0, 0}; // by dot value
    RasterHeaderInfo block_;
    std::vector<int> dotColumns_; // sheet column of every dot of a line, -1 off the sheet
    // For a head that lands dots between sheet dots: the sheet column of every dot of the
    // block's first nozzle, with its fraction, and how far the last nozzle lands right of it.
    std::optional<double> slantDots_;
    std::vector<double> dotPositions_;
    double blockTop_ = 0.0;  // ticks below the sheet top
    double linePitch_ = 0.0; // ticks
    double dotPitch_ = 0.0;  // ticks
    bool blockOutside_ = false;
    uint64_t blockDots_[3] = {0, 0, 0};
    int blockFrom_ = 0;
    int blockTo_ = -1;
};

} // namespace sim
