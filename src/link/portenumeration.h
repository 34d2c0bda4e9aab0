#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

// A listed device node this process may not open for reading and writing.
struct TPNodeAccess {
    QString node;  // the node's path; empty when nothing stands in the way
    QString group; // the node's group where membership of it gives access, else empty

    bool Denied() const { return !node.isEmpty(); }
};

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

    // Whether this process may open a path for reading and writing: 0, or the errno of the
    // refusal. access() by default; tests that run as root replace it.
    using AccessProbe = std::function<int(const QByteArray &path)>;
    void SetAccessProbe(AccessProbe probe) { probe_ = std::move(probe); }

    // The listed device node behind a port code that this process may not open for lack of
    // permission. For 0x0503 (no port, as after a fruitless automatic selection) the first
    // such node of the list. Nothing when a virtual printer answers to that code, when the
    // code has no node or when the node can be opened.
    TPNodeAccess DeniedNode(uint16_t portCode) const;

private:
    QString PortDirectory() const;
    // Port name and device node path of every listed node, in list order; false when a
    // device folder cannot be read.
    bool DeviceNodes(std::vector<std::pair<QString, QString>> *nodes) const;
    TPNodeAccess Check(const QString &node) const;

    QString portDirectory_; // empty: the session's port directory
    QString deviceFolder_;
    AccessProbe probe_;
};
