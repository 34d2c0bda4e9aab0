#pragma once

#include "putback.h"

#include <cstdint>

class TPDLLFunction;
class TPFactory;
class TPRaster;
class TPStatusControl;

// The head angular adjustment pattern: a reference band and a comparison band whose five
// columns repeat the reference bars shifted by -6, -3, 0, +3 and +6 units of 1/2880 inch,
// labelled "NG  -3   0   3  NG". It is printed at head angular value 0; the stored value is
// written back at the end, and also when the print fails after it stored 0. The caller ends
// the page.
class TPHeadAngularPattern
{
public:
    static constexpr uint8_t ValueAddress = 0x75;

    TPHeadAngularPattern(TPDLLFunction &dll, TPRaster &raster, TPFactory &factory,
                         TPStatusControl &status);

    uint16_t HeadAngularPattern();
    // Whether a failed print put the stored value back (None when the print did not fail
    // after storing 0).
    const TPPutBack &PutBack() const { return putBack_; }

private:
    uint16_t PrintAtAngleZero(uint8_t stored);
    void PutStoredValueBack(uint8_t stored, uint16_t failure);
    uint16_t WriteAngle(uint8_t value);
    uint16_t ReferenceBand();
    uint16_t ComparisonBand();

    TPDLLFunction &dll_;
    TPRaster &raster_;
    TPFactory &factory_;
    TPStatusControl &status_;
    TPPutBack putBack_;
};
