#include "TextEditor.h"

#include "Desktop.h"
#include "MessageService.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextDocument>

namespace quendra {

namespace {

const QString title = QStringLiteral("Quendra_LT");

TextFileFormat newFileFormat()
{
    TextFileFormat f;
    f.encoding = platform::newTextEncoding();
    return f;
}

// The hourglass while a file is read.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

TextEditor::TextEditor(QTextDocument &document, MessageService &messages, Desktop &desktop,
                       QWidget *dialogParent)
    : document_(document), messages_(messages), desktop_(desktop), dialogParent_(dialogParent),
      format_(newFileFormat())
{
    connect(&document_, &QTextDocument::contentsChanged, this, [this] {
        if (replacing_) return;
        const bool was = changed_;
        changed_ = true;
        declined_ = false;
        if (!was) emit stateChanged();
    });
}

void TextEditor::newText()
{
    askToSave();
    emptyText();
    format_ = newFileFormat();
    menu_.open = true;
    menu_.close = false;
    menu_.overwrite = false;
    fileLabelVisible_ = false;
    emit stateChanged();
}

void TextEditor::open()
{
    // Opening replaces the text, so a changed one is offered for saving first.
    askToSave();
    fileLabelVisible_ = true;
    emit stateChanged();
    const QString path = desktop_.openFile(dialogParent_, {QString::fromUtf8(filter)}, 1, dialogFolder());
    if (path.isEmpty()) return;
    WaitCursor wait;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        messages_.show(dialogParent_, QStringLiteral("ファイルを開けませんでした。"), Icon::Exclamation,
                       title);
        return;
    }
    if (file.size() > capacity) {
        messages_.show(dialogParent_, QStringLiteral("ﾌｧｲﾙｻｲｽﾞが64KBを超えています。"), Icon::Exclamation,
                       title);
        return;
    }
    const std::optional<DecodedText> decoded = decodeTextFile(file.readAll());
    if (file.error() != QFileDevice::NoError || !decoded) {
        messages_.show(dialogParent_, QStringLiteral("ファイルを開けませんでした。"), Icon::Exclamation,
                       title);
        return;
    }
    currentFile_ = path;
    replaceText(decoded->text);
    format_ = decoded->format;
    menu_.close = true;
    menu_.overwrite = true;
    menu_.open = false;
    emit stateChanged();
}

bool TextEditor::saveAs()
{
    return saveAsResult() == SaveResult::Saved;
}

TextEditor::SaveResult TextEditor::saveAsResult()
{
    const QString path =
        desktop_.saveFile(dialogParent_, {QString::fromUtf8(filter)}, QStringLiteral("txt"), dialogFolder());
    if (path.isEmpty()) return SaveResult::Cancelled;
    if (!writeTo(path)) return SaveResult::Failed;
    currentFile_ = path;
    fileLabelVisible_ = true;
    emit stateChanged();
    return SaveResult::Saved;
}

void TextEditor::overwrite()
{
    if (currentFile_.isEmpty()) {
        saveAs();
        return;
    }
    writeTo(currentFile_);
}

void TextEditor::eraseAll()
{
    if (!document_.isEmpty()) document_.setPlainText({});
    menu_ = FileMenu{true, false, true, true, true};
    emit stateChanged();
}

void TextEditor::selectEditor()
{
    askToSave();
    emptyText();
    format_ = newFileFormat();
    menu_ = FileMenu{};
    fileLabelVisible_ = false;
    emit stateChanged();
}

void TextEditor::selectSketch()
{
    askToSave();
    emptyText();
    format_ = newFileFormat();
    menu_ = FileMenu{false, false, false, false, false};
    fileLabelVisible_ = false;
    emit stateChanged();
}

void TextEditor::askToSave()
{
    while (changed_) {
        const auto answer = messages_.show(dialogParent_, QString::fromUtf8(promptText), Icon::Question,
                                           title, MessageService::Buttons::YesNo);
        if (answer != MessageService::Answer::Yes) {
            declined_ = true;
            return;
        }
        if (saveAsResult() != SaveResult::Failed) return;
    }
}

void TextEditor::confirmEnd()
{
    if (!declined_) askToSave();
}

bool TextEditor::writeTo(const QString &path)
{
    std::optional<QByteArray> bytes = encodeTextFile(text(), format_);
    TextFileFormat written = format_;
    if (!bytes) {
        // A character the file's encoding cannot hold: keep every character and write UTF-8.
        written = TextFileFormat{TextFileFormat::Encoding::Utf8, false, format_.lineEnd};
        bytes = encodeTextFile(text(), written);
        messages_.show(dialogParent_,
                       QStringLiteral("Shift-JISで表せない文字があるため、UTF-8で保存します。"),
                       Icon::Exclamation, title);
    }
    // flush() before commit(): commit() alone takes a failed last write (a full disk) for success.
    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) && file.write(*bytes) == bytes->size() && file.flush() &&
                    file.commit();
    if (!ok) {
        file.cancelWriting();
        messages_.show(dialogParent_, QStringLiteral("ファイルを保存できませんでした。"), Icon::Exclamation,
                       title);
        return false;
    }
    format_ = written;
    changed_ = false;
    declined_ = false;
    emit stateChanged();
    return true;
}

void TextEditor::replaceText(const QString &text)
{
    replacing_ = true;
    document_.setPlainText(text);
    replacing_ = false;
    changed_ = false;
    declined_ = false;
}

void TextEditor::emptyText()
{
    replaceText({});
}

QString TextEditor::text() const
{
    QString raw = document_.toRawText();
    raw.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return raw;
}

// The file dialogs open where the current file lies, else in the current folder.
QString TextEditor::dialogFolder() const
{
    return currentFile_.isEmpty() ? QDir::currentPath() : QFileInfo(currentFile_).absolutePath();
}

} // namespace quendra
