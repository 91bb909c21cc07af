#include "host/session/FileSync.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

namespace host {

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace host
