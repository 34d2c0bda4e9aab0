#pragma once

// Names and sockets of virtual printers in the port directory.

#include <QString>

namespace sim
{

// The port directory, created (mode 0700) if needed. Empty when it cannot be had or is not
// safe to use (a symbolic link, not a folder, someone else's, another mode than 0700); why then
// names the folder and what is wrong with it.
QString MakePortDirectory(QString &why);
// A warning when the port directory is the /tmp fallback (XDG_RUNTIME_DIR not set), else empty.
QString PortDirectoryFallbackWarning();

QString PortSocketPath(const QString &directory, const QString &port);
QString ControlSocketPath(const QString &directory, const QString &port);

// What sits at a socket path.
enum class SocketUse {
    Free,  // nothing there
    Stale, // a socket that nobody listens on (left by a killed printer)
    Live,  // someone answers (or the path is there and cannot be probed)
};
SocketUse ProbeSocket(const QString &path);

// True when another running virtual printer uses the port name (its port or its control
// socket answers).
bool PortInUse(const QString &directory, const QString &port);

// "USB001", "USB002", ...: the first name that no device node /dev/usb/lp(n-1) and no live
// virtual printer uses, starting at number first.
QString FirstFreeUsbPort(const QString &directory, int first = 1);

// Starts a listening Unix-domain socket at path. It is bound under a temporary name and
// linked to path only once it listens, so nobody ever finds a socket there that refuses
// connections (and takes it for stale), and a file already at path is never replaced.
// Returns an empty text and the descriptor in fd, else why not.
QString ListenAtPath(const QString &path, int &fd);

// Empty when the name can be a port name, else why not.
QString CheckPortName(const QString &directory, const QString &port);

} // namespace sim
