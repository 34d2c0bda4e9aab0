#include "adjust/items/usbid/usbid.h"
#include "link/dllfunction.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace
{
QDateTime At(int year, int month, int day, int hour, int minute, int second)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

TEST(UsbIdStamp, EncodesTheLocalDateAndTime)
{
    const struct {
        QDateTime when;
        const char *stamp;
    } cases[] = {
        {At(2004, 3, 5, 14, 37, 52), "435E7M30"},
        {At(2010, 12, 31, 9, 5, 8), "BCV95800"},
        // Edge years and the half-hour / half-minute flags.
        {At(1999, 1, 1, 0, 0, 0), "91100000"},
        {At(2000, 10, 10, 23, 29, 29), "0AANTT00"},
        {At(2008, 11, 9, 10, 30, 0), "8B9A0020"},
        {At(2009, 9, 1, 0, 59, 30), "A910T030"},
        {At(2034, 12, 31, 23, 59, 59), "ZCVNTT30"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TPUsbId::Stamp(c.when).value_or(QStringLiteral("none")), c.stamp)
            << c.when.toString().toStdString();
}

TEST(UsbIdStamp, YearsWithoutACharacterGiveNoStamp)
{
    for (const QDateTime &when : {At(1998, 12, 31, 23, 59, 59), At(2035, 1, 1, 0, 0, 0),
                                  At(1970, 1, 1, 0, 0, 0), QDateTime()})
        EXPECT_FALSE(TPUsbId::Stamp(when).has_value()) << when.toString().toStdString();
}

// The unit against libraries that are not there: every printer call fails with 0xB000, so a
// result of 0x8000 shows that the input was refused before anything was sent.
struct Unbound {
    TPDLLFunction dll{QStringLiteral("/nonexistent-library-folder")};
    TPUsbId usbId{dll};
};

TEST(UsbIdWrite, RefusesBadSerialNumbersAndBadClocksBeforeWriting)
{
    const struct {
        const char *utf8;
        uint16_t detail;
    } cases[] = {
        {"", TPUsbId::WrongLength},
        {"HQ5100", TPUsbId::WrongLength},
        {"HQ510000011", TPUsbId::WrongLength},
        {"HQ51000001HQ51000001", TPUsbId::WrongLength},
        {"HQ51 00001", TPUsbId::NotAlphanumeric},
        {"          ", TPUsbId::NotAlphanumeric},
        {"hq51000001", TPUsbId::NotAlphanumeric},
        {"HQ5100000a", TPUsbId::NotAlphanumeric},
        {"HQ51-00001", TPUsbId::NotAlphanumeric},
        {"\xC3\x84Q51000001", TPUsbId::NotAlphanumeric},     // Ä
        {"\xEF\xBC\xA1Q51000001", TPUsbId::NotAlphanumeric}, // full-width A
        {"HQ5100000\t", TPUsbId::NotAlphanumeric},
    };
    for (const auto &c : cases) {
        Unbound unit;
        QString stamp = QStringLiteral("kept");
        EXPECT_EQ(unit.usbId.WriteUsbId(QString::fromUtf8(c.utf8), &stamp), TPResult::UsbIdError)
            << c.utf8;
        EXPECT_EQ(unit.usbId.ErrorDetail(), c.detail) << c.utf8;
        EXPECT_EQ(stamp, "kept");
    }

    Unbound unit;
    QString stamp;
    unit.usbId.SetClock([] { return At(2035, 1, 1, 0, 0, 0); });
    EXPECT_EQ(unit.usbId.WriteUsbId(QStringLiteral("HQ51000001"), &stamp), TPResult::UsbIdError);
    EXPECT_EQ(unit.usbId.ErrorDetail(), TPUsbId::ClockOutOfRange);

    // A good serial number and clock reach the library.
    unit.usbId.SetClock([] { return At(2034, 1, 1, 0, 0, 0); });
    EXPECT_EQ(unit.usbId.WriteUsbId(QStringLiteral("HQ51000001"), &stamp),
              TPResult::MissingLibrary);
    EXPECT_EQ(unit.usbId.ErrorDetail(), TPUsbId::NoDetail);
}

TEST(UsbIdWording, EachDetailIsOneRedLine)
{
    const std::pair<uint16_t, const char *> cases[] = {
        {TPUsbId::WrongLength, "The number of digit is wrong."},
        {TPUsbId::NotAlphanumeric, "Parameter is only number & alphabet."},
        {TPUsbId::StoredWrong, "The USB ID is wrong."}};
    for (const auto &[detail, text] : cases) {
        const TPErrorWording wording = TPUsbId::Wording(detail);
        ASSERT_EQ(wording.lines.size(), 1u) << text;
        EXPECT_EQ(wording.lines[0], (TPMessageLine{TPMode::Error, QString::fromLatin1(text)}));
        EXPECT_FALSE(wording.lock.has_value());
    }
    const TPErrorWording clock = TPUsbId::Wording(TPUsbId::ClockOutOfRange);
    ASSERT_EQ(clock.lines.size(), 1u);
    EXPECT_EQ(clock.lines[0].mode, TPMode::Error);
    EXPECT_TRUE(clock.lines[0].text.contains(QStringLiteral("2034")));
}
} // namespace
