#include "pageinterpreter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "bitmapfont.h"
#include "hexformat.h"
#include "inkmodel.h"

namespace sim
{

namespace
{

constexpr double kTicksPerDot = PageInterpreter::kTicksPerDot;
// Positions further out than this (about 35 km) are simply off every sheet.
constexpr double kFarAway = 1e12;
// A head tilted further than this (in sheet dots across its nozzle row) is not a head.
constexpr double kMaxSlantDots = 360.0;

std::string CommandName(const ParsedCommand &command)
{
    char letter[8];
    if (command.letter > 0x20 && command.letter < 0x7F) {
        std::snprintf(letter, sizeof letter, "%c", command.letter);
    } else {
        std::snprintf(letter, sizeof letter, "0x%02X", command.letter);
    }
    return std::string(command.extended ? "ESC ( " : "ESC ") + letter;
}

int64_t ToDot(double ticks)
{
    if (!(std::fabs(ticks) < kFarAway)) {
        return INT64_MIN / 2;
    }
    return static_cast<int64_t>(std::floor(ticks / kTicksPerDot + 0.5));
}

double Clamp(double ticks)
{
    return std::clamp(ticks, -kFarAway, kFarAway);
}

// Picolitres a dot of a value (1-3) lays on the sheet under a dot-size mode.
int Drop(int dotSizeMode, int dotValue)
{
    return static_cast<int>(std::lround(InkModel::DropPicolitres(dotSizeMode, dotValue)));
}

// Calls dot(index, value) for every inked dot of a raster line's bytes: four two-bit dot
// values a byte, the first dot in the high bits, index counting dots from the line's start.
template <typename Dot> void ForEachInkedDot(const uint8_t *bytes, size_t count, Dot dot)
{
    for (size_t i = 0; i < count; ++i) {
        const uint8_t byte = bytes[i];
        if (byte == 0) {
            continue;
        }
        for (int d = 0; d < 4; ++d) {
            const int value = (byte >> (6 - 2 * d)) & 3;
            if (value != 0) {
                dot(i * 4 + static_cast<size_t>(d), value);
            }
        }
    }
}

} // namespace

PageInterpreter::PageInterpreter(JobReport &report, std::function<void(const PageOut &)> pageOut)
    : report_(report), pageOut_(std::move(pageOut))
{
    PowerOn();
}

void PageInterpreter::PowerOn()
{
    state_ = State{};
    nextWidth_ = kA4WidthDots;
    nextLength_ = kA4LengthDots;
    sheet_.Load(nextWidth_, nextLength_);
    pagesSeconds_ += clock_.Seconds();
    clock_ = PrintClock{};
    x_ = 0.0;
    y_ = 0.0;
    drawing_ = false;
    lastStray_ = UINT64_MAX;
    textOutsideReported_ = false;
    nextBlockAtEdge_.reset();
}

void PageInterpreter::PlaceNextBlockAtEdge(int side, double shiftInches)
{
    nextBlockAtEdge_ = EdgePlacement{side, shiftInches};
}

void PageInterpreter::MoveToEdge(const EdgePlacement &placement)
{
    // A mark of two dots from column c centres c + 1 dots from the left edge and
    // width - (c + 1) from the right one.
    const int referenceColumn = placement.side == kLeftEdge
                                    ? kEdgeDistanceDots - 1
                                    : sheet_.Width() - kEdgeDistanceDots - 1;
    const double referenceTicks = referenceColumn * kTicksPerDot -
                                  placement.shiftInches * kTicksPerInch -
                                  kEdgeReferenceDot * kTicksPerDot;
    x_ = referenceTicks - kLeftMarginDots * kTicksPerDot - areaRightTicks_;
}

double PageInterpreter::BlockTopAtEdge(const EdgePlacement &placement) const
{
    // A line on pixel row r centres r + 0.5 rows below the top edge and length - r - 0.5
    // above the bottom one.
    const bool top = placement.side == kTopEdge;
    const int referenceRow = top ? kEdgeDistanceDots - 1 : sheet_.Length() - kEdgeDistanceDots;
    const double towardsEdge = (top ? -1.0 : 1.0) * placement.shiftInches * kTicksPerInch;
    return referenceRow * kTicksPerDot + towardsEdge - kEdgeReferenceLine * linePitch_;
}

int64_t PageInterpreter::SheetX(double ticks) const
{
    return ToDot(kLeftMarginDots * kTicksPerDot + areaRightTicks_ + ticks);
}

int64_t PageInterpreter::SheetY(double ticks) const
{
    return ToDot(state_.topMargin + areaDownTicks_ + ticks);
}

void PageInterpreter::PlacePrintableArea()
{
    if (!sheet_.Blank()) {
        return;
    }
    const auto ticks = [](const AreaShift &shift) {
        const double inches = shift ? shift() : 0.0;
        return std::isfinite(inches) ? Clamp(inches * kTicksPerInch) : 0.0;
    };
    areaRightTicks_ = ticks(areaRight_);
    areaDownTicks_ = ticks(areaDown_);
}

void PageInterpreter::Report(uint64_t offset, ErrorKind kind, std::string message)
{
    report_.AddError(StreamError{offset, kind, std::move(message)});
}

bool PageInterpreter::ExpectCount(const ParsedCommand &command, const char *name, uint32_t count)
{
    Count(name);
    if (command.count == count) {
        return true;
    }
    Report(command.offset, ErrorKind::WrongParameterCount,
           std::string(name) + " (" + CommandName(command) + ") at " + Hex(command.offset) +
               " has " + std::to_string(command.count) + " parameter bytes instead of " +
               std::to_string(count) + "; ignored");
    return false;
}

void PageInterpreter::Command(const ParsedCommand &command)
{
    lastStray_ = UINT64_MAX;
    if (command.extended) {
        Extended(command);
        return;
    }
    const uint8_t value = command.At(0);
    switch (command.letter) {
    case '@':
        Reset(command);
        return;
    case 'U':
        Count("SetPrintDirection");
        if (value == kBidirectional || value == kUnidirectional || value == kReturnPrint) {
            state_.direction = value;
        } else {
            Report(command.offset, ErrorKind::ParameterOutOfRange,
                   "print direction " + std::to_string(value) + " at " + Hex(command.offset) +
                       " (0, 1 or 3); ignored");
        }
        return;
    case 'x':
        Count("DraftText");
        if (value == 0 || value == 1 || value == '0' || value == '1') {
            state_.draft = value == 0 || value == '0';
        } else {
            Report(command.offset, ErrorKind::ParameterOutOfRange,
                   "text quality " + std::to_string(value) + " at " + Hex(command.offset) +
                       "; ignored");
        }
        return;
    case '$':
        Count("HorizontalPosition");
        SetX(command.U16(0) * state_.horizontalUnit, command.offset);
        return;
    case '\\':
        Count("RelativeMove");
        SetX(x_ + static_cast<int16_t>(command.U16(0)) * state_.horizontalUnit, command.offset);
        return;
    default:
        Count("Unknown");
        Report(command.offset, ErrorKind::UnknownCommand,
               "unknown command " + CommandName(command) + " at " + Hex(command.offset));
        return;
    }
}

void PageInterpreter::Extended(const ParsedCommand &command)
{
    switch (command.letter) {
    case 'G':
        if (ExpectCount(command, "EnterGraphicsMode", 1)) {
            if (command.At(0) <= 1) {
                state_.graphics = command.At(0) == 1;
            } else {
                Report(command.offset, ErrorKind::ParameterOutOfRange,
                       "graphics mode " + std::to_string(command.At(0)) + " at " +
                           Hex(command.offset) + "; ignored");
            }
        }
        return;
    case 'U':
        SetUnits(command);
        return;
    case 'e':
        SetDotSize(command);
        return;
    case 'K':
        SetColorMode(command);
        return;
    case 'D':
        SetRasterResolution(command);
        return;
    case 'S':
        SetPaperSize(command);
        return;
    case 'c':
        SetPageFormat(command);
        return;
    case 'C':
        SetPageLength(command);
        return;
    case 'v':
        Feed(command);
        return;
    case '$':
        if (ExpectCount(command, "SetHorizontalPosition", 4)) {
            SetX(command.U32(0) * state_.horizontalUnit, command.offset);
        }
        return;
    default:
        Count("Unknown");
        Report(command.offset, ErrorKind::UnknownCommand,
               "unknown command " + CommandName(command) + " at " + Hex(command.offset) + " (" +
                   std::to_string(command.count) + " parameter bytes skipped)");
        return;
    }
}

void PageInterpreter::Reset(const ParsedCommand &command)
{
    (void)command;
    Count("Reset");
    clock_.EndPass();
    const State old = state_;
    state_ = State{};
    // The sheet stays where it is; the head goes back to the left edge, so that text after a
    // Reset starts at the left (the layouts' labels rely on it).
    state_.topMargin = old.topMargin;
    x_ = 0.0;
}

void PageInterpreter::SetUnits(const ParsedCommand &command)
{
    if (command.count == 1) {
        Count("SetUnit");
        const int u = command.At(0);
        if (u == 0) {
            Report(command.offset, ErrorKind::ParameterOutOfRange,
                   "unit 0/3600 inch at " + Hex(command.offset) + "; ignored");
            return;
        }
        const double ticks = u * kTicksPerInch / 3600.0;
        state_.pageUnit = state_.verticalUnit = state_.horizontalUnit = ticks;
        return;
    }
    static const uint8_t kFine[5] = {0x01, 0x01, 0x01, 0x40, 0x0B};
    static const uint8_t kMixed[5] = {0x04, 0x08, 0x04, 0xA0, 0x05};
    const char *name = "SetUnits";
    if (command.count == 5 && std::equal(kFine, kFine + 5, command.parameters.begin())) {
        name = "SetUnitsFine";
    } else if (command.count == 5 && std::equal(kMixed, kMixed + 5, command.parameters.begin())) {
        name = "SetUnitsMixed";
    }
    if (!ExpectCount(command, name, 5)) {
        return;
    }
    const int page = command.At(0);
    const int vertical = command.At(1);
    const int horizontal = command.At(2);
    const int base = command.U16(3);
    if (page == 0 || vertical == 0 || horizontal == 0 || base == 0) {
        Report(command.offset, ErrorKind::ParameterOutOfRange,
               "units " + std::to_string(page) + "/" + std::to_string(vertical) + "/" +
                   std::to_string(horizontal) + " of 1/" + std::to_string(base) + " inch at " +
                   Hex(command.offset) + "; ignored");
        return;
    }
    state_.pageUnit = page * kTicksPerInch / base;
    state_.verticalUnit = vertical * kTicksPerInch / base;
    state_.horizontalUnit = horizontal * kTicksPerInch / base;
}

void PageInterpreter::SetDotSize(const ParsedCommand &command)
{
    if (!ExpectCount(command, "SetDotSize", 2)) {
        return;
    }
    const int mode = command.At(1);
    if (command.At(0) != 0 || mode < 16 || mode > 19) {
        Report(command.offset, ErrorKind::ParameterOutOfRange,
               "dot size " + std::to_string(command.At(0)) + " " + std::to_string(mode) + " at " +
                   Hex(command.offset) + " (00 and 16 to 19); ignored");
        return;
    }
    state_.dotSize = mode;
}

void PageInterpreter::SetColorMode(const ParsedCommand &command)
{
    if (!ExpectCount(command, "SetColorMode", 2)) {
        return;
    }
    if (command.At(0) != 0 || command.At(1) > 2) {
        Report(command.offset, ErrorKind::ParameterOutOfRange,
               "colour mode " + std::to_string(command.At(0)) + " " +
                   std::to_string(command.At(1)) + " at " + Hex(command.offset) +
                   " (00 and 0 to 2); ignored");
        return;
    }
    state_.colorMode = command.At(1);
}

void PageInterpreter::SetRasterResolution(const ParsedCommand &command)
{
    if (!ExpectCount(command, "SetRasterResolution", 4)) {
        return;
    }
    const int base = command.U16(0);
    const int lines = command.At(2);
    const int dots = command.At(3);
    if (base == 0 || lines == 0 || dots == 0) {
        Report(command.offset, ErrorKind::ParameterOutOfRange,
               "raster resolution " + std::to_string(base) + "/" + std::to_string(lines) + ", " +
                   std::to_string(base) + "/" + std::to_string(dots) + " at " +
                   Hex(command.offset) + "; ignored");
        return;
    }
    state_.resolution = base;
    state_.lineDivisor = lines;
    state_.dotDivisor = dots;
}

void PageInterpreter::SetPaperSize(const ParsedCommand &command)
{
    if (!ExpectCount(command, "SetPaperSize", 8)) {
        return;
    }
    const uint32_t width = command.U32(0);
    const uint32_t length = command.U32(4);
    if (width < Sheet::kDpi || width > Sheet::kMaxWidth || length < Sheet::kDpi ||
        length > Sheet::kMaxLength) {
        Report(command.offset, ErrorKind::ParameterOutOfRange,
               "paper size " + std::to_string(width) + " x " + std::to_string(length) +
                   "/360 inch at " + Hex(command.offset) + " (1 to 13 x 1 to 19 inches); ignored");
        return;
    }
    nextWidth_ = static_cast<int>(width);
    nextLength_ = static_cast<int>(length);
    if (sheet_.Blank()) {
        sheet_.Load(nextWidth_, nextLength_);
    }
}

void PageInterpreter::SetPageFormat(const ParsedCommand &command)
{
    if (!ExpectCount(command, "SetPageFormat", 4)) {
        return;
    }
    const int top = command.U16(0);
    const int bottom = command.U16(2);
    if (top >= bottom) {
        Report(command.offset, ErrorKind::ParameterOutOfRange,
               "page format top " + std::to_string(top) + " bottom " + std::to_string(bottom) +
                   " at " + Hex(command.offset) + " (top must lie above bottom); ignored");
        return;
    }
    state_.topMargin = top * state_.pageUnit;
    state_.bottomMargin = bottom * state_.pageUnit;
}

void PageInterpreter::SetPageLength(const ParsedCommand &command)
{
    if (!ExpectCount(command, "SetPageLength", 4)) {
        return;
    }
    const uint32_t length = command.U32(0);
    if (length == 0) {
        Report(command.offset, ErrorKind::ParameterOutOfRange,
               "page length 0 at " + Hex(command.offset) + "; ignored");
        return;
    }
    state_.pageLength = length * state_.pageUnit;
}

void PageInterpreter::Feed(const ParsedCommand &command)
{
    const bool isLong = command.count == 4;
    if (!ExpectCount(command, isLong ? "FeedLong" : "Feed", isLong ? 4 : 2)) {
        return;
    }
    const double amount = isLong ? command.U32(0) : command.U16(0);
    MoveDown(amount * state_.verticalUnit, command.offset);
}

void PageInterpreter::MoveDown(double ticks, uint64_t offset)
{
    const double bottom = sheet_.Length() * kTicksPerDot - state_.topMargin - areaDownTicks_;
    if (ticks <= 0.0 || y_ + ticks <= bottom) {
        y_ = Clamp(y_ + ticks);
        clock_.Feed(ticks / kTicksPerInch);
        return;
    }
    clock_.Feed(std::max(0.0, bottom - y_) / kTicksPerInch);
    Report(offset, ErrorKind::FedPastSheet,
           "paper move at " + Hex(offset) + " runs past the sheet's bottom edge; the sheet was " +
               "ejected");
    EjectPage(offset);
}

double PageInterpreter::SheetFraction() const
{
    const double length = sheet_.Length() * kTicksPerDot;
    return std::clamp((state_.topMargin + areaDownTicks_ + y_) / length, 0.0, 1.0);
}

void PageInterpreter::SetX(double ticks, uint64_t offset)
{
    if (ticks < 0.0) {
        Report(offset, ErrorKind::ParameterOutOfRange,
               "horizontal move at " + Hex(offset) + " goes left of the printable area; " +
                   "stopped at its left edge");
        ticks = 0.0;
    }
    x_ = Clamp(ticks);
}

void PageInterpreter::Byte(uint8_t byte, uint64_t offset)
{
    switch (byte) {
    case 0x0D:
        Count("CarriageReturn");
        x_ = 0.0;
        clock_.EndPass();
        textOutsideReported_ = false;
        lastStray_ = UINT64_MAX;
        return;
    case 0x0A:
        Count("LineFeed");
        MoveDown(BitmapFont::kLineHeight * kTicksPerDot, offset);
        textOutsideReported_ = false;
        lastStray_ = UINT64_MAX;
        return;
    case 0x0C:
        Count("FormFeed");
        EjectPage(offset);
        lastStray_ = UINT64_MAX;
        return;
    case 0x00:
        Count("Nul");
        return;
    default:
        break;
    }
    if (state_.graphics) {
        StrayByte(byte, offset);
        return;
    }
    if (byte == 0x09) {
        Count("Tab");
        const double tab = 8 * BitmapFont::kCellWidth * kTicksPerDot;
        x_ = (std::floor(x_ / tab) + 1) * tab;
        return;
    }
    if (byte < 0x20 || byte == 0x7F) {
        Count("Unknown");
        Report(offset, ErrorKind::UnknownCommand,
               "control code " + Hex(byte) + " at " + Hex(offset) + "; ignored");
        return;
    }
    Text(byte, offset);
}

void PageInterpreter::StrayByte(uint8_t byte, uint64_t offset)
{
    const bool continuing = lastStray_ != UINT64_MAX && offset == lastStray_ + 1;
    lastStray_ = offset;
    if (continuing) {
        return;
    }
    Report(offset, ErrorKind::StrayData,
           "byte " + Hex(byte) + " at " + Hex(offset) +
               " in graphics mode is no command (text is not printed in graphics mode); " +
               "skipped with the bytes that follow it");
}

void PageInterpreter::Text(uint8_t byte, uint64_t offset)
{
    Count("Text");
    PlacePrintableArea();
    const int64_t left = SheetX(x_);
    const int64_t top = SheetY(y_) + BitmapFont::kTopOffset;
    const int drop = Drop(state_.dotSize, 3);
    bool outside = false;
    uint64_t dots = 0;
    for (int column = 0; column < BitmapFont::kColumns; ++column) {
        for (int row = 0; row < BitmapFont::kRows; ++row) {
            if (!BitmapFont::Pixel(byte, column, row)) {
                continue;
            }
            for (int dy = 0; dy < BitmapFont::kScale; ++dy) {
                for (int dx = 0; dx < BitmapFont::kScale; ++dx) {
                    if (SetDot(left + column * BitmapFont::kScale + dx,
                               top + row * BitmapFont::kScale + dy, InkBlack, drop)) {
                        ++dots;
                    } else {
                        outside = true;
                    }
                }
            }
        }
    }
    if (byte == ' ' && !sheet_.Contains(left, top)) {
        outside = true;
    }
    if (outside && !textOutsideReported_) {
        textOutsideReported_ = true;
        Report(offset, ErrorKind::OutsideSheet,
               "text at " + Hex(offset) + " falls outside the sheet");
    }
    if (dots > 0) {
        report_.AddInk(InkBlack, 3, dots, static_cast<double>(dots) * drop);
        const int from = static_cast<int>(std::clamp<int64_t>(left, 0, sheet_.Width()));
        clock_.Printed(from, from + BitmapFont::kCellWidth - 1, false);
    }
    x_ = Clamp(x_ + BitmapFont::kCellWidth * kTicksPerDot);
}

bool PageInterpreter::SetDot(int64_t x, int64_t y, int ink, int picolitres)
{
    if (!sheet_.Contains(x, y)) {
        return false;
    }
    sheet_.LayDot(static_cast<int>(x), static_cast<int>(y), ink, picolitres);
    return true;
}

double PageInterpreter::BlockShift(int colorCode) const
{
    if (state_.direction != kReturnPrint || !returnShift_) {
        return 0.0;
    }
    const double inches = returnShift_(state_.dotSize, colorCode);
    return std::isfinite(inches) ? Clamp(inches * kTicksPerInch) : 0.0;
}

void PageInterpreter::RasterBegin(const RasterHeaderInfo &header)
{
    Count("RasterHeader");
    lastStray_ = UINT64_MAX;
    block_ = header;
    drawing_ = false;
    const int ink = InkModel::InkOfColorCode(header.color);
    if (!state_.graphics) {
        Report(header.offset, ErrorKind::WrongMode,
               "raster block at " + Hex(header.offset) +
                   " outside graphics mode (no EnterGraphicsMode since the last Reset); " +
                   "not printed");
        return;
    }
    if (ink < 0 || header.bits != 2) {
        Report(header.offset, ErrorKind::RasterHeaderOutOfRange,
               "raster header at " + Hex(header.offset) + " with colour " +
                   std::to_string(header.color) + " and " + std::to_string(header.bits) +
                   " bits per dot (colours 0, 1, 2, 4, 17, 18; 2 bits); block not printed");
        return;
    }
    drawing_ = true;
    ink_ = ink;
    const std::optional<EdgePlacement> atEdge = nextBlockAtEdge_;
    nextBlockAtEdge_.reset();
    PlacePrintableArea();
    if (atEdge && (atEdge->side == kRightEdge || atEdge->side == kLeftEdge))
        MoveToEdge(*atEdge);
    for (int value = 1; value <= 3; ++value) {
        dropPicolitres_[value] = Drop(state_.dotSize, value);
    }
    dotPitch_ = kTicksPerInch * state_.dotDivisor / state_.resolution;
    linePitch_ = kTicksPerInch * state_.lineDivisor / state_.resolution;
    // A block against an edge lies where the sensor found the edge, whatever the printable
    // area's offsets.
    blockTop_ = atEdge && (atEdge->side == kTopEdge || atEdge->side == kBottomEdge)
                    ? BlockTopAtEdge(*atEdge)
                    : state_.topMargin + areaDownTicks_ + y_;
    blockOutside_ = false;
    blockDots_[0] = blockDots_[1] = blockDots_[2] = 0;
    blockFrom_ = INT32_MAX;
    blockTo_ = -1;
    // The head stands at x_ whichever way it prints; only where the dots land may differ.
    const double left = x_ + BlockShift(header.color);
    const size_t dots = static_cast<size_t>(header.bytesPerLine) * 4;
    slantDots_.reset();
    if (nozzleSlant_) {
        const std::optional<double> slant = nozzleSlant_();
        if (slant && std::isfinite(*slant)) {
            slantDots_ = std::clamp(*slant * Sheet::kDpi, -kMaxSlantDots, kMaxSlantDots);
        }
    }
    if (slantDots_) {
        dotPositions_.resize(dots);
        for (size_t i = 0; i < dots; ++i) {
            dotPositions_[i] = (kLeftMarginDots * kTicksPerDot + areaRightTicks_ + left +
                                static_cast<double>(i) * dotPitch_) /
                               kTicksPerDot;
        }
        return;
    }
    dotColumns_.resize(dots);
    for (size_t i = 0; i < dots; ++i) {
        const int64_t column = SheetX(left + static_cast<double>(i) * dotPitch_);
        dotColumns_[i] = column >= 0 && column < sheet_.Width() ? static_cast<int>(column) : -1;
    }
}

bool PageInterpreter::LayFineDot(Sheet::Pixel *&row, int64_t y, double column, int picolitres)
{
    const double whole = std::floor(column);
    const double fraction = column - whole;
    const double shares[2] = {1.0 - fraction, fraction};
    bool inside = true;
    for (int side = 0; side < 2; ++side) {
        const int share = static_cast<int>(std::lround(picolitres * shares[side]));
        if (share == 0) {
            continue;
        }
        const double x = whole + side;
        if (y < 0 || y >= sheet_.Length() || x < 0.0 || x >= sheet_.Width()) {
            inside = false;
            continue;
        }
        if (row == nullptr) {
            row = sheet_.MutableRow(static_cast<int>(y));
        }
        const int at = static_cast<int>(x);
        Sheet::AddInk(row[at], ink_, share);
        blockFrom_ = std::min(blockFrom_, at);
        blockTo_ = std::max(blockTo_, at);
    }
    return inside;
}

void PageInterpreter::FineRasterLine(const uint8_t *bytes, size_t count, int64_t y, int lineIndex)
{
    const double lineShift = *slantDots_ * (lineIndex % kNozzles) / (kNozzles - 1);
    Sheet::Pixel *row = nullptr;
    ForEachInkedDot(bytes, count, [&](size_t dot, int level) {
        if (!LayFineDot(row, y, dotPositions_[dot] + lineShift, dropPicolitres_[level])) {
            blockOutside_ = true;
        }
        ++blockDots_[level - 1];
    });
}

void PageInterpreter::RasterLine(const uint8_t *bytes, size_t count, int lineIndex)
{
    if (!drawing_) {
        return;
    }
    const int64_t y = ToDot(blockTop_ + lineIndex * linePitch_);
    if (slantDots_) {
        FineRasterLine(bytes, std::min(count, dotPositions_.size() / 4), y, lineIndex);
        return;
    }
    const bool rowOnSheet = y >= 0 && y < sheet_.Length();
    Sheet::Pixel *row = nullptr;
    const int *columns = dotColumns_.data();
    ForEachInkedDot(bytes, count, [&](size_t dot, int level) {
        const int column = columns[dot];
        if (!rowOnSheet || column < 0) {
            blockOutside_ = true;
            return;
        }
        if (row == nullptr) {
            row = sheet_.MutableRow(static_cast<int>(y));
        }
        Sheet::AddInk(row[column], ink_, dropPicolitres_[level]);
        ++blockDots_[level - 1];
        blockFrom_ = std::min(blockFrom_, column);
        blockTo_ = std::max(blockTo_, column);
    });
}

void PageInterpreter::RasterEnd(bool complete)
{
    (void)complete;
    if (!drawing_) {
        return;
    }
    drawing_ = false;
    x_ = Clamp(x_ + static_cast<double>(block_.bytesPerLine) * 4 * dotPitch_);
    if (blockOutside_) {
        Report(block_.offset, ErrorKind::OutsideSheet,
               "raster block at " + Hex(block_.offset) + " has dots outside the sheet");
    }
    for (int level = 1; level <= 3; ++level) {
        const uint64_t dots = blockDots_[level - 1];
        if (dots > 0) {
            report_.AddInk(ink_, level, dots, static_cast<double>(dots) * dropPicolitres_[level]);
        }
    }
    if (blockTo_ >= blockFrom_) {
        // A return print costs what a unidirectional pass does: one way empty, one printing.
        clock_.Printed(blockFrom_, blockTo_, state_.direction != kBidirectional);
    }
}

void PageInterpreter::PrintNozzleCheck(uint64_t offset)
{
    // Each colour's 90 nozzles, one short dash each, in a staircase of 15 steps.
    static const int kOrder[kInkCount] = {InkBlack,   InkCyan,         InkLightCyan,
                                          InkMagenta, InkLightMagenta, InkYellow};
    PlacePrintableArea();
    const int64_t top = SheetY(y_);
    const int drop = Drop(state_.dotSize, 2);
    bool outside = false;
    for (int c = 0; c < kInkCount; ++c) {
        const int64_t left = SheetX(x_) + c * 420;
        uint64_t dots = 0;
        for (int nozzle = 0; nozzle < 90; ++nozzle) {
            const int64_t y = top + nozzle * 3;
            const int64_t x0 = left + (nozzle % 15) * 24;
            for (int dx = 0; dx < 16; ++dx) {
                if (SetDot(x0 + dx, y, kOrder[c], drop)) {
                    ++dots;
                } else {
                    outside = true;
                }
            }
        }
        report_.AddInk(kOrder[c], 2, dots, static_cast<double>(dots) * drop);
    }
    if (outside) {
        Report(offset, ErrorKind::OutsideSheet,
               "nozzle check pattern at " + Hex(offset) + " falls outside the sheet");
    }
    clock_.Printed(0, kInkCount * 420, false);
    MoveDown(270 * kTicksPerDot, offset);
}

void PageInterpreter::EjectPage(uint64_t offset)
{
    PageOut page;
    page.sheet = &sheet_;
    page.offset = offset;
    clock_.EndPass();
    page.passes = clock_.Passes();
    page.feedInches = clock_.FeedInches();
    page.seconds = clock_.PageOut();
    pagesSeconds_ += page.seconds;
    if (pageOut_) {
        pageOut_(page);
    }
    sheet_.Load(nextWidth_, nextLength_);
    x_ = 0.0;
    y_ = 0.0;
    textOutsideReported_ = false;
}

void PageInterpreter::EndJob(uint64_t offset)
{
    if (!sheet_.Blank()) {
        Report(offset, ErrorKind::PageNotEjected,
               "the job ended with printing on the sheet and no form feed; the sheet was ejected");
        EjectPage(offset);
    }
    PowerOn();
}

} // namespace sim
