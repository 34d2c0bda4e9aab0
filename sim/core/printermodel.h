#pragma once

// The two printers the virtual printer can play, and the markets each is sold in.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim
{

enum class Model { Q510, Q530 };

enum class Destination { UsEuro, Latin, Asia, Eal };

// The three market bytes of a destination, at 0x6E, 0x5B and 0xCD.
struct MarketBytes {
    uint8_t at6E;
    uint8_t at5B;
    uint8_t atCD;
};

std::string ModelName(Model model);                                      // "Halden Photo Q510"
std::string DeviceIdText(Model model);                                   // IEEE 1284 device ID
std::optional<Model> ModelFromWord(const std::string &word);             // "q510", "q530"
std::optional<Destination> DestinationFromWord(const std::string &word); // "us-euro", ...
std::string DestinationWord(Destination destination);
// The destinations a model is sold in; the first is its default.
std::vector<Destination> DestinationsOf(Model model);
bool Offers(Model model, Destination destination);
MarketBytes MarketBytesOf(Destination destination);

} // namespace sim
