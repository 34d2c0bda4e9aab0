// libFuzzer target for the virtual printer's end of the link: any byte stream from a client,
// in any split, must be answered with well-formed frames only, and never crash the printer.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "eepromstore.h"
#include "factoryimage.h"
#include "firmware.h"
#include "fuzzstream.h"
#include "linkframe.h"
#include "linksession.h"
#include "printdatasink.h"

namespace
{

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// Takes the print data; a job must end only after it began.
class CountingSink : public sim::PrintDataSink
{
public:
    void Feed(const uint8_t *, size_t count) override
    {
        Check(count > 0);
        bytes_ += count;
    }
    void EndJob() override { bytes_ = 0; }

private:
    size_t bytes_ = 0;
};

// Everything the printer says must decode as whole frames, no noise, no broken check sum.
void CheckAnswer(const std::vector<uint8_t> &answer)
{
    link_decoder decoder;
    link_decoder_reset(&decoder);
    link_decode_status last = LINK_DECODE_FRAME;
    for (uint8_t byte : answer) {
        last = link_decoder_feed(&decoder, byte);
        Check(last == LINK_DECODE_MORE || last == LINK_DECODE_FRAME);
    }
    Check(last == LINK_DECODE_FRAME);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // Bits 1-7 of the first byte: the piece size the stream arrives in (1 to 128 bytes).
    const size_t piece = (data[0] >> 1) + 1u;
    const std::vector<uint8_t> stream = fuzz::LinkStream(data, size);

    double now = 0;
    sim::EepromStore eeprom(sim::FactoryImage(sim::Model::Q510, sim::Destination::UsEuro));
    sim::Firmware firmware(sim::Model::Q510, eeprom, 0.001, [&now]() { return now; });
    CountingSink sink;
    sim::LinkSession session(firmware, nullptr, sink);
    for (size_t at = 0; at < stream.size() && !session.WantsClose(); at += piece) {
        const std::vector<uint8_t> answer =
            session.Receive(stream.data() + at, std::min(piece, stream.size() - at));
        if (!answer.empty())
            CheckAnswer(answer);
        now += 0.01;
    }
    session.Disconnected();
    return 0;
}
