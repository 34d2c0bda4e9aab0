#include "factorypacket.h"

#include "hexformat.h"

namespace sim
{

uint8_t RotateRight(uint8_t value)
{
    return static_cast<uint8_t>((value >> 1) | ((value & 1) << 7));
}

std::optional<size_t> FactoryPacketLength(uint8_t code)
{
    switch (code) {
    case 0x00:
    case 0xC4:
    case 0xC5:
    case 0xCD:
        return 14;
    case 0x05:
    case 0x06:
    case 0x84:
    case 0xD5:
        return 11;
    case 0x4C:
    case 0xF2:
        return 12;
    case 0x50:
    case 0x81:
        return 10;
    case 0xF1:
        return 16;
    default:
        return std::nullopt;
    }
}

std::string ParseFactoryPacket(const std::vector<uint8_t> &bytes, FactoryPacket &packet)
{
    if (bytes.size() < 10)
        return "packet of " + std::to_string(bytes.size()) + " bytes is shorter than a header";
    if (bytes[0] != 0x1B || bytes[1] != 0x7C)
        return "packet does not start with 1B 7C";
    if (bytes[2] != 0x00)
        return "byte 2 is " + HexByte(bytes[2]) + ", not 00";
    const size_t count = bytes[3] | (static_cast<size_t>(bytes[4]) << 8);
    if (count != bytes.size() - 5)
        return "count " + std::to_string(count) + " does not match the " +
               std::to_string(bytes.size() - 5) + " bytes that follow it";
    if (bytes[5] != 0x5E || bytes[6] != 0xA7)
        return "key pair " + HexByte(bytes[5]) + " " + HexByte(bytes[6]) + " is not 5E A7";
    const uint8_t code = bytes[7];
    const std::optional<size_t> length = FactoryPacketLength(code);
    if (!length)
        return "unknown command code " + HexByte(code);
    if (bytes[8] != static_cast<uint8_t>(code ^ 0xFF))
        return "complement " + HexByte(bytes[8]) + " of code " + HexByte(code) + " should be " +
               HexByte(code ^ 0xFF);
    if (bytes[9] != RotateRight(code))
        return "rotation byte " + HexByte(bytes[9]) + " of code " + HexByte(code) + " should be " +
               HexByte(RotateRight(code));
    if (bytes.size() != *length)
        return "command " + HexByte(code) + " takes " + std::to_string(*length) +
               " bytes, the packet has " + std::to_string(bytes.size());
    packet.code = code;
    packet.parameters.assign(bytes.begin() + 10, bytes.end());
    return "";
}

std::vector<uint8_t> BuildFactoryPacket(uint8_t code, const std::vector<uint8_t> &parameters)
{
    const size_t count = parameters.size() + 5;
    std::vector<uint8_t> bytes = {
        0x1B, 0x7C, 0x00, static_cast<uint8_t>(count & 0xFF), static_cast<uint8_t>(count >> 8),
        0x5E, 0xA7, code, static_cast<uint8_t>(code ^ 0xFF),  RotateRight(code)};
    bytes.reserve(bytes.size() + parameters.size());
    for (uint8_t parameter : parameters)
        bytes.push_back(parameter);
    return bytes;
}

} // namespace sim
