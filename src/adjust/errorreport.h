#pragma once

#include "link/resultcode.h"
#include "link/statuscontrol.h"

#include <QString>
#include <optional>
#include <vector>

// One line of a message in the status memo and the mode it is shown in.
struct TPMessageLine {
    TPMode mode;
    QString text;

    bool operator==(const TPMessageLine &other) const
    {
        return mode == other.mode && text == other.text;
    }
};

// What the main window shows for a result code, and the item lock it then sets (none: the
// lock stays as it is).
struct TPErrorWording {
    std::vector<TPMessageLine> lines;
    std::optional<TPLockLevel> lock;
};

// The wording of result codes, printer errors and printer states, without a window. The
// window shows the lines and applies the lock.
class TPErrorReport
{
public:
    // Codes whose message an item words from the detail its rules keep (0x5000 head ID, 0x7000
    // Bi-D, 0x8000 USB ID, 0xD000 head angular, 0xE000 CR measurement, 0xF010 PW sensor,
    // 0xF040 EEPROM data copy).
    static bool IsItemCode(uint16_t code);

    // A result code that is not an item's. ioError is what GateGetIoError gave (read for
    // 0x1000 only); record is the printer's last status (used for 0x4000).
    static TPErrorWording ForCode(uint16_t code, int16_t ioError,
                                  const TPStatusControl::StatusRecord &record);

    // The printer error lines of a status record whose printer is in an error state (state 0)
    // or before its initial ink charge (state 8).
    static std::vector<TPMessageLine> PrinterError(const TPStatusControl::StatusRecord &record);

    // "Get Status": the lines for the printer's state, with the ink report when it is ready,
    // and the lock. The printer error table for state 0.
    static TPErrorWording StateReport(const TPStatusControl::StatusRecord &record);

    // The lines of a failed "Get Status" before the status was read.
    static std::vector<TPMessageLine> ConnectionAdvice();
    static QString CommunicationErrorOccurred();
    // Added when every item is locked.
    static QString RestartAdvice();
};
