#pragma once

#include <QString>

class QFileDevice;

namespace host {

// Makes a rename in `folder` durable: after a saved file's own data is synced, its new name must
// reach the disk as well, or a crash can bring back the old file or none.
void syncFolder(const QString &folder);
// Brings what was written to `file` to the disk; false when the disk reports an error.
bool syncFile(QFileDevice &file);
// Whether the file at `path` has other names (hard links), which a new file put in its place
// would not have.
bool hasOtherNames(const QString &path);
// Gives `file`, new and open, the owner, group and mode of the file at `path`, whose place it is
// to take; false when the system does not allow it (another user's file, a group the user is
// not in).
bool takeOwnerOf(QFileDevice &file, const QString &path);

} // namespace host
