#include "factory.h"

#include "dllfunction.h"
#include "raster.h"

#include <cstring>

namespace
{
constexpr int HeaderSize = 10;
constexpr uint8_t Esc = 0x1B;
constexpr uint8_t Bar = 0x7C;

uint8_t Low(uint16_t value)
{
    return static_cast<uint8_t>(value & 0xFF);
}
uint8_t High(uint16_t value)
{
    return static_cast<uint8_t>(value >> 8);
}
uint8_t RotateRight(uint8_t code)
{
    return static_cast<uint8_t>(code >> 1 | (code & 1) << 7);
}

// Mode byte of FactoryCommand00 for the dot sizes VSD1, VSD2, VSD3 and ECO; 0 when unknown.
uint8_t DotSizeMode(uint8_t dotSize, bool flag)
{
    static constexpr uint8_t withFlag[] = {0x01, 0x02, 0x03, 0x00};
    static constexpr uint8_t withoutFlag[] = {0x11, 0x12, 0x13, 0x10};
    const int index = dotSize - 16;
    return flag ? withFlag[index] : withoutFlag[index];
}
} // namespace

TPFactory::TPFactory(TPRaster &raster) : raster_(raster)
{
    packet_[5] = KeyFirst;
    packet_[6] = KeySecond;
}

uint16_t TPFactory::Send(uint8_t code, const uint8_t *parameters, int count)
{
    const int length = HeaderSize + count;
    const uint16_t following = static_cast<uint16_t>(length - 5);
    packet_[0] = Esc;
    packet_[1] = Bar;
    packet_[2] = 0x00;
    packet_[3] = Low(following);
    packet_[4] = High(following);
    packet_[7] = code;
    packet_[8] = static_cast<uint8_t>(code ^ 0xFF);
    packet_[9] = RotateRight(code);
    if (count > 0)
        std::memcpy(packet_.data() + HeaderSize, parameters, static_cast<size_t>(count));
    length_ = length;
    return raster_.SendAtOnce(packet_.data(), length);
}

uint16_t TPFactory::FactoryCommand00(uint8_t dotSize, bool flag, uint8_t kind, int value)
{
    if (dotSize < FirstDotSize || dotSize > LastDotSize)
        return TPRaster::RequestRefused;
    const uint8_t parameters[] = {
        DotSizeMode(dotSize, flag), static_cast<uint8_t>(kind == 1 ? 1 : 2),
        static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>(value < 0 ? 0xFF : 0x00)};
    return Send(0x00, parameters, sizeof parameters);
}

uint16_t TPFactory::FactoryCommand05(uint8_t value)
{
    return Send(0x05, &value, 1);
}

uint16_t TPFactory::FactoryCommand06(uint8_t value)
{
    return Send(0x06, &value, 1);
}

uint16_t TPFactory::FactoryCommand4C(uint8_t first, uint8_t second)
{
    const uint8_t parameters[] = {first, second};
    return Send(0x4C, parameters, sizeof parameters);
}

uint16_t TPFactory::FactoryCommand50()
{
    return Send(0x50, nullptr, 0);
}

uint16_t TPFactory::FactoryCommand81()
{
    return Send(0x81, nullptr, 0);
}

uint16_t TPFactory::FactoryCommand84(uint8_t mode)
{
    return Send(0x84, &mode, 1);
}

uint16_t TPFactory::FactoryCommandC4(uint8_t a, uint8_t b, uint16_t value)
{
    const uint8_t parameters[] = {a, b, Low(value), High(value)};
    return Send(0xC4, parameters, sizeof parameters);
}

uint16_t TPFactory::FactoryCommandC5(uint8_t a, uint8_t b, uint16_t value)
{
    const uint8_t parameters[] = {a, b, Low(value), High(value)};
    return Send(0xC5, parameters, sizeof parameters);
}

uint16_t TPFactory::FactoryCommandCD(uint8_t a, int16_t value)
{
    const uint16_t bits = static_cast<uint16_t>(value);
    const uint8_t parameters[] = {a, 0x00, Low(bits), High(bits)};
    return Send(0xCD, parameters, sizeof parameters);
}

uint16_t TPFactory::FactoryCommandD5(uint8_t position)
{
    return Send(0xD5, &position, 1);
}

uint16_t TPFactory::FactoryCommandF1(uint8_t a, uint16_t first, uint16_t second, uint8_t b)
{
    const uint8_t parameters[] = {a, Low(first), High(first), Low(second), High(second), b};
    return Send(0xF1, parameters, sizeof parameters);
}

uint16_t TPFactory::FactoryCommandF2(int first, int second)
{
    const uint8_t parameters[] = {static_cast<uint8_t>(first == 1 ? 1 : 0),
                                  static_cast<uint8_t>(second == 1 ? 1 : 0)};
    return Send(0xF2, parameters, sizeof parameters);
}
