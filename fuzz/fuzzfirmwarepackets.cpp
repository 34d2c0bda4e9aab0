// libFuzzer target for the factory and remote-mode packets the virtual printer's firmware
// takes: once on their own (a packet the parser accepts must be exactly the packet it would
// build from what it found), and once as print data through the print engine into the
// firmware, the way the printer meets them. Nothing may crash or leave the firmware in a state
// its status reply cannot tell.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "eepromstore.h"
#include "factoryimage.h"
#include "factorypacket.h"
#include "firmware.h"
#include "printengine.h"

namespace
{

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// What the printer process wires between engine and firmware.
class Bridge : public sim::FirmwareHooks
{
public:
    explicit Bridge(sim::Firmware &firmware) : firmware_(firmware) {}
    std::string FactoryPacket(const std::vector<uint8_t> &packet) override
    {
        return firmware_.FactoryPacket(packet);
    }
    std::string RemoteCommand(const std::string &name,
                              const std::vector<uint8_t> &parameters) override
    {
        return firmware_.RemoteCommand(name, parameters);
    }
    void PagePrinted(double seconds) override
    {
        Check(seconds >= 0.0);
        firmware_.PagePrinted(seconds);
    }

private:
    sim::Firmware &firmware_;
};

void CheckParser(const std::vector<uint8_t> &bytes)
{
    sim::FactoryPacket packet;
    if (!sim::ParseFactoryPacket(bytes, packet).empty())
        return;
    Check(sim::FactoryPacketLength(packet.code) == bytes.size());
    Check(sim::BuildFactoryPacket(packet.code, packet.parameters) == bytes);
}

void CheckStatus(sim::Firmware &firmware)
{
    const std::vector<uint8_t> reply = firmware.StatusReply();
    Check(!reply.empty() && reply.size() <= 256);
    for (uint8_t level : firmware.InkLevels())
        Check(level <= 100);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte chooses the piece size the data arrives in (1 to 256 bytes).
    const size_t piece = static_cast<size_t>(data[0]) + 1;
    const std::vector<uint8_t> bytes(data + 1, data + size);
    CheckParser(bytes);

    double now = 0;
    sim::EepromStore eeprom(sim::FactoryImage(sim::Model::Q530, sim::Destination::Asia));
    sim::Firmware firmware(sim::Model::Q530, eeprom, 0.001, [&now]() { return now; });
    firmware.FactoryPacket(bytes);
    CheckStatus(firmware);

    Bridge bridge(firmware);
    sim::PrintEngine engine(bridge, sim::PrintOptions{});
    for (size_t at = 0; at < bytes.size(); at += piece) {
        engine.Feed(bytes.data() + at, std::min(piece, bytes.size() - at));
        now += 0.05;
        CheckStatus(firmware);
    }
    engine.EndJob();
    CheckStatus(firmware);
    return 0;
}
