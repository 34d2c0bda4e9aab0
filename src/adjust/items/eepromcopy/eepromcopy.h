#pragma once

#include "adjust/errorreport.h"

#include <QString>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

class QSaveFile;
class TPDLLFunction;

// EEPROM data copy: carries the board-specific EEPROM bytes from an old main board to its
// replacement through a backup file on this computer. The backup reads the copy list into the
// file; the restore writes it into the new board with the market bytes of the destination
// chosen now, and deletes the file.
class TPEEPROMCopy
{
public:
    static constexpr int CopySize = 68;
    using Image = std::array<uint8_t, CopySize>;
    using Write = std::pair<uint8_t, uint8_t>; // address, value

    // Error details of the 0xF040 status.
    enum Detail : uint16_t { NoDetail = 0, CannotCreate = 2, CannotRead = 3 };

    // backupPath: the backup file (DefaultBackupPath() in the program).
    TPEEPROMCopy(TPDLLFunction &dll, const QString &backupPath);

    // Reads the copy list and writes the file. 0x2001 when the file cannot be opened, 0xF040
    // (detail 2) when it cannot be written; the printer's code when a read fails. An older
    // backup survives every failure.
    uint16_t BackUpEepromData();
    // Reads the file (exactly 68 bytes, else 0xF040 detail 3 and nothing is written), writes
    // the copy list, the fixed bytes and the market bytes of the destination, and deletes the
    // file. A failed write keeps the file.
    uint16_t RestoreEepromData(int destinationCode);

    uint16_t ErrorDetail() const { return detail_; }
    // The wording of 0xF040 for a detail.
    static TPErrorWording Wording(uint16_t detail);

    // The EEPROM addresses of the copy list, in file order.
    static const Image &CopyList();
    // The writes after the copy list: fixed bytes, then the market bytes of the destination.
    static std::vector<Write> RestoreExtraWrites(int destinationCode);
    // <data folder>/Adjustment Program/HPQ510530/backupdata.eep (the home folder when the
    // data folder cannot be had).
    static QString DefaultBackupPath();

    // The file on its own. WriteBackupFile replaces the file only once all 68 bytes are on
    // disk; ReadBackupFile accepts exactly 68 bytes.
    static uint16_t WriteBackupFile(const QString &path, const Image &bytes, uint16_t *detail);
    static uint16_t ReadBackupFile(const QString &path, Image *bytes, uint16_t *detail);

    // Writes content into an open save file and commits it only when all of it is on disk;
    // false (and the target as it was) otherwise.
    static bool WriteWhole(QSaveFile &file, const QByteArray &content);

private:
    uint16_t Fail(uint16_t detail);

    TPDLLFunction &dll_;
    QString backupPath_;
    uint16_t detail_ = NoDetail;
};
