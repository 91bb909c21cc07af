#pragma once

#include "tools/DocumentFile.h"
#include "tools/TextFileFormat.h"

class QTextDocument;

namespace quendra {

// The editor's files and its changed flag, apart from any window: new, open, save, save as, the
// save prompt, and the states of the file menu entries those handlers set. The main window shows
// the document in Text1 and maps the states onto its menu; tests drive it with a bare document.
class TextEditor : public DocumentFile
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

    // The text box's capacity: larger files are refused, and typing or pasting stops there.
    static constexpr qint64 capacity = 64 * 1024;
    static constexpr const char *overflowText = "64KBを超えるため、これ以上入力できません。";
    static constexpr const char *filter = "ﾃｷｽﾄﾌｧｲﾙ (*.txt)";
    static constexpr const char *promptText = "テキストは変更されています。保存しますか？";

    // `newEncoding`: the encoding a new text is saved in, the platform's usual one.
    TextEditor(QTextDocument &document, MessageService &messages, Desktop &desktop,
               TextFileFormat::Encoding newEncoding, QWidget *dialogParent = nullptr);

    // 新規作成 and ファイルを閉じる: the save prompt, then an empty text.
    void newText();
    void open();
    // 全消去: the text emptied without a prompt; the current file stays the target.
    void eraseAll();
    // The editor chosen as work area: the save prompt, then an empty text. False when the user
    // cancelled the prompt: the work area stays as it was.
    bool selectEditor();
    // The sketch pad chosen as work area: the save prompt, an empty text, every file entry off.
    // False when the user cancelled the prompt.
    bool selectSketch();

    bool isChanged() const { return changed_; }
    FileMenu fileMenu() const { return menu_; }
    TextFileFormat format() const { return format_; }

protected:
    bool hasUnsavedChanges() const override { return changed_; }
    bool writeTo(const QString &path) override;

private:
    // A text as a save writes it.
    struct Encoded
    {
        QByteArray bytes;
        TextFileFormat format;
    };
    // Where the document's last change put text in.
    struct Insertion
    {
        int from = 0;
        int added = 0;
    };

    Encoded encoded(const QString &text) const;
    bool fits(const QString &text) const;
    int fittingHead(const QString &all, int from, int end) const;
    void refuseOverflow();
    void replaceText(const QString &text);
    void emptyText();
    QString text() const;
    TextFileFormat newFileFormat() const;

    QTextDocument &document_;
    TextFileFormat::Encoding newEncoding_;
    bool changed_ = false;
    bool replacing_ = false;
    Insertion lastInsertion_;
    FileMenu menu_;
    TextFileFormat format_;
};

} // namespace quendra
