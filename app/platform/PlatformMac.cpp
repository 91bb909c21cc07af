#include "app/platform/Platform.h"

namespace quendra::platform {

void sendEscape()
{
    // Typing into another program needs the accessibility permission; the host needs no Escape.
}

bool openInTextViewer(const QString &path)
{
    // TextEdit is part of every macOS installation.
    return startProgram(QStringLiteral("/usr/bin/open"), {QStringLiteral("-t"), path});
}

} // namespace quendra::platform
