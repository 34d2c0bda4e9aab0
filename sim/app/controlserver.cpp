#include "controlserver.h"

#include <QLocalSocket>
#include <QStringList>
#include <QTimer>

namespace sim
{

QString ParseControlLine(const QString &line, QString &word, double &seconds)
{
    const QStringList parts = line.simplified().split(' ', Qt::SkipEmptyParts);
    if (parts.isEmpty() || parts.size() > 2)
        return "expected WORD [SECONDS]";
    word = parts[0];
    seconds = 0;
    if (parts.size() == 2) {
        bool ok = false;
        seconds = parts[1].toDouble(&ok);
        if (!ok || !(seconds > 0) || seconds > 1e6)
            return "SECONDS must be a positive number, not \"" + parts[1] + "\"";
    }
    return QString();
}

ControlServer::ControlServer(QString path, Handler handler, QObject *parent)
    : QObject(parent), handler_(std::move(handler)), listener_(std::move(path))
{
    connect(&listener_.Server(), &QLocalServer::newConnection, this,
            &ControlServer::OnNewConnection);
}

void ControlServer::OnNewConnection()
{
    while (QLocalSocket *socket = listener_.Server().nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A caller that never finishes its line is let go.
        QTimer::singleShot(kIdleMs, socket, [socket]() { socket->abort(); });
        auto answer = [socket](const QString &text) {
            socket->write((text + "\n").toUtf8());
            socket->disconnectFromServer();
        };
        connect(socket, &QLocalSocket::readyRead, socket, [this, socket, answer]() {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kMaxLine)
                    answer("error: line too long");
                return;
            }
            const QString line = QString::fromUtf8(socket->readLine(kMaxLine + 1));
            socket->disconnect(socket, &QLocalSocket::readyRead, nullptr, nullptr);
            QString word;
            double seconds = 0;
            QString why = ParseControlLine(line, word, seconds);
            if (why.isEmpty())
                why = handler_(word, seconds);
            answer(why.isEmpty() ? QString("ok") : "error: " + why);
        });
    }
}

} // namespace sim
