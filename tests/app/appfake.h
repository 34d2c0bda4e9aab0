#pragma once

// Test side of the per-port scripted link libraries in bin/appfake: loads the same files that
// TPDLLFunction loads from that folder (so both share one state) and reaches their control
// exports. Also makes socket files that stand for virtual printers in a port directory.
#include "fakeport/fakeportcontrol.h"
#include "link/dllfunction.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <cstring>
#include <dlfcn.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace appfake
{

inline QString Folder()
{
    return TPDLLFunction::ExecutableFolder() + QStringLiteral("/appfake");
}

class Library
{
public:
    explicit Library(const QString &path)
        : handle_(dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL))
    {
        if (!handle_)
            throw std::runtime_error("cannot load " + path.toStdString());
    }
    ~Library() { dlclose(handle_); }
    Library(const Library &) = delete;
    Library &operator=(const Library &) = delete;

    template <typename F> F *Get(const char *name) const
    {
        auto *symbol = reinterpret_cast<F *>(dlsym(handle_, name));
        if (!symbol)
            throw std::runtime_error(std::string("missing control export ") + name);
        return symbol;
    }

private:
    void *handle_;
};

// Both scripted libraries, reset on construction.
class Link
{
public:
    Link()
        : gate_(Folder() + QStringLiteral("/libportgate.so")),
          chan_(Folder() + QStringLiteral("/libchanlink.so"))
    {
        gate_.Get<decltype(AppFakeGateReset)>("AppFakeGateReset")();
        chan_.Get<decltype(AppFakeChanReset)>("AppFakeChanReset")();
    }

    void AddPort(uint16_t code, uint16_t openResult, uint16_t checkResult, const char *model)
    {
        gate_.Get<decltype(AppFakeGateAddPort)>("AppFakeGateAddPort")(code, openResult, checkResult,
                                                                      model);
    }
    bool PortIsOpen() const
    {
        return gate_.Get<decltype(AppFakeGateIsOpen)>("AppFakeGateIsOpen")();
    }
    void SetChanOpenResult(uint16_t result)
    {
        chan_.Get<decltype(AppFakeChanSetOpenResult)>("AppFakeChanSetOpenResult")(result);
    }
    QStringList GateCalls() const { return Calls(gate_, "AppFakeGateCalls"); }
    QStringList ChanCalls() const { return Calls(chan_, "AppFakeChanCalls"); }

private:
    static QStringList Calls(const Library &library, const char *name)
    {
        auto get = library.Get<int(char *, int)>(name);
        QByteArray text(get(nullptr, 0) + 1, '\0');
        get(text.data(), int(text.size()));
        return QString::fromLatin1(text.constData()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    }

    Library gate_;
    Library chan_;
};

// A Unix-domain socket file at path, as a virtual printer leaves one (nobody listens).
inline bool MakeSocketFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(name.size()) >= sizeof address.sun_path)
        return false;
    memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const bool bound = bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    close(fd);
    return bound;
}

} // namespace appfake
