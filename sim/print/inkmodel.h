#pragma once

// How the printer's six inks look on paper and how much each drop holds. Every sheet pixel
// holds one 2-bit drop level (0-3) per ink; the table below turns the 12 bits into a colour by
// subtractive mixing (each ink lets through a share of red, green and blue light).

#include <array>
#include <cstdint>

namespace sim
{

enum Ink : int {
    InkBlack = 0,
    InkCyan = 1,
    InkMagenta = 2,
    InkYellow = 3,
    InkLightCyan = 4,
    InkLightMagenta = 5,
    kInkCount = 6,
};

class InkModel
{
public:
    // The ink of a raster header colour code, or -1 for a code the printer does not have.
    static int InkOfColorCode(int colorCode);
    static const char *InkName(int ink);
    // Drop volume in picolitres for a dot value 1-3 under a dot-size mode (16-19).
    static double DropPicolitres(int dotSizeMode, int dotValue);
    // 0xRRGGBB for a sheet pixel (six 2-bit levels, black in the lowest bits).
    static uint32_t PixelColor(uint16_t pixel) { return Table()[pixel & 0x0FFF]; }

private:
    static const std::array<uint32_t, 4096> &Table();
};

} // namespace sim
