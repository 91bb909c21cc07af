#include "host/session/FileSync.h"

#include <QFileDevice>

#include <io.h>

namespace host {

// NTFS journals the rename that MoveFileEx does for QSaveFile; a folder has nothing to flush.
void syncFolder(const QString &) {}

bool syncFile(QFileDevice &file)
{
    return file.handle() >= 0 && ::_commit(file.handle()) == 0;
}

// A file put in another's place keeps what Windows users rely on (its access list comes from the
// folder); hard links are rare there and not followed.
bool hasOtherNames(const QString &)
{
    return false;
}

bool takeOwnerOf(QFileDevice &, const QString &)
{
    return true;
}

} // namespace host
