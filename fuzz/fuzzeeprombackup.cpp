// libFuzzer target for the EEPROM backup file the program reads back when it restores a
// main board: any file content gives the 68 bytes exactly as they stand in a 68-byte file,
// or "cannot read" for anything else, never a crash or a partial image. The same content
// behind a symbolic link, and a pipe in the file's place, are refused without blocking.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>

#include "adjust/items/eepromcopy/eepromcopy.h"
#include "link/resultcode.h"

namespace
{

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckRefused(const QString &path)
{
    TPEEPROMCopy::Image image{};
    uint16_t detail = TPEEPROMCopy::NoDetail;
    Check(TPEEPROMCopy::ReadBackupFile(path, &image, &detail) == TPResult::EepromCopyError &&
          detail == TPEEPROMCopy::CannotRead);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("backupdata.eep"));
    // A link to the file and a pipe with no writer, made once.
    static const QString link = [] {
        const QString at = folder.filePath(QStringLiteral("link.eep"));
        Check(QFile::link(folder.filePath(QStringLiteral("backupdata.eep")), at));
        return at;
    }();
    static const QString pipe = [] {
        const QString at = folder.filePath(QStringLiteral("pipe.eep"));
        Check(mkfifo(QFile::encodeName(at).constData(), 0600) == 0);
        return at;
    }();
    {
        QFile file(path);
        Check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        Check(file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size)) ==
              static_cast<qint64>(size));
    }
    TPEEPROMCopy::Image image{};
    uint16_t detail = TPEEPROMCopy::NoDetail;
    const uint16_t result = TPEEPROMCopy::ReadBackupFile(path, &image, &detail);
    if (size == TPEEPROMCopy::CopySize) {
        Check(result == TPResult::Ok);
        Check(std::memcmp(image.data(), data, size) == 0);
    } else {
        Check(result == TPResult::EepromCopyError && detail == TPEEPROMCopy::CannotRead);
    }
    CheckRefused(link);
    CheckRefused(pipe);
    return 0;
}
