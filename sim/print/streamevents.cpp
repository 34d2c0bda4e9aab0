#include "streamevents.h"

namespace sim
{

const char *ErrorKindName(ErrorKind kind)
{
    switch (kind) {
    case ErrorKind::UnknownCommand:
        return "unknown-command";
    case ErrorKind::WrongParameterCount:
        return "wrong-parameter-count";
    case ErrorKind::ParameterOutOfRange:
        return "parameter-out-of-range";
    case ErrorKind::RasterHeaderOutOfRange:
        return "raster-header-out-of-range";
    case ErrorKind::RecordHeaderOutOfRange:
        return "record-header-out-of-range";
    case ErrorKind::RasterLengthMismatch:
        return "raster-length-mismatch";
    case ErrorKind::OutsideSheet:
        return "outside-sheet";
    case ErrorKind::RejectedPacket:
        return "rejected-packet";
    case ErrorKind::Truncated:
        return "truncated";
    case ErrorKind::StrayData:
        return "stray-data";
    case ErrorKind::WrongMode:
        return "wrong-mode";
    case ErrorKind::PageNotEjected:
        return "page-not-ejected";
    case ErrorKind::FedPastSheet:
        return "fed-past-sheet";
    }
    return "unknown";
}

} // namespace sim
