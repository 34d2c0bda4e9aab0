#pragma once

#include "adjust/summarycells.h"
#include "howto/howtotopic.h"
#include "link/resultcode.h"

#include <QString>
#include <cstdint>

class QWidget;
class TItemPanel;
struct TPProgram;
struct TPSelection;

// What an item of the main adjustment window asks of the window: the status memo and its
// message modes, the error report by result code, the "Adjusted items" summary cells, and the
// program-wide printer objects and selections. The window implements it; tests may fake it.
class TAdjustServices
{
public:
    virtual ~TAdjustServices() = default;

    // Shows text in the status memo in one of the message modes; returns a result code
    // (1 = shown; the printer's code when the wait of mode 2 or 3 failed).
    virtual uint16_t ShowStatus(TPMode mode, const QString &text) = 0;
    // Re-enables the window and words the code in red, with the item lock it implies. Item
    // codes (0x5000, 0x8000, ...) are worded by the item that is showing.
    virtual void ReportError(uint16_t code) = 0;
    // Hides every item panel and shows the summary, with an empty memo.
    virtual void ShowAdjustedItems() = 0;
    // Shows an item's panel in the item area in place of the summary (page switches).
    virtual void ShowItemPanel(TItemPanel &panel) = 0;
    // Writes text into one value panel of the "Adjusted items" summary.
    virtual void SetSummaryValue(TPSummaryCell cell, const QString &text) = 0;

    // Shows the how-to window of a topic (modeless).
    virtual void ShowHowTo(THowToTopic topic) = 0;

    // An item handler has begun or ended; the window does not close while one runs, even
    // where the handler has enabled it again in the middle (a retry, a wait).
    virtual void HandlerStarted() {}
    virtual void HandlerEnded() {}

    virtual TPProgram &Program() = 0;
    virtual const TPSelection &Selection() const = 0;
    // Owner of the window's modal boxes.
    virtual QWidget *OwnerWidget() = 0;
};
