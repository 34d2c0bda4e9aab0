#pragma once

#include <array>
#include <cstdint>
#include <string>

class TPRaster;

// Printed row numbers of the PW sensor pattern: four text rows drawn as one raster block in a
// block font, each character a cell 9 bytes wide and 22 lines high.
namespace TPNumberRows
{
constexpr int CellWidth = 9;
constexpr int LinesPerRow = 22;
constexpr int RowCount = 4;
constexpr int GlyphRows = 5;

// The glyph of a character as five row codes (top to bottom); characters without a glyph
// are blank.
std::array<uint8_t, GlyphRows> Glyph(char character);

// The four rows must be of one length; rows of different lengths are refused.
uint16_t NumberRows(TPRaster &raster, const std::array<std::string, RowCount> &rows, uint8_t ink);
} // namespace TPNumberRows
