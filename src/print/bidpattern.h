#pragma once

#include <cstdint>

class TPFactory;
class TPRaster;
class TPStatusControl;

// The Bi-D adjustment pattern of one dot-size mode: bars printed forwards, then the bars
// between them printed on the way back with the stored Bi-D value changed column by column,
// numbered with the value each column was printed with. The stored value is written back at
// the end of each block.
class TPBidPattern
{
public:
    static constexpr uint8_t TypicalGap = 1;
    static constexpr uint8_t NarrowGap = 0;
    static constexpr uint8_t FirstMode = 16; // VSD1; 17 VSD2, 18 VSD3, 19 ECO
    static constexpr uint8_t LastMode = 19;
    static constexpr int LeftOut = 100; // a centre value that leaves its ink group out
    static constexpr uint8_t NoColor = 255;

    TPBidPattern(TPRaster &raster, TPStatusControl &status, TPFactory &factory);

    // Labels, then the black block and the colour block of the mode (either left out with
    // LeftOut), then a wait for a ready printer. The caller writes the title and ends the page.
    uint16_t BidPage(uint8_t platenGap, uint8_t mode, int blackCentre, int colorCentre);
    // Three rows of bars in the given colours (up to three, the list ending at NoColor); the
    // middle row has seven columns numbered centre -6 to +6, the others one column each.
    uint16_t BidBlock(uint8_t firstColor, uint8_t platenGap, uint8_t mode, int centre,
                      uint8_t secondColor, uint8_t thirdColor);

private:
    struct Block;
    uint16_t ForwardPrint(const Block &block, int row, int centre);
    uint16_t ReturnPrint(const Block &block, int column, int value);
    uint16_t StartPass(const Block &block, int value, uint8_t direction);
    uint16_t RowLabel(int row, int centre);

    TPRaster &raster_;
    TPStatusControl &status_;
    TPFactory &factory_;
};
