#include "streamparser.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "hexformat.h"

namespace sim
{

namespace
{

constexpr uint8_t kEsc = 0x1B;

// Bytes that can follow ESC as a command this printer knows. A raster record header of 0x1B
// that runs past its block and is followed by one of these is taken as the next command.
bool IsCommandLetter(uint8_t byte)
{
    return std::strchr("@(iUx$\\|", byte) != nullptr && byte != 0;
}

bool IsRemoteLetter(uint8_t byte)
{
    return std::isalpha(byte) != 0;
}

} // namespace

StreamParser::StreamParser(StreamSink &sink) : sink_(sink) {}

void StreamParser::Feed(const uint8_t *bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        if ((state_ == State::RasterLiteral || state_ == State::RasterRaw) && count - i > 1) {
            // Raster data is copied a stretch at a time; the last byte of a stretch goes
            // through the ordinary step, which ends the record or the block.
            const size_t copied = CopyRaster(bytes + i, count - i - 1);
            i += copied;
            offset_ += copied;
        }
        // A byte is looked at again only after a state change that consumes it, so this
        // loop runs at most a few times per byte.
        while (!Step(bytes[i])) {
        }
        ++offset_;
    }
}

void StreamParser::Finish()
{
    switch (state_) {
    case State::Ground:
    case State::SkipToEscape:
        break;
    case State::RasterRecord:
    case State::RasterRunValue:
    case State::RasterLiteral:
    case State::RasterEscapePending:
    case State::RasterRaw:
        Report(raster_.offset, ErrorKind::Truncated,
               "raster block at " + Hex(raster_.offset) + " ended after " +
                   std::to_string(rasterDone_) + " of " + std::to_string(rasterTotal_) + " bytes");
        sink_.RasterEnd(false);
        break;
    case State::RemoteName:
    case State::RemoteCount:
    case State::RemoteParameters:
    case State::RemoteExit:
    case State::RemoteResync:
        Report(commandOffset_, ErrorKind::Truncated,
               "the job ended in remote mode (no exit remote mode)");
        break;
    default:
        Report(commandOffset_, ErrorKind::Truncated,
               "command at " + Hex(commandOffset_) + " is incomplete");
        break;
    }
    state_ = State::Ground;
    remote_ = false;
    lastBlockEnd_ = UINT64_MAX;
    packet_.clear();
    packet_.shrink_to_fit();
    remoteParameters_.clear();
    remoteParameters_.shrink_to_fit();
    line_.clear();
    line_.shrink_to_fit();
}

bool StreamParser::Step(uint8_t byte)
{
    switch (state_) {
    case State::Ground:
        return StepGround(byte);
    case State::Escape:
        StepEscape(byte);
        return true;
    case State::FixedParameters:
        StepFixed(byte);
        return true;
    case State::ExtendedLetter:
    case State::ExtendedCount:
    case State::ExtendedParameters:
        StepExtended(byte);
        return true;
    case State::FactoryZero:
    case State::FactoryCount:
    case State::FactoryBody:
        return StepFactory(byte);
    case State::RasterRecord:
    case State::RasterRunValue:
    case State::RasterLiteral:
    case State::RasterEscapePending:
    case State::RasterRaw:
        return StepRaster(byte);
    case State::SkipToEscape:
        if (byte == kEsc) {
            state_ = State::Ground;
            return false;
        }
        return true;
    case State::RemoteName:
    case State::RemoteCount:
    case State::RemoteParameters:
        StepRemote(byte);
        return true;
    case State::RemoteExit:
        StepRemoteExit(byte);
        return true;
    case State::RemoteResync:
        StepRemoteResync(byte);
        return true;
    }
    return true;
}

bool StreamParser::StepGround(uint8_t byte)
{
    if (byte == kEsc) {
        commandOffset_ = offset_;
        command_ = ParsedCommand{};
        command_.offset = offset_;
        got_ = 0;
        state_ = State::Escape;
        return true;
    }
    if (offset_ == lastBlockEnd_ && byte != 0x0D && byte != 0x0A && byte != 0x0C) {
        Report(offset_, ErrorKind::RasterLengthMismatch,
               "raster block at " + Hex(raster_.offset) +
                   " is longer than its header: data goes on at " + Hex(offset_) +
                   "; skipped up to the next command");
        state_ = State::SkipToEscape;
        return true;
    }
    sink_.Byte(byte, offset_);
    return true;
}

void StreamParser::StepEscape(uint8_t byte)
{
    command_.letter = byte;
    got_ = 0;
    switch (byte) {
    case '@':
        sink_.Command(command_);
        state_ = State::Ground;
        return;
    case 'U':
    case 'x':
        need_ = 1;
        break;
    case '$':
    case '\\':
    case 0x00:
        need_ = 2;
        break;
    case 'i':
        need_ = 7;
        break;
    case '(':
        command_.extended = true;
        state_ = State::ExtendedLetter;
        return;
    case '|':
        packet_.assign({kEsc, '|'});
        state_ = State::FactoryZero;
        return;
    default:
        Report(commandOffset_, ErrorKind::UnknownCommand,
               "unknown command ESC " + Hex(byte) + " at " + Hex(commandOffset_));
        state_ = State::Ground;
        return;
    }
    state_ = State::FixedParameters;
}

void StreamParser::StepFixed(uint8_t byte)
{
    command_.parameters[got_++] = byte;
    if (got_ == need_) {
        FinishFixed();
    }
}

void StreamParser::FinishFixed()
{
    command_.count = need_;
    state_ = State::Ground;
    if (command_.letter == 'i') {
        BeginRaster();
    } else if (command_.letter == 0x00) {
        Report(commandOffset_, ErrorKind::WrongMode,
               "exit remote mode at " + Hex(commandOffset_) + " outside remote mode");
    } else {
        sink_.Command(command_);
    }
}

void StreamParser::StepExtended(uint8_t byte)
{
    if (state_ == State::ExtendedLetter) {
        command_.letter = byte;
        got_ = 0;
        need_ = 0;
        state_ = State::ExtendedCount;
        return;
    }
    if (state_ == State::ExtendedCount) {
        need_ |= static_cast<uint32_t>(byte) << (8 * got_);
        if (++got_ == 2) {
            command_.count = need_;
            got_ = 0;
            state_ = State::ExtendedParameters;
            if (need_ == 0) {
                FinishExtended();
            }
        }
        return;
    }
    if (got_ < ParsedCommand::kMaxKeptParameters) {
        command_.parameters[got_] = byte;
    }
    if (++got_ == need_) {
        FinishExtended();
    }
}

void StreamParser::FinishExtended()
{
    state_ = State::Ground;
    if (command_.letter != 'R') {
        sink_.Command(command_);
        return;
    }
    static const uint8_t kRemoteKey[8] = {0x00, 'R', 'E', 'M', 'O', 'T', 'E', '1'};
    if (command_.count != 8) {
        Report(commandOffset_, ErrorKind::WrongParameterCount,
               "enter remote mode at " + Hex(commandOffset_) + " with " +
                   std::to_string(command_.count) + " parameter bytes instead of 8");
        return;
    }
    if (std::memcmp(command_.parameters.data(), kRemoteKey, sizeof kRemoteKey) != 0) {
        Report(commandOffset_, ErrorKind::ParameterOutOfRange,
               "enter remote mode at " + Hex(commandOffset_) + " without 00 \"REMOTE1\"");
        return;
    }
    remote_ = true;
    got_ = 0;
    state_ = State::RemoteName;
    sink_.EnterRemoteMode(commandOffset_);
}

bool StreamParser::StepFactory(uint8_t byte)
{
    if (state_ == State::FactoryZero) {
        if (byte != 0x00) {
            Report(commandOffset_, ErrorKind::UnknownCommand,
                   "ESC \"|\" at " + Hex(commandOffset_) + " not followed by 00");
            state_ = State::Ground;
            return false;
        }
        packet_.push_back(byte);
        got_ = 0;
        state_ = State::FactoryCount;
        return true;
    }
    packet_.push_back(byte);
    if (state_ == State::FactoryCount) {
        if (++got_ < 2) {
            return true;
        }
        need_ = static_cast<uint32_t>(packet_[3]) | (static_cast<uint32_t>(packet_[4]) << 8);
        packet_.reserve(need_ + 5);
        state_ = State::FactoryBody;
    }
    if (packet_.size() == need_ + 5) {
        state_ = State::Ground;
        sink_.FactoryPacket(packet_, commandOffset_);
    }
    return true;
}

void StreamParser::BeginRaster()
{
    raster_.offset = commandOffset_;
    raster_.color = command_.At(0);
    raster_.compression = command_.At(1);
    raster_.bits = command_.At(2);
    raster_.bytesPerLine = command_.U16(3);
    raster_.lines = command_.U16(5);
    if (raster_.compression > 1) {
        Report(commandOffset_, ErrorKind::RasterHeaderOutOfRange,
               "raster header at " + Hex(commandOffset_) + " has compression " +
                   std::to_string(raster_.compression) +
                   ": its data cannot be followed; skipped up to the next ESC");
        state_ = State::SkipToEscape;
        return;
    }
    rasterTotal_ = static_cast<uint64_t>(raster_.bytesPerLine) * raster_.lines;
    rasterDone_ = 0;
    line_.assign(raster_.bytesPerLine, 0);
    linePosition_ = 0;
    lineIndex_ = 0;
    sink_.RasterBegin(raster_);
    if (rasterTotal_ == 0) {
        EndRaster(true);
        return;
    }
    state_ = raster_.compression == 0 ? State::RasterRaw : State::RasterRecord;
}

size_t StreamParser::CopyRaster(const uint8_t *bytes, size_t available)
{
    uint64_t want = state_ == State::RasterRaw ? RasterLeft() : literalLeft_;
    // Keep one byte of the record or block for Step, which handles its end.
    want = want > 0 ? want - 1 : 0;
    size_t copied = 0;
    while (copied < available && want > 0) {
        const size_t space = line_.size() - linePosition_;
        const size_t n = static_cast<size_t>(
            std::min<uint64_t>({want, static_cast<uint64_t>(available - copied), space}));
        std::memcpy(&line_[linePosition_], bytes + copied, n);
        copied += n;
        want -= n;
        linePosition_ += n;
        rasterDone_ += n;
        if (state_ == State::RasterLiteral) {
            literalLeft_ -= static_cast<uint32_t>(n);
        }
        if (linePosition_ == line_.size()) {
            sink_.RasterLine(line_.data(), line_.size(), lineIndex_++);
            linePosition_ = 0;
        }
    }
    return copied;
}

void StreamParser::FillRaster(uint8_t value, uint64_t count)
{
    while (count > 0) {
        const size_t space = line_.size() - linePosition_;
        const size_t n = static_cast<size_t>(std::min<uint64_t>(count, space));
        std::memset(&line_[linePosition_], value, n);
        count -= n;
        linePosition_ += n;
        rasterDone_ += n;
        if (linePosition_ == line_.size()) {
            sink_.RasterLine(line_.data(), line_.size(), lineIndex_++);
            linePosition_ = 0;
        }
    }
}

void StreamParser::PutRasterByte(uint8_t byte)
{
    line_[linePosition_++] = byte;
    ++rasterDone_;
    if (linePosition_ == line_.size()) {
        sink_.RasterLine(line_.data(), line_.size(), lineIndex_++);
        linePosition_ = 0;
    }
}

void StreamParser::EndRaster(bool complete)
{
    state_ = State::Ground;
    sink_.RasterEnd(complete);
}

bool StreamParser::StepRaster(uint8_t byte)
{
    switch (state_) {
    case State::RasterRaw:
        PutRasterByte(byte);
        if (RasterLeft() == 0) {
            EndRaster(true);
            lastBlockEnd_ = offset_ + 1;
        }
        return true;
    case State::RasterRecord:
        return StepRasterRecord(byte);
    case State::RasterEscapePending:
        return StepRasterEscapePending(byte);
    case State::RasterRunValue: {
        const uint64_t left = RasterLeft();
        FillRaster(byte, runCount_ < left ? runCount_ : left);
        if (runCount_ > left) {
            ReportLong(recordOffset_, runCount_ - left);
            EndRaster(true);
        } else if (RasterLeft() == 0) {
            EndRaster(true);
            lastBlockEnd_ = offset_ + 1;
        } else {
            state_ = State::RasterRecord;
        }
        return true;
    }
    case State::RasterLiteral:
        if (literalLeft_ > 0) {
            PutRasterByte(byte);
            --literalLeft_;
        } else {
            --discardLeft_;
        }
        if (literalLeft_ == 0 && discardLeft_ == 0) {
            if (RasterLeft() == 0) {
                const bool exact = recordOffset_ != UINT64_MAX;
                EndRaster(true);
                if (exact) {
                    lastBlockEnd_ = offset_ + 1;
                }
            } else {
                state_ = State::RasterRecord;
            }
        }
        return true;
    default:
        return true;
    }
}

bool StreamParser::StepRasterRecord(uint8_t byte)
{
    recordOffset_ = offset_;
    const uint64_t left = RasterLeft();
    if (byte <= 0x7F) {
        const uint32_t length = byte + 1u;
        if (length <= left) {
            literalLeft_ = length;
            discardLeft_ = 0;
            state_ = State::RasterLiteral;
            return true;
        }
        if (byte == kEsc) {
            state_ = State::RasterEscapePending;
            return true;
        }
        if (byte == 0x0C || byte == 0x0D) {
            // A form feed or carriage return where the block's data should go on: the data
            // ended early and this is the next command.
            ReportShort();
            EndRaster(false);
            return false;
        }
        ReportLong(recordOffset_, length - left);
        literalLeft_ = static_cast<uint32_t>(left);
        discardLeft_ = static_cast<uint32_t>(length - left);
        recordOffset_ = UINT64_MAX; // the block no longer ends exactly
        state_ = State::RasterLiteral;
        return true;
    }
    if (byte == 0x80) {
        Report(offset_, ErrorKind::RecordHeaderOutOfRange,
               "run-length record header 0x80 at " + Hex(offset_) + " in the raster block at " +
                   Hex(raster_.offset) + " (taken as 129 copies)");
        runCount_ = 129;
    } else {
        runCount_ = 257u - byte;
    }
    state_ = State::RasterRunValue;
    return true;
}

bool StreamParser::StepRasterEscapePending(uint8_t byte)
{
    const uint64_t left = RasterLeft();
    if (IsCommandLetter(byte)) {
        ReportShort();
        EndRaster(false);
        commandOffset_ = recordOffset_;
        command_ = ParsedCommand{};
        command_.offset = recordOffset_;
        state_ = State::Escape;
        return false;
    }
    ReportLong(recordOffset_, 28 - left);
    literalLeft_ = static_cast<uint32_t>(left);
    discardLeft_ = static_cast<uint32_t>(28 - left);
    recordOffset_ = UINT64_MAX;
    state_ = State::RasterLiteral;
    return false;
}

void StreamParser::ReportShort()
{
    const uint64_t left = RasterLeft();
    Report(recordOffset_, ErrorKind::RasterLengthMismatch,
           "raster block at " + Hex(raster_.offset) + " is " + std::to_string(left) +
               (left == 1 ? " byte" : " bytes") + " short of its header (" +
               std::to_string(raster_.bytesPerLine) + " x " + std::to_string(raster_.lines) +
               "): the next command begins at " + Hex(recordOffset_));
}

void StreamParser::ReportLong(uint64_t offset, uint64_t excess)
{
    Report(offset, ErrorKind::RasterLengthMismatch,
           "raster block at " + Hex(raster_.offset) + " is longer than its header (" +
               std::to_string(raster_.bytesPerLine) + " x " + std::to_string(raster_.lines) +
               "): the record at " + Hex(offset) + " runs " + std::to_string(excess) +
               " bytes past its end");
}

void StreamParser::StepRemote(uint8_t byte)
{
    if (state_ == State::RemoteName) {
        if (got_ == 0) {
            commandOffset_ = offset_;
            if (byte == kEsc) {
                state_ = State::RemoteExit;
                return;
            }
        }
        if (!IsRemoteLetter(byte)) {
            StartRemoteResync(commandOffset_, "byte " + Hex(byte) + " at " + Hex(offset_) +
                                                  " is no remote-mode command letter");
            if (byte == kEsc) {
                // It may begin the exit itself.
                resyncMatched_ = 1;
                commandOffset_ = offset_;
            }
            return;
        }
        if (got_ == 0) {
            remoteName_.assign(1, static_cast<char>(byte));
            got_ = 1;
        } else {
            remoteName_.push_back(static_cast<char>(byte));
            got_ = 0;
            need_ = 0;
            state_ = State::RemoteCount;
        }
        return;
    }
    if (state_ == State::RemoteCount) {
        need_ |= static_cast<uint32_t>(byte) << (8 * got_);
        if (++got_ < 2) {
            return;
        }
        remoteParameters_.clear();
        remoteParameters_.reserve(need_);
        state_ = State::RemoteParameters;
        if (need_ > 0) {
            return;
        }
    } else {
        remoteParameters_.push_back(byte);
    }
    if (remoteParameters_.size() == need_) {
        got_ = 0;
        state_ = State::RemoteName;
        sink_.RemoteCommand(remoteName_, remoteParameters_, commandOffset_);
    }
}

void StreamParser::StepRemoteExit(uint8_t byte)
{
    if (byte != 0x00) {
        StartRemoteResync(commandOffset_, "ESC at " + Hex(commandOffset_) +
                                              " in remote mode is not exit remote mode");
        resyncMatched_ = byte == kEsc ? 1 : 0;
        return;
    }
    if (++got_ == 3) {
        remote_ = false;
        state_ = State::Ground;
        sink_.ExitRemoteMode(commandOffset_);
    }
}

void StreamParser::StartRemoteResync(uint64_t offset, std::string why)
{
    Report(offset, ErrorKind::StrayData, why + "; skipped up to exit remote mode");
    resyncMatched_ = 0;
    state_ = State::RemoteResync;
}

void StreamParser::StepRemoteResync(uint8_t byte)
{
    if (byte == kEsc) {
        resyncMatched_ = 1;
        commandOffset_ = offset_;
    } else if (byte == 0x00 && resyncMatched_ > 0) {
        ++resyncMatched_;
    } else {
        resyncMatched_ = 0;
    }
    if (resyncMatched_ == 4) {
        remote_ = false;
        state_ = State::Ground;
        sink_.ExitRemoteMode(commandOffset_);
    }
}

void StreamParser::Report(uint64_t offset, ErrorKind kind, std::string message)
{
    sink_.Error(StreamError{offset, kind, std::move(message)});
}

} // namespace sim
