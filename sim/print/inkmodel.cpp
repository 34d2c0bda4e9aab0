#include "inkmodel.h"

#include <cmath>

namespace sim
{

namespace
{

// Share of red, green and blue light a full layer of each ink lets through. The light inks
// let through more than their full-strength partners.
constexpr double kTransmission[kInkCount][3] = {
    {0.10, 0.10, 0.12}, // black
    {0.05, 0.66, 0.93}, // cyan
    {0.92, 0.08, 0.52}, // magenta
    {1.00, 0.93, 0.06}, // yellow
    {0.58, 0.88, 0.98}, // light cyan
    {0.98, 0.62, 0.82}, // light magenta
};

// Share of a pixel a drop covers, by drop level (dot value; overprints add up to 3).
constexpr double kCoverage[4] = {0.0, 0.45, 0.72, 0.95};

// A slightly warm paper white.
constexpr double kPaper[3] = {1.0, 1.0, 0.98};

std::array<uint32_t, 4096> BuildTable()
{
    std::array<uint32_t, 4096> table{};
    for (int pixel = 0; pixel < 4096; ++pixel) {
        double light[3] = {kPaper[0], kPaper[1], kPaper[2]};
        for (int ink = 0; ink < kInkCount; ++ink) {
            const double coverage = kCoverage[(pixel >> (2 * ink)) & 3];
            for (int c = 0; c < 3; ++c) {
                light[c] *= 1.0 - coverage * (1.0 - kTransmission[ink][c]);
            }
        }
        uint32_t rgb = 0;
        for (int c = 0; c < 3; ++c) {
            const long value = std::lround(light[c] * 255.0);
            rgb = (rgb << 8) | static_cast<uint32_t>(value < 0 ? 0 : value > 255 ? 255 : value);
        }
        table[pixel] = rgb;
    }
    return table;
}

} // namespace

int InkModel::InkOfColorCode(int colorCode)
{
    switch (colorCode) {
    case 0:
        return InkBlack;
    case 1:
        return InkMagenta;
    case 2:
        return InkCyan;
    case 4:
        return InkYellow;
    case 0x11:
        return InkLightMagenta;
    case 0x12:
        return InkLightCyan;
    default:
        return -1;
    }
}

const char *InkModel::InkName(int ink)
{
    static const char *const kNames[kInkCount] = {"black",  "cyan",      "magenta",
                                                  "yellow", "lightCyan", "lightMagenta"};
    return ink >= 0 && ink < kInkCount ? kNames[ink] : "none";
}

double InkModel::DropPicolitres(int dotSizeMode, int dotValue)
{
    // Small, medium and large drop of each dot-size mode (VSD1 largest, ECO smallest).
    static constexpr double kDrops[4][3] = {
        {6.0, 12.0, 24.0}, // 16 VSD1
        {4.0, 8.0, 16.0},  // 17 VSD2
        {2.0, 4.0, 8.0},   // 18 VSD3
        {3.0, 5.0, 10.0},  // 19 ECO
    };
    if (dotValue < 1 || dotValue > 3) {
        return 0.0;
    }
    const int mode = dotSizeMode >= 16 && dotSizeMode <= 19 ? dotSizeMode - 16 : 0;
    return kDrops[mode][dotValue - 1];
}

const std::array<uint32_t, 4096> &InkModel::Table()
{
    static const std::array<uint32_t, 4096> table = BuildTable();
    return table;
}

} // namespace sim
