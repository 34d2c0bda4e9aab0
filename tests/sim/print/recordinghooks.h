#pragma once

// Firmware hooks that record what the print engine passes on and answer as told.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "printengine.h"

namespace simtest
{

class RecordingHooks : public sim::FirmwareHooks
{
public:
    std::string FactoryPacket(const std::vector<uint8_t> &packet) override
    {
        factoryPackets.push_back(packet);
        return factoryAnswer;
    }
    std::string RemoteCommand(const std::string &name,
                              const std::vector<uint8_t> &parameters) override
    {
        remoteCommands.emplace_back(name, parameters);
        return remoteAnswer;
    }
    void PagePrinted(double seconds) override { pageSeconds.push_back(seconds); }
    double ReturnPrintShiftInches(int dotSizeMode, int colorCode) override
    {
        returnShiftAsked.emplace_back(dotSizeMode, colorCode);
        return returnShiftInches;
    }
    std::optional<double> NozzleRowSlantInches() override { return nozzleSlantInches; }

    double FirstDotShiftInches() override { return firstDotShiftInches; }
    double TopMarginShiftInches() override { return topMarginShiftInches; }

    std::vector<std::vector<uint8_t>> factoryPackets;
    std::vector<std::pair<std::string, std::vector<uint8_t>>> remoteCommands;
    std::vector<double> pageSeconds;
    std::vector<std::pair<int, int>> returnShiftAsked; // dot-size mode, colour code
    double returnShiftInches = 0.0;
    std::optional<double> nozzleSlantInches;

    double firstDotShiftInches = 0.0;
    double topMarginShiftInches = 0.0;
    std::string factoryAnswer;
    std::string remoteAnswer;
};

} // namespace simtest
