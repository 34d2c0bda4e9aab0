#pragma once

// The data channel tokenizer: splits the byte stream into commands, text bytes, raster blocks
// (decoded line by line), factory packets and remote-mode commands. It takes bytes in any split
// and keeps no more than one raster line and one packet in memory.

#include <cstdint>
#include <string>
#include <vector>

#include "streamevents.h"

namespace sim
{

class StreamParser
{
public:
    explicit StreamParser(StreamSink &sink);

    void Feed(const uint8_t *bytes, size_t count);
    // The stream stops here (channel closed, printer reset): reports whatever was left open
    // and returns to the state after power-on.
    void Finish();

    uint64_t Offset() const { return offset_; }
    bool InRemoteMode() const { return remote_; }
    // Offset of the byte right after the last raster block that ended complete.
    uint64_t LastBlockEnd() const { return lastBlockEnd_; }

private:
    enum class State {
        Ground,
        Escape,
        FixedParameters,
        ExtendedLetter,
        ExtendedCount,
        ExtendedParameters,
        FactoryZero,
        FactoryCount,
        FactoryBody,
        RasterRecord,
        RasterRunValue,
        RasterLiteral,
        RasterEscapePending,
        RasterRaw,
        SkipToEscape,
        RemoteName,
        RemoteCount,
        RemoteParameters,
        RemoteExit,
        RemoteResync,
    };

    // Each returns false when the byte must be looked at again in the new state.
    bool Step(uint8_t byte);
    bool StepGround(uint8_t byte);
    void StepEscape(uint8_t byte);
    void StepFixed(uint8_t byte);
    void StepExtended(uint8_t byte);
    bool StepFactory(uint8_t byte);
    bool StepRaster(uint8_t byte);
    bool StepRasterRecord(uint8_t byte);
    bool StepRasterEscapePending(uint8_t byte);
    void StepRemote(uint8_t byte);
    void StepRemoteExit(uint8_t byte);
    void StepRemoteResync(uint8_t byte);

    void FinishFixed();
    void FinishExtended();
    void BeginRaster();
    void PutRasterByte(uint8_t byte);
    void FillRaster(uint8_t value, uint64_t count);
    // Copies up to available raster bytes of a literal record or raw block at once, always
    // leaving its last byte; returns how many were taken.
    size_t CopyRaster(const uint8_t *bytes, size_t available);
    void EndRaster(bool complete);
    uint64_t RasterLeft() const { return rasterTotal_ - rasterDone_; }
    void ReportShort();
    void ReportLong(uint64_t offset, uint64_t excess);
    void Report(uint64_t offset, ErrorKind kind, std::string message);
    void StartRemoteResync(uint64_t offset, std::string why);

    StreamSink &sink_;
    State state_ = State::Ground;
    uint64_t offset_ = 0;        // offset of the byte being looked at
    uint64_t commandOffset_ = 0; // where the command being read began
    uint64_t lastBlockEnd_ = UINT64_MAX;
    bool remote_ = false;

    ParsedCommand command_;
    uint32_t need_ = 0; // bytes still wanted in the current state
    uint32_t got_ = 0;  // bytes taken in the current state

    std::vector<uint8_t> packet_;

    RasterHeaderInfo raster_;
    uint64_t rasterTotal_ = 0;
    uint64_t rasterDone_ = 0;
    std::vector<uint8_t> line_;
    size_t linePosition_ = 0;
    int lineIndex_ = 0;
    uint64_t recordOffset_ = 0;
    uint32_t literalLeft_ = 0;
    uint32_t discardLeft_ = 0;
    uint32_t runCount_ = 0;

    std::string remoteName_;
    std::vector<uint8_t> remoteParameters_;
    uint32_t resyncMatched_ = 0;
};

} // namespace sim
