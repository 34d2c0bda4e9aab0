#include "factoryimage.h"

#include <string>

namespace sim
{

// Factory image of a new printer. Every byte the service program reads has a value that its
// checks accept, so a fresh virtual printer passes every "Read" and "Check":
//
//   0C-0D  waste ink counter 0x01F4 = 500 points (high byte at 0C)
//   0E-0F  pages printed (high byte first), counted by the firmware; 0 at the factory
//   10-11  cleanings run (high byte first), counted by the firmware; 0 at the factory
//   2A     03, 30: 04, 6F: 00 (the fixed bytes of the market setting)
//   2B     waste ink limit input B = 50; 3E: input C = 5; 3F: input A = 4
//          -> limit 20000 + 500*50 - 350*4 - 200*5 = 42600 points
//   32-39  Bi-D values, typical gap: ECO Bk 3, ECO Cl -2, VSD1 Bk 5, VSD1 Cl 4,
//          VSD2 Bk -5, VSD2 Cl 2, VSD3 Bk 0, VSD3 Cl 1
//   D2-D3  Bi-D ECO, narrow gap (the value written with sub-code 0x10): -2, -7
//   D4-D9  Bi-D values, narrow gap: VSD1 Bk 6, Cl 3, VSD2 Bk -4, Cl 1, VSD3 Bk 2, Cl -1
//   42-44, 49-50  head ID "0A1B2CABCDEFUAN" (pairs 0A 1B 2C, W = 0, symbols 20 21 23 25 22 24,
//          U = 32)
//   52-53  last carriage drive time 0x017C = 380
//   56     CR motor heat protection offset 0x42 (the default the program writes)
//   57     top margin 2; 59: first dot -4 (0xFC)
//   5B, 6E, CD  market bytes of the destination
//   5C-6D  USB ID: serial "HQ51000001" (Q510) or "HQ53000001" (Q530), then the stamp
//          "B1F9C000" (15 January 2010, 09:12:00)
//   70-73  PW sensor, first copies: right 2 (x4 = 08), top 1 (x6 = 06), left -1 (x4 = FC),
//          bottom 0; CE-D1 the second copies, the same
//   75     head angular 0
// All other bytes are 00.
EepromImage FactoryImage(Model model, Destination destination)
{
    EepromImage image{};
    auto put = [&image](uint8_t address, std::initializer_list<uint8_t> values) {
        for (uint8_t value : values)
            image[address++] = value;
    };
    put(0x0C, {0x01, 0xF4});
    put(0x2A, {0x03});
    put(0x30, {0x04});
    put(0x6F, {0x00});
    put(0x2B, {50});
    put(0x3E, {5, 4});
    put(0x32, {3, 0xFE, 5, 4, 0xFB, 2, 0, 1});
    put(0xD2, {0xFE, 0xF9, 6, 3, 0xFC, 1, 2, 0xFF});
    put(0x42, {0x0A, 0x1B, 0x2C});
    put(0x49, {0x00, 0x20, 0x21, 0x23, 0x25, 0x22, 0x24, 0x32});
    put(0x52, {0x01, 0x7C});
    put(0x56, {0x42, 2});
    put(0x59, {0xFC});
    const std::string usbId =
        std::string(model == Model::Q510 ? "HQ51000001" : "HQ53000001") + "B1F9C000";
    for (size_t i = 0; i < usbId.size(); ++i)
        image[0x5C + i] = static_cast<uint8_t>(usbId[i]);
    const MarketBytes market = MarketBytesOf(destination);
    image[0x6E] = market.at6E;
    image[0x5B] = market.at5B;
    image[0xCD] = market.atCD;
    put(0x70, {0x08, 0x06, 0xFC, 0x00});
    put(0xCE, {0x08, 0x06, 0xFC, 0x00});
    image[0x75] = 0;
    return image;
}

} // namespace sim
