#pragma once

// Where the printer hands the print data it accepted on its data channel. The process wires
// it to the print engine through the printer's input buffer; the printer core knows nothing
// of pages or images.

#include <cstddef>
#include <cstdint>
#include <limits>

namespace sim
{

class PrintDataSink
{
public:
    virtual ~PrintDataSink() = default;
    // Bytes of the data channel, in order, as the printer accepted them (any split).
    virtual void Feed(const uint8_t *bytes, size_t count) = 0;
    // The job ends: channel closed, connection lost. What was taken still prints.
    virtual void EndJob() = 0;
    // The job is cut off (printer reset): data not yet printed is dropped, then the job ends.
    virtual void CancelJob() { EndJob(); }
    // Bytes the sink takes now; a data request that does not fit is refused (51).
    virtual size_t Room() const { return std::numeric_limits<size_t>::max(); }
    // Before the link reports the printer's state: lets the engine act on the data it has
    // been given, for as long as that takes no time on paper (briefly bounded).
    virtual void CatchUp() {}
};

} // namespace sim
