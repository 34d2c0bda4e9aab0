#include "adjust/items/pwadjust/pwadjust.h"
#include "link/dllfunction.h"

#include <gtest/gtest.h>

namespace
{
using Side = TPPWAdjust::Side;

TEST(PwAdjustRules, ValuesAreStoredAsSignedBytesTimesTheSideFactor)
{
    const struct {
        Side side;
        int value;
        int stored;
    } rows[] = {{TPPWAdjust::Right, 19, 0x4C}, {TPPWAdjust::Right, -8, 0xE0},
                {TPPWAdjust::Left, -8, 0xE0},  {TPPWAdjust::Top, -10, 0xC4},
                {TPPWAdjust::Top, 10, 0x3C},   {TPPWAdjust::Bottom, 0, 0x00}};
    for (const auto &row : rows) {
        const auto stored = TPPWAdjust::StoredByte(row.side, row.value);
        ASSERT_TRUE(stored.has_value()) << row.side << " " << row.value;
        EXPECT_EQ(*stored, row.stored) << row.side << " " << row.value;
    }
}

TEST(PwAdjustRules, EveryAcceptedValueReadsBackAsItself)
{
    for (Side side : TPPWAdjust::WriteOrder) {
        const auto &rule = TPPWAdjust::RuleOf(side);
        for (int value = rule.minimum; value <= rule.maximum; ++value)
            EXPECT_EQ(TPPWAdjust::ValueOfStored(side, *TPPWAdjust::StoredByte(side, value)), value)
                << side << " " << value;
    }
    // A byte written elsewhere is truncated toward zero: -30 / 4.
    EXPECT_EQ(TPPWAdjust::ValueOfStored(TPPWAdjust::Right, 0xE2), -7);
}

TEST(PwAdjustRules, BadInputIsRejectedWithItsSidesMessage)
{
    const QString wide = QStringLiteral("A range of input value is -8 to 19.");
    const QString narrow = QStringLiteral("A range of input value is -10 to 10.");
    const struct {
        Side side;
        const char *text; // UTF-8
        QString message;
    } rows[] = {{TPPWAdjust::Top, "11", narrow},     {TPPWAdjust::Bottom, "-11", narrow},
                {TPPWAdjust::Right, "20", wide},     {TPPWAdjust::Left, "-9", wide},
                {TPPWAdjust::Right, "256", wide},    {TPPWAdjust::Left, "5x", wide},
                {TPPWAdjust::Top, "", narrow},       {TPPWAdjust::Left, "-", wide},
                {TPPWAdjust::Right, "１２", wide},   {TPPWAdjust::Bottom, "٣", narrow},
                {TPPWAdjust::Left, "\xC2\xB2", wide}};
    TPDLLFunction noLibraries(QStringLiteral("/nonexistent"));
    TPPWAdjust pw(noLibraries);
    for (const auto &row : rows) {
        const QString text = QString::fromUtf8(row.text);
        EXPECT_EQ(pw.WriteSide(row.side, TPPWAdjust::ValueOfText(text)), TPResult::PwSensorError)
            << row.text;
        EXPECT_EQ(pw.FailedSide(), row.side) << row.text;
        const TPErrorWording wording = pw.Wording(TPResult::PwSensorError);
        ASSERT_EQ(wording.lines.size(), 1u);
        EXPECT_EQ(wording.lines[0], (TPMessageLine{TPMode::Error, row.message})) << row.text;
        EXPECT_FALSE(wording.lock.has_value());
    }
    EXPECT_EQ(TPPWAdjust::ValueOfText(QStringLiteral("-8")), -8);
    EXPECT_EQ(TPPWAdjust::ValueOfText(QStringLiteral("+7")), 7);
}
} // namespace
