#include "pwadjust.h"

#include "link/dllfunction.h"

namespace
{
constexpr char WideRange[] = "A range of input value is -8 to 19.";
constexpr char NarrowRange[] = "A range of input value is -10 to 10.";

// Indexed by TPPWAdjust::Side.
constexpr TPPWAdjust::SideRule Rules[TPPWAdjust::SideCount] = {
    {-8, 19, 4, 0x70, 0xCE, WideRange},    // Right
    {-8, 19, 4, 0x72, 0xD0, WideRange},    // Left
    {-10, 10, 6, 0x71, 0xCF, NarrowRange}, // Top
    {-10, 10, 6, 0x73, 0xD1, NarrowRange}, // Bottom
};

bool IsAsciiInteger(const QString &text)
{
    const QString trimmed = text.trimmed();
    const int start = trimmed.startsWith(QLatin1Char('-')) || trimmed.startsWith(QLatin1Char('+'));
    if (trimmed.size() <= start)
        return false;
    for (int i = start; i < trimmed.size(); ++i) {
        const QChar c = trimmed.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}
} // namespace

const TPPWAdjust::SideRule &TPPWAdjust::RuleOf(Side side)
{
    return Rules[side];
}

int TPPWAdjust::ValueOfText(const QString &text)
{
    if (!IsAsciiInteger(text))
        return NotANumber;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : NotANumber;
}

std::optional<uint8_t> TPPWAdjust::StoredByte(Side side, int value)
{
    const SideRule &rule = RuleOf(side);
    if (value < rule.minimum || value > rule.maximum)
        return std::nullopt;
    return static_cast<uint8_t>(value * rule.factor);
}

int TPPWAdjust::ValueOfStored(Side side, uint8_t stored)
{
    return static_cast<int8_t>(stored) / RuleOf(side).factor;
}

TPPWAdjust::TPPWAdjust(TPDLLFunction &dll) : dll_(dll) {}

uint16_t TPPWAdjust::WriteSide(Side side, int value)
{
    const std::optional<uint8_t> stored = StoredByte(side, value);
    if (!stored) {
        failedSide_ = side;
        return TPResult::PwSensorError;
    }
    const SideRule &rule = RuleOf(side);
    const uint16_t first = dll_.ChanWriteEeprom(rule.firstAddress, *stored);
    if (first != TPResult::Ok)
        return first;
    return dll_.ChanWriteEeprom(rule.secondAddress, *stored);
}

uint16_t TPPWAdjust::ReadSide(Side side, QString *text)
{
    uint8_t stored = 0;
    const uint16_t code = dll_.ChanReadEeprom(RuleOf(side).firstAddress, &stored);
    if (code == TPResult::Ok)
        *text = QString::number(ValueOfStored(side, stored));
    return code;
}

TPErrorWording TPPWAdjust::Wording(uint16_t code) const
{
    if (code != TPResult::PwSensorError)
        return {};
    return {{{TPMode::Error, QString::fromLatin1(RuleOf(failedSide_).rangeMessage)}}, std::nullopt};
}
