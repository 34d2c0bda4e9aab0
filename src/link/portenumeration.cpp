#include "portenumeration.h"

#include "linkframe.h"

#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace
{
struct DirCloser {
    void operator()(DIR *dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// Entry names of a folder. A folder that does not exist has no entries; one that exists but
// cannot be read is a failure.
bool ListFolder(const QString &folder, std::vector<QByteArray> *entries)
{
    DirHandle dir(opendir(QFile::encodeName(folder).constData()));
    if (!dir)
        return errno == ENOENT || errno == ENOTDIR;
    errno = 0;
    while (const dirent *entry = readdir(dir.get()))
        entries->emplace_back(entry->d_name);
    return errno == 0;
}

bool IsSocket(const QByteArray &path)
{
    struct stat info {
    };
    return lstat(path.constData(), &info) == 0 && S_ISSOCK(info.st_mode);
}

bool IsDeviceNode(const QByteArray &path)
{
    struct stat info {
    };
    return stat(path.constData(), &info) == 0 && !S_ISDIR(info.st_mode);
}

// Indexes N of the entries named lpN that are device nodes, in increasing order.
bool PrinterNodes(const QString &folder, std::vector<int> *indexes)
{
    std::vector<QByteArray> entries;
    if (!ListFolder(folder, &entries))
        return false;
    static const QRegularExpression lpName(QStringLiteral("^lp(\\d{1,4})$"));
    const QByteArray prefix = QFile::encodeName(folder) + '/';
    for (const QByteArray &entry : entries) {
        const QRegularExpressionMatch match = lpName.match(QString::fromLatin1(entry));
        if (match.hasMatch() && IsDeviceNode(prefix + entry))
            indexes->push_back(match.captured(1).toInt());
    }
    std::sort(indexes->begin(), indexes->end());
    return true;
}
} // namespace

TPPortEnumeration::TPPortEnumeration() : deviceFolder_(QStringLiteral("/dev")) {}

TPPortEnumeration::TPPortEnumeration(const QString &portDirectory, const QString &deviceFolder)
    : portDirectory_(portDirectory), deviceFolder_(deviceFolder)
{
}

QString TPPortEnumeration::PortDirectory() const
{
    if (!portDirectory_.isEmpty())
        return portDirectory_;
    char path[4096];
    if (!link_port_directory(path, sizeof path))
        return QString();
    return QFile::decodeName(path);
}

QString TPPortEnumeration::UsbPortName(int index)
{
    return QStringLiteral("USB%1").arg(index + 1, 3, 10, QLatin1Char('0'));
}

QString TPPortEnumeration::ParallelPortName(int index)
{
    return QStringLiteral("LPT%1:").arg(index + 1);
}

bool TPPortEnumeration::Enumerate(QStringList *names) const
{
    const QString portDirectory = PortDirectory();
    if (portDirectory.isEmpty())
        return false;
    std::vector<QByteArray> entries;
    if (!ListFolder(portDirectory, &entries))
        return false;
    std::sort(entries.begin(), entries.end());
    QStringList found;
    const QByteArray prefix = QFile::encodeName(portDirectory) + '/';
    for (const QByteArray &entry : entries) {
        if (!entry.startsWith('.') && IsSocket(prefix + entry))
            found.append(QFile::decodeName(entry));
    }

    std::vector<int> usb;
    std::vector<int> parallel;
    if (!PrinterNodes(deviceFolder_ + QStringLiteral("/usb"), &usb) ||
        !PrinterNodes(deviceFolder_, &parallel))
        return false;
    for (const int index : usb)
        found.append(UsbPortName(index));
    for (const int index : parallel)
        found.append(ParallelPortName(index));

    *names = std::move(found);
    return true;
}
