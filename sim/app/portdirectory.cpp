#include "portdirectory.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFileInfo>

#include "linkframe.h"

namespace sim
{

QString MakePortDirectory(QString &why)
{
    char buffer[512];
    char reason[256];
    const bool usable = link_make_port_directory(buffer, sizeof buffer, reason, sizeof reason);
    const QString directory = QString::fromLocal8Bit(buffer);
    if (!usable) {
        why = "cannot use the port directory " + directory + ": " + QString::fromLocal8Bit(reason);
        return QString();
    }
    why.clear();
    return directory;
}

QString PortDirectoryFallbackWarning()
{
    if (!link_port_directory_is_fallback())
        return QString();
    char buffer[512];
    if (!link_port_directory(buffer, sizeof buffer))
        return QString();
    return "XDG_RUNTIME_DIR is not set; the port directory is " + QString::fromLocal8Bit(buffer) +
           " (a folder in /tmp, checked to be this user's own)";
}

QString PortSocketPath(const QString &directory, const QString &port)
{
    return directory + "/" + port;
}

QString ControlSocketPath(const QString &directory, const QString &port)
{
    return directory + "/." + port + ".control";
}

SocketUse ProbeSocket(const QString &path)
{
    const QByteArray local = path.toLocal8Bit();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<size_t>(local.size()) >= sizeof address.sun_path)
        return SocketUse::Live;
    std::memcpy(address.sun_path, local.constData(), static_cast<size_t>(local.size()));
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return SocketUse::Live;
    const int result = connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    const int error = errno;
    close(fd);
    if (result == 0)
        return SocketUse::Live;
    if (error == ENOENT)
        return SocketUse::Free;
    if (error == ECONNREFUSED)
        return SocketUse::Stale;
    return SocketUse::Live;
}

bool PortInUse(const QString &directory, const QString &port)
{
    // Every running virtual printer answers on its control socket, unplugged or not; asking
    // there first keeps the probe off the port of a printer that may be serving a client.
    return ProbeSocket(ControlSocketPath(directory, port)) == SocketUse::Live ||
           ProbeSocket(PortSocketPath(directory, port)) == SocketUse::Live;
}

QString FirstFreeUsbPort(const QString &directory, int first)
{
    for (int n = std::max(1, first); n <= 999; ++n) {
        const QString name = QString("USB%1").arg(n, 3, 10, QChar('0'));
        if (QFileInfo::exists(QString("/dev/usb/lp%1").arg(n - 1)))
            continue;
        if (!PortInUse(directory, name))
            return name;
    }
    return QString();
}

QString ListenAtPath(const QString &path, int &fd)
{
    static int counter = 0;
    const QString directory = QFileInfo(path).absolutePath();
    const QByteArray temporary =
        (directory + "/.t" + QString::number(getpid(), 36) + "-" + QString::number(++counter))
            .toLocal8Bit();
    const QByteArray final = path.toLocal8Bit();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<size_t>(temporary.size()) >= sizeof address.sun_path ||
        static_cast<size_t>(final.size()) >= sizeof address.sun_path)
        return "the socket path " + path + " is too long";
    std::memcpy(address.sun_path, temporary.constData(), static_cast<size_t>(temporary.size()));
    fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return QString("cannot make a socket: ") + std::strerror(errno);
    unlink(temporary.constData());
    QString why;
    if (bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        listen(fd, 16) != 0)
        why = "cannot listen on " + path + ": " + std::strerror(errno);
    else if (link(temporary.constData(), final.constData()) != 0)
        why = errno == EEXIST ? path + " is taken"
                              : "cannot listen on " + path + ": " + std::strerror(errno);
    unlink(temporary.constData());
    if (!why.isEmpty()) {
        close(fd);
        fd = -1;
    }
    return why;
}

QString CheckPortName(const QString &directory, const QString &port)
{
    if (port.isEmpty())
        return "the port name is empty";
    if (port.startsWith('.'))
        return "a port name cannot start with '.'";
    if (port.contains('/'))
        return "a port name cannot contain '/'";
    if (ControlSocketPath(directory, port).toLocal8Bit().size() >=
        static_cast<int>(sizeof(sockaddr_un{}.sun_path)))
        return "the port name is too long for a socket in " + directory;
    return QString();
}

} // namespace sim
