#pragma once

#include <QObject>

class QSocketNotifier;

namespace host {

// Turns SIGTERM and SIGINT (on Windows the console's Ctrl+C, Ctrl+Break and close events) into a Qt
// signal, delivered in the event loop: the handler itself only writes a byte to a pipe or posts an
// event.
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

} // namespace host
