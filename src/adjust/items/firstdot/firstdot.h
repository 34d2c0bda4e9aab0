#pragma once

#include <cstdint>

class TPFactory;
class TPRaster;

// First dot adjustment: where the first dot of a line lands across the paper, one signed
// byte in steps of 1/1440 inch.
class TPFirstDot
{
public:
    static constexpr uint8_t Address = 0x59;
    static constexpr double MillimetresPerStep = 0.01764;
    static constexpr int StepPoints = 4; // one press of a step button
    static constexpr int PaperFeedLines = 5;

    TPFirstDot(TPFactory &factory, TPRaster &raster);

    // The first dot pattern, on a page of its own.
    uint16_t Print();
    // Sends the value with the first dot command and commits it.
    uint16_t Write(int value);
    uint16_t PaperFeed();

private:
    TPFactory &factory_;
    TPRaster &raster_;
};
