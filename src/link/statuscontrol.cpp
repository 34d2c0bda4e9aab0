#include "statuscontrol.h"

#include "resultcode.h"

#include "dllfunction.h"
#include "raster.h"
#include "wait.h"
#include "windowlink.h"

#include <QString>
#include <cstring>

namespace
{
constexpr uint8_t PaperOut = 6;
constexpr int PollWaitMs = 1000;
constexpr int ReplySize = 256;
constexpr int FieldsStart = 12;
// The inquiry text; the printer's reply starts with the same ten bytes.
constexpr const char *StatusInquiry = "@BDC ST2\r\n";
constexpr size_t HeaderSize = 10;

enum FieldType : uint8_t {
    FieldState = 0x01,
    FieldError = 0x02,
    FieldWarnings = 0x04,
    FieldCounter = 0x0C,
    FieldInk = 0x0F
};
constexpr int InkFieldLength = 19;
constexpr int InkEntrySize = 3;

bool IsWarningCode(uint8_t code)
{
    return (code >= 0x10 && code <= 0x15) || code == 0x20;
}

// Parses the fields up to end (at most ReplySize) into record; says whether a state came.
uint16_t ParseFields(const uint8_t *reply256, int end, TPStatusControl::StatusRecord &record,
                     bool *stateSeen)
{
    int offset = FieldsStart;
    while (offset < end) {
        if (offset + 2 > ReplySize)
            return TPStatusControl::MalformedReply;
        const uint8_t type = reply256[offset];
        const int length = reply256[offset + 1];
        const uint8_t *data = reply256 + offset + 2;
        if (offset + 2 + length > ReplySize)
            return TPStatusControl::MalformedReply;
        switch (type) {
        case FieldState:
        case FieldError:
            if (length != 1)
                return TPStatusControl::MalformedReply;
            (type == FieldState ? record.state : record.error) = data[0];
            *stateSeen = *stateSeen || type == FieldState;
            break;
        case FieldWarnings:
            for (int i = 0; i < length; ++i) {
                if (!IsWarningCode(data[i]))
                    return TPStatusControl::MalformedReply;
            }
            break;
        case FieldCounter:
            if (length != 2)
                return TPStatusControl::MalformedReply;
            break;
        case FieldInk:
            if (length != InkFieldLength)
                return TPStatusControl::MalformedReply;
            for (int entry = 0; entry < TPStatusControl::InkCount; ++entry) {
                const uint8_t *bytes = data + 1 + entry * InkEntrySize;
                const uint8_t colour = bytes[1];
                if (colour >= TPStatusControl::InkCount)
                    return TPStatusControl::MalformedReply;
                record.inkLevel[colour] = bytes[2];
            }
            break;
        default:
            break;
        }
        offset += 2 + length;
    }
    return TPResult::Ok;
}

QString BusyMessage(uint8_t state)
{
    switch (state) {
    case TPStatusControl::StateBusy:
        return QStringLiteral("Printer is busy.");
    case TPStatusControl::StatePrinting:
        return QStringLiteral("Printer is printing.");
    case TPStatusControl::StateCleaning:
        return QStringLiteral("Printer is cleaning.");
    default:
        return QString();
    }
}
} // namespace

TPStatusControl::TPStatusControl(TPDLLFunction &dll, TPRaster &raster) : dll_(dll), raster_(raster)
{
}

void TPStatusControl::SetWindowLink(TPWindowLink *window)
{
    window_ = window;
}

uint16_t TPStatusControl::ReadStatus()
{
    uint8_t reply[ReplySize] = {};
    const uint16_t fetched = dll_.ChanFetchStatus(StatusInquiry, reply);
    if (fetched != TPResult::Ok)
        return fetched;
    return ParseReply(reply);
}

uint16_t TPStatusControl::ParseReply(const uint8_t *reply256)
{
    // A reply without its header, or whose declared end leaves no room for fields, is no
    // status at all: an empty or cut reply would otherwise read as the record it left alone.
    if (std::memcmp(reply256, StatusInquiry, HeaderSize) != 0)
        return MalformedReply;
    int end = reply256[10] | reply256[11] << 8;
    if (end < FieldsStart)
        return MalformedReply;
    // The declared end may claim more than the buffer holds; nothing past it is read.
    if (end > ReplySize)
        end = ReplySize;
    StatusRecord parsed = record_;
    bool stateSeen = false;
    const uint16_t result = ParseFields(reply256, end, parsed, &stateSeen);
    // Fields before a malformed one keep their new values; a reply that names no state
    // leaves the record as it was.
    if (result != TPResult::Ok || stateSeen)
        record_ = parsed;
    if (result != TPResult::Ok)
        return result;
    return stateSeen ? TPResult::Ok : MalformedReply;
}

uint16_t TPStatusControl::WaitUntilReady(bool showMessages, bool paperPrompt)
{
    for (;;) {
        const uint16_t read = ReadStatus();
        if (read != TPResult::Ok)
            return read;
        switch (record_.state) {
        case StateReady:
            return TPResult::Ok;
        case StateError:
            if (!paperPrompt || record_.error != PaperOut)
                return TPResult::PrinterErrorState;
            if (window_)
                window_->PaperPrompt();
            break;
        case StateBeforeInkCharge:
            return TPResult::PrinterErrorState;
        case StateBusy:
        case StatePrinting:
        case StateCleaning:
            if (showMessages && window_) {
                const uint16_t shown =
                    window_->ShowStatus(TPMode::Busy, BusyMessage(record_.state));
                if (shown != TPResult::Ok)
                    return shown;
                window_->ShowStatus(TPMode::NewLine, QStringLiteral("Please wait.."));
            }
            break;
        default:
            break;
        }
        const uint16_t kept = KeepStreamAlive();
        if (kept != TPResult::Ok)
            return kept;
        Wait::For(PollWaitMs);
    }
}

uint16_t TPStatusControl::KeepStreamAlive()
{
    if (window_)
        window_->Repaint();
    const uint16_t reset = raster_.Reset();
    if (reset != TPResult::Ok)
        return reset;
    return raster_.Flush();
}
