#pragma once

#include "adjust/errorreport.h"
#include "link/resultcode.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class TPDLLFunction;

// The printer's USB ID: the 10-character serial number typed by the technician and an
// 8-character stamp of the local date and time of writing, one character per EEPROM byte
// at 0x5C-0x6D. Checks the serial number, builds the stamp and reads the ID back.
class TPUsbId
{
public:
    static constexpr uint8_t FirstAddress = 0x5C;
    static constexpr int SerialLength = 10;
    static constexpr int StampLength = 8;
    static constexpr int IdLength = SerialLength + StampLength;
    // The years the stamp has a character for.
    static constexpr int FirstStampYear = 1999;
    static constexpr int LastStampYear = 2034;

    // Error detail of the last failure, worded for the error status 0x8000.
    enum Detail : uint16_t {
        NoDetail = 0,
        WrongLength = 1,     // serial number not 10 characters long
        NotAlphanumeric = 2, // a serial number character other than a digit or capital letter
        ClockOutOfRange = 3, // the local clock lies outside the years the stamp can express
        StoredWrong = 16     // a stored character other than a digit or capital letter
    };

    using Clock = std::function<QDateTime()>;

    // The local clock unless another one is set.
    explicit TPUsbId(TPDLLFunction &dll);
    void SetClock(Clock clock);

    // Checks the serial number and the clock, then writes the serial number and the stamp.
    // Nothing is written unless both passed. On success stamp holds the 8 stamp characters.
    uint16_t WriteUsbId(const QString &serial, QString *stamp);
    // Reads the 18 characters; id is left as it was on any failure.
    uint16_t ReadUsbId(QString *id);
    uint16_t ErrorDetail() const { return detail_; }

    // NoDetail, WrongLength or NotAlphanumeric.
    static Detail CheckSerial(const QString &serial);
    // The 8 stamp characters of a local date and time; none outside 1999-2034.
    static std::optional<QString> Stamp(const QDateTime &when);
    // What the window shows for a detail (red line).
    static TPErrorWording Wording(uint16_t detail);

private:
    uint16_t Fail(Detail detail);

    TPDLLFunction &dll_;
    Clock clock_;
    uint16_t detail_ = NoDetail;
};
