#include "TextEditor.h"

#include "platform/Platform.h"

#include <QApplication>
#include <QFile>
#include <QSaveFile>
#include <QTextDocument>

namespace quendra {

namespace {

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
    : DocumentFile({filter, "txt", promptText}, messages, desktop, dialogParent), document_(document),
      format_(newFileFormat())
{
    connect(&document_, &QTextDocument::contentsChanged, this, [this] {
        if (replacing_) return;
        const bool was = changed_;
        changed_ = true;
        resetDeclined();
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
    setFileLabelVisible(false);
    emit stateChanged();
}

void TextEditor::open()
{
    // Opening replaces the text, so a changed one is offered for saving first.
    askToSave();
    setFileLabelVisible(true);
    emit stateChanged();
    const QString path = askOpenPath();
    if (path.isEmpty()) return;
    WaitCursor wait;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        warn(QStringLiteral("ファイルを開けませんでした。"));
        return;
    }
    if (file.size() > capacity) {
        warn(QStringLiteral("ﾌｧｲﾙｻｲｽﾞが64KBを超えています。"));
        return;
    }
    const std::optional<DecodedText> decoded = decodeTextFile(file.readAll());
    if (file.error() != QFileDevice::NoError || !decoded) {
        warn(QStringLiteral("ファイルを開けませんでした。"));
        return;
    }
    setCurrentFile(path);
    replaceText(decoded->text);
    format_ = decoded->format;
    menu_.close = true;
    menu_.overwrite = true;
    menu_.open = false;
    emit stateChanged();
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
    setFileLabelVisible(false);
    emit stateChanged();
}

void TextEditor::selectSketch()
{
    askToSave();
    emptyText();
    format_ = newFileFormat();
    menu_ = FileMenu{false, false, false, false, false};
    setFileLabelVisible(false);
    emit stateChanged();
}

bool TextEditor::writeTo(const QString &path)
{
    std::optional<QByteArray> bytes = encodeTextFile(text(), format_);
    TextFileFormat written = format_;
    if (!bytes) {
        // A character the file's encoding cannot hold: keep every character and write UTF-8.
        written = TextFileFormat{TextFileFormat::Encoding::Utf8, false, format_.lineEnd};
        bytes = encodeTextFile(text(), written);
        warn(QStringLiteral("Shift-JISで表せない文字があるため、UTF-8で保存します。"));
    }
    // flush() before commit(): commit() alone takes a failed last write (a full disk) for success.
    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) && file.write(*bytes) == bytes->size() && file.flush() &&
                    file.commit();
    if (!ok) {
        file.cancelWriting();
        warn(QStringLiteral("ファイルを保存できませんでした。"));
        return false;
    }
    format_ = written;
    changed_ = false;
    emit stateChanged();
    return true;
}

void TextEditor::replaceText(const QString &text)
{
    replacing_ = true;
    document_.setPlainText(text);
    replacing_ = false;
    changed_ = false;
    resetDeclined();
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

} // namespace quendra
