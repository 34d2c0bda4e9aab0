#include "runtimedir.h"

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

namespace novari_test
{

RuntimeDir::RuntimeDir() : dir_(QDir::tempPath() + QStringLiteral("/novari-test-XXXXXX"))
{
    hadPrevious_ = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    previous_ = qgetenv("XDG_RUNTIME_DIR");
    if (dir_.isValid()) {
        QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir_.path()));
    }
}

RuntimeDir::~RuntimeDir()
{
    if (hadPrevious_)
        qputenv("XDG_RUNTIME_DIR", previous_);
    else
        qunsetenv("XDG_RUNTIME_DIR");
}

QString RuntimeDir::PortDirectory() const
{
    const QString path = dir_.filePath(QStringLiteral("novari-ports"));
    if (!QDir(path).exists()) {
        QDir().mkpath(path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return path;
}

} // namespace novari_test

bool novari_test::MakeSocketFile(const QString &path)
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
