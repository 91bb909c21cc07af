#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace quendra {

class Desktop;
class MessageService;

// A document kept in a file: the current file, save as, overwrite, and the save prompt that asks
// again after a failed save. A document says what its files are, whether it has unsaved changes
// and how it writes itself; the rest of its file menu is its own.
class DocumentFile : public QObject
{
    Q_OBJECT

public:
    // What a document's files are.
    struct Kind
    {
        const char *filter;     // the file dialogs' only filter
        const char *suffix;     // added to a name typed without an extension
        const char *promptText; // the save prompt
    };

    // 名前を付けて保存; true when the document was written.
    bool saveAs();
    // 上書き保存: to the current file, or as save-as when there is none.
    void overwrite();
    // The save prompt: asks while the document has unsaved changes; Yes saves as (a cancelled or
    // failed save asks again), No goes on, Cancel stops. False when the user cancelled: whatever
    // asked must not go on.
    bool askToSave();
    // Before the program ends: the save prompt, unless the user has already declined to save
    // this very document. False when the user cancelled: the program must not end.
    bool confirmEnd();

    QString currentFile() const { return currentFile_; }
    bool fileLabelVisible() const { return fileLabelVisible_; }

signals:
    // Any of the document's states changed.
    void stateChanged();

protected:
    DocumentFile(Kind kind, MessageService &messages, Desktop &desktop, QWidget *dialogParent);

    virtual bool hasUnsavedChanges() const = 0;
    // Writes the document to `path`; false, with the user told why, when that failed.
    virtual bool writeTo(const QString &path) = 0;

    // The open dialog for the document's files; "" when cancelled.
    QString askOpenPath();
    // A warning box under the program's title.
    void warn(const QString &text);
    // The document changed or was replaced: the end of the program asks again.
    void resetDeclined() { declined_ = false; }
    void setCurrentFile(const QString &path) { currentFile_ = path; }
    void setFileLabelVisible(bool visible) { fileLabelVisible_ = visible; }

private:
    enum class SaveResult { Saved, Cancelled, Failed };
    SaveResult saveAsResult();
    bool write(const QString &path);
    QString dialogFolder() const;

    Kind kind_;
    MessageService &messages_;
    Desktop &desktop_;
    QWidget *dialogParent_;
    bool declined_ = false;
    QString currentFile_;
    bool fileLabelVisible_ = false;
};

} // namespace quendra
