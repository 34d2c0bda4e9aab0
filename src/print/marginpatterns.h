#pragma once

#include <cstdint>

class TPRaster;

// The paper-path adjustment patterns. Each returns the result of the first stream operation
// that fails (nothing further is sent) and 1 when everything went out.

// First dot: one value-3 dot at the left edge of 29 raster lines in black, then the title
// line; ends its own page.
uint16_t FirstDotPattern(TPRaster &raster);

// Top margin: one line 424 dots long, one nozzle high, at the top of the printable area, then
// the title line. The caller ends the page.
uint16_t TopMarginPattern(TPRaster &raster);
