#include "link/Conversation.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/socket.h>
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

// The pipe admits this user only; the host checks its clients again at the door.
std::string socketFolderProblem()
{
    return {};
}

bool socketPeerIsThisUser(long long)
{
    return true;
}
#else
std::string socketFolder()
{
    QString dir = qEnvironmentVariable("QUENDRA_RUNTIME_DIR");
    if (dir.isEmpty()) {
        const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
        dir = xdg.isEmpty() ? QStringLiteral("/tmp/quendra-%1").arg(::getuid())
                            : xdg + QStringLiteral("/quendra");
    }
    // Created for this user alone; an existing one is checked, never trusted (socketFolderProblem).
    QDir().mkpath(QFileInfo(dir).absolutePath());
    ::mkdir(QFile::encodeName(dir).constData(), S_IRWXU);
    return dir.toStdString();
}

std::string socketFolderProblem()
{
    const std::string dir = socketFolder();
    // Opened without following a link, so that what is checked is what is used.
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return "会話用のフォルダを使えません(フォルダでないか、リンクです): " + dir;
    struct stat st
    {
    };
    std::string problem;
    if (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode))
        problem = "会話用のフォルダを使えません: " + dir;
    else if (st.st_uid != ::getuid())
        problem = "会話用のフォルダが別のユーザーのものです: " + dir;
    else if ((st.st_mode & 077) != 0 && ::fchmod(fd, S_IRWXU) != 0) // ours, but opened too wide
        problem = "会話用のフォルダを本人だけのものにできません: " + dir;
    ::close(fd);
    return problem;
}

bool socketPeerIsThisUser(long long socketDescriptor)
{
    if (socketDescriptor < 0) return false;
    const int fd = static_cast<int>(socketDescriptor);
#if defined(SO_PEERCRED)
    struct ucred credentials
    {
    };
    socklen_t size = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 || size != sizeof credentials)
        return false;
    return credentials.uid == ::getuid();
#else
    uid_t uid = 0;
    gid_t gid = 0;
    if (::getpeereid(fd, &uid, &gid) != 0) return false;
    return uid == ::getuid();
#endif
}

std::string socketPath(const std::string &service, const std::string &topic)
{
    const QByteArray name = QUrl::toPercentEncoding(QString::fromStdString(service + "|" + topic));
    return socketFolder() + "/" + name.toStdString();
}
#endif

} // namespace quendra
