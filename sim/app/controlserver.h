#pragma once

// The control socket of a running virtual printer ("<portdir>/.<PORT>.control"): a tester
// sends one line "WORD [SECONDS]" and gets one line back, "ok" or "error: why". It keeps
// working while the printer is silent or unplugged.

#include <functional>

#include <QObject>
#include <QString>

#include "socketlistener.h"

namespace sim
{

class ControlServer : public QObject
{
    Q_OBJECT

public:
    // Carries out a command; returns an empty text when done, else why not.
    using Handler = std::function<QString(const QString &word, double seconds)>;

    static constexpr int kMaxLine = 256;
    static constexpr int kIdleMs = 5000;

    ControlServer(QString path, Handler handler, QObject *parent = nullptr);

    // Starts listening; the path must be free. Returns an empty text or why not.
    QString Listen() { return listener_.Listen(); }

private:
    void OnNewConnection();

    Handler handler_;
    SocketListener listener_;
};

// Splits "WORD [SECONDS]"; returns an empty text or why the line is not a command.
QString ParseControlLine(const QString &line, QString &word, double &seconds);

} // namespace sim
