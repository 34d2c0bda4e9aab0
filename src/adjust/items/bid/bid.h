#pragma once

#include "adjust/errorreport.h"
#include "adjust/summarycells.h"
#include "print/putback.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class TPDLLFunction;
class TPFactory;
class TPRaster;
class TPStatusControl;

// Bi-D adjustment: one signed correction per dot-size mode and ink group, for the typical
// platen gap ("Typ") and the narrow one ("PG-", VSD modes only). Values are read from the
// EEPROM and written with the Bi-D factory command; the pattern prints the stored values.
class TPBid
{
public:
    enum Item {
        Vsd1Black,
        Vsd1Color,
        Vsd2Black,
        Vsd2Color,
        Vsd3Black,
        Vsd3Color,
        EcoBlack,
        EcoColor,
        ItemCount
    };
    enum class Gap { Typ, PgMinus };
    static constexpr int MinValue = -35;
    static constexpr int MaxValue = 35;
    static constexpr int MaxTextLength = 3; // the input edits hold at most three characters
    static constexpr int NotANumber = 100;  // what a text that is no number counts as
    static constexpr int EcoNarrowOffset = 5;
    using Selection = std::array<bool, ItemCount>;

    struct ItemInfo {
        const char *name; // "VSD1 Black", ... (also the check box captions)
        const char *key;  // "VSD1Bk", ... (in the control names)
        uint8_t mode;     // dot-size mode 16..19
        bool black;
        uint8_t typAddress;
        std::optional<uint8_t> pgAddress;
        TPSummaryCell typCell;
        std::optional<TPSummaryCell> pgCell;
    };
    static const ItemInfo &Info(Item item);
    // Whether an item exists under a platen gap (ECO has no narrow-gap value of its own).
    static bool Exists(Item item, Gap gap) { return gap == Gap::Typ || Info(item).pgAddress; }

    // The number an edit's text stands for: QString::toInt in base 10 (so "+5", " 5" and
    // "036" are numbers), NotANumber for anything else and for text over three characters.
    static int ParseValue(const QString &text);
    static bool InRange(int value) { return value >= MinValue && value <= MaxValue; }
    // The narrow-gap ECO value written after a typical-gap ECO value: 5 less, not below -35.
    static int EcoNarrowValue(int value);
    // A stored byte as signed decimal text.
    static QString ValueText(uint8_t stored);
    // The item's message on a bad value ("VSD1 Black value is wrong.").
    static QString WrongValueMessage(Item item);

    TPBid(TPDLLFunction &dll, TPRaster &raster, TPStatusControl &status, TPFactory &factory);

    // Reads one stored value as signed decimal text; "0" without reading for ECO under PG-.
    uint16_t ReadValue(Item item, Gap gap, QString *text);
    // Validates and sends one value (and, for ECO under Typ, the derived narrow-gap value).
    // A bad value gives TPResult::BidError and records the item; nothing is sent then.
    uint16_t WriteValue(Item item, const QString &text, Gap gap);
    // Title and one page per selected mode with the stored values, then the form feed. A
    // page that fails part-way has its values written back as they were read.
    uint16_t PrintPattern(Gap gap, const Selection &selected);
    // After a failed print: the line that says whether the stored values were put back.
    std::vector<TPMessageLine> PutBackLines() const;

    // The item whose value was refused last.
    std::optional<Item> FailedItem() const { return failedItem_; }
    TPErrorWording ErrorWording() const;

private:
    static uint8_t Address(Item item, Gap gap);
    static QString ItemName(Item item, Gap gap);
    uint16_t SendValue(Item item, bool typicalGap, int value);

    TPDLLFunction &dll_;
    TPRaster &raster_;
    TPStatusControl &status_;
    TPFactory &factory_;
    std::optional<Item> failedItem_;
    TPPutBack putBack_;
};
