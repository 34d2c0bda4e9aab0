// libFuzzer target for the link frame decoder that both ends share (the link libraries and the
// virtual printer): every frame it hands out must be exactly the bytes it just took, rebuilt,
// and nothing it is fed may make it read or write outside its buffer.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzzstream.h"
#include "linkframe.h"

namespace
{

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckFrame(const link_decoder &decoder, const std::vector<uint8_t> &stream, size_t end)
{
    const size_t length = link_decoder_length(&decoder);
    Check(length <= LINK_MAX_PAYLOAD);
    uint8_t rebuilt[LINK_MAX_FRAME];
    const size_t size = link_frame_build(link_decoder_kind(&decoder), link_decoder_seq(&decoder),
                                         link_decoder_payload(&decoder), length, rebuilt);
    Check(size != 0 && size <= end);
    Check(std::memcmp(rebuilt, stream.data() + end - size, size) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::vector<uint8_t> stream = fuzz::LinkStream(data, size);
    link_decoder decoder;
    link_decoder_reset(&decoder);
    for (size_t i = 0; i < stream.size(); ++i) {
        const link_decode_status status = link_decoder_feed(&decoder, stream[i]);
        Check(status >= LINK_DECODE_MORE && status <= LINK_DECODE_NOISE);
        Check(decoder.fill <= LINK_MAX_FRAME);
        if (status == LINK_DECODE_FRAME)
            CheckFrame(decoder, stream, i + 1);
    }
    // Port names come off the file system: any text must give a code, never a crash.
    const std::string name(reinterpret_cast<const char *>(data), size);
    link_port_code_of_name(name.c_str());
    return 0;
}
