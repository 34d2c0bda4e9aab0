#include "backuphistory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <unistd.h>
#include <utility>
#include <vector>

namespace
{
const char *const FolderName = "history";
// Names tried for one second before giving up.
constexpr int MaxCopiesPerSecond = 1000;

const QRegularExpression &EntryPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^backupdata-(\\d{8}-\\d{6})(?:_(\\d+))?\\.eep$"));
    return pattern;
}
} // namespace

TPBackupHistory::TPBackupHistory(const QString &backupPath)
    : backupPath_(backupPath),
      folder_(QFileInfo(backupPath).dir().filePath(QLatin1String(FolderName)))
{
}

QString TPBackupHistory::NameFor(const QDateTime &when, int copy)
{
    const QString stamp = when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (copy <= 1)
        return QStringLiteral("backupdata-%1.eep").arg(stamp);
    return QStringLiteral("backupdata-%1_%2.eep").arg(stamp).arg(copy);
}

bool TPBackupHistory::MakeFolder() const
{
    const QFileInfo info(folder_);
    if (info.isSymLink())
        return false;
    if (info.exists())
        return info.isDir();
    return QDir().mkdir(folder_);
}

bool TPBackupHistory::Keep(const QDateTime &when) const
{
    if (!MakeFolder())
        return false;
    const QByteArray source = QFile::encodeName(backupPath_);
    for (int copy = 1; copy <= MaxCopiesPerSecond; ++copy) {
        const QString target = QDir(folder_).filePath(NameFor(when, copy));
        // A second name for the same bytes needs no room on a full disk; a copy is the way
        // where the file system has no hard links. Neither replaces an older history file.
        if (link(source.constData(), QFile::encodeName(target).constData()) == 0)
            return true;
        if (errno == EEXIST)
            continue;
        if (QFileInfo::exists(target))
            continue;
        return QFile::copy(backupPath_, target);
    }
    return false;
}

bool TPBackupHistory::Move(const QDateTime &when) const
{
    return Keep(when) && unlink(QFile::encodeName(backupPath_).constData()) == 0;
}

QStringList TPBackupHistory::Entries() const
{
    // By the time in the name, then by the copy number (so _10 comes after _9).
    std::vector<std::pair<std::pair<QString, int>, QString>> found;
    const QStringList names = QDir(folder_).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        const QRegularExpressionMatch match = EntryPattern().match(name);
        if (match.hasMatch())
            found.push_back({{match.captured(1), std::max(1, match.captured(2).toInt())}, name});
    }
    std::sort(found.begin(), found.end());
    QStringList entries;
    for (const auto &entry : found)
        entries.append(entry.second);
    return entries;
}

void TPBackupHistory::Prune() const
{
    const QStringList entries = Entries();
    for (qsizetype i = 0; i + Kept < entries.size(); ++i)
        QFile::remove(QDir(folder_).filePath(entries[i]));
}
