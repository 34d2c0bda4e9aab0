#pragma once

// What the stream tokenizer hands on: commands, text bytes, decoded raster lines, packets and
// the faults it met. Offsets count bytes of the data channel since the printer started.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim
{

enum class ErrorKind {
    UnknownCommand,         // a command the printer does not know
    WrongParameterCount,    // ESC ( X with a count the command does not take
    ParameterOutOfRange,    // a value the command does not allow
    RasterHeaderOutOfRange, // colour, compression or bits of a raster header
    RecordHeaderOutOfRange, // run-length record header 0x80
    RasterLengthMismatch,   // raster data shorter or longer than its header says
    OutsideSheet,           // dots or text that fall off the sheet
    RejectedPacket,         // the firmware refused a factory or remote-mode packet
    Truncated,              // the job ended inside a command, block or remote mode
    StrayData,              // bytes that are no command in graphics or remote mode
    WrongMode,              // raster data outside graphics mode, exit without enter
    PageNotEjected,         // the job ended with printing on a sheet and no form feed
    FedPastSheet,           // a paper move past the sheet's bottom edge (the sheet goes out)
};

const char *ErrorKindName(ErrorKind kind);

struct StreamError {
    uint64_t offset = 0;
    ErrorKind kind = ErrorKind::UnknownCommand;
    std::string message;
};

// An ESC command. For ESC ( X the declared parameter count is kept; only the first
// kMaxKeptParameters parameter bytes are kept (the rest are counted and skipped).
struct ParsedCommand {
    static constexpr size_t kMaxKeptParameters = 16;
    uint64_t offset = 0;
    uint8_t letter = 0;    // the byte after ESC, or after ESC ( for extended commands
    bool extended = false; // ESC ( letter count parameters
    uint32_t count = 0;    // parameter bytes that followed
    std::array<uint8_t, kMaxKeptParameters> parameters{};

    uint8_t At(size_t i) const { return i < kMaxKeptParameters ? parameters[i] : 0; }
    uint16_t U16(size_t i) const { return static_cast<uint16_t>(At(i) | (At(i + 1) << 8)); }
    uint32_t U32(size_t i) const
    {
        return static_cast<uint32_t>(At(i)) | (static_cast<uint32_t>(At(i + 1)) << 8) |
               (static_cast<uint32_t>(At(i + 2)) << 16) | (static_cast<uint32_t>(At(i + 3)) << 24);
    }
};

struct RasterHeaderInfo {
    uint64_t offset = 0;
    uint8_t color = 0;
    uint8_t compression = 0;
    uint8_t bits = 0;
    uint16_t bytesPerLine = 0;
    uint16_t lines = 0;
};

// Receives everything the tokenizer finds, in stream order.
class StreamSink
{
public:
    virtual ~StreamSink() = default;
    virtual void Command(const ParsedCommand &command) = 0;
    // A byte outside any command: text, CR, LF, FF or a stray byte.
    virtual void Byte(uint8_t byte, uint64_t offset) = 0;
    // A raster block begins; its lines follow through RasterLine and it ends with RasterEnd.
    virtual void RasterBegin(const RasterHeaderInfo &header) = 0;
    virtual void RasterLine(const uint8_t *bytes, size_t count, int lineIndex) = 0;
    // complete: every line arrived (whatever faults the data had).
    virtual void RasterEnd(bool complete) = 0;
    virtual void FactoryPacket(const std::vector<uint8_t> &packet, uint64_t offset) = 0;
    virtual void EnterRemoteMode(uint64_t offset) = 0;
    virtual void RemoteCommand(const std::string &name, const std::vector<uint8_t> &parameters,
                               uint64_t offset) = 0;
    virtual void ExitRemoteMode(uint64_t offset) = 0;
    virtual void Error(const StreamError &error) = 0;
};

} // namespace sim
