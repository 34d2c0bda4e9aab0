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
