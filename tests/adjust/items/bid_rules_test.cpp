// Bi-D rules without a window: how an edit's text converts, the range, the derived narrow-gap
// ECO value and the signed bytes as the printer stores them.
#include "adjust/items/bid/bid.h"
#include "adjust/items/headangular/headangular.h"

#include <gtest/gtest.h>

namespace
{
TEST(BidRules, EditTextConvertsAsQStringToIntAndTheRangeIsChecked)
{
    struct Case {
        const char *text;
        int value;
        bool accepted;
    };
    const Case cases[] = {
        {"0", 0, true},
        {"-35", -35, true},
        {"35", 35, true},
        {"+5", 5, true},
        {" 5", 5, true},
        {"036", 36, false},
        {"36", 36, false},
        {"-36", -36, false},
        {"5x", 100, false},
        {"--5", 100, false},
        {"", 100, false},
        {"0005", 100, false},
        {"\xef\xbc\x95", 100, false},
    };
    for (const Case &c : cases) {
        const int value = TPBid::ParseValue(QString::fromUtf8(c.text));
        EXPECT_EQ(value, c.value) << c.text;
        EXPECT_EQ(TPBid::InRange(value), c.accepted) << c.text;
    }
    EXPECT_EQ(TPHeadAngular::ParseValue(QStringLiteral("-3")), -3);
    EXPECT_EQ(TPHeadAngular::ParseValue(QStringLiteral("-03")), 100);
}

TEST(BidRules, EcoNarrowGapValueIsFiveLessButNotBelowTheRange)
{
    const std::pair<int, int> cases[] = {{10, 5}, {-33, -35}, {-35, -35}, {35, 30}, {0, -5}};
    for (const auto &[typ, narrow] : cases)
        EXPECT_EQ(TPBid::EcoNarrowValue(typ), narrow) << typ;
}

TEST(BidRules, StoredBytesReadAsSignedValues)
{
    EXPECT_EQ(TPBid::ValueText(0xF6), "-10");
    EXPECT_EQ(TPBid::ValueText(0x23), "35");
    EXPECT_EQ(TPBid::WrongValueMessage(TPBid::Vsd2Color), "VSD2 Color value is wrong.");
    EXPECT_FALSE(TPBid::Exists(TPBid::EcoBlack, TPBid::Gap::PgMinus));
    EXPECT_TRUE(TPBid::Exists(TPBid::Vsd3Black, TPBid::Gap::PgMinus));
}
} // namespace
