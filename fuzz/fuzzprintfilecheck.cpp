// libFuzzer target for the check of a ready-made print file (the CD-R print job): whatever
// bytes the file holds, the walk stays within them, fed whole or in pieces it gives one
// verdict, and a file that passes holds no factory or remote-mode packet start outside
// raster data.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "print/printfilecheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // On the heap, so a read past the end is caught.
    const std::vector<uint8_t> file(data, data + size);
    TPPrintFileCheck whole;
    whole.Feed(file.data(), file.size());
    TPPrintFileCheck pieces;
    const size_t piece = size > 0 ? 1 + data[0] % 7 : 1;
    for (size_t at = 0; at < size; at += piece)
        pieces.Feed(file.data() + at, size - at < piece ? size - at : piece);
    if (whole.Finish() != pieces.Finish())
        std::abort();
    return 0;
}
