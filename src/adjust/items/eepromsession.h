#pragma once

#include "link/resultcode.h"

#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

class TAdjustServices;
class TPDLLFunction;

// One run of EEPROM byte operations inside an item handler, framed by the main window's
// messages: the working message (which waits for a ready printer), the item's reaction to a
// printer in an error state, the bytes one at a time up to the first failure (which goes to
// the error report), and the completion message. Every step returns false once the run has
// failed and been reported; the handler then simply returns.
class TPEepromSession
{
public:
    // What the item does when the printer reports an error state before it starts.
    enum class OnPrinterError {
        GoOn,   // show the working text again without the wait and go on
        Report, // report the printer error and stop
        // go on only when the printer waits for its initial ink charge (state 8), which the
        // ink charge itself ends; report any other printer error and stop
        GoOnBeforeInkCharge
    };

    TPEepromSession(TAdjustServices &window, TPDLLFunction &dll);

    // Working message (mode 3). False when the run must stop (already reported).
    bool Begin(const QString &workingText, OnPrinterError reaction);
    bool Read(uint8_t address, uint8_t *value);
    bool Write(uint8_t address, uint8_t value);
    // Writes in order; stops at the first failure. Bytes already written stay written.
    bool WriteAll(const std::vector<std::pair<uint8_t, uint8_t>> &writes);
    // Reads the addresses in order into values (same size); stops at the first failure.
    bool ReadAll(const std::vector<uint8_t> &addresses, std::vector<uint8_t> *values);
    // Hands a result code of an item unit or library call to the error report unless it is 1.
    bool Check(uint16_t code);
    // Completion message: mode 2 waits for a ready printer again, mode 18 does not.
    bool Finish(TPMode mode, const QString &doneText);

    bool Failed() const { return failed_; }

private:
    // Whether the item goes on when the working message met a printer error state.
    bool GoesOn(OnPrinterError reaction) const;

    TAdjustServices &window_;
    TPDLLFunction &dll_;
    bool failed_ = false;
};
