#include "rasterlines.h"

#include <cstring>

namespace checkprint
{
namespace
{
constexpr int DotsPerByte = 4;
constexpr int BitsPerDot = 2;
constexpr uint8_t FullDot = 0x03;
constexpr uint8_t ResolutionLow = 104; // base 360 = 104 + 256
constexpr uint8_t ResolutionHigh = 1;
constexpr uint8_t LinePitch = 3; // 360 / 3: lines 1/120 inch apart
constexpr uint8_t DotPitch = 1;  // 360 dots per inch
constexpr uint8_t RunLength = 1;
constexpr uint8_t TwoBitsPerDot = 2;
} // namespace

Line &Line::Add(int count, uint8_t value)
{
    if (count <= 0)
        return *this;
    if (!runs_.empty() && runs_.back().value == value)
        runs_.back().count += count;
    else
        runs_.push_back({count, value});
    return *this;
}

Line &Line::Set(int column, uint8_t value)
{
    std::vector<uint8_t> bytes = Bytes();
    if (column < 0 || column >= static_cast<int>(bytes.size()))
        return *this;
    bytes[static_cast<size_t>(column)] = value;
    runs_.clear();
    for (uint8_t byte : bytes)
        Add(1, byte);
    return *this;
}

Line &Line::Dot(int dot)
{
    const std::vector<uint8_t> bytes = Bytes();
    const int column = dot / DotsPerByte;
    if (dot < 0 || column >= static_cast<int>(bytes.size()))
        return *this;
    const int shift = (DotsPerByte - 1 - dot % DotsPerByte) * BitsPerDot;
    return Set(column, static_cast<uint8_t>(bytes[static_cast<size_t>(column)] | FullDot << shift));
}

int Line::Width() const
{
    int width = 0;
    for (const Run &run : runs_)
        width += run.count;
    return width;
}

std::vector<uint8_t> Line::Bytes() const
{
    std::vector<uint8_t> bytes;
    for (const Run &run : runs_)
        bytes.insert(bytes.end(), static_cast<size_t>(run.count), run.value);
    return bytes;
}

uint16_t Line::Write(TPRaster &raster) const
{
    for (const Run &run : runs_)
        TP_STEP(raster.RepeatSendSplit(run.count, run.value));
    return TPResult::Ok;
}

uint16_t Line::WriteLiteral(TPRaster &raster) const
{
    for (const Run &run : runs_) {
        for (int i = 0; i < run.count; ++i)
            TP_STEP(raster.RepeatSend(1, run.value));
    }
    return TPResult::Ok;
}

uint16_t BeginBlock(TPRaster &raster, uint8_t ink, uint16_t width, uint16_t lines)
{
    TP_STEP(raster.SetRasterResolution(ResolutionLow, ResolutionHigh, LinePitch, DotPitch));
    return raster.RasterHeader(ink, RunLength, TwoBitsPerDot, width, lines);
}

uint16_t BlankLines(TPRaster &raster, int width, int count)
{
    return Lines(raster, Line(width), count);
}

uint16_t Lines(TPRaster &raster, const Line &line, int count)
{
    for (int i = 0; i < count; ++i)
        TP_STEP(line.Write(raster));
    return TPResult::Ok;
}

uint16_t AppendText(TPRaster &raster, const char *text, bool withZero)
{
    const int length = static_cast<int>(std::strlen(text)) + (withZero ? 1 : 0);
    return raster.Append(reinterpret_cast<const uint8_t *>(text), length);
}

uint16_t AppendBytes(TPRaster &raster, std::initializer_list<uint8_t> bytes)
{
    return raster.Append(bytes.begin(), static_cast<int>(bytes.size()));
}
} // namespace checkprint
