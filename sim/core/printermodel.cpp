#include "printermodel.h"

#include <algorithm>

namespace sim
{

std::string ModelName(Model model)
{
    return model == Model::Q510 ? "Halden Photo Q510" : "Halden Photo Q530";
}

std::string DeviceIdText(Model model)
{
    return "MFG:NOVARI;MDL:" + ModelName(model) + ";CLS:PRINTER;";
}

std::optional<Model> ModelFromWord(const std::string &word)
{
    if (word == "q510")
        return Model::Q510;
    if (word == "q530")
        return Model::Q530;
    return std::nullopt;
}

std::optional<Destination> DestinationFromWord(const std::string &word)
{
    if (word == "us-euro")
        return Destination::UsEuro;
    if (word == "latin")
        return Destination::Latin;
    if (word == "asia")
        return Destination::Asia;
    if (word == "eal")
        return Destination::Eal;
    return std::nullopt;
}

std::string DestinationWord(Destination destination)
{
    switch (destination) {
    case Destination::UsEuro:
        return "us-euro";
    case Destination::Latin:
        return "latin";
    case Destination::Asia:
        return "asia";
    case Destination::Eal:
        return "eal";
    }
    return "";
}

std::vector<Destination> DestinationsOf(Model model)
{
    if (model == Model::Q510)
        return {Destination::UsEuro, Destination::Latin};
    return {Destination::Asia, Destination::Eal};
}

bool Offers(Model model, Destination destination)
{
    const std::vector<Destination> offered = DestinationsOf(model);
    return std::find(offered.begin(), offered.end(), destination) != offered.end();
}

MarketBytes MarketBytesOf(Destination destination)
{
    switch (destination) {
    case Destination::UsEuro:
        return {0x00, 0xBA, 0x00};
    case Destination::Latin:
        return {0x00, 0xBA, 0x01};
    case Destination::Asia:
    case Destination::Eal:
        return {0x04, 0xFA, 0x01};
    }
    return {0x00, 0xBA, 0x00};
}

} // namespace sim
