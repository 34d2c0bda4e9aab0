#pragma once

#include <cstdint>

class TPDLLFunction;
class TPFactory;
class TPRaster;
class TPRemoteComm;

// Top margin adjustment: where printing starts down the sheet, one signed byte in steps of
// 1/720 inch (negative values move toward the top).
class TPTopMargin
{
public:
    static constexpr uint8_t Address = 0x57;
    static constexpr double MillimetresPerStep = 0.03528;
    static constexpr int StepPoints = 6; // one press of a step button
    static constexpr int PaperSettingsBlock = 4;

    TPTopMargin(TPDLLFunction &dll, TPFactory &factory, TPRemoteComm &remote, TPRaster &raster);

    // Paper settings, the top margin pattern, and the page ejected.
    uint16_t Print();
    // Stores the value in the EEPROM and commits it.
    uint16_t Write(int value);

private:
    TPDLLFunction &dll_;
    TPFactory &factory_;
    TPRemoteComm &remote_;
    TPRaster &raster_;
};
