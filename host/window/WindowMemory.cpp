#include "host/window/WindowMemory.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace host {

namespace {

const QString recentKey = QStringLiteral("window/recentFiles");
const QString folderKey = QStringLiteral("window/lastFolder");
const QString geometryKey = QStringLiteral("window/geometry");
const QString stateKey = QStringLiteral("window/state");
const QString snapKey = QStringLiteral("snap/running");

// One spelling per file, so that a file opened by two paths is listed once.
QString canonical(const QString &path)
{
    const QFileInfo info(path);
    const QString resolved = info.canonicalFilePath();
    return QDir::cleanPath(resolved.isEmpty() ? info.absoluteFilePath() : resolved);
}

} // namespace

WindowMemory::WindowMemory()
{
    const QSettings settings;
    recent_ = settings.value(recentKey).toStringList().mid(0, recentCount);
    lastFolder_ = settings.value(folderKey).toString();
}

void WindowMemory::addRecent(const QString &path)
{
    if (path.isEmpty()) return;
    const QString file = canonical(path);
    recent_.removeAll(file);
    recent_.prepend(file);
    while (recent_.size() > recentCount)
        recent_.removeLast();
    lastFolder_ = QFileInfo(file).absolutePath();
    save();
}

void WindowMemory::removeRecent(const QString &path)
{
    if (recent_.removeAll(canonical(path)) + recent_.removeAll(path) > 0) save();
}

void WindowMemory::rememberFolderOf(const QString &path)
{
    if (path.isEmpty()) return;
    lastFolder_ = QFileInfo(path).absolutePath();
    save();
}

cad::SnapModes WindowMemory::runningSnaps() const
{
    bool ok = false;
    const uint modes = QSettings().value(snapKey).toUInt(&ok);
    return ok ? modes : cad::runningSnaps;
}

void WindowMemory::rememberRunningSnaps(cad::SnapModes modes)
{
    QSettings().setValue(snapKey, modes);
}

QByteArray WindowMemory::geometry() const
{
    return QSettings().value(geometryKey).toByteArray();
}

QByteArray WindowMemory::state() const
{
    return QSettings().value(stateKey).toByteArray();
}

void WindowMemory::rememberWindow(const QByteArray &geometry, const QByteArray &state)
{
    QSettings settings;
    settings.setValue(geometryKey, geometry);
    settings.setValue(stateKey, state);
}

void WindowMemory::save() const
{
    QSettings settings;
    settings.setValue(recentKey, recent_);
    settings.setValue(folderKey, lastFolder_);
}

QString suggestedExportPath(const QString &drawingFile, const QString &folder, const QString &suffix)
{
    const QString base =
        drawingFile.isEmpty() ? QStringLiteral("無題") : QFileInfo(drawingFile).completeBaseName();
    return QDir(folder).filePath(base + QLatin1Char('.') + suffix);
}

} // namespace host
