#pragma once

// Numbers in hexadecimal for the printer's fault messages and logs.

#include <cstdint>
#include <cstdio>
#include <string>

namespace sim
{

// "0x1F40": a stream offset or a value.
inline std::string Hex(uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

// "0C": the low byte of value as two digits.
inline std::string HexByte(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value & 0xFFu);
    return text;
}

} // namespace sim
