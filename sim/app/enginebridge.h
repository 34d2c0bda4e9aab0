#pragma once

// Wires the printer core and the print engine together: the print data the link accepted goes
// to the engine, and what the engine finds in it (factory packets, remote-mode commands,
// finished pages) goes to the firmware. Neither side knows the other.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mechanics.h"
#include "printdatasink.h"
#include "printengine.h"

namespace sim
{

class Firmware;

class EngineBridge : public PrintDataSink, public FirmwareHooks
{
public:
    // The mechanics are the printer's own (kept by its owner for as long as the bridge).
    EngineBridge(Firmware &firmware, const Mechanics &mechanics, PrintOptions options);

    PrintEngine &Engine() { return engine_; }

    // PrintDataSink
    void Feed(const uint8_t *bytes, size_t count) override;
    void EndJob() override;

    // FirmwareHooks
    std::string FactoryPacket(const std::vector<uint8_t> &packet) override;
    std::string RemoteCommand(const std::string &name,
                              const std::vector<uint8_t> &parameters) override;
    void PagePrinted(double seconds) override;
    // The Bi-D error of the mode, ink group and platen gap in force, less the value the
    // firmware holds for them now (the Bi-D pattern writes one before every pass).
    double ReturnPrintShiftInches(int dotSizeMode, int colorCode) override;
    // The head tilt less the committed head angular value; nothing for a printer without any
    // mechanical error, which prints to whole sheet dots as ever.
    std::optional<double> NozzleRowSlantInches() override;

    // The PW sensor's error at that edge less the stored correction; nothing for a printer
    // without errors, which prints edge blocks where the stream puts them.
    std::optional<double> EdgeBlockShiftInches(int side) override;

    // The first dot and top margin errors less the committed values at 0x59 and 0x57.
    double FirstDotShiftInches() override;
    double TopMarginShiftInches() override;

private:
    // A printer without mechanical errors (the default) prints every pattern aligned, whatever
    // values it stores: its stored values are taken to be the ones that correct it.
    bool Aligned() const { return mechanics_ == Mechanics{}; }

    Firmware &firmware_;
    const Mechanics &mechanics_;
    // The platen gap set the Bi-D corrections are taken from: that of the last Bi-D write or
    // platen gap move, whichever came last.
    Mechanics::Gap gapSet_ = Mechanics::kTypicalGap;
    PrintEngine engine_; // after firmware_: it calls back through this object
};

} // namespace sim
