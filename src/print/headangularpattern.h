#pragma once

#include <cstdint>

class TPDLLFunction;
class TPFactory;
class TPRaster;

// The head angular adjustment pattern: a reference band and a comparison band whose five
// columns repeat the reference bars shifted by -6, -3, 0, +3 and +6 units of 1/2880 inch,
// labelled "NG  -3   0   3  NG". It is printed at head angular value 0; the stored value is
// written back at the end. The caller ends the page.
class TPHeadAngularPattern
{
public:
    static constexpr uint8_t ValueAddress = 0x75;

    TPHeadAngularPattern(TPDLLFunction &dll, TPRaster &raster, TPFactory &factory);

    uint16_t HeadAngularPattern();

private:
    uint16_t WriteAngle(uint8_t value);
    uint16_t ReferenceBand();
    uint16_t ComparisonBand();

    TPDLLFunction &dll_;
    TPRaster &raster_;
    TPFactory &factory_;
};
