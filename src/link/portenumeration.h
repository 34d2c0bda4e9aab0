#pragma once

#include <QString>
#include <QStringList>

// The printer ports of this computer, by name, in one fixed order: virtual printers (sockets
// in the port directory, by name; names starting with '.' are not ports), then the USB
// printer device nodes <dev>/usb/lp0, lp1, ... as USB001, USB002, ..., then the parallel ports
// <dev>/lp0, ... as LPT1:, LPT2:, ....
class TPPortEnumeration
{
public:
    // The port directory of this session (looked up at each enumeration) and /dev.
    TPPortEnumeration();
    // Explicit folders (tests).
    TPPortEnumeration(const QString &portDirectory, const QString &deviceFolder);

    // Fills names with the ports in the order above. False when the ports cannot be listed
    // (a folder that exists but cannot be read); names is then left untouched.
    bool Enumerate(QStringList *names) const;

    // Name of the USB port of device node lp<index> (USB001 for 0) and of the parallel port
    // of lp<index> (LPT1: for 0).
    static QString UsbPortName(int index);
    static QString ParallelPortName(int index);

private:
    QString PortDirectory() const;

    QString portDirectory_; // empty: the session's port directory
    QString deviceFolder_;
};
