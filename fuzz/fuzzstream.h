// Shared by the link fuzz targets: turns a fuzz input into a byte stream on the link.
//
// Bit 0 of the first byte chooses how the rest is read. Clear: the rest goes on the wire as
// it is, so the frame decoder meets whatever the fuzzer makes up. Set: the rest is a list of
// records, each framed here with a correct check sum so the fuzzer gets past it:
//   kind, seq, length, payload[length]     one frame (payload cut short at the end of input)
//   0xEE, length, bytes[length]            unframed bytes (noise, broken frames)
// The other bits of the first byte are left to the target (piece sizes and the like).

#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "linkframe.h"

namespace fuzz
{

constexpr uint8_t kRawRecord = 0xEE;

inline std::vector<uint8_t> LinkStream(const uint8_t *data, size_t size)
{
    std::vector<uint8_t> stream;
    if (size == 0)
        return stream;
    const bool framed = (data[0] & 1) != 0;
    ++data;
    --size;
    if (!framed)
        return std::vector<uint8_t>(data, data + size);
    uint8_t frame[LINK_MAX_FRAME];
    size_t at = 0;
    while (at + 2 <= size) {
        const uint8_t kind = data[at];
        if (kind == kRawRecord) {
            const size_t length = std::min<size_t>(data[at + 1], size - at - 2);
            stream.insert(stream.end(), data + at + 2, data + at + 2 + length);
            at += 2 + length;
            continue;
        }
        if (at + 3 > size)
            break;
        const uint8_t seq = data[at + 1];
        const size_t length = std::min<size_t>(data[at + 2], size - at - 3);
        const size_t built = link_frame_build(kind, seq, data + at + 3, length, frame);
        stream.insert(stream.end(), frame, frame + built);
        at += 3 + length;
    }
    return stream;
}

} // namespace fuzz
