#pragma once

// Shared pieces of the selection window tests: reading and choosing combo box items as the
// technician does, and socket files that stand for virtual printers in a port directory.
#include <QComboBox>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTest>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace apptest
{

inline QStringList Items(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// As the technician picks an item: the list changes and its handler runs.
inline void Choose(QComboBox *combo, const QString &text)
{
    const int index = combo->findText(text);
    QVERIFY2(index >= 0, qPrintable(text + " not in " + Items(combo).join(", ")));
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// A Unix-domain socket file at path, as a virtual printer leaves one (nobody listens).
inline bool MakeSocketFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(name.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const bool bound = bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    close(fd);
    return bound;
}

} // namespace apptest
