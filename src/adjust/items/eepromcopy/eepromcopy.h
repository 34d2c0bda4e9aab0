#pragma once

#include "adjust/errorreport.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

class QSaveFile;
class TPDLLFunction;

// EEPROM data copy: carries the board-specific EEPROM bytes from an old main board to its
// replacement through a backup file on this computer. The backup reads the copy list into the
// file; the restore writes it into the new board with the market bytes of the destination
// chosen now, and takes the file away. Neither loses a board's bytes: the backup a new one
// replaces and the backup a restore has used both go into the history folder beside the file.
class TPEEPROMCopy
{
public:
    static constexpr int CopySize = 68;
    using Image = std::array<uint8_t, CopySize>;
    using Write = std::pair<uint8_t, uint8_t>; // address, value

    // Error details of the 0xF040 status.
    enum Detail : uint16_t { NoDetail = 0, CannotCreate = 2, CannotRead = 3 };

    using Clock = std::function<QDateTime()>;

    // backupPath: the backup file (DefaultBackupPath() in the program). The local clock
    // names the history files unless another one is set.
    TPEEPROMCopy(TPDLLFunction &dll, const QString &backupPath);
    void SetClock(Clock clock);
    const QString &BackupPath() const { return backupPath_; }

    // Reads the copy list and writes the file, the older backup moved into the history.
    // 0x2001 when the file cannot be opened (or is no plain file), 0xF040 (detail 2) when it
    // cannot be written or the older backup cannot be kept; the printer's code when a read
    // fails. An older backup survives every failure.
    uint16_t BackUpEepromData();
    // Reads the file (exactly 68 bytes of a plain file, else 0xF040 detail 3 and nothing is
    // written), writes the copy list, the fixed bytes and the market bytes of the
    // destination, and moves the file into the history. A failed write keeps the file.
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
    // disk and the older backup is in the history (under the time when); it never writes
    // through a link or into anything but a plain file. ReadBackupFile accepts exactly 68
    // bytes of a plain file (no link, no pipe or device that could block or feed it).
    static uint16_t WriteBackupFile(const QString &path, const Image &bytes, const QDateTime &when,
                                    uint16_t *detail);
    static uint16_t ReadBackupFile(const QString &path, Image *bytes, uint16_t *detail);

    // Writes content into an open save file and commits it only when all of it is on disk
    // and beforeCommit (when given) agreed; false (and the target as it was) otherwise.
    static bool WriteWhole(QSaveFile &file, const QByteArray &content,
                           const std::function<bool()> &beforeCommit = {});

private:
    uint16_t Fail(uint16_t detail);

    TPDLLFunction &dll_;
    QString backupPath_;
    Clock clock_;
    uint16_t detail_ = NoDetail;
};
