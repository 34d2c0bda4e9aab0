#pragma once

// The printer's built-in draft font: 5 x 7 glyphs (and a descender row) in a 6 x 10 cell, printed
// at 10 characters per inch and 6 lines per inch (each font pixel is 6 x 6 dots at 360 dpi).

#include <cstdint>

namespace sim
{

class BitmapFont
{
public:
    static constexpr int kColumns = 5;
    static constexpr int kRows = 8;        // 7 above the baseline, 1 descender
    static constexpr int kScale = 6;       // dots per font pixel
    static constexpr int kCellWidth = 36;  // 1/10 inch at 360 dpi
    static constexpr int kLineHeight = 60; // 1/6 inch at 360 dpi
    static constexpr int kTopOffset = 6;   // glyph top below the line's top

    // True when the font pixel (column 0-4, row 0-7) of a character is inked. Bytes outside
    // printable ASCII print as a hollow box.
    static bool Pixel(uint8_t character, int column, int row);
};

} // namespace sim
