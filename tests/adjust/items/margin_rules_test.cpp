// The setting shared by the first dot and top margin adjustments: clamp, gauges, millimetres,
// the typed value and the steps.
#include "adjust/items/firstdot/firstdot.h"
#include "adjust/items/margin/marginsetting.h"
#include "adjust/items/topmargin/topmargin.h"

#include <gtest/gtest.h>

namespace
{
struct ViewCase {
    int value;
    double millimetresPerStep;
    int shown;
    int firstGauge;
    int secondGauge;
    const char *millimetres;
};

TEST(MarginRules, ClampsAndShowsGaugesAndMillimetres)
{
    const double dot = TPFirstDot::MillimetresPerStep;
    const double top = TPTopMargin::MillimetresPerStep;
    const ViewCase cases[] = {
        {0, dot, 0, 50, 50, "0.0000 mm"},
        {10, dot, 10, 53, 47, "0.1764 mm"},
        {127, dot, 127, 100, 0, "2.2403 mm"},
        {-128, dot, -128, 0, 100, "-2.2579 mm"},
        {126, dot, 126, 99, 1, "2.2226 mm"}, // offset truncated from 49.4
        {-127, dot, -127, 1, 99, "-2.2403 mm"},
        {128, dot, 127, 100, 0, "2.2403 mm"},    // a step past the end stops at it
        {-132, dot, -128, 0, 100, "-2.2579 mm"}, // -128 - 4
        {-16, dot, -16, 44, 56, "-0.2822 mm"},
        {127, top, 127, 100, 0, "4.4806 mm"},
        {-128, top, -128, 0, 100, "-4.5158 mm"},
        {-6, top, -6, 48, 52, "-0.2117 mm"},
    };
    for (const ViewCase &c : cases) {
        const TPMarginSetting::View view = TPMarginSetting::ViewOf(c.value, c.millimetresPerStep);
        SCOPED_TRACE(testing::Message() << c.value << " at " << c.millimetresPerStep);
        EXPECT_EQ(view.value, c.shown);
        EXPECT_EQ(view.editText, QString::number(c.shown));
        EXPECT_EQ(view.firstGauge, c.firstGauge);
        EXPECT_EQ(view.secondGauge, c.secondGauge);
        EXPECT_EQ(view.millimetres, QString::fromLatin1(c.millimetres));
    }
}

TEST(MarginRules, StepsFromTheEditAndStopAtTheEnds)
{
    const auto stepped = [](const char *edit, int delta) {
        const auto value = TPMarginSetting::SteppedValue(QString::fromLatin1(edit), delta);
        return value ? std::optional<int>(TPMarginSetting::Clamp(*value)) : std::nullopt;
    };
    EXPECT_EQ(stepped("124", 4), 127);
    EXPECT_EQ(stepped("-126", -4), -128);
    EXPECT_EQ(stepped("-125", -6), -128);
    EXPECT_EQ(stepped("0", -6), -6);
    EXPECT_EQ(stepped("", 4), std::nullopt); // after a failed Read: nothing happens
}

TEST(MarginRules, InputTakesOnlyDecimalsInRange)
{
    const struct {
        QString text;
        std::optional<int> value;
    } cases[] = {
        {"0", 0},
        {"127", 127},
        {"-128", -128},
        {"+5", 5},
        {"128", std::nullopt},
        {"-129", std::nullopt},
        {"", std::nullopt},
        {"5x", std::nullopt},
        {"--5", std::nullopt},
        {"-", std::nullopt},
        {" 5", std::nullopt},
        {"1.5", std::nullopt},
        {"00000000000000000005", std::nullopt},
        {"4294967301", std::nullopt},                      // would wrap to 5 in 32 bits
        {QString::fromUtf8("\xd9\xa5"), std::nullopt},     // Arabic-Indic five
        {QString::fromUtf8("\xef\xbc\x95"), std::nullopt}, // full-width five
    };
    for (const auto &c : cases)
        EXPECT_EQ(TPMarginSetting::InputValue(c.text), c.value) << c.text.toStdString();
}

TEST(MarginRules, StoredBytesAreSigned)
{
    EXPECT_EQ(TPMarginSetting::FromStoredByte(0xF0), -16);
    EXPECT_EQ(TPMarginSetting::FromStoredByte(0xEC), -20);
    EXPECT_EQ(TPMarginSetting::FromStoredByte(0x80), -128);
    EXPECT_EQ(TPMarginSetting::FromStoredByte(0x7F), 127);
}
} // namespace
