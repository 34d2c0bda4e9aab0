#pragma once

// Turns SIGINT and SIGTERM into a Qt signal through a self-pipe, so the printer ends
// cleanly from its event loop (sockets removed, EEPROM saved).

#include <QObject>

class QSocketNotifier;

namespace sim
{

class SignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;
    bool Ok() const { return notifier_ != nullptr; }

signals:
    void Stop(int signalNumber);

private:
    void OnReadable();

    QSocketNotifier *notifier_ = nullptr;
};

} // namespace sim
