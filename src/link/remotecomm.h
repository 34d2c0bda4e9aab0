#pragma once

#include <cstdint>

class TPRaster;

// Remote-mode packets, appended to the print stream.
class TPRemoteComm
{
public:
    explicit TPRemoteComm(TPRaster &raster);

    uint16_t EnterRemoteMode();
    uint16_t ExitRemoteMode();
    uint16_t SendPaperSettings(int block); // blocks 2 to 6
    uint16_t PrintNozzleCheck();
    uint16_t LoadDefaultsAndEject();

private:
    TPRaster &raster_;
};
