#pragma once

#include "resultcode.h"

#include <array>
#include <cstdint>
#include <initializer_list>

class TPDLLFunction;
class TPStatusControl;
class TPWindowLink;

// The one print stream: collects bytes in a fixed buffer and sends them through the channel
// library in pieces of at most 1000 bytes, waiting out a busy printer and asking for paper.
// On top of it, one operation per printer command of the pattern vocabulary.
class TPRaster
{
public:
    static constexpr int BufferSize = 1024;
    static constexpr int SendSize = 1000;
    // Result of a call that asks for something the stream cannot do without corrupting it:
    // Append of more than SendSize bytes, a RepeatSend count outside 1..129. The call is
    // refused before anything is appended or sent; the buffer stays as it was.
    static constexpr uint16_t RequestRefused = TPResult::RequestRefused;
    static constexpr int MaxRepeatCount = 129;
    // The resend wait has a bound: a printer that refuses data this many times in a row
    // without printing (busy, cleaning, out of paper after every prompt) ends the send with
    // TPResult::PrinterNotReady, three minutes at one try every 500 ms. A printer that reports
    // printing is taking data at its own pace: its refusals are not counted.
    static constexpr int ResendWaitMs = 500;
    static constexpr int MaxIdleRefusals = 360;

    TPRaster(TPDLLFunction &dll, TPStatusControl &status);
    // The window that owns the paper prompt; none means the prompt is skipped (tests).
    void SetWindowLink(TPWindowLink *window);

    // Buffer operations. Append sends whenever the fill reaches SendSize, also in the middle
    // of a call; a failed send leaves the unsent bytes in the buffer for the next send.
    uint16_t Append(const uint8_t *bytes, int count);
    uint16_t Flush(); // sends also an empty buffer (a send of length 0)
    // One run-length record: header (0 for one byte, else 257 - count) and value.
    uint16_t RepeatSend(int count, uint8_t value);
    // Records of at most 120 copies each.
    uint16_t RepeatSendSplit(int count, uint8_t value);
    // Sends bytes by themselves, outside the buffer (a factory packet, a piece of a print
    // file), with the buffer's resend wait: while the printer cannot take data it waits,
    // asking for paper on a paper-out error, so a packet between two pieces of a pattern is
    // not lost; within the bound above.
    uint16_t SendAtOnce(const uint8_t *bytes, int count);
    // Forgets what a failed send left in the buffer: the rest of a job that was given up.
    void DropUnsent();
    int Fill() const { return fill_; }
    const uint8_t *Buffer() const { return buffer_.data(); }

    // Printer commands.
    uint16_t Reset();
    uint16_t EnterGraphicsMode();
    uint16_t SetUnit(uint8_t unit);
    uint16_t SetPrintDirection(uint8_t direction);
    uint16_t SetDotSize(uint8_t dotSize);
    uint16_t SetColorMode(uint8_t mode);
    uint16_t SetRasterResolution(uint8_t rL, uint8_t rH, uint8_t v, uint8_t h);
    uint16_t SetPaperSize(uint8_t w0, uint8_t w1, uint8_t w2, uint8_t w3, uint8_t l0, uint8_t l1,
                          uint8_t l2, uint8_t l3);
    uint16_t SetPageFormat(uint16_t top, uint16_t bottom);
    uint16_t SetPageLength(uint32_t length);
    uint16_t RasterHeader(uint8_t color, uint8_t compression, uint8_t bits, uint16_t bytesPerLine,
                          uint16_t lines);
    uint16_t Feed(uint16_t n);
    uint16_t FeedLong(uint16_t n);
    uint16_t SetUnits(uint8_t page, uint8_t vertical, uint8_t horizontal, uint16_t base);
    uint16_t SetUnitsFine();
    uint16_t SetUnitsMixed();
    uint16_t SetHorizontalPosition(uint8_t x);
    uint16_t ResetToDraftText();
    uint16_t NewLines(int n);
    uint16_t EndPage();

    // Composite operations.
    uint16_t BeginGraphicsPage(uint8_t unit, uint8_t direction, uint8_t dotSize, uint8_t colorMode);
    uint16_t FeedPaper(uint16_t n);

private:
    // Sends the buffer until the printer takes it: waits 500 ms while it cannot take data,
    // asks for paper on a paper-out error, gives up on any other error and at the bound.
    uint16_t SendLoop();
    uint16_t AppendBytes(std::initializer_list<uint8_t> bytes);

    TPDLLFunction &dll_;
    TPStatusControl &status_;
    TPWindowLink *window_ = nullptr;
    std::array<uint8_t, BufferSize> buffer_{};
    int32_t fill_ = 0;
};
