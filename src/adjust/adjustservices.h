#pragma once

#include <QString>
#include <cstdint>

class QWidget;
struct TPProgram;
struct TPSelection;

// What an item of the main adjustment window asks of the window: the status memo and its
// message modes, the error report by result code, the "Adjusted items" summary cells, and the
// program-wide printer objects and selections. The window implements it; tests may fake it.
class TAdjustServices
{
public:
    // Mode numbers of ShowStatus.
    enum Mode {
        ModeResult = 1,        // black, replaces
        ModeDoneAfterWait = 2, // waits for a ready printer, black, re-enabled by DisableTimer
        ModeWorking = 3,       // waits with messages, blue, hourglass, window disabled
        ModeError = 4,         // red, window enabled
        ModeAppend = 5,        // appended to the text
        ModeNewLine = 6,       // added as a new line
        ModeDone = 18,         // black, re-enabled by DisableTimer
        ModeBusy = 19          // blue, hourglass, window disabled, no wait
    };

    virtual ~TAdjustServices() = default;

    // Message modes 1-6, 18, 19; returns a result code (1 = shown).
    virtual uint16_t ShowStatus(int mode, const QString &text) = 0;
    virtual void ReportError(uint16_t code) = 0;
    // Hides every item panel and shows the summary, with an empty memo.
    virtual void ShowAdjustedItems() = 0;
    // Writes text into the summary value panel of that name (e.g. "ShowUSBIDPnl").
    virtual void SetSummaryValue(const QString &cellName, const QString &text) = 0;

    virtual TPProgram &Program() = 0;
    virtual const TPSelection &Selection() const = 0;
    // Owner of the window's modal boxes.
    virtual QWidget *OwnerWidget() = 0;
};
