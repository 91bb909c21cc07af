#pragma once

#include "cad/model/Snap.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace host {

// What the host's window keeps between runs, in the user's settings: the files opened last, the
// folder its file dialogs were last in, the running snap, and the window's place and size.
class WindowMemory
{
public:
    static constexpr int recentCount = 8;

    WindowMemory();

    // Most recent first, each file once.
    QStringList recentFiles() const { return recent_; }
    void addRecent(const QString &path);
    void removeRecent(const QString &path);

    // The folder a file dialog opens in when the drawing has no file of its own.
    QString lastFolder() const { return lastFolder_; }
    void rememberFolderOf(const QString &path);

    // The kinds the running snap looks for.
    cad::SnapModes runningSnaps() const;
    void rememberRunningSnaps(cad::SnapModes modes);

    QByteArray geometry() const;
    QByteArray state() const;
    void rememberWindow(const QByteArray &geometry, const QByteArray &state);

private:
    void save() const;

    QStringList recent_;
    QString lastFolder_;
};

// The name offered for an export: the drawing's own, with the picture's suffix, in `folder`.
QString suggestedExportPath(const QString &drawingFile, const QString &folder, const QString &suffix);

} // namespace host
