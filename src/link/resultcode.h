#pragma once

#include "novari_link.h"

#include <cstdint>

// Result codes of every link, stream and item operation. 1 is success; a caller stops at the
// first other code and passes it up unchanged until the window's error report words it.
// The library's own codes keep the names of its public header.
namespace TPResult
{
constexpr uint16_t Ok = NOVARI_OK;
constexpr uint16_t PortIoError = NOVARI_PORT_IO_ERROR;          // GateGetIoError tells why
constexpr uint16_t UnsupportedModel = NOVARI_UNSUPPORTED_MODEL; // device ID of another model
constexpr uint16_t PortFailure = NOVARI_PORT_FAILURE;           // no port, or bad device ID
constexpr uint16_t ChannelError = NOVARI_CHANNEL_ERROR;         // ChanGetErrorCode tells why
constexpr uint16_t FileOpen = 0x2001;                           // "Cannot file open."
constexpr uint16_t Communication = 0x3000;
constexpr uint16_t PrinterErrorState = 0x4000; // the printer reports an error state
// The printer kept refusing data without printing: the print stream gave up waiting.
constexpr uint16_t PrinterNotReady = 0x4100;
constexpr uint16_t HeadIdError = 0x5000; // detail kept by the head ID unit
constexpr uint16_t BidError = 0x7000;    // detail kept by the Bi-D unit
constexpr uint16_t UsbIdError = 0x8000;  // detail kept by the USB ID unit
// A request the print stream or a packet builder refuses before anything is sent, because
// it would corrupt the stream.
constexpr uint16_t RequestRefused = 0x9000;
constexpr uint16_t MalformedStatus = 0xA0;  // a status reply that does not parse
constexpr uint16_t MissingLibrary = 0xB000; // library or export missing
constexpr uint16_t OutOfMemory = 0xC000;
constexpr uint16_t HeadAngularError = 0xD000;
constexpr uint16_t CrMeasurementError = 0xE000;
constexpr uint16_t PwSensorError = 0xF010;
constexpr uint16_t EepromCopyError = 0xF040;

// Port I/O errors of GateGetIoError.
constexpr int16_t IoNotFound = NOVARI_IO_NOT_FOUND;
constexpr int16_t IoWriteFailed = NOVARI_IO_WRITE_FAILED;
constexpr int16_t IoTimeout = NOVARI_IO_TIMEOUT;
constexpr int16_t IoInUse = NOVARI_IO_IN_USE;
constexpr int16_t IoDisconnected = NOVARI_IO_DISCONNECTED;

// Channel error: the printer cannot take data now (busy); the stream waits and sends again.
constexpr int16_t ChanNotReady = NOVARI_CHAN_NOT_READY;
} // namespace TPResult

// The printer models the program serves, by their model code.
enum class TPModel : uint8_t { Q510 = 1, Q530 = 2, None = 255 };

// The message modes of the main window's status memo (the numbers are those of its
// description: 1-6, 18, 19).
enum class TPMode {
    Result = 1,        // black, replaces
    DoneAfterWait = 2, // waits for a ready printer, black, re-enabled by the DisableTimer
    Working = 3,       // waits with messages, blue, hourglass, window disabled
    Error = 4,         // red, window enabled
    Append = 5,        // appended to the text
    NewLine = 6,       // added as a new line
    Done = 18,         // black, re-enabled by the DisableTimer
    Busy = 19          // blue, hourglass, window disabled, no wait
};

// Item locks: every entry, only the entries usable while the printer reports an error, none.
enum class TPLockLevel { All = 1, ErrorState = 2, None = 3 };
