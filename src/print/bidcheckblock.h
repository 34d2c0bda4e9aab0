#pragma once

#include <cstdint>

class TPRaster;

// Bi-D check block: bars printed forwards and back with the stored Bi-D values, without
// writing any, to judge them. mode 16..19 (VSD1, VSD2, VSD3, ECO; other modes are refused);
// up to three inks, the list ending at the first 255. Black alone prints in colour mode 1.
uint16_t BidCheckBlock(TPRaster &raster, uint8_t mode, uint8_t first, uint8_t second,
                       uint8_t third);
