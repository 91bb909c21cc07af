#include "host/session/FileSync.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace host {

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool syncFile(QFileDevice &file)
{
    return file.handle() >= 0 && ::fsync(file.handle()) == 0;
}

bool hasOtherNames(const QString &path)
{
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink > 1;
}

bool takeOwnerOf(QFileDevice &file, const QString &path)
{
    struct stat target
    {
    }, own{};
    const int fd = file.handle();
    if (fd < 0 || ::stat(QFile::encodeName(path).constData(), &target) != 0 || ::fstat(fd, &own) != 0)
        return false;
    if ((own.st_uid != target.st_uid || own.st_gid != target.st_gid) &&
        ::fchown(fd, target.st_uid, target.st_gid) != 0)
        return false;
    // After the owner: a change of owner clears the set-id bits.
    return ::fchmod(fd, target.st_mode & 07777) == 0;
}

} // namespace host
