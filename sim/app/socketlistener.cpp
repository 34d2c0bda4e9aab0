#include "socketlistener.h"

#include <unistd.h>

#include "portdirectory.h"

namespace sim
{

QString SocketListener::Listen()
{
    int fd = -1;
    const QString why = ListenAtPath(path_, fd);
    if (!why.isEmpty())
        return why;
    if (!server_.listen(fd)) {
        ::unlink(path_.toLocal8Bit().constData());
        ::close(fd);
        return "cannot listen on " + path_ + ": " + server_.errorString();
    }
    published_ = true;
    return QString();
}

void SocketListener::Withdraw()
{
    if (published_)
        ::unlink(path_.toLocal8Bit().constData());
    published_ = false;
    server_.close();
}

} // namespace sim
