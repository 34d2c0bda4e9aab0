#pragma once

// How the printer's six inks look on paper and how much each drop holds. Every sheet pixel
// holds the picolitres of each ink laid on it (5 bits per ink); the more ink, the more of the
// pixel it covers, and the inks mix subtractively (each lets through a share of red, green
// and blue light).

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
    // A sheet pixel keeps this many bits of each ink, black in the lowest bits.
    static constexpr int kBitsPerInk = 5;
    // The ink of a raster header colour code, or -1 for a code the printer does not have.
    static int InkOfColorCode(int colorCode);
    static const char *InkName(int ink);
    // Drop volume in picolitres for a dot value 1-3 under a dot-size mode (16-19).
    static double DropPicolitres(int dotSizeMode, int dotValue);
    // 0xRRGGBB for a sheet pixel (six 5-bit amounts, black in the lowest bits).
    static uint32_t PixelColor(uint32_t pixel);

private:
    // Light let through, red, green and blue, by the amounts of two inks (10 bits).
    using PairTable = std::array<std::array<float, 3>, 1024>;
    static const std::array<PairTable, 3> &Tables();
};

} // namespace sim
