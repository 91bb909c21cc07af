#include "tools/DocumentFile.h"

#include "dialogs/Desktop.h"
#include "dialogs/MessageService.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace quendra {

namespace {

const QString title = QStringLiteral("Quendra_LT");

} // namespace

DocumentFile::DocumentFile(Kind kind, MessageService &messages, Desktop &desktop, QWidget *dialogParent)
    : kind_(kind), messages_(messages), desktop_(desktop), dialogParent_(dialogParent)
{
}

bool DocumentFile::saveAs()
{
    return saveAsResult() == SaveResult::Saved;
}

DocumentFile::SaveResult DocumentFile::saveAsResult()
{
    const QString path = desktop_.saveFile(dialogParent_, {QString::fromUtf8(kind_.filter)},
                                           QString::fromUtf8(kind_.suffix), dialogFolder());
    if (path.isEmpty()) return SaveResult::Cancelled;
    if (!write(path)) return SaveResult::Failed;
    currentFile_ = path;
    fileLabelVisible_ = true;
    emit stateChanged();
    return SaveResult::Saved;
}

void DocumentFile::overwrite()
{
    if (currentFile_.isEmpty()) {
        saveAs();
        return;
    }
    write(currentFile_);
}

bool DocumentFile::askToSave()
{
    while (hasUnsavedChanges()) {
        const auto answer = messages_.show(dialogParent_, QString::fromUtf8(kind_.promptText), Icon::Question,
                                           title, MessageService::Buttons::YesNoCancel);
        if (answer == MessageService::Answer::Cancel) return false;
        if (answer == MessageService::Answer::No) {
            declined_ = true;
            return true;
        }
        if (saveAsResult() == SaveResult::Saved) return true;
    }
    return true;
}

bool DocumentFile::confirmEnd()
{
    return declined_ || askToSave();
}

QString DocumentFile::askOpenPath()
{
    return desktop_.openFile(dialogParent_, {QString::fromUtf8(kind_.filter)}, 1, dialogFolder());
}

void DocumentFile::warn(const QString &text)
{
    messages_.show(dialogParent_, text, Icon::Exclamation, title);
}

bool DocumentFile::write(const QString &path)
{
    if (!writeTo(path)) return false;
    declined_ = false;
    return true;
}

// The file dialogs open where the current file lies, else in the current folder; on Windows in the
// user's documents, as the current folder is then the program's own, often not writable.
QString DocumentFile::dialogFolder() const
{
    if (!currentFile_.isEmpty()) return QFileInfo(currentFile_).absolutePath();
#ifdef _WIN32
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
#else
    return QDir::currentPath();
#endif
}

} // namespace quendra
