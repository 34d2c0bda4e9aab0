#include "eepromcopy.h"

#include "adjust/items/market/market.h"
#include "backuphistory.h"
#include "link/dllfunction.h"
#include "link/resultcode.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// A file descriptor closed with its owner.
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

enum class Entry { Missing, PlainFile, Other };

// What stands at a path, the path itself (a link counts as Other, whatever it points to).
Entry EntryAt(const QString &path)
{
    struct stat info = {};
    if (lstat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT ? Entry::Missing : Entry::Other;
    return S_ISREG(info.st_mode) ? Entry::PlainFile : Entry::Other;
}

// Reads up to size bytes; fewer only at the end of the file. -1 on a read error.
qsizetype ReadUpTo(int fd, char *buffer, qsizetype size)
{
    qsizetype done = 0;
    while (done < size) {
        const ssize_t got = read(fd, buffer + done, static_cast<size_t>(size - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += got;
    }
    return done;
}
} // namespace

TPEEPROMCopy::TPEEPROMCopy(TPDLLFunction &dll, const QString &backupPath)
    : dll_(dll), backupPath_(backupPath), clock_([] { return QDateTime::currentDateTime(); })
{
}

void TPEEPROMCopy::SetClock(Clock clock)
{
    clock_ = std::move(clock);
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
    const uint16_t code = WriteBackupFile(backupPath_, bytes, clock_(), &detail);
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
    // Restored once: the file goes only after every write succeeded, and into the history, so
    // the old board's bytes still exist. Where the history cannot take it, it stays.
    const TPBackupHistory history(backupPath_);
    if (history.Move(clock_()))
        history.Prune();
    return TPResult::Ok;
}

uint16_t TPEEPROMCopy::WriteBackupFile(const QString &path, const Image &bytes,
                                       const QDateTime &when, uint16_t *detail)
{
    // Folders that exist already or cannot be made are no error here; opening tells.
    QDir().mkpath(QFileInfo(path).absolutePath());
    // A link would be written through to its target, and a pipe or device is no backup.
    const Entry existing = EntryAt(path);
    if (existing == Entry::Other)
        return TPResult::FileOpen;
    // Written beside the old backup and renamed over it only once complete and once the old
    // one is in the history, so no failure leaves the old board's bytes lost.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return TPResult::FileOpen;
    const QByteArray content(reinterpret_cast<const char *>(bytes.data()),
                             static_cast<qsizetype>(bytes.size()));
    const TPBackupHistory history(path);
    const auto keepOld = [&] { return existing == Entry::Missing || history.Keep(when); };
    if (!TPEEPROMCopy::WriteWhole(file, content, keepOld)) {
        *detail = CannotCreate;
        return TPResult::EepromCopyError;
    }
    history.Prune();
    return TPResult::Ok;
}

uint16_t TPEEPROMCopy::ReadBackupFile(const QString &path, Image *bytes, uint16_t *detail)
{
    *detail = CannotRead;
    // Nothing but a plain file is opened: a pipe would block or feed the printer whatever its
    // writer sends. The open itself neither blocks nor follows a link, in case the file was
    // swapped since.
    if (EntryAt(path) != Entry::PlainFile)
        return TPResult::EepromCopyError;
    const FileDescriptor file(open(QFile::encodeName(path).constData(),
                                   O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info = {};
    if (file.Get() < 0 || fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return TPResult::EepromCopyError;
    // One byte more than a backup holds: a longer file shows as such without reading it all.
    char content[CopySize + 1];
    if (ReadUpTo(file.Get(), content, CopySize + 1) != CopySize)
        return TPResult::EepromCopyError;
    std::copy(content, content + CopySize, bytes->begin());
    *detail = NoDetail;
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

bool TPEEPROMCopy::WriteWhole(QSaveFile &file, const QByteArray &content,
                              const std::function<bool()> &beforeCommit)
{
    // A full disk can take part of a write without an error: the size on disk decides.
    if (file.write(content) != content.size() || !file.flush() || file.size() != content.size() ||
        (beforeCommit && !beforeCommit())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
