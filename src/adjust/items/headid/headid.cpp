#include "headid.h"

#include "link/dataconversion.h"
#include "link/dllfunction.h"

#include <novari_link.h>

namespace
{
constexpr uint8_t FirstSymbolCode = 0x20;
constexpr int FirstSymbol = 6;      // index of character 7
constexpr int FourteenthIndex = 13; // index of character 14
constexpr int CheckIndex = 14;      // index of character 15
constexpr int UIndex = 12;          // index of character 13

// The ID alphabet in code order from 0x20: letters without I and O, digits, six signs.
constexpr char16_t SymbolAlphabet[] = u"ABCDEFGHJKLMNPQRSTUVWXYZ0123456789%*+-$:";
// The fourteenth character's letters, value 0 upward (X-Z are beyond the maximum).
constexpr char16_t FourteenthAlphabet[] = u"ABCDEFGHJKLMNPQRSTUVWXYZ";
// The check alphabet, value 1 upward.
constexpr char16_t CheckAlphabet[] = u"ABCDEFGHJKLMNPQRSTUVWXYZ0123456789%*+";

template <size_t N> int IndexIn(const char16_t (&alphabet)[N], QChar c)
{
    for (size_t i = 0; i + 1 < N; ++i) {
        if (alphabet[i] == c.unicode())
            return static_cast<int>(i);
    }
    return -1;
}

template <size_t N> QChar At(const char16_t (&alphabet)[N], int index)
{
    if (index < 0 || static_cast<size_t>(index) + 1 >= N)
        return QChar();
    return QChar(alphabet[index]);
}

// The stored symbols in the order of their addresses 0x4A-0x50: C7, C8, C10, C12, C9, C11,
// C13, as indexes into Fields::symbols.
constexpr int SymbolAtAddress[TPHeadID::SymbolCount] = {0, 1, 3, 5, 2, 4, 6};
constexpr uint8_t PairAddress = 0x42;
constexpr uint8_t FourteenthAddress = 0x49;
constexpr uint8_t FirstSymbolAddress = 0x4A;

constexpr TPHeadID::Detail PairDetail[TPHeadID::PairCount] = {
    TPHeadID::Pair1Wrong, TPHeadID::Pair2Wrong, TPHeadID::Pair3Wrong};
} // namespace

TPHeadID::TPHeadID(TPDLLFunction &dll) : dll_(dll) {}

int TPHeadID::SymbolCode(QChar symbol)
{
    const int index = IndexIn(SymbolAlphabet, symbol);
    return index < 0 ? -1 : FirstSymbolCode + index;
}

QChar TPHeadID::SymbolOf(int code)
{
    return At(SymbolAlphabet, code - FirstSymbolCode);
}

int TPHeadID::FourteenthValue(QChar letter)
{
    return IndexIn(FourteenthAlphabet, letter);
}

QChar TPHeadID::FourteenthLetter(int value)
{
    return value > MaxFourteenth ? QChar() : At(FourteenthAlphabet, value);
}

int TPHeadID::CheckValue(QChar character)
{
    return IndexIn(CheckAlphabet, character) + 1;
}

QChar TPHeadID::CheckCharacter(int value)
{
    return At(CheckAlphabet, value - 1);
}

int TPHeadID::CheckValueOf(const Fields &fields)
{
    int sum = 0;
    int weight = 1;
    for (const uint8_t pair : fields.pairs)
        sum += weight++ * pair;
    for (const uint8_t symbol : fields.symbols)
        sum += weight++ * symbol;
    sum += weight * fields.fourteenth;
    return CheckModulus - sum % CheckModulus;
}

QString TPHeadID::ByteToHex(uint8_t value)
{
    char digits[2] = {};
    BytesToHexText(value, digits);
    return QString::fromLatin1(digits, 2);
}

TPHeadID::Detail TPHeadID::Parse(const QString &text, Fields *fields)
{
    if (text.size() != IdLength)
        return WrongLength;
    Fields parsed;
    for (int i = 0; i < PairCount; ++i) {
        uint8_t value = 0;
        if (!TPDataConversion::HexPairToByte(text.mid(2 * i, 2), &value) || value > MaxPairByte)
            return PairDetail[i];
        parsed.pairs[i] = value;
    }
    for (int i = 0; i < SymbolCount; ++i) {
        const int code = SymbolCode(text.at(FirstSymbol + i));
        const bool isU = i == UIndex - FirstSymbol;
        if (code < 0 || (isU && code != UCode))
            return static_cast<Detail>(Character7Wrong + i);
        parsed.symbols[i] = static_cast<uint8_t>(code);
    }
    const int fourteenth = FourteenthValue(text.at(FourteenthIndex));
    if (fourteenth < 0 || fourteenth > MaxFourteenth)
        return Character14Wrong;
    parsed.fourteenth = static_cast<uint8_t>(fourteenth);
    if (CheckValue(text.at(CheckIndex)) != CheckValueOf(parsed))
        return CheckWrong;
    *fields = parsed;
    return NoDetail;
}

std::array<uint8_t, TPHeadID::StoredCount> TPHeadID::StoredAddresses()
{
    std::array<uint8_t, StoredCount> addresses{};
    for (int i = 0; i < PairCount; ++i)
        addresses[i] = PairAddress + i;
    addresses[PairCount] = FourteenthAddress;
    for (int i = 0; i < SymbolCount; ++i)
        addresses[PairCount + 1 + i] = FirstSymbolAddress + i;
    return addresses;
}

std::vector<TPHeadID::Write> TPHeadID::Writes(const Fields &fields)
{
    const auto addresses = StoredAddresses();
    std::vector<Write> writes;
    for (int i = 0; i < PairCount; ++i)
        writes.emplace_back(addresses[i], fields.pairs[i]);
    writes.emplace_back(addresses[PairCount], fields.fourteenth);
    for (int i = 0; i < SymbolCount; ++i)
        writes.emplace_back(addresses[PairCount + 1 + i], fields.symbols[SymbolAtAddress[i]]);
    return writes;
}

TPHeadID::Detail TPHeadID::Rebuild(const StoredBytes &stored, QString *text)
{
    Fields fields;
    for (int i = 0; i < PairCount; ++i)
        fields.pairs[i] = stored[i];
    fields.fourteenth = stored[PairCount];
    for (int i = 0; i < SymbolCount; ++i)
        fields.symbols[SymbolAtAddress[i]] = stored[PairCount + 1 + i];

    for (const uint8_t pair : fields.pairs) {
        if (pair > MaxPairByte)
            return StoredInvalid;
    }
    if (fields.fourteenth > MaxFourteenth || fields.symbols.back() != UCode)
        return StoredInvalid;
    QString rebuilt;
    for (const uint8_t pair : fields.pairs)
        rebuilt += ByteToHex(pair);
    for (const uint8_t symbol : fields.symbols) {
        // A code without a symbol cannot have been written from a valid ID.
        const QChar c = SymbolOf(symbol);
        if (c.isNull())
            return StoredInvalid;
        rebuilt += c;
    }
    rebuilt += FourteenthLetter(fields.fourteenth);
    rebuilt += CheckCharacter(CheckValueOf(fields));
    *text = rebuilt;
    return NoDetail;
}

uint16_t TPHeadID::WriteHeadId(const QString &text)
{
    detail_ = NoDetail;
    Fields fields;
    if (const Detail detail = Parse(text, &fields); detail != NoDetail)
        return Fail(detail);
    for (const auto &[address, value] : Writes(fields)) {
        const uint16_t result = dll_.ChanWriteEeprom(address, value);
        if (result != TPResult::Ok)
            return result;
    }
    return TPResult::Ok;
}

uint16_t TPHeadID::ReadHeadId(QString *text)
{
    detail_ = NoDetail;
    StoredBytes stored{};
    const auto addresses = StoredAddresses();
    for (int i = 0; i < StoredCount; ++i) {
        const uint16_t result = dll_.ChanReadEeprom(addresses[i], &stored[i]);
        if (result != TPResult::Ok)
            return result;
    }
    if (const Detail detail = Rebuild(stored, text); detail != NoDetail)
        return Fail(detail);
    return TPResult::Ok;
}

uint16_t TPHeadID::Fail(Detail detail)
{
    detail_ = detail;
    return TPResult::HeadIdError;
}

TPErrorWording TPHeadID::Wording(uint16_t detail)
{
    static const struct {
        uint16_t detail;
        const char *text;
    } Messages[] = {{WrongLength, "The number of digit is wrong."},
                    {Pair1Wrong, "First and second digit are wrong."},
                    {Pair2Wrong, "Third and fourth digit are wrong."},
                    {Pair3Wrong, "Fifth and sixth digit are wrong."},
                    {Character7Wrong, "Seventh digit is wrong."},
                    {Character7Wrong + 1, "Eighth digit is wrong."},
                    {Character7Wrong + 2, "Ninth digit is wrong."},
                    {Character7Wrong + 3, "Tenth digit is wrong."},
                    {Character7Wrong + 4, "11th digit is wrong."},
                    {Character7Wrong + 5, "12th digit is wrong."},
                    {Character7Wrong + 6, "13th digit is wrong."},
                    {Character14Wrong, "14th digit is wrong."},
                    {CheckWrong, "Check ID is wrong."}};
    if (detail == StoredInvalid)
        return {{{TPMode::Error, QStringLiteral("The read head ID is invalid.")},
                 {TPMode::NewLine, QStringLiteral("Restart the printer and try again.")}},
                std::nullopt};
    for (const auto &message : Messages) {
        if (message.detail == detail)
            return {{{TPMode::Error, QString::fromLatin1(message.text)}}, std::nullopt};
    }
    return {};
}
