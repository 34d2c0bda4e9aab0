#include "eepromcopy.h"

#include "adjust/items/market/market.h"
#include "link/dllfunction.h"
#include "link/resultcode.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>

namespace
{
const char *const TopFolder = "Adjustment Program";
const char *const ModelFolder = "HPQ510530";
const char *const FileName = "backupdata.eep";

// The board-specific bytes: counters, limit inputs, adjustment values, head ID, USB ID.
constexpr TPEEPROMCopy::Image CopyAddresses = {
    0x0D, 0x0C,                                           // waste ink counter, low byte first
    0x0E, 0x0F, 0x10, 0x11,                               //
    0x2B, 0x2C, 0x2D,                                     // 0x2B: waste ink limit input
    0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39,       // Bi-D, typical gap
    0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9,       // Bi-D, narrow gap
    0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44,             // limit inputs, head ID
    0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x50,       // head ID
    0x56, 0x51, 0x57, 0x59,                               // CR offset, top margin, first dot
    0x5C, 0x5D, 0x5E, 0x5F, 0x60, 0x61, 0x62, 0x63, 0x64, // USB ID
    0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, //
    0x70, 0x71, 0x72, 0x73, 0x74, 0x75,                   // PW sensor, head angular
};
} // namespace

TPEEPROMCopy::TPEEPROMCopy(TPDLLFunction &dll, const QString &backupPath)
    : dll_(dll), backupPath_(backupPath)
{
}

const TPEEPROMCopy::Image &TPEEPROMCopy::CopyList()
{
    return CopyAddresses;
}

std::vector<TPEEPROMCopy::Write> TPEEPROMCopy::RestoreExtraWrites(int destinationCode)
{
    return TPMarket::SettingWrites(destinationCode);
}

QString TPEEPROMCopy::DefaultBackupPath()
{
    QString root = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (root.isEmpty())
        root = QDir::homePath();
    return QDir(root).filePath(
        QStringLiteral("%1/%2/%3")
            .arg(QLatin1String(TopFolder), QLatin1String(ModelFolder), QLatin1String(FileName)));
}

uint16_t TPEEPROMCopy::Fail(uint16_t detail)
{
    detail_ = detail;
    return TPResult::EepromCopyError;
}

uint16_t TPEEPROMCopy::BackUpEepromData()
{
    Image bytes{};
    for (int i = 0; i < CopySize; ++i) {
        const uint16_t code = dll_.ChanReadEeprom(CopyAddresses[i], &bytes[i]);
        if (code != TPResult::Ok)
            return code;
    }
    uint16_t detail = NoDetail;
    const uint16_t code = WriteBackupFile(backupPath_, bytes, &detail);
    if (code == TPResult::EepromCopyError)
        return Fail(detail);
    return code;
}

uint16_t TPEEPROMCopy::RestoreEepromData(int destinationCode)
{
    Image bytes{};
    uint16_t detail = NoDetail;
    if (ReadBackupFile(backupPath_, &bytes, &detail) != TPResult::Ok)
        return Fail(detail);
    for (int i = 0; i < CopySize; ++i) {
        const uint16_t code = dll_.ChanWriteEeprom(CopyAddresses[i], bytes[i]);
        if (code != TPResult::Ok)
            return code;
    }
    for (const auto &[address, value] : RestoreExtraWrites(destinationCode)) {
        const uint16_t code = dll_.ChanWriteEeprom(address, value);
        if (code != TPResult::Ok)
            return code;
    }
    // Restored once: the file goes only after every write succeeded.
    QFile::remove(backupPath_);
    return TPResult::Ok;
}

uint16_t TPEEPROMCopy::WriteBackupFile(const QString &path, const Image &bytes, uint16_t *detail)
{
    // Folders that exist already or cannot be made are no error here; opening tells.
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Written beside the old backup and renamed over it only once complete, so a failure
    // half-way leaves the old backup as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return TPResult::FileOpen;
    const QByteArray content(reinterpret_cast<const char *>(bytes.data()),
                             static_cast<qsizetype>(bytes.size()));
    if (!TPEEPROMCopy::WriteWhole(file, content)) {
        *detail = CannotCreate;
        return TPResult::EepromCopyError;
    }
    return TPResult::Ok;
}

uint16_t TPEEPROMCopy::ReadBackupFile(const QString &path, Image *bytes, uint16_t *detail)
{
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        *detail = CannotRead;
        return TPResult::EepromCopyError;
    }
    // One byte more than a backup holds: a longer file shows as such without reading it all.
    const QByteArray content = file.read(CopySize + 1);
    if (content.size() != CopySize) {
        *detail = CannotRead;
        return TPResult::EepromCopyError;
    }
    std::copy(content.cbegin(), content.cend(), bytes->begin());
    return TPResult::Ok;
}

TPErrorWording TPEEPROMCopy::Wording(uint16_t detail)
{
    switch (detail) {
    case CannotCreate:
        return {{{TPMode::Error, QStringLiteral("Cannot create file.")}}, std::nullopt};
    case CannotRead:
        return {{{TPMode::Error, QStringLiteral("Cannot read data from file.")}}, std::nullopt};
    default:
        return {};
    }
}

bool TPEEPROMCopy::WriteWhole(QSaveFile &file, const QByteArray &content)
{
    // A full disk can take part of a write without an error: the size on disk decides.
    if (file.write(content) != content.size() || !file.flush() || file.size() != content.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
