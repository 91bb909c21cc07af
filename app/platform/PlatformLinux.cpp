#include "app/platform/Platform.h"

#include <QProcess>
#include <QStandardPaths>

namespace quendra::platform {

namespace {

constexpr int queryTimeoutMs = 3000;

// Whether the desktop names a program for plain text; xdg-open alone would start and then fail
// quietly on a machine without one.
bool desktopHasTextViewer()
{
    const QString mime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (mime.isEmpty()) return false;
    QProcess query;
    query.start(mime, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/plain")});
    if (!query.waitForFinished(queryTimeoutMs)) {
        query.kill();
        query.waitForFinished(queryTimeoutMs);
        return false;
    }
    return query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace

void sendEscape()
{
    // No portable way to type into another program's window here; the host needs none.
}

bool openInTextViewer(const QString &path)
{
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty() || !desktopHasTextViewer()) return false;
    return startProgram(opener, {path});
}

} // namespace quendra::platform
