#pragma once

#include "adjust/errorreport.h"
#include "link/resultcode.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

class TPDLLFunction;

// The PW sensor corrections of the four sheet edges. The technician types pattern units; the
// EEPROM holds the value times a side factor as a signed byte, twice (first and second copy).
class TPPWAdjust
{
public:
    enum Side { Right = 0, Left = 1, Top = 2, Bottom = 3 };
    static constexpr int SideCount = 4;
    // What a text that is no number counts as (outside every side's range).
    static constexpr int NotANumber = 50;

    struct SideRule {
        int minimum;
        int maximum;
        int factor;
        uint8_t firstAddress;
        uint8_t secondAddress;
        const char *rangeMessage;
    };
    static const SideRule &RuleOf(Side side);

    // Sides in the order Input writes them and Read reads them.
    static constexpr std::array<Side, SideCount> WriteOrder = {Right, Left, Bottom, Top};
    static constexpr std::array<Side, SideCount> ReadOrder = {Right, Left, Top, Bottom};

    // The typed text as an integer; anything but optional sign and ASCII digits is NotANumber.
    static int ValueOfText(const QString &text);
    // The stored byte of a value, none when the value is outside the side's accepted range.
    static std::optional<uint8_t> StoredByte(Side side, int value);
    // The value of a stored byte: signed, divided by the factor, truncated toward zero.
    static int ValueOfStored(Side side, uint8_t stored);
    // An edit holding text checks its side's box; an empty edit unchecks it.
    static bool ChecksBox(const QString &editText) { return !editText.isEmpty(); }

    explicit TPPWAdjust(TPDLLFunction &dll);

    // Writes both copies of one side (first address, then second). A value out of range writes
    // nothing and gives PwSensorError, keeping the side for the error wording.
    uint16_t WriteSide(Side side, int value);
    // Reads the first copy of one side as decimal text.
    uint16_t ReadSide(Side side, QString *text);

    Side FailedSide() const { return failedSide_; }
    // The wording of PwSensorError: the range message of the side that failed.
    TPErrorWording Wording(uint16_t code) const;

private:
    TPDLLFunction &dll_;
    Side failedSide_ = Right;
};
