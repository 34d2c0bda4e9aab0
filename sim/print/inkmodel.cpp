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

// Picolitres that cover about 63 % of a pixel (360 dpi): a 6 pl drop covers 63 %, a 2 pl
// drop 28 %, a 24 pl drop 98 %.
constexpr double kCoveringPicolitres = 6.0;

// A slightly warm paper white.
constexpr double kPaper[3] = {1.0, 1.0, 0.98};

constexpr int kBitsPerInk = InkModel::kBitsPerInk;
static_assert(kBitsPerInk * kInkCount <= 32, "a pixel holds every ink in 32 bits");
constexpr uint32_t kAmountMask = (1u << kBitsPerInk) - 1;
constexpr int kPairBits = 2 * kBitsPerInk;
constexpr uint32_t kPairMask = (1u << kPairBits) - 1;

double Coverage(uint32_t picolitres)
{
    return 1.0 - std::exp(-static_cast<double>(picolitres) / kCoveringPicolitres);
}

std::array<std::array<float, 3>, 1024> BuildPairTable(int firstInk)
{
    std::array<std::array<float, 3>, 1024> table{};
    for (uint32_t pair = 0; pair <= kPairMask; ++pair) {
        for (int c = 0; c < 3; ++c) {
            double light = 1.0;
            for (int i = 0; i < 2; ++i) {
                const uint32_t amount = (pair >> (kBitsPerInk * i)) & kAmountMask;
                light *= 1.0 - Coverage(amount) * (1.0 - kTransmission[firstInk + i][c]);
            }
            table[pair][static_cast<size_t>(c)] = static_cast<float>(light);
        }
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

const std::array<InkModel::PairTable, 3> &InkModel::Tables()
{
    static const std::array<PairTable, 3> tables = {BuildPairTable(0), BuildPairTable(2),
                                                    BuildPairTable(4)};
    return tables;
}

uint32_t InkModel::PixelColor(uint32_t pixel)
{
    const std::array<PairTable, 3> &tables = Tables();
    const auto &first = tables[0][pixel & kPairMask];
    const auto &second = tables[1][(pixel >> kPairBits) & kPairMask];
    const auto &third = tables[2][(pixel >> (2 * kPairBits)) & kPairMask];
    uint32_t rgb = 0;
    for (size_t c = 0; c < 3; ++c) {
        const double light = kPaper[c] * first[c] * second[c] * third[c];
        const long value = std::lround(light * 255.0);
        rgb = (rgb << 8) | static_cast<uint32_t>(value < 0 ? 0 : value > 255 ? 255 : value);
    }
    return rgb;
}

} // namespace sim
