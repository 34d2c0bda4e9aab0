#include "enginebridge.h"

#include "firmware.h"

namespace sim
{

EngineBridge::EngineBridge(Firmware &firmware, PrintOptions options)
    : firmware_(firmware), engine_(*this, std::move(options))
{
}

void EngineBridge::Feed(const uint8_t *bytes, size_t count)
{
    engine_.Feed(bytes, count);
}

void EngineBridge::EndJob()
{
    engine_.EndJob();
}

std::string EngineBridge::FactoryPacket(const std::vector<uint8_t> &packet)
{
    return firmware_.FactoryPacket(packet);
}

std::string EngineBridge::RemoteCommand(const std::string &name,
                                        const std::vector<uint8_t> &parameters)
{
    return firmware_.RemoteCommand(name, parameters);
}

void EngineBridge::PagePrinted(double seconds)
{
    firmware_.PagePrinted(seconds);
}

} // namespace sim
