#pragma once

#include "host/session/HostOptions.h"

#include <QObject>
#include <QString>

namespace host {

class HostSession;

// quendra-host without a window: answers ID with the --pick points, DDCOLOR with --color, and
// writes --out on EXIT, on SAVE, on SIGTERM and after the replays.
class HeadlessHost : public QObject
{
    Q_OBJECT

public:
    HeadlessHost(HostSession &session, const HostOptions &options, QObject *parent = nullptr);

    // Opens FILE and starts the replays; returns false when the program should end now (FILE
    // cannot be read, or no replays and --exit-after-replay).
    bool start();
    // Writes --out if given; false when it fails, with a message on standard error unless the
    // last try failed alike.
    bool writeOut();
    // Writes --out and ends the event loop.
    void finish();
    int exitCode() const { return exitCode_; }
    // FILE could not be opened: nothing was drawn and nothing is written.
    bool refused() const { return refused_; }

private:
    void answerPick();
    void replayNext();

    HostSession &session_;
    HostOptions options_;
    std::size_t nextPick_ = 0;
    std::size_t nextReplay_ = 0;
    bool replaysDone_ = false;
    bool finished_ = false;
    bool refused_ = false;
    int exitCode_ = 0;
    QString failure_; // why --out was last not written
};

} // namespace host
