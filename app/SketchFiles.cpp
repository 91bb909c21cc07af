#include "SketchFiles.h"

#include "Desktop.h"
#include "MessageService.h"
#include "SketchPad.h"

#include <QDir>
#include <QFileInfo>

namespace quendra {

namespace {

const QString title = QStringLiteral("Quendra_LT");

} // namespace

SketchFiles::SketchFiles(SketchPad &pad, MessageService &messages, Desktop &desktop, QWidget *dialogParent)
    : pad_(pad), messages_(messages), desktop_(desktop), dialogParent_(dialogParent)
{
    connect(&pad_, &SketchPad::modified, this, [this] { declined_ = false; });
}

void SketchFiles::open()
{
    // A new background starts a fresh drawing, so a changed one is offered for saving first.
    askToSave();
    const QString path = desktop_.openFile(dialogParent_, {QString::fromUtf8(filter)}, 1, dialogFolder());
    if (path.isEmpty() || !pad_.openBackground(path)) return;
    currentFile_ = path;
    fileLabelVisible_ = true;
    menu_.close = true;
    menu_.overwrite = true;
    emit stateChanged();
}

void SketchFiles::close()
{
    askToSave();
    pad_.closeBackground();
    fileLabelVisible_ = false;
    menu_.close = false;
    menu_.overwrite = false;
    emit stateChanged();
}

bool SketchFiles::saveAs()
{
    return saveAsResult() == SaveResult::Saved;
}

SketchFiles::SaveResult SketchFiles::saveAsResult()
{
    const QString path =
        desktop_.saveFile(dialogParent_, {QString::fromUtf8(filter)}, QStringLiteral("bmp"), dialogFolder());
    if (path.isEmpty()) return SaveResult::Cancelled;
    if (!writeTo(path)) return SaveResult::Failed;
    currentFile_ = path;
    fileLabelVisible_ = true;
    emit stateChanged();
    return SaveResult::Saved;
}

void SketchFiles::overwrite()
{
    if (currentFile_.isEmpty()) {
        saveAs();
        return;
    }
    writeTo(currentFile_);
}

void SketchFiles::newSketch()
{
    askToSave();
    pad_.closeBackground();
    fileLabelVisible_ = false;
    emit stateChanged();
}

void SketchFiles::select()
{
    askToSave();
    pad_.reset();
    pad_.setModified(false);
    fileLabelVisible_ = false;
    menu_ = FileMenu{};
    emit stateChanged();
}

void SketchFiles::askToSave()
{
    while (pad_.isModified()) {
        const auto answer = messages_.show(dialogParent_, QString::fromUtf8(promptText), Icon::Question,
                                           title, MessageService::Buttons::YesNo);
        if (answer != MessageService::Answer::Yes) {
            declined_ = true;
            return;
        }
        if (saveAsResult() != SaveResult::Failed) return;
    }
}

void SketchFiles::confirmEnd()
{
    if (!declined_) askToSave();
}

bool SketchFiles::writeTo(const QString &path)
{
    if (!pad_.saveBitmap(path)) {
        messages_.show(dialogParent_, QStringLiteral("ファイルを保存できませんでした。"), Icon::Exclamation,
                       title);
        return false;
    }
    pad_.setModified(false);
    declined_ = false;
    return true;
}

// The file dialogs open where the current file lies, else in the current folder.
QString SketchFiles::dialogFolder() const
{
    return currentFile_.isEmpty() ? QDir::currentPath() : QFileInfo(currentFile_).absolutePath();
}

} // namespace quendra
