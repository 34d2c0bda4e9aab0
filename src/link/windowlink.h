#pragma once

#include "resultcode.h"

#include <QString>
#include <cstdint>

// What the printer logic needs from the main adjustment window while it talks to the
// printer: status lines, a repaint during long waits, and the paper prompt (a modal box
// owned by that window). The window implements it; tests use a recording fake.
class TPWindowLink
{
public:
    virtual ~TPWindowLink() = default;
    // ShowStatus of the main window (modes 1-6, 18, 19); returns a result code.
    virtual uint16_t ShowStatus(TPMode mode, const QString &text) = 0;
    virtual void Repaint() = 0;
    // "Paper not loaded correctly..." box; returns when the person has dismissed it.
    virtual void PaperPrompt() = 0;
};
