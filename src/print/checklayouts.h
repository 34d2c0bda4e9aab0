#pragma once

#include <cstdint>

class TPRaster;

// The fixed layouts the check prints are made of: head check patterns, colour patches, the
// edge and corner marks that show the stored PW sensor corrections, the accumulated pitch
// line, the inclined-head bars and the pieces of the PW sensor pattern. Each writes through
// the print stream and gives the first result code that is not TPResult::Ok, else Ok.
namespace TPCheckLayouts
{
// PW sensor offsets the edge layouts can draw; outside values are drawn at the nearer end.
constexpr int MinEdgeOffset = -20;
constexpr int MaxEdgeOffset = 20;
// Rows of the PW sensor edge marks (values -8 to 19).
constexpr int EdgeRowCount = 28;
constexpr int RowsPerBand = 4;

uint16_t DotAlignmentPattern(TPRaster &raster);
uint16_t NozzleColumnShiftPattern(TPRaster &raster);
uint16_t VariableDotPattern(TPRaster &raster);
uint16_t BetaPattern(TPRaster &raster);
uint16_t DotSizePattern(TPRaster &raster);
uint16_t TopEdgeLinePattern(TPRaster &raster, int offset);
uint16_t BottomEdgeLinePattern(TPRaster &raster, int offset);
uint16_t SideDotPattern(TPRaster &raster, int offset);
uint16_t CornerMarkPattern(TPRaster &raster);
uint16_t AccumulatedPitchPattern(TPRaster &raster);
uint16_t InclinedHeadPattern(TPRaster &raster, uint8_t direction);
// form 1 (the top of the PW sensor sheet) or 2 (its bottom).
uint16_t DiagonalBarPattern(TPRaster &raster, int form);
// Rows firstRow .. firstRow + 3 (firstRow 0 to 24); other rows are refused.
uint16_t EdgeMarkRows(TPRaster &raster, int firstRow, uint8_t direction);

// An offset limited to MinEdgeOffset..MaxEdgeOffset.
int ClampEdgeOffset(int offset);
} // namespace TPCheckLayouts
