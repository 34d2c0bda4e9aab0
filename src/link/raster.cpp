#include "raster.h"

#include "resultcode.h"

#include "dllfunction.h"
#include "statuscontrol.h"
#include "wait.h"
#include "windowlink.h"

namespace
{
constexpr uint8_t PaperOut = 6;
constexpr int LargestSplitRun = 120;

uint8_t Low(uint32_t value)
{
    return static_cast<uint8_t>(value & 0xFF);
}
uint8_t High(uint32_t value)
{
    return static_cast<uint8_t>(value >> 8 & 0xFF);
}
} // namespace

TPRaster::TPRaster(TPDLLFunction &dll, TPStatusControl &status) : dll_(dll), status_(status) {}

void TPRaster::SetWindowLink(TPWindowLink *window)
{
    window_ = window;
}

uint16_t TPRaster::Append(const uint8_t *bytes, int count)
{
    if (count <= 0)
        return TPResult::Ok;
    if (count > SendSize)
        return RequestRefused;
    for (int i = 0; i < count; ++i) {
        // A buffer left full by an earlier failed send goes out before it grows past SendSize.
        if (fill_ >= SendSize) {
            const uint16_t result = SendLoop();
            if (result != TPResult::Ok)
                return result;
        }
        buffer_[fill_++] = bytes[i];
        if (fill_ == SendSize) {
            const uint16_t result = SendLoop();
            if (result != TPResult::Ok)
                return result;
        }
    }
    return TPResult::Ok;
}

uint16_t TPRaster::AppendBytes(std::initializer_list<uint8_t> bytes)
{
    return Append(bytes.begin(), static_cast<int>(bytes.size()));
}

uint16_t TPRaster::Flush()
{
    return SendLoop();
}

void TPRaster::DropUnsent()
{
    buffer_.fill(0);
    fill_ = 0;
}

uint16_t TPRaster::SendLoop()
{
    const uint16_t sent = SendAtOnce(buffer_.data(), fill_);
    if (sent == TPResult::Ok)
        DropUnsent();
    return sent;
}

uint16_t TPRaster::SendAtOnce(const uint8_t *bytes, int count)
{
    int idleRefusals = 0;
    for (;;) {
        const uint16_t sent = dll_.ChanSendData(bytes, count);
        if (sent == TPResult::Ok)
            return TPResult::Ok;
        if (sent != TPResult::ChannelError)
            return sent;
        if (dll_.ChanGetErrorCode() != TPResult::ChanNotReady)
            return TPResult::ChannelError;
        const uint16_t status = status_.ReadStatus();
        if (status != TPResult::Ok)
            return status;
        const TPStatusControl::StatusRecord &record = status_.Record();
        if (record.state == TPStatusControl::StateError) {
            if (record.error != PaperOut)
                return TPResult::PrinterErrorState;
            if (window_)
                window_->PaperPrompt();
        }
        idleRefusals = record.state == TPStatusControl::StatePrinting ? 0 : idleRefusals + 1;
        if (idleRefusals >= MaxIdleRefusals)
            return TPResult::PrinterNotReady;
        Wait::For(ResendWaitMs);
    }
}

uint16_t TPRaster::RepeatSend(int count, uint8_t value)
{
    if (count < 1 || count > MaxRepeatCount)
        return RequestRefused;
    const uint8_t header = count == 1 ? 0x00 : Low(static_cast<uint32_t>(1 - count));
    return AppendBytes({header, value});
}

uint16_t TPRaster::RepeatSendSplit(int count, uint8_t value)
{
    while (count > LargestSplitRun) {
        const uint16_t result = RepeatSend(LargestSplitRun, value);
        if (result != TPResult::Ok)
            return result;
        count -= LargestSplitRun;
    }
    return RepeatSend(count, value);
}

uint16_t TPRaster::Reset()
{
    return AppendBytes({0x1B, 0x40});
}

uint16_t TPRaster::EnterGraphicsMode()
{
    return AppendBytes({0x1B, 0x28, 0x47, 0x01, 0x00, 0x01});
}

uint16_t TPRaster::SetUnit(uint8_t unit)
{
    return AppendBytes({0x1B, 0x28, 0x55, 0x01, 0x00, unit});
}

uint16_t TPRaster::SetPrintDirection(uint8_t direction)
{
    return AppendBytes({0x1B, 0x55, direction});
}

uint16_t TPRaster::SetDotSize(uint8_t dotSize)
{
    return AppendBytes({0x1B, 0x28, 0x65, 0x02, 0x00, 0x00, dotSize});
}

uint16_t TPRaster::SetColorMode(uint8_t mode)
{
    const uint8_t k = (mode == 1 || mode == 2) ? mode : 0;
    return AppendBytes({0x1B, 0x28, 0x4B, 0x02, 0x00, 0x00, k});
}

uint16_t TPRaster::SetRasterResolution(uint8_t rL, uint8_t rH, uint8_t v, uint8_t h)
{
    return AppendBytes({0x1B, 0x28, 0x44, 0x04, 0x00, rL, rH, v, h});
}

uint16_t TPRaster::SetPaperSize(uint8_t w0, uint8_t w1, uint8_t w2, uint8_t w3, uint8_t l0,
                                uint8_t l1, uint8_t l2, uint8_t l3)
{
    return AppendBytes({0x1B, 0x28, 0x53, 0x08, 0x00, w0, w1, w2, w3, l0, l1, l2, l3});
}

uint16_t TPRaster::SetPageFormat(uint16_t top, uint16_t bottom)
{
    return AppendBytes(
        {0x1B, 0x28, 0x63, 0x04, 0x00, Low(top), High(top), Low(bottom), High(bottom)});
}

uint16_t TPRaster::SetPageLength(uint32_t length)
{
    return AppendBytes({0x1B, 0x28, 0x43, 0x04, 0x00, Low(length), High(length), Low(length >> 16),
                        Low(length >> 24)});
}

uint16_t TPRaster::RasterHeader(uint8_t color, uint8_t compression, uint8_t bits,
                                uint16_t bytesPerLine, uint16_t lines)
{
    return AppendBytes({0x1B, 0x69, color, compression, bits, Low(bytesPerLine), High(bytesPerLine),
                        Low(lines), High(lines)});
}

uint16_t TPRaster::Feed(uint16_t n)
{
    return AppendBytes({0x1B, 0x28, 0x76, 0x02, 0x00, Low(n), High(n), 0x0D});
}

uint16_t TPRaster::FeedLong(uint16_t n)
{
    return AppendBytes({0x1B, 0x28, 0x76, 0x04, 0x00, Low(n), High(n), 0x00, 0x00});
}

uint16_t TPRaster::SetUnits(uint8_t page, uint8_t vertical, uint8_t horizontal, uint16_t base)
{
    return AppendBytes(
        {0x1B, 0x28, 0x55, 0x05, 0x00, page, vertical, horizontal, Low(base), High(base)});
}

uint16_t TPRaster::SetUnitsFine()
{
    return AppendBytes({0x1B, 0x28, 0x55, 0x05, 0x00, 0x01, 0x01, 0x01, 0x40, 0x0B});
}

uint16_t TPRaster::SetUnitsMixed()
{
    return AppendBytes({0x1B, 0x28, 0x55, 0x05, 0x00, 0x04, 0x08, 0x04, 0xA0, 0x05});
}

uint16_t TPRaster::SetHorizontalPosition(uint8_t x)
{
    return AppendBytes({0x1B, 0x28, 0x24, 0x04, 0x00, x, 0x00, 0x00, 0x00});
}

uint16_t TPRaster::ResetToDraftText()
{
    return AppendBytes({0x1B, 0x40, 0x1B, 0x78, 0x30});
}

uint16_t TPRaster::NewLines(int n)
{
    for (int i = 0; i < n; ++i) {
        const uint16_t result = AppendBytes({0x0D, 0x0A});
        if (result != TPResult::Ok)
            return result;
    }
    return TPResult::Ok;
}

uint16_t TPRaster::EndPage()
{
    const uint16_t result = AppendBytes({0x0C});
    if (result != TPResult::Ok)
        return result;
    return Flush();
}

uint16_t TPRaster::BeginGraphicsPage(uint8_t unit, uint8_t direction, uint8_t dotSize,
                                     uint8_t colorMode)
{
    uint16_t result = Reset();
    if (result == TPResult::Ok)
        result = EnterGraphicsMode();
    if (result == TPResult::Ok)
        result = SetUnit(unit);
    if (result == TPResult::Ok)
        result = SetPrintDirection(direction);
    if (result == TPResult::Ok)
        result = SetDotSize(dotSize);
    if (result == TPResult::Ok)
        result = SetColorMode(colorMode);
    return result;
}

uint16_t TPRaster::FeedPaper(uint16_t n)
{
    constexpr uint16_t FineBase = 5760;
    uint16_t result = Reset();
    if (result == TPResult::Ok)
        result = EnterGraphicsMode();
    if (result == TPResult::Ok)
        result = Flush();
    if (result == TPResult::Ok)
        result = SetUnits(1, 1, 1, FineBase);
    if (result == TPResult::Ok)
        result = Feed(n);
    if (result == TPResult::Ok)
        result = Reset();
    return result;
}
