#pragma once

// Factory packets as the firmware checks them, byte by byte:
//   1B 7C 00, count (u16, the bytes after byte 4), 5E A7, code, code ^ FF,
//   code rotated right by one bit, then the parameters of the code, exactly as many as the
//   command takes.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim
{

struct FactoryPacket {
    uint8_t code = 0;
    std::vector<uint8_t> parameters;
};

// The whole length of a packet with this command code, or nothing for an unknown code.
std::optional<size_t> FactoryPacketLength(uint8_t code);

// Checks a packet; on success fills packet and returns an empty text, else returns why the
// packet is malformed.
std::string ParseFactoryPacket(const std::vector<uint8_t> &bytes, FactoryPacket &packet);

// Builds a well-formed packet (tests and tools).
std::vector<uint8_t> BuildFactoryPacket(uint8_t code, const std::vector<uint8_t> &parameters);

uint8_t RotateRight(uint8_t value);

} // namespace sim
