#pragma once

// Builds print streams byte by byte for the print engine tests, the way the program's print
// stream writes them.

#include <cstdint>
#include <string>
#include <vector>

namespace simtest
{

class StreamBuilder
{
public:
    StreamBuilder &Bytes(std::initializer_list<int> bytes)
    {
        for (int b : bytes) {
            data_.push_back(static_cast<uint8_t>(b));
        }
        return *this;
    }
    StreamBuilder &Text(const std::string &text)
    {
        data_.insert(data_.end(), text.begin(), text.end());
        return *this;
    }
    StreamBuilder &Reset() { return Bytes({0x1B, 0x40}); }
    StreamBuilder &EnterGraphicsMode() { return Bytes({0x1B, 0x28, 0x47, 0x01, 0x00, 0x01}); }
    StreamBuilder &SetUnit(int u) { return Bytes({0x1B, 0x28, 0x55, 0x01, 0x00, u}); }
    StreamBuilder &SetPrintDirection(int n) { return Bytes({0x1B, 0x55, n}); }
    StreamBuilder &SetDotSize(int d) { return Bytes({0x1B, 0x28, 0x65, 0x02, 0x00, 0x00, d}); }
    StreamBuilder &SetColorMode(int k) { return Bytes({0x1B, 0x28, 0x4B, 0x02, 0x00, 0x00, k}); }
    StreamBuilder &SetRasterResolution(int rL = 104, int rH = 1, int v = 3, int h = 1)
    {
        return Bytes({0x1B, 0x28, 0x44, 0x04, 0x00, rL, rH, v, h});
    }
    StreamBuilder &RasterHeader(int color, int bytesPerLine, int lines, int compression = 1,
                                int bits = 2)
    {
        return Bytes({0x1B, 0x69, color, compression, bits, bytesPerLine & 0xFF, bytesPerLine >> 8,
                      lines & 0xFF, lines >> 8});
    }
    // Resolution 360/120 and the header, as every layout starts a block.
    StreamBuilder &Block(int color, int bytesPerLine, int lines)
    {
        return SetRasterResolution().RasterHeader(color, bytesPerLine, lines);
    }
    StreamBuilder &RepeatSend(int count, int value)
    {
        return Bytes({count == 1 ? 0 : (1 - count) & 0xFF, value});
    }
    StreamBuilder &RepeatSendSplit(int count, int value)
    {
        while (count > 120) {
            RepeatSend(120, value);
            count -= 120;
        }
        return RepeatSend(count, value);
    }
    StreamBuilder &Feed(int n)
    {
        return Bytes({0x1B, 0x28, 0x76, 0x02, 0x00, n & 0xFF, n >> 8, 0x0D});
    }
    StreamBuilder &FeedLong(int n)
    {
        return Bytes({0x1B, 0x28, 0x76, 0x04, 0x00, n & 0xFF, n >> 8, 0x00, 0x00});
    }
    StreamBuilder &SetHorizontalPosition(int x)
    {
        return Bytes({0x1B, 0x28, 0x24, 0x04, 0x00, x, 0x00, 0x00, 0x00});
    }
    StreamBuilder &AbsolutePosition(int p) { return Bytes({0x1B, 0x24, p & 0xFF, p >> 8}); }
    StreamBuilder &RelativeMove(int n) { return Bytes({0x1B, 0x5C, n & 0xFF, (n >> 8) & 0xFF}); }
    StreamBuilder &SetUnits(int p, int v, int h, int b)
    {
        return Bytes({0x1B, 0x28, 0x55, 0x05, 0x00, p, v, h, b & 0xFF, b >> 8});
    }
    StreamBuilder &SetUnitsFine()
    {
        return Bytes({0x1B, 0x28, 0x55, 0x05, 0x00, 1, 1, 1, 0x40, 0x0B});
    }
    StreamBuilder &SetUnitsMixed()
    {
        return Bytes({0x1B, 0x28, 0x55, 0x05, 0x00, 4, 8, 4, 0xA0, 0x05});
    }
    StreamBuilder &SetPaperSize(uint32_t width, uint32_t length)
    {
        Bytes({0x1B, 0x28, 0x53, 0x08, 0x00});
        return U32(width).U32(length);
    }
    StreamBuilder &SetPageFormat(int top, int bottom)
    {
        return Bytes(
            {0x1B, 0x28, 0x63, 0x04, 0x00, top & 0xFF, top >> 8, bottom & 0xFF, bottom >> 8});
    }
    StreamBuilder &SetPageLength(uint32_t n)
    {
        Bytes({0x1B, 0x28, 0x43, 0x04, 0x00});
        return U32(n);
    }
    StreamBuilder &ResetToDraftText() { return Bytes({0x1B, 0x40, 0x1B, 0x78, 0x30}); }
    StreamBuilder &NewLines(int n)
    {
        for (int i = 0; i < n; ++i) {
            Bytes({0x0D, 0x0A});
        }
        return *this;
    }
    StreamBuilder &EndPage() { return Bytes({0x0C}); }
    StreamBuilder &EnterRemoteMode()
    {
        return Bytes({0x1B, 0x28, 0x52, 0x08, 0x00, 0x00, 'R', 'E', 'M', 'O', 'T', 'E', '1'});
    }
    StreamBuilder &ExitRemoteMode() { return Bytes({0x1B, 0x00, 0x00, 0x00}); }
    StreamBuilder &Remote(const std::string &name, std::vector<uint8_t> parameters)
    {
        Text(name);
        Bytes(
            {static_cast<int>(parameters.size() & 0xFF), static_cast<int>(parameters.size() >> 8)});
        data_.insert(data_.end(), parameters.begin(), parameters.end());
        return *this;
    }
    // A factory packet with the key pair, code, complement and rotation.
    StreamBuilder &Factory(uint8_t code, std::vector<uint8_t> parameters)
    {
        const size_t count = 5 + parameters.size();
        Bytes({0x1B, 0x7C, 0x00, static_cast<int>(count & 0xFF), static_cast<int>(count >> 8), 0x5E,
               0xA7, code, code ^ 0xFF, ((code >> 1) | (code << 7)) & 0xFF});
        data_.insert(data_.end(), parameters.begin(), parameters.end());
        return *this;
    }
    StreamBuilder &U32(uint32_t v)
    {
        return Bytes({static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                      static_cast<int>((v >> 16) & 0xFF), static_cast<int>(v >> 24)});
    }

    size_t Size() const { return data_.size(); }
    const std::vector<uint8_t> &Data() const { return data_; }

private:
    std::vector<uint8_t> data_;
};

} // namespace simtest
