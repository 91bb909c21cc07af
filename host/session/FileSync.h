#pragma once

#include <QString>

namespace host {

// Makes a rename in `folder` durable: after a saved file's own data is synced, its new name must
// reach the disk as well, or a crash can bring back the old file or none.
void syncFolder(const QString &folder);

} // namespace host
