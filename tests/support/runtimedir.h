#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace novari_test
{

// A private XDG_RUNTIME_DIR for one test: the port directory (novari-ports) lives in it, so
// virtual printers started by the test and the link libraries in the test process meet there
// and nowhere else. The variable is set for this process while the object lives and restored
// afterwards.
class RuntimeDir
{
public:
    RuntimeDir();
    ~RuntimeDir();
    RuntimeDir(const RuntimeDir &) = delete;
    RuntimeDir &operator=(const RuntimeDir &) = delete;

    bool IsValid() const { return dir_.isValid(); }
    QString Path() const { return dir_.path(); }
    // <runtime>/novari-ports, created with mode 0700.
    QString PortDirectory() const;
    // A path inside the runtime folder (not created).
    QString FilePath(const QString &name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    bool hadPrevious_ = false;
    QByteArray previous_;
};

// A Unix-domain socket file at path, as a virtual printer leaves one (nobody listens).
bool MakeSocketFile(const QString &path);

} // namespace novari_test
