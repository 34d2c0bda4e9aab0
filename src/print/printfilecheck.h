#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Walks a print job command by command and tells whether it holds print data only: text,
// line and page control, the raster commands of the print stream and their run-length data.
// A factory packet (ESC "|"), remote mode (ESC "(R" or its exit ESC 00) or any other command
// would reach the printer's settings and stored values, so a ready-made print file that holds
// one is not sent. Bytes are fed in pieces of any size; raster data is skipped by the sizes
// its block header gives, so image bytes never pass for commands.
class TPPrintFileCheck
{
public:
    enum class Verdict {
        PrintData,     // nothing but print data
        FactoryPacket, // ESC "|"
        RemoteMode,    // ESC "(R" or ESC 00
        OtherCommand,  // a command the print stream does not send
        Incomplete     // ends inside a command, or raster records run past their block
    };

    // False once the bytes so far hold something that is not print data.
    bool Feed(const uint8_t *bytes, size_t count);
    // The verdict on everything fed, as a whole file.
    Verdict Finish() const;

private:
    enum class Step { Text, Escape, Header, Skip, RasterRecord, RasterLiteral, RasterRun };
    void Take(uint8_t byte);
    void Escape(uint8_t command);
    void HeaderDone();
    void RasterDecoded(uint64_t count);

    Step step_ = Step::Text;
    Verdict verdict_ = Verdict::PrintData;
    uint8_t command_ = 0;
    std::array<uint8_t, 7> header_{};
    size_t have_ = 0;
    size_t need_ = 0;
    uint64_t skip_ = 0;
    uint64_t rasterLeft_ = 0; // decoded bytes the block still expects
    uint64_t recordLeft_ = 0; // literal bytes of the current record
    uint64_t runLength_ = 0;
};
