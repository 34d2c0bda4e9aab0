#include "numberrows.h"

#include "rasterlines.h"

using namespace checkprint;

namespace TPNumberRows
{
namespace
{
// Row codes of the font, each a cell of 9 bytes.
enum RowCode : uint8_t { Blank = 0, Bar = 1, BothStrokes = 2, LeftStroke = 3, RightStroke = 4 };

struct GlyphEntry {
    char character;
    std::array<uint8_t, GlyphRows> codes;
};

constexpr GlyphEntry Glyphs[] = {
    {'0', {Bar, BothStrokes, BothStrokes, BothStrokes, Bar}},
    {'1', {RightStroke, RightStroke, RightStroke, RightStroke, RightStroke}},
    {'2', {Bar, RightStroke, Bar, LeftStroke, Bar}},
    {'3', {Bar, RightStroke, Bar, RightStroke, Bar}},
    {'4', {BothStrokes, BothStrokes, Bar, RightStroke, RightStroke}},
    {'5', {Bar, LeftStroke, Bar, RightStroke, Bar}},
    {'6', {Bar, LeftStroke, Bar, BothStrokes, Bar}},
    {'7', {Bar, RightStroke, RightStroke, RightStroke, RightStroke}},
    {'8', {Bar, BothStrokes, Bar, BothStrokes, Bar}},
    {'9', {Bar, BothStrokes, Bar, RightStroke, Bar}},
    {'-', {Blank, Blank, Bar, Blank, Blank}},
};

// Lines of each part of a character row: space above, the five glyph rows, space below.
struct Band {
    int glyphRow; // -1: blank cells
    int lines;
};
constexpr Band RowBands[] = {{-1, 4}, {0, 1}, {1, 5}, {2, 1}, {3, 5}, {4, 1}, {-1, 5}};

void AddCell(Line &line, uint8_t code)
{
    constexpr uint8_t Ink = 0xFF;
    switch (code) {
    case Bar:
        line.Add(6, Ink).Add(3, 0);
        break;
    case BothStrokes:
        line.Add(1, Ink).Add(4, 0).Add(1, Ink).Add(3, 0);
        break;
    case LeftStroke:
        line.Add(1, Ink).Add(8, 0);
        break;
    case RightStroke:
        line.Add(5, 0).Add(1, Ink).Add(3, 0);
        break;
    default:
        line.Add(CellWidth, 0);
        break;
    }
}

Line TextLine(const std::string &row, int glyphRow)
{
    Line line = Line::Empty();
    for (const char character : row)
        AddCell(line,
                glyphRow < 0 ? uint8_t{Blank} : Glyph(character)[static_cast<size_t>(glyphRow)]);
    return line;
}
} // namespace

std::array<uint8_t, GlyphRows> Glyph(char character)
{
    for (const GlyphEntry &entry : Glyphs) {
        if (entry.character == character)
            return entry.codes;
    }
    return {};
}

uint16_t NumberRows(TPRaster &raster, const std::array<std::string, RowCount> &rows, uint8_t ink)
{
    const size_t length = rows.front().size();
    for (const std::string &row : rows) {
        if (row.size() != length || length == 0)
            return TPResult::RequestRefused;
    }
    TP_STEP(BeginBlock(raster, ink, static_cast<uint16_t>(CellWidth * length),
                       static_cast<uint16_t>(LinesPerRow * RowCount)));
    for (const std::string &row : rows) {
        for (const Band &band : RowBands)
            TP_STEP(Lines(raster, TextLine(row, band.glyphRow), band.lines));
    }
    return TPResult::Ok;
}
} // namespace TPNumberRows
