#pragma once

#include "TextFileFormat.h"

#include <QObject>
#include <QString>

class QTextDocument;
class QWidget;

namespace quendra {

class Desktop;
class MessageService;

// The editor's files and its changed flag, apart from any window: new, open, save, save as, the
// save prompt, and the states of the file menu entries those handlers set. The main window shows
// the document in Text1 and maps the states onto its menu; tests drive it with a bare document.
class TextEditor : public QObject
{
    Q_OBJECT

public:
    struct FileMenu
    {
        bool newFile = true;
        bool open = true;
        bool close = false;
        bool overwrite = false;
        bool saveAs = true;
        bool operator==(const FileMenu &) const = default;
    };

    // The text box's capacity: larger files are refused.
    static constexpr qint64 capacity = 64 * 1024;
    static constexpr const char *filter = "ﾃｷｽﾄﾌｧｲﾙ (*.txt)";
    static constexpr const char *promptText = "テキストは変更されています。保存しますか？";

    TextEditor(QTextDocument &document, MessageService &messages, Desktop &desktop,
               QWidget *dialogParent = nullptr);

    // 新規作成 and ファイルを閉じる: the save prompt, then an empty text.
    void newText();
    void open();
    // 名前を付けて保存; true when the text was written.
    bool saveAs();
    // 上書き保存: to the current file, or as save-as when there is none.
    void overwrite();
    // 全消去: the text emptied without a prompt; the current file stays the target.
    void eraseAll();
    // The editor chosen as work area: the save prompt, then an empty text.
    void selectEditor();
    // The sketch pad chosen as work area: the save prompt, an empty text, every file entry off.
    void selectSketch();

    // The save prompt: asks while the text has unsaved changes; Yes saves as (a failed save asks
    // again), No goes on.
    void askToSave();
    // Before the program ends: the save prompt, unless the user has already declined to save
    // this very text.
    void confirmEnd();

    bool isChanged() const { return changed_; }
    QString currentFile() const { return currentFile_; }
    bool fileLabelVisible() const { return fileLabelVisible_; }
    FileMenu fileMenu() const { return menu_; }
    TextFileFormat format() const { return format_; }

signals:
    // Any of the states above changed.
    void stateChanged();

private:
    enum class SaveResult { Saved, Cancelled, Failed };
    SaveResult saveAsResult();
    bool writeTo(const QString &path);
    QString dialogFolder() const;
    void replaceText(const QString &text);
    void emptyText();
    QString text() const;

    QTextDocument &document_;
    MessageService &messages_;
    Desktop &desktop_;
    QWidget *dialogParent_;
    bool changed_ = false;
    bool declined_ = false;
    bool replacing_ = false;
    QString currentFile_;
    bool fileLabelVisible_ = false;
    FileMenu menu_;
    TextFileFormat format_;
};

} // namespace quendra
