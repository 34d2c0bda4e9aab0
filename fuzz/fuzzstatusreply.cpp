// libFuzzer target for the program's status reply parser: whatever 256 bytes the printer
// sends, the parse reads nothing outside them and gives Ok or the malformed-reply code.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <QString>

#include "link/dllfunction.h"
#include "link/raster.h"
#include "link/resultcode.h"
#include "link/statuscontrol.h"

namespace
{

constexpr size_t kReplySize = 256;

// The parse needs no link: a folder without the libraries leaves every export missing.
struct Parser {
    TPDLLFunction dll{QStringLiteral("/nonexistent")};
    TPStatusControl status{dll, raster};
    TPRaster raster{dll, status};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Exactly 256 bytes on the heap, so a read past the end is caught.
    std::vector<uint8_t> reply(kReplySize, 0);
    std::copy(data, data + std::min(size, kReplySize), reply.begin());
    static Parser parser;
    const uint16_t result = parser.status.ParseReply(reply.data());
    if (result != TPResult::Ok && result != TPStatusControl::MalformedReply)
        std::abort();
    return 0;
}
