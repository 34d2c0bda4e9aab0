// libFuzzer target for the virtual printer's print engine: any byte sequence, fed in any split,
// must end in a report - never a crash, a hang or unbounded memory.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "printengine.h"

namespace
{

// Accepts packets, but refuses every third one so the refusal path is taken too.
class FuzzHooks : public sim::FirmwareHooks
{
public:
    std::string FactoryPacket(const std::vector<uint8_t> &packet) override
    {
        return ++packets_ % 3 == 0 ? "refused (" + std::to_string(packet.size()) + ")" : "";
    }
    std::string RemoteCommand(const std::string &name, const std::vector<uint8_t> &) override
    {
        return ++packets_ % 3 == 0 ? "refused " + name : "";
    }
    void PagePrinted(double seconds) override
    {
        if (!(seconds >= 0.0)) {
            std::abort();
        }
    }

private:
    int packets_ = 0;
};

void CheckReport(const std::string &text)
{
    if (text.empty()) {
        return;
    }
    const nlohmann::json report = nlohmann::json::parse(text);
    if (report["errors"].size() > 1000) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    // The first byte chooses the piece size the data arrives in (1 to 256 bytes).
    const size_t piece = static_cast<size_t>(data[0]) + 1;
    ++data;
    --size;
    FuzzHooks hooks;
    sim::PrintEngine engine(hooks, sim::PrintOptions{});
    for (size_t i = 0; i < size; i += piece) {
        engine.Feed(data + i, size - i < piece ? size - i : piece);
    }
    CheckReport(engine.CurrentReportJson());
    engine.EndJob();
    CheckReport(engine.LastReportJson());
    return 0;
}
