#include "host/session/HeadlessHost.h"

#include "host/session/FileSave.h"
#include "host/session/HostSession.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace host {

HeadlessHost::HeadlessHost(HostSession &session, const HostOptions &options, QObject *parent)
    : QObject(parent), session_(session), options_(options)
{
    connect(&session_, &HostSession::pickWanted, this, &HeadlessHost::answerPick);
    connect(&session_, &HostSession::colorWanted, this,
            [this] { session_.chooseColor(options_.color.value_or(session_.interpreter().color())); });
    connect(&session_, &HostSession::saveWanted, this, [this](bool) {
        writeOut();
        session_.resume();
    });
    connect(&session_, &HostSession::scriptWanted, this, [this] {
        session_.note(QStringLiteral("スクリプト ファイル名を指定して下さい。"));
        session_.resume();
    });
    connect(&session_, &HostSession::plotWanted, this, [this] {
        session_.note(QStringLiteral("ウィンドウなしでは --pdf で印刷して下さい。"));
        session_.resume();
    });
    connect(&session_, &HostSession::exitWanted, this, &HeadlessHost::finish);
    if (options_.verbose) {
        connect(&session_, &HostSession::historyAdded, this, [](const QStringList &lines) {
            QTextStream out(stdout);
            for (const QString &line : lines)
                out << line << '\n';
            out.flush();
        });
    }
}

bool HeadlessHost::start()
{
    for (const KeptCopy &kept : keptCopies())
        std::fprintf(stderr, "quendra-host: %s\n",
                     (keptCopyNotice(kept) + QStringLiteral("ウィンドウで開くと元に戻せます。"))
                         .toLocal8Bit()
                         .constData());
    // FILE is opened as the window opens it, so that --out edits it; one that cannot be read
    // ends the program before --out could replace it with the new lines alone.
    if (!options_.open.isEmpty()) {
        QString error;
        if (!session_.open(options_.open, &error, options_.recover)) {
            if (session_.recoverable())
                error += QStringLiteral(" --recover を付けると読める所まで開きます (保存は別の名前へ)。");
            std::fprintf(stderr, "quendra-host: %s\n", error.toLocal8Bit().constData());
            exitCode_ = 2;
            refused_ = true;
            finished_ = true;
            return false;
        }
    }
    // Queued: the next replay starts from the event loop, never inside the end of the last one.
    connect(&session_, &HostSession::scriptEnded, this, &HeadlessHost::replayNext, Qt::QueuedConnection);
    replayNext();
    return !finished_;
}

// Replays run one after the other, each from the event loop, so that SIGTERM ends even a
// script that calls itself; --out is written after each.
void HeadlessHost::replayNext()
{
    if (finished_ || replaysDone_) return;
    if (nextReplay_ > 0) writeOut();
    while (!finished_ && nextReplay_ < static_cast<std::size_t>(options_.replays.size())) {
        if (session_.runScriptFile(options_.replays[static_cast<qsizetype>(nextReplay_++)])) return;
        exitCode_ = 1;
    }
    replaysDone_ = true;
    if (options_.exitAfterReplay && !finished_) finish();
}

void HeadlessHost::answerPick()
{
    cad::Point p{0, 0};
    if (nextPick_ < options_.picks.size()) {
        p = options_.picks[nextPick_++];
    } else if (!options_.picks.empty()) {
        p = options_.picks.back();
        session_.note(QStringLiteral("--pick の点を使い切りました。最後の点を使います。"));
    } else {
        session_.note(QStringLiteral("--pick の指定がないため 0,0 を使います。"));
    }
    session_.pick(p);
}

bool HeadlessHost::writeOut()
{
    if (options_.out.isEmpty()) return true;
    QString error;
    if (session_.save(options_.out, &error)) {
        failure_.clear();
        return true;
    }
    exitCode_ = 1;
    // It is tried again at every SAVE, after the replays and at the end: the same failure is
    // said once.
    if (error != failure_) std::fprintf(stderr, "quendra-host: %s\n", error.toLocal8Bit().constData());
    failure_ = error;
    return false;
}

void HeadlessHost::finish()
{
    if (finished_) return;
    finished_ = true;
    session_.setExiting(true);
    writeOut();
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [this] { QCoreApplication::exit(exitCode_); }, Qt::QueuedConnection);
}

} // namespace host
