#pragma once

// Wires the printer core and the print engine together: the print data the link accepted goes
// to the engine, and what the engine finds in it (factory packets, remote-mode commands,
// finished pages) goes to the firmware. Neither side knows the other.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "printdatasink.h"
#include "printengine.h"

namespace sim
{

class Firmware;

class EngineBridge : public PrintDataSink, public FirmwareHooks
{
public:
    EngineBridge(Firmware &firmware, PrintOptions options);

    PrintEngine &Engine() { return engine_; }

    // PrintDataSink
    void Feed(const uint8_t *bytes, size_t count) override;
    void EndJob() override;

    // FirmwareHooks
    std::string FactoryPacket(const std::vector<uint8_t> &packet) override;
    std::string RemoteCommand(const std::string &name,
                              const std::vector<uint8_t> &parameters) override;
    void PagePrinted(double seconds) override;

private:
    Firmware &firmware_;
    PrintEngine engine_; // after firmware_: it calls back through this object
};

} // namespace sim
