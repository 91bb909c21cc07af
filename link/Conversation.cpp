#include "link/Conversation.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QUrl>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quendra {

#ifdef _WIN32
// Named pipes have no folders: the name carries the user (or QUENDRA_RUNTIME_DIR, to keep runs
// apart), and the host's pipe admits this user only.
std::string socketFolder()
{
    QString owner = qEnvironmentVariable("QUENDRA_RUNTIME_DIR");
    if (owner.isEmpty()) owner = qEnvironmentVariable("USERNAME");
    return "quendra-" + QUrl::toPercentEncoding(owner).toStdString();
}

std::string socketPath(const std::string &service, const std::string &topic)
{
    const QByteArray name = QUrl::toPercentEncoding(QString::fromStdString(service + "|" + topic));
    return socketFolder() + "." + name.toStdString();
}
#else
std::string socketFolder()
{
    QString dir = qEnvironmentVariable("QUENDRA_RUNTIME_DIR");
    if (dir.isEmpty()) {
        const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
        dir = xdg.isEmpty() ? QStringLiteral("/tmp/quendra-%1").arg(::getuid()) : xdg + QStringLiteral("/quendra");
    }
    QDir().mkpath(dir);
    ::chmod(QFile::encodeName(dir).constData(), S_IRWXU);
    return dir.toStdString();
}

std::string socketPath(const std::string &service, const std::string &topic)
{
    const QByteArray name = QUrl::toPercentEncoding(QString::fromStdString(service + "|" + topic));
    return socketFolder() + "/" + name.toStdString();
}
#endif

} // namespace quendra
