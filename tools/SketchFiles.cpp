#include "tools/SketchFiles.h"

#include "tools/SketchPad.h"

namespace quendra {

SketchFiles::SketchFiles(SketchPad &pad, MessageService &messages, Desktop &desktop, QWidget *dialogParent)
    : DocumentFile({filter, "bmp", promptText}, messages, desktop, dialogParent), pad_(pad)
{
    connect(&pad_, &SketchPad::modified, this, [this] { resetDeclined(); });
}

void SketchFiles::open()
{
    // A new background starts a fresh drawing, so a changed one is offered for saving first.
    if (!askToSave()) return;
    const QString path = askOpenPath();
    if (path.isEmpty() || !pad_.openBackground(path)) return;
    setCurrentFile(path);
    setFileLabelVisible(true);
    menu_.close = true;
    menu_.overwrite = true;
    emit stateChanged();
}

void SketchFiles::close()
{
    if (!askToSave()) return;
    pad_.closeBackground();
    setFileLabelVisible(false);
    menu_.close = false;
    menu_.overwrite = false;
    emit stateChanged();
}

void SketchFiles::newSketch()
{
    if (!askToSave()) return;
    pad_.closeBackground();
    setFileLabelVisible(false);
    emit stateChanged();
}

bool SketchFiles::select()
{
    if (!askToSave()) return false;
    pad_.reset();
    pad_.setModified(false);
    setFileLabelVisible(false);
    menu_ = FileMenu{};
    emit stateChanged();
    return true;
}

bool SketchFiles::hasUnsavedChanges() const
{
    return pad_.isModified();
}

bool SketchFiles::writeTo(const QString &path)
{
    if (!pad_.saveBitmap(path)) {
        warn(QStringLiteral("ファイルを保存できませんでした。"));
        return false;
    }
    pad_.setModified(false);
    return true;
}

} // namespace quendra
