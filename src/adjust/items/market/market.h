#pragma once

#include "link/resultcode.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

// The market (destination) bytes of the printer's EEPROM and the verdict of the model check.
// Three fixed bytes go with every market setting; three market bytes depend on the
// destination.
class TPMarket
{
public:
    static constexpr uint8_t AddressFixed1 = 0x2A;
    static constexpr uint8_t AddressFixed2 = 0x30;
    static constexpr uint8_t AddressFixed3 = 0x6F;
    static constexpr uint8_t AddressMarket1 = 0x6E;
    static constexpr uint8_t AddressMarket2 = 0x5B;
    static constexpr uint8_t AddressMarket3 = 0xCD;

    // Destination codes of the selection window.
    enum Destination { UsEuro = 0, Asia = 1, Eal = 3, Latin = 4 };

    // Stored market bytes in the order 0x6E, 0x5B, 0xCD.
    using MarketBytes = std::array<uint8_t, 3>;
    using Write = std::pair<uint8_t, uint8_t>; // address, value

    // Market bytes of a destination; none for a code outside the table.
    static std::optional<MarketBytes> BytesFor(int destinationCode);
    // Every write of the market setting, in order: the three fixed bytes, then the market
    // bytes of the destination (left out for a destination outside the table).
    static std::vector<Write> SettingWrites(int destinationCode);
    // The addresses the check reads, in order.
    static std::array<uint8_t, 3> CheckedAddresses();

    enum class Verdict {
        Right,    // the stored bytes belong to the chosen destination
        Wrong,    // they do not
        Unchecked // model and destination form no pair the check knows
    };
    struct Result {
        Verdict verdict;
        QString marketText; // "US / Euro." ... when the verdict is Right
    };
    // Judges the stored bytes for the chosen model and destination. EAL does not compare
    // 0xCD.
    static Result Check(TPModel model, int destinationCode, const MarketBytes &stored);
};
