#pragma once

#include <cstdint>

class TPRaster;

// Remote-mode packets, appended to the print stream.
class TPRemoteComm
{
public:
    static constexpr int FirstSettingsBlock = 2;
    static constexpr int LastSettingsBlock = 6;
    static constexpr int PaperSettingsLength = 103;
    static constexpr int LoadDefaultsLength = 26;

    explicit TPRemoteComm(TPRaster &raster);

    uint16_t EnterRemoteMode();
    uint16_t ExitRemoteMode();
    // Blocks 2 to 6; any other block is refused with TPRaster::RequestRefused, nothing appended.
    uint16_t SendPaperSettings(int block);
    uint16_t PrintNozzleCheck();
    uint16_t LoadDefaultsAndEject();

    // 16-bit sum of a print-setting block as sent after it (0 for an unknown block).
    static uint16_t SettingsSum(int block);

private:
    TPRaster &raster_;
};
