#pragma once

#include "cad/dxf/Dxf.h"

#include <QString>

#include <functional>
#include <vector>

namespace host {

// Writes what `produce` gives as the file at `path` (a link's target when it is one); returns an
// empty string, or a Japanese sentence saying why nothing was saved. The old file stays whole
// until the new one is complete and on the disk.
//
// A file is replaced by a new one written beside it, which takes its owner, group and mode. Where
// that cannot keep what the file is (a shared file of another owner or of a group the user may
// not give, a file with other names) or the folder takes no new file, the file is written over
// in place: its old bytes are kept in a copy elsewhere until the new ones are read back whole,
// and put back when they cannot be.
QString saveFile(const QString &path, const std::function<bool(const cad::DxfSink &)> &produce);

// The copy of a file's old bytes that a save writing over it in place kept, left behind because
// the program that saved was ended (killed, its power lost) before the save was done: the file
// may hold only part of what was being written.
struct KeptCopy
{
    QString copy, target;
};
std::vector<KeptCopy> keptCopies();
// Puts the old bytes back as the file (saved as any file is) and removes the copy; an empty
// string, or why it could not.
QString putBack(const KeptCopy &kept);
void removeKept(const KeptCopy &kept);
// What the user is told of it.
QString keptCopyNotice(const KeptCopy &kept);

} // namespace host
