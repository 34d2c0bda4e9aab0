#pragma once

#include "resultcode.h"

#include <array>
#include <cstdint>

class TPDLLFunction;
class TPRaster;
class TPWindowLink;

// Asks the printer for its status, keeps the last answer, and waits until it is ready.
class TPStatusControl
{
public:
    static constexpr uint16_t MalformedReply = TPResult::MalformedStatus;
    enum Ink { Black, Cyan, Magenta, Yellow, LightCyan, LightMagenta, InkCount };
    enum State : uint8_t {
        StateError = 0,
        StateBusy = 2,
        StatePrinting = 3,
        StateReady = 4,
        StateCleaning = 7,
        StateBeforeInkCharge = 8
    };

    struct StatusRecord {
        uint8_t state = 0;
        uint8_t error = 0;
        std::array<uint16_t, InkCount> inkLevel{};
    };

    // The stream carries the printer Reset between two polls.
    TPStatusControl(TPDLLFunction &dll, TPRaster &raster);
    void SetWindowLink(TPWindowLink *window); // status lines, repaint, paper prompt

    uint16_t ReadStatus();
    uint16_t WaitUntilReady(bool showMessages, bool paperPrompt);
    const StatusRecord &Record() const { return record_; }

    // The parse on its own, for a reply already in hand (256 bytes). A reply must start with
    // the header "@BDC ST2\r\n", declare an end of at least 12 and carry the state field;
    // else it is MalformedReply and nothing of it is kept. Reads nothing outside the 256
    // bytes: a declared end above 256 counts as 256, and a field that would run past the
    // buffer ends the parse with MalformedReply like any other malformed field.
    uint16_t ParseReply(const uint8_t *reply256);

private:
    // Between two polls: repaint the window and send a printer Reset through the stream.
    uint16_t KeepStreamAlive();

    TPDLLFunction &dll_;
    TPRaster &raster_;
    TPWindowLink *window_ = nullptr;
    StatusRecord record_;
};
