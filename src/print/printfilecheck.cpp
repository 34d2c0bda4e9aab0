#include "printfilecheck.h"

#include <cstring>

namespace
{
constexpr uint8_t Esc = 0x1B;
constexpr uint8_t Compressed = 1;
constexpr uint8_t Uncompressed = 0;
constexpr uint8_t LargestLiteralHeader = 127;
constexpr int RunBase = 257; // a run header h stands for 257 - h copies

// The commands ESC "(" c that the print stream sends (graphics mode, units, dot size, colour
// mode, resolution, paper size, page format, page length, feeds, horizontal position).
bool IsStreamParenCommand(uint8_t c)
{
    return c != 0 && std::strchr("GUeKDScCv$", c) != nullptr;
}
} // namespace

bool TPPrintFileCheck::Feed(const uint8_t *bytes, size_t count)
{
    for (size_t i = 0; i < count && verdict_ == Verdict::PrintData; ++i)
        Take(bytes[i]);
    return verdict_ == Verdict::PrintData;
}

TPPrintFileCheck::Verdict TPPrintFileCheck::Finish() const
{
    if (verdict_ != Verdict::PrintData)
        return verdict_;
    return step_ == Step::Text ? Verdict::PrintData : Verdict::Incomplete;
}

void TPPrintFileCheck::Take(uint8_t byte)
{
    switch (step_) {
    case Step::Text:
        if (byte == Esc)
            step_ = Step::Escape;
        return;
    case Step::Escape:
        Escape(byte);
        return;
    case Step::Header:
        header_[have_++] = byte;
        if (have_ == need_)
            HeaderDone();
        return;
    case Step::Skip:
        if (--skip_ == 0)
            step_ = Step::Text;
        return;
    case Step::RasterRecord:
        if (byte <= LargestLiteralHeader) {
            recordLeft_ = uint64_t(byte) + 1;
            step_ = Step::RasterLiteral;
        } else {
            runLength_ = uint64_t(RunBase - byte);
            step_ = Step::RasterRun;
        }
        return;
    case Step::RasterLiteral:
        --recordLeft_;
        RasterDecoded(1);
        return;
    case Step::RasterRun:
        RasterDecoded(runLength_);
        return;
    }
}

void TPPrintFileCheck::Escape(uint8_t command)
{
    command_ = command;
    switch (command) {
    case '@': // initialise
        step_ = Step::Text;
        return;
    case 'U': // print direction
    case 'x': // text quality
        skip_ = 1;
        step_ = Step::Skip;
        return;
    case '$':  // absolute horizontal position
    case '\\': // relative horizontal move
        skip_ = 2;
        step_ = Step::Skip;
        return;
    case '(': // command code, then a 16-bit parameter count
        have_ = 0;
        need_ = 3;
        step_ = Step::Header;
        return;
    case 'i': // raster block: colour, compression, bits, bytes per line, lines
        have_ = 0;
        need_ = 7;
        step_ = Step::Header;
        return;
    case '|':
        verdict_ = Verdict::FactoryPacket;
        return;
    case 0x00: // the end of remote mode
        verdict_ = Verdict::RemoteMode;
        return;
    default:
        verdict_ = Verdict::OtherCommand;
        return;
    }
}

void TPPrintFileCheck::HeaderDone()
{
    if (command_ == '(') {
        const uint8_t code = header_[0];
        const uint64_t count = uint64_t(header_[1]) | uint64_t(header_[2]) << 8;
        if (code == 'R') {
            verdict_ = Verdict::RemoteMode;
            return;
        }
        if (!IsStreamParenCommand(code)) {
            verdict_ = Verdict::OtherCommand;
            return;
        }
        skip_ = count;
        step_ = count > 0 ? Step::Skip : Step::Text;
        return;
    }
    const uint8_t compression = header_[1];
    const uint64_t bytesPerLine = uint64_t(header_[3]) | uint64_t(header_[4]) << 8;
    const uint64_t lines = uint64_t(header_[5]) | uint64_t(header_[6]) << 8;
    rasterLeft_ = bytesPerLine * lines;
    if (compression != Compressed && compression != Uncompressed) {
        verdict_ = Verdict::OtherCommand;
        return;
    }
    if (rasterLeft_ == 0) {
        step_ = Step::Text;
    } else if (compression == Uncompressed) {
        skip_ = rasterLeft_;
        step_ = Step::Skip;
    } else {
        step_ = Step::RasterRecord;
    }
}

void TPPrintFileCheck::RasterDecoded(uint64_t count)
{
    if (count > rasterLeft_) {
        verdict_ = Verdict::Incomplete; // the records run past the block
        return;
    }
    rasterLeft_ -= count;
    if (step_ == Step::RasterLiteral && recordLeft_ > 0)
        return;
    step_ = rasterLeft_ == 0 ? Step::Text : Step::RasterRecord;
}
