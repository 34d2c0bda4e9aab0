#pragma once

#include <array>
#include <cstdint>

class TPRaster;

// Factory packets (ESC "|" 00 count 5E A7 code ~code rotated-code parameters), each sent by
// itself with one channel call, outside the print stream.
class TPFactory
{
public:
    // The pair every packet carries (and that is given to ChanSetCommandCode).
    static constexpr uint8_t KeyFirst = 0x5E;
    static constexpr uint8_t KeySecond = 0xA7;
    // Dot sizes FactoryCommand00 knows (VSD1, VSD2, VSD3, ECO); others are refused with
    // TPRaster::RequestRefused and nothing is sent.
    static constexpr uint8_t FirstDotSize = 16;
    static constexpr uint8_t LastDotSize = 19;

    // Packets go out through the stream's SendAtOnce, outside its buffer.
    explicit TPFactory(TPRaster &raster);

    uint16_t FactoryCommand00(uint8_t dotSize, bool flag, uint8_t kind, int value);
    uint16_t FactoryCommand05(uint8_t value);
    uint16_t FactoryCommand06(uint8_t value);
    uint16_t FactoryCommand4C(uint8_t first, uint8_t second);
    uint16_t FactoryCommand50();
    uint16_t FactoryCommand81();
    uint16_t FactoryCommand84(uint8_t mode);
    uint16_t FactoryCommandC4(uint8_t a, uint8_t b, uint16_t value);
    uint16_t FactoryCommandC5(uint8_t a, uint8_t b, uint16_t value);
    uint16_t FactoryCommandCD(uint8_t a, int16_t value);
    uint16_t FactoryCommandD5(uint8_t position);
    uint16_t FactoryCommandF1(uint8_t a, uint16_t first, uint16_t second, uint8_t b);
    uint16_t FactoryCommandF2(int first, int second);

    // The packet most recently built (for tests and diagnostics).
    const uint8_t *Packet() const { return packet_.data(); }
    int PacketLength() const { return length_; }

private:
    uint16_t Send(uint8_t code, const uint8_t *parameters, int count);

    TPRaster &raster_;
    std::array<uint8_t, 32> packet_{};
    int length_ = 0;
};
