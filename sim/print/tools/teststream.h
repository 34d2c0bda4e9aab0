#pragma once

// Hand-built print streams for people and benchmarks: a test page that exercises every ink,
// dot value, unit and position command, a variant with one fault of each kind, and full A4
// pages of raster data.

#include <cstdint>
#include <vector>

namespace sim
{

class TestStream
{
public:
    // One A4 test page: title text, patches of the six inks at dot values 1-3, ink overlaps,
    // a three-pass band, position commands in several units, the four dot-size modes, Bi-D
    // bars printed forwards and back, and a nozzle check.
    static std::vector<uint8_t> TestPage();
    // The test page followed by a second page with one fault of each kind the report knows.
    static std::vector<uint8_t> FaultPage();
    // A full A4 page: every band of the printable area in all six inks, three passes each.
    // literal: data as 128-byte literal records (the decoder's hardest case), else as runs.
    static std::vector<uint8_t> FullPage(bool literal);
    // Raster bytes a full page decodes to: 15 bands x 3 passes x 6 inks x 90 lines x 720.
    static constexpr uint64_t kFullPageRasterBytes = 15ull * 3 * 6 * 90 * 720;
};

} // namespace sim
