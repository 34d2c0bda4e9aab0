#pragma once

#include "adjust/errorreport.h"
#include "link/resultcode.h"

#include <QString>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

class TPDLLFunction;

// The print head's 15-character head ID: three hexadecimal byte pairs, six symbols of the
// ID alphabet, a "U", a fourteenth letter and a check character. Validates the text, packs
// it into eleven EEPROM bytes (the check character is not stored) and rebuilds the text from
// them.
class TPHeadID
{
public:
    static constexpr int IdLength = 15;
    static constexpr int PairCount = 3;
    static constexpr int SymbolCount = 7; // characters 7 to 13
    static constexpr uint8_t MaxPairByte = 0x83;
    static constexpr uint8_t UCode = 0x32;       // character 13
    static constexpr uint8_t MaxFourteenth = 20; // "W"
    static constexpr int CheckModulus = 37;

    // Error detail of the last failure, worded for the error status 0x5000.
    enum Detail : uint16_t {
        NoDetail = 0,
        StoredInvalid = 1,
        WrongLength = 16,
        Pair1Wrong = 17,
        Pair2Wrong = 19,
        Pair3Wrong = 21,
        Character7Wrong = 23, // 23 to 29: characters 7 to 13
        Character14Wrong = 30,
        CheckWrong = 41
    };

    // The stored values of one head ID.
    struct Fields {
        std::array<uint8_t, PairCount> pairs{};     // P1-P3
        std::array<uint8_t, SymbolCount> symbols{}; // C7-C13 in text order
        uint8_t fourteenth = 0;                     // W
        bool operator==(const Fields &other) const
        {
            return pairs == other.pairs && symbols == other.symbols &&
                   fourteenth == other.fourteenth;
        }
    };
    using Write = std::pair<uint8_t, uint8_t>; // address, value
    static constexpr int StoredCount = 11;
    // The stored bytes in address order 0x42-0x44, 0x49-0x50.
    using StoredBytes = std::array<uint8_t, StoredCount>;

    explicit TPHeadID(TPDLLFunction &dll);

    // Validates the text and only then writes the eleven bytes in address order.
    uint16_t WriteHeadId(const QString &text);
    // Reads the eleven bytes and rebuilds the 15 characters; text is untouched on failure.
    uint16_t ReadHeadId(QString *text);
    uint16_t ErrorDetail() const { return detail_; }

    // Character converters. Symbol codes run 0x20-0x47; -1 (or a null character) where
    // there is none.
    static int SymbolCode(QChar symbol);
    static QChar SymbolOf(int code);
    // Value of a fourteenth character: A-W give 0-20, X-Z 21-23 (rejected); -1 otherwise.
    static int FourteenthValue(QChar letter);
    static QChar FourteenthLetter(int value);
    // Check alphabet: 1-37; 0 for any other character.
    static int CheckValue(QChar character);
    static QChar CheckCharacter(int value);
    // 37 - (weighted sum mod 37), 1 to 37.
    static int CheckValueOf(const Fields &fields);
    static QString ByteToHex(uint8_t value);

    // Validates a typed ID in order; NoDetail and the fields when it is valid.
    static Detail Parse(const QString &text, Fields *fields);
    // The eleven writes of an ID, in the order they are made.
    static std::vector<Write> Writes(const Fields &fields);
    static std::array<uint8_t, StoredCount> StoredAddresses();
    // The text of the stored bytes; StoredInvalid when they cannot come from a valid ID.
    static Detail Rebuild(const StoredBytes &stored, QString *text);

    // What the window shows for a detail.
    static TPErrorWording Wording(uint16_t detail);

private:
    uint16_t Fail(Detail detail);

    TPDLLFunction &dll_;
    uint16_t detail_ = NoDetail;
};
