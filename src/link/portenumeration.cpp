#include "portenumeration.h"

#include "linkframe.h"

#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <grp.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
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

// Sockets of the port directory by name; names starting with '.' are not ports.
bool SocketNames(const QString &portDirectory, QStringList *names)
{
    std::vector<QByteArray> entries;
    if (!ListFolder(portDirectory, &entries))
        return false;
    std::sort(entries.begin(), entries.end());
    const QByteArray prefix = QFile::encodeName(portDirectory) + '/';
    for (const QByteArray &entry : entries) {
        if (!entry.startsWith('.') && IsSocket(prefix + entry))
            names->append(QFile::decodeName(entry));
    }
    return true;
}

int AccessError(const QByteArray &path)
{
    return access(path.constData(), R_OK | W_OK) == 0 ? 0 : errno;
}

// The group that gives read and write access to a node, when it is a group a person can be
// made a member of (not root's).
QString GrantingGroup(const QByteArray &path)
{
    struct stat info {
    };
    constexpr mode_t GroupReadWrite = S_IRGRP | S_IWGRP;
    if (stat(path.constData(), &info) != 0 || info.st_gid == 0 ||
        (info.st_mode & GroupReadWrite) != GroupReadWrite)
        return QString();
    const group *entry = getgrgid(info.st_gid);
    return entry ? QString::fromLocal8Bit(entry->gr_name) : QString();
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

bool TPPortEnumeration::DeviceNodes(std::vector<std::pair<QString, QString>> *nodes) const
{
    const QString usbFolder = deviceFolder_ + QStringLiteral("/usb");
    std::vector<int> usb;
    std::vector<int> parallel;
    if (!PrinterNodes(usbFolder, &usb) || !PrinterNodes(deviceFolder_, &parallel))
        return false;
    for (const int index : usb)
        nodes->emplace_back(UsbPortName(index), usbFolder + QStringLiteral("/lp%1").arg(index));
    for (const int index : parallel)
        nodes->emplace_back(ParallelPortName(index),
                            deviceFolder_ + QStringLiteral("/lp%1").arg(index));
    return true;
}

bool TPPortEnumeration::Enumerate(QStringList *names) const
{
    const QString portDirectory = PortDirectory();
    QStringList found;
    std::vector<std::pair<QString, QString>> nodes;
    if (portDirectory.isEmpty() || !SocketNames(portDirectory, &found) || !DeviceNodes(&nodes))
        return false;
    for (const auto &node : nodes)
        found.append(node.first);
    *names = std::move(found);
    return true;
}

TPNodeAccess TPPortEnumeration::Check(const QString &node) const
{
    const QByteArray path = QFile::encodeName(node);
    const int error = probe_ ? probe_(path) : AccessError(path);
    if (error != EACCES && error != EPERM)
        return {};
    return {node, GrantingGroup(path)};
}

TPNodeAccess TPPortEnumeration::DeniedNode(uint16_t portCode) const
{
    constexpr uint16_t NoPort = 0x0503;
    QStringList sockets;
    SocketNames(PortDirectory(), &sockets);
    for (const QString &socket : sockets) {
        // A virtual printer answers to its code before any device node does.
        if (link_port_code_of_name(socket.toLatin1().constData()) == portCode && portCode != NoPort)
            return {};
    }
    std::vector<std::pair<QString, QString>> nodes;
    DeviceNodes(&nodes);
    for (const auto &node : nodes) {
        if (portCode != NoPort &&
            link_port_code_of_name(node.first.toLatin1().constData()) != portCode)
            continue;
        const TPNodeAccess access = Check(node.second);
        if (access.Denied() || portCode != NoPort)
            return access;
    }
    return {};
}
