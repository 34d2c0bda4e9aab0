#include "bid.h"

#include "link/dllfunction.h"
#include "link/factory.h"
#include "link/raster.h"
#include "print/bidpattern.h"

#include <QStringList>
#include <algorithm>

namespace
{
using S = TPSummaryCell;
constexpr uint8_t Vsd1 = 16, Vsd2 = 17, Vsd3 = 18, Eco = 19;
constexpr uint8_t KindBlack = 1, KindColor = 2;
const char Title[] = "Bi-D adjustment";
constexpr int Modes = TPBid::ItemCount / 2;

const TPBid::ItemInfo Items[TPBid::ItemCount] = {
    {"VSD1 Black", "VSD1Bk", Vsd1, true, 0x34, 0xD4, S::Bid1Black, S::Bid1BlackPg},
    {"VSD1 Color", "VSD1CL", Vsd1, false, 0x35, 0xD5, S::Bid1Color, S::Bid1ColorPg},
    {"VSD2 Black", "VSD2Bk", Vsd2, true, 0x36, 0xD6, S::Bid2Black, S::Bid2BlackPg},
    {"VSD2 Color", "VSD2CL", Vsd2, false, 0x37, 0xD7, S::Bid2Color, S::Bid2ColorPg},
    {"VSD3 Black", "VSD3Bk", Vsd3, true, 0x38, 0xD8, S::Bid3Black, S::Bid3BlackPg},
    {"VSD3 Color", "VSD3CL", Vsd3, false, 0x39, 0xD9, S::Bid3Color, S::Bid3ColorPg},
    {"ECO Black", "ECOBk", Eco, true, 0x32, std::nullopt, S::BidEcoBlack, std::nullopt},
    {"ECO Color", "ECOCL", Eco, false, 0x33, std::nullopt, S::BidEcoColor, std::nullopt},
};
} // namespace

const TPBid::ItemInfo &TPBid::Info(Item item)
{
    return Items[item];
}

int TPBid::ParseValue(const QString &text)
{
    if (text.size() > MaxTextLength)
        return NotANumber;
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : NotANumber;
}

int TPBid::EcoNarrowValue(int value)
{
    return std::max(value - EcoNarrowOffset, MinValue);
}

QString TPBid::ValueText(uint8_t stored)
{
    return QString::number(static_cast<int8_t>(stored));
}

QString TPBid::WrongValueMessage(Item item)
{
    return QString::fromLatin1(Info(item).name) + QStringLiteral(" value is wrong.");
}

TPBid::TPBid(TPDLLFunction &dll, TPRaster &raster, TPStatusControl &status, TPFactory &factory)
    : dll_(dll), raster_(raster), status_(status), factory_(factory)
{
}

uint16_t TPBid::ReadValue(Item item, Gap gap, QString *text)
{
    if (!Exists(item, gap)) {
        *text = QStringLiteral("0");
        return TPResult::Ok;
    }
    uint8_t stored = 0;
    const uint16_t read = dll_.ChanReadEeprom(Address(item, gap), &stored);
    if (read == TPResult::Ok)
        *text = ValueText(stored);
    return read;
}

uint16_t TPBid::WriteValue(Item item, const QString &text, Gap gap)
{
    const int value = ParseValue(text);
    if (!InRange(value)) {
        failedItem_ = item;
        return TPResult::BidError;
    }
    const uint16_t sent = SendValue(item, gap == Gap::Typ, value);
    if (sent != TPResult::Ok || gap != Gap::Typ || Info(item).mode != Eco)
        return sent;
    return SendValue(item, false, EcoNarrowValue(value));
}

uint16_t TPBid::SendValue(Item item, bool typicalGap, int value)
{
    const ItemInfo &info = Info(item);
    return factory_.FactoryCommand00(info.mode, typicalGap, info.black ? KindBlack : KindColor,
                                     value);
}

uint16_t TPBid::PrintPattern(Gap gap, const Selection &selected)
{
    putBack_.Clear();
    if (std::none_of(selected.begin(), selected.end(), [](bool on) { return on; }))
        return TPResult::Ok;
    uint16_t result = raster_.Append(reinterpret_cast<const uint8_t *>(Title), sizeof Title);
    if (result == TPResult::Ok)
        result = raster_.NewLines(1);

    std::array<uint8_t, ItemCount> stored{};
    for (int item = 0; item < ItemCount && result == TPResult::Ok; ++item) {
        if (Exists(Item(item), gap))
            result = dll_.ChanReadEeprom(Address(Item(item), gap), &stored[size_t(item)]);
    }

    TPBidPattern pattern(raster_, status_, factory_);
    const uint8_t platenGap = gap == Gap::Typ ? TPBidPattern::TypicalGap : TPBidPattern::NarrowGap;
    for (int mode = 0; mode < Modes && result == TPResult::Ok; ++mode) {
        const int black = 2 * mode, color = 2 * mode + 1;
        if (!Exists(Item(black), gap))
            continue;
        if (!selected[size_t(black)] && !selected[size_t(color)])
            continue;
        const auto centre = [&](int item) {
            return selected[size_t(item)] ? int(int8_t(stored[size_t(item)]))
                                          : TPBidPattern::LeftOut;
        };
        result = pattern.BidPage(platenGap, Info(Item(black)).mode, centre(black), centre(color));
        // The page changes its values pass by pass and stores them back at the end of each
        // block; a page that failed in between may have left a pass's value.
        if (result != TPResult::Ok) {
            for (const int item : {black, color}) {
                if (selected[size_t(item)])
                    putBack_.Keep(Address(Item(item), gap), stored[size_t(item)],
                                  ItemName(Item(item), gap));
            }
            putBack_.Run(dll_, raster_, result);
        }
    }
    return result == TPResult::Ok ? raster_.EndPage() : result;
}

uint8_t TPBid::Address(Item item, Gap gap)
{
    return gap == Gap::Typ ? Info(item).typAddress : *Info(item).pgAddress;
}

QString TPBid::ItemName(Item item, Gap gap)
{
    return QString::fromLatin1(Info(item).name) +
           (gap == Gap::PgMinus ? QStringLiteral(" PG-") : QString());
}

std::vector<TPMessageLine> TPBid::PutBackLines() const
{
    switch (putBack_.LastOutcome()) {
    case TPPutBack::Outcome::PutBack:
        return {{TPMode::NewLine,
                 QStringLiteral("The stored Bi-D values were put back as they were before the "
                                "print.")}};
    case TPPutBack::Outcome::MayHaveChanged: {
        QStringList values;
        for (const TPPutBack::Value &value : putBack_.Values())
            values << QStringLiteral("%1 (was %2)").arg(value.name, ValueText(value.byte));
        return {{TPMode::NewLine,
                 QStringLiteral("The printer did not take the stored Bi-D values back; these may "
                                "have changed: %1.")
                     .arg(values.join(QStringLiteral(", ")))}};
    }
    case TPPutBack::Outcome::None:
        break;
    }
    return {};
}

TPErrorWording TPBid::ErrorWording() const
{
    if (!failedItem_)
        return {};
    return {{{TPMode::Error, WrongValueMessage(*failedItem_)}}, std::nullopt};
}
