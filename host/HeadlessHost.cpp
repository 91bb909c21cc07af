#include "host/HeadlessHost.h"

#include "host/HostSession.h"

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
    // The drawing given is opened first, as the window does, so that --out edits it.
    if (!options_.open.isEmpty()) {
        QString error;
        if (!session_.open(options_.open, &error)) {
            std::fprintf(stderr, "quendra-host: %s\n", error.toLocal8Bit().constData());
            exitCode_ = 1;
            finished_ = true;
            return false;
        }
    }
    for (const QString &file : options_.replays) {
        if (finished_) return false;
        if (!session_.runScriptFile(file)) exitCode_ = 1;
        if (!finished_) writeOut();
    }
    if (options_.exitAfterReplay && !finished_) finish();
    return !finished_;
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
    if (session_.save(options_.out, &error)) return true;
    std::fprintf(stderr, "quendra-host: %s\n", error.toLocal8Bit().constData());
    exitCode_ = 1;
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
