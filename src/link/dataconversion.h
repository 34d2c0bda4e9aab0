#pragma once

#include <QString>
#include <cstdint>

// Text to byte conversions used where the technician types bytes.
class TPDataConversion
{
public:
    // Two characters '0'-'9' or 'A'-'F' (upper case only), high nibble first.
    static bool HexPairToByte(const QString &text, uint8_t *value);
};
