#pragma once

#include "link/resultcode.h"

// Inside a layout: runs one step and returns its result code from the layout unless it is Ok,
// so that nothing further is sent after the first failure.
#define TP_STEP(step)                                                                              \
    do {                                                                                           \
        const uint16_t stepResult = (step);                                                        \
        if (stepResult != TPResult::Ok)                                                            \
            return stepResult;                                                                     \
    } while (false)
