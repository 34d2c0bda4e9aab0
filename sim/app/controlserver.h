#pragma once

// The control socket of a running virtual printer ("<portdir>/.<PORT>.control"): a tester
// sends one line "WORD [SECONDS]" and gets one line back, "ok" or "error: why". It keeps
// working while the printer is silent or unplugged.

#include <functional>

#include <QLocalServer>
#include <QObject>
#include <QString>

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
    ~ControlServer() override;

    QString Listen();

private:
    void OnNewConnection();

    QString path_;
    Handler handler_;
    void Withdraw();

    QLocalServer server_;
    bool published_ = false;
};

// Splits "WORD [SECONDS]"; returns an empty text or why the line is not a command.
QString ParseControlLine(const QString &line, QString &word, double &seconds);

} // namespace sim
