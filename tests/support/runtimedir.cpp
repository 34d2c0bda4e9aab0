#include "runtimedir.h"

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
