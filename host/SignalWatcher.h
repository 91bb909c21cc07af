#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT into a Qt signal, delivered in the event loop: the handler itself only
// writes a byte to a pipe.
class SignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;

signals:
    void terminate();

private:
    QSocketNotifier *notifier_ = nullptr;
};
