#include "adjust/items/headid/headid.h"
#include "link/dllfunction.h"

#include <gtest/gtest.h>
#include <map>

namespace
{
using Writes = std::vector<TPHeadID::Write>;

// The stored bytes an ID's writes leave, read back in the read order.
TPHeadID::StoredBytes StoredAfter(const Writes &writes)
{
    std::map<uint8_t, uint8_t> eeprom(writes.begin(), writes.end());
    TPHeadID::StoredBytes stored{};
    const auto addresses = TPHeadID::StoredAddresses();
    for (size_t i = 0; i < addresses.size(); ++i)
        stored[i] = eeprom.at(addresses[i]);
    return stored;
}

Writes WritesOf(const char *text)
{
    TPHeadID::Fields fields;
    EXPECT_EQ(TPHeadID::Parse(QString::fromLatin1(text), &fields), TPHeadID::NoDetail) << text;
    return TPHeadID::Writes(fields);
}

TEST(HeadIdRules, ValidIdsArePackedInAddressOrder)
{
    const Writes sample = {{0x42, 0x0A}, {0x43, 0x1B}, {0x44, 0x2C}, {0x49, 0x00},
                           {0x4A, 0x20}, {0x4B, 0x21}, {0x4C, 0x23}, {0x4D, 0x25},
                           {0x4E, 0x22}, {0x4F, 0x24}, {0x50, 0x32}};
    EXPECT_EQ(WritesOf("0A1B2CABCDEFUAN"), sample);
    // Highest pair, the signs at the end of the alphabet and the highest fourteenth letter.
    const Writes edges = {{0x42, 0x83}, {0x43, 0x00}, {0x44, 0x7F}, {0x49, 0x14},
                          {0x4A, 0x45}, {0x4B, 0x46}, {0x4C, 0x37}, {0x4D, 0x42},
                          {0x4E, 0x47}, {0x4F, 0x41}, {0x50, 0x32}};
    EXPECT_EQ(WritesOf("83007F-$:Z9%UW3"), edges);
    // A weighted sum that is a multiple of 37 takes "+".
    WritesOf("017F11HJK0$:UW+");
}

TEST(HeadIdRules, ReadBackRebuildsTheTextWithItsCheckCharacter)
{
    for (const char *text :
         {"0A1B2CABCDEFUAN", "83007F-$:Z9%UW3", "017F11HJK0$:UW+", "7C3E01PQ*+-9UHC"}) {
        QString rebuilt;
        EXPECT_EQ(TPHeadID::Rebuild(StoredAfter(WritesOf(text)), &rebuilt), TPHeadID::NoDetail);
        EXPECT_EQ(rebuilt, text);
    }
}

TEST(HeadIdRules, StoredBytesNoValidIdCanLeaveAreInvalid)
{
    const TPHeadID::StoredBytes good = StoredAfter(WritesOf("0A1B2CABCDEFUAN"));
    const struct {
        int index; // into the read order 42 43 44 49 4A-50
        uint8_t value;
    } spoilt[] = {{0, 0x84}, {2, 0xFF}, {3, 21}, {10, 0x33}, {4, 0x1F}, {9, 0x48}};
    for (const auto &s : spoilt) {
        TPHeadID::StoredBytes stored = good;
        stored[s.index] = s.value;
        QString text = QStringLiteral("kept");
        EXPECT_EQ(TPHeadID::Rebuild(stored, &text), TPHeadID::StoredInvalid) << s.index;
        EXPECT_EQ(text, "kept");
    }
}

TEST(HeadIdRules, BadInputsGiveTheirDetailAndMessage)
{
    const struct {
        const char *utf8;
        const char *message;
    } cases[] = {
        {"", "The number of digit is wrong."},
        {"0A1B2CABCDEFUA", "The number of digit is wrong."},
        {"0A1B2CABCDEFUANN", "The number of digit is wrong."},
        {"841B2CABCDEFUAN", "First and second digit are wrong."},
        {"0a1B2CABCDEFUAN", "First and second digit are wrong."},
        {"G01B2CABCDEFUAN", "First and second digit are wrong."},
        {" A1B2CABCDEFUAN", "First and second digit are wrong."},
        {"0A1X2CABCDEFUAN", "Third and fourth digit are wrong."},
        {"0A1B9FABCDEFUAN", "Fifth and sixth digit are wrong."},
        {"0A1B2CIBCDEFUAN", "Seventh digit is wrong."},
        {"0A1B2COBCDEFUAN", "Seventh digit is wrong."},
        {"0A1B2CA CDEFUAN", "Eighth digit is wrong."},
        {"0A1B2CABcDEFUAN", "Ninth digit is wrong."},
        {"0A1B2CABC#EFUAN", "Tenth digit is wrong."},
        {"0A1B2CABCD\xC3\x89"
         "FUAN",
         "11th digit is wrong."},
        {"0A1B2CABCDE/UAN", "12th digit is wrong."},
        {"0A1B2CABCDEFVAN", "13th digit is wrong."},
        {"0A1B2CABCDEFUXN", "14th digit is wrong."},
        {"0A1B2CABCDEFU0N", "14th digit is wrong."},
        {"0A1B2CABCDEFUAM", "Check ID is wrong."},
        {"0A1B2CABCDEFUA-", "Check ID is wrong."},
    };
    // Against libraries that are not there, so a write that was tried gives 0xB000.
    TPDLLFunction dll(QStringLiteral("/nonexistent-library-folder"));
    TPHeadID headId(dll);
    for (const auto &c : cases) {
        EXPECT_EQ(headId.WriteHeadId(QString::fromUtf8(c.utf8)), TPResult::HeadIdError) << c.utf8;
        const TPErrorWording wording = TPHeadID::Wording(headId.ErrorDetail());
        ASSERT_EQ(wording.lines.size(), 1u) << c.utf8;
        EXPECT_EQ(wording.lines[0], (TPMessageLine{TPMode::Error, QString::fromLatin1(c.message)}))
            << c.utf8;
    }
    // "-", "$", ":" at character 7, 83 as the first pair and "W" as the fourteenth pass.
    EXPECT_EQ(headId.WriteHeadId(QStringLiteral("83007F-$:Z9%UW3")), TPResult::MissingLibrary);
    EXPECT_EQ(headId.WriteHeadId(QStringLiteral("017F11HJK0$:UW+")), TPResult::MissingLibrary);

    const TPErrorWording invalid = TPHeadID::Wording(TPHeadID::StoredInvalid);
    EXPECT_EQ(invalid.lines,
              (std::vector<TPMessageLine>{
                  {TPMode::Error, QStringLiteral("The read head ID is invalid.")},
                  {TPMode::NewLine, QStringLiteral("Restart the printer and try again.")}}));
}
} // namespace
