#pragma once

// Where the printer hands the print data it accepted on its data channel. The process wires
// it to the print engine; the printer core knows nothing of pages or images.

#include <cstddef>
#include <cstdint>

namespace sim
{

class PrintDataSink
{
public:
    virtual ~PrintDataSink() = default;
    // Bytes of the data channel, in order, as the printer accepted them (any split).
    virtual void Feed(const uint8_t *bytes, size_t count) = 0;
    // The job ends: channel closed, connection lost, printer reset.
    virtual void EndJob() = 0;
};

} // namespace sim
