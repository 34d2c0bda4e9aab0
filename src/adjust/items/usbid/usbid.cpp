#include "usbid.h"

#include "link/dllfunction.h"

#include <QDate>
#include <QTime>

namespace
{
constexpr int HalfHour = 30;          // minutes
constexpr int HalfMinute = 30;        // seconds
constexpr int FirstLetterYear = 2009; // "A"
constexpr int FirstDigitYear = 2000;  // "0"
constexpr char LastCharacter = '0';   // the eighteenth character

bool IsDigitOrCapital(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z');
}

// 0-9 as "0"-"9", 10 and up as "A", "B", ... (at most 35).
QChar Digit36(int value)
{
    return value < 10 ? QChar(u'0' + value) : QChar(u'A' + (value - 10));
}

QChar YearCharacter(int year)
{
    if (year == TPUsbId::FirstStampYear)
        return QChar(u'9');
    if (year < FirstLetterYear)
        return Digit36(year - FirstDigitYear);
    return QChar(u'A' + (year - FirstLetterYear));
}
} // namespace

TPUsbId::TPUsbId(TPDLLFunction &dll)
    : dll_(dll), clock_([] { return QDateTime::currentDateTime(); })
{
}

void TPUsbId::SetClock(Clock clock)
{
    clock_ = std::move(clock);
}

TPUsbId::Detail TPUsbId::CheckSerial(const QString &serial)
{
    if (serial.size() != SerialLength)
        return WrongLength;
    for (const QChar c : serial) {
        if (!IsDigitOrCapital(c.unicode()))
            return NotAlphanumeric;
    }
    return NoDetail;
}

std::optional<QString> TPUsbId::Stamp(const QDateTime &when)
{
    const QDate date = when.date();
    const QTime time = when.time();
    if (!date.isValid() || date.year() < FirstStampYear || date.year() > LastStampYear)
        return std::nullopt;
    const int minute = time.minute();
    const int second = time.second();
    const int flags = (minute >= HalfHour ? 2 : 0) + (second >= HalfMinute ? 1 : 0);
    QString stamp;
    stamp += YearCharacter(date.year());
    stamp += Digit36(date.month());
    stamp += Digit36(date.day());
    stamp += Digit36(time.hour());
    stamp += Digit36(minute % HalfHour);
    stamp += Digit36(second % HalfMinute);
    stamp += Digit36(flags);
    stamp += QLatin1Char(LastCharacter);
    return stamp;
}

uint16_t TPUsbId::WriteUsbId(const QString &serial, QString *stamp)
{
    detail_ = NoDetail;
    if (const Detail detail = CheckSerial(serial); detail != NoDetail)
        return Fail(detail);
    // The clock is read once, before anything is written, so that a clock the stamp cannot
    // express leaves the stored ID whole.
    const std::optional<QString> built = Stamp(clock_());
    if (!built)
        return Fail(ClockOutOfRange);
    const QByteArray id = (serial + *built).toLatin1();
    for (int i = 0; i < IdLength; ++i) {
        const uint16_t result =
            dll_.ChanWriteEeprom(uint8_t(FirstAddress + i), static_cast<uint8_t>(id[i]));
        if (result != TPResult::Ok)
            return result;
    }
    *stamp = *built;
    return TPResult::Ok;
}

uint16_t TPUsbId::ReadUsbId(QString *id)
{
    detail_ = NoDetail;
    QString read;
    for (int i = 0; i < IdLength; ++i) {
        uint8_t value = 0;
        const uint16_t result = dll_.ChanReadEeprom(uint8_t(FirstAddress + i), &value);
        if (result != TPResult::Ok)
            return result;
        if (!IsDigitOrCapital(value))
            return Fail(StoredWrong);
        read += QChar(value);
    }
    *id = read;
    return TPResult::Ok;
}

uint16_t TPUsbId::Fail(Detail detail)
{
    detail_ = detail;
    return TPResult::UsbIdError;
}

TPErrorWording TPUsbId::Wording(uint16_t detail)
{
    const auto error = [](const char *text) {
        return TPErrorWording{{{TPMode::Error, QString::fromLatin1(text)}}, std::nullopt};
    };
    switch (detail) {
    case WrongLength:
        return error("The number of digit is wrong.");
    case NotAlphanumeric:
        return error("Parameter is only number & alphabet.");
    case ClockOutOfRange:
        return error("The computer's date lies outside 1999 to 2034, so no USB ID was written. "
                     "Set the date and try again.");
    case StoredWrong:
        return error("The USB ID is wrong.");
    default:
        return {};
    }
}
