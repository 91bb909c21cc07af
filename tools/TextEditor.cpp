#include "tools/TextEditor.h"

#include <QApplication>
#include <QFile>
#include <QSaveFile>
#include <QTextCursor>
#include <QTextDocument>

#include <utility>

namespace quendra {

namespace {

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

TextFileFormat TextEditor::newFileFormat() const
{
    TextFileFormat f;
    f.encoding = newEncoding_;
    return f;
}

TextEditor::TextEditor(QTextDocument &document, MessageService &messages, Desktop &desktop,
                       TextFileFormat::Encoding newEncoding, QWidget *dialogParent)
    : DocumentFile({filter, "txt", promptText}, messages, desktop, dialogParent), document_(document),
      newEncoding_(newEncoding), format_(newFileFormat())
{
    connect(&document_, &QTextDocument::contentsChange, this, [this](int from, int, int added) {
        lastInsertion_ = {from, added};
    });
    connect(&document_, &QTextDocument::contentsChanged, this, [this] {
        if (replacing_) return;
        refuseOverflow();
        const bool was = changed_;
        changed_ = true;
        resetDeclined();
        if (!was) emit stateChanged();
    });
}

void TextEditor::newText()
{
    if (!askToSave()) return;
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
    if (!askToSave()) return;
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

bool TextEditor::selectEditor()
{
    if (!askToSave()) return false;
    emptyText();
    format_ = newFileFormat();
    menu_ = FileMenu{};
    setFileLabelVisible(false);
    emit stateChanged();
    return true;
}

bool TextEditor::selectSketch()
{
    if (!askToSave()) return false;
    emptyText();
    format_ = newFileFormat();
    menu_ = FileMenu{false, false, false, false, false};
    setFileLabelVisible(false);
    emit stateChanged();
    return true;
}

// In the text's own format, or, where that cannot hold a character, in UTF-8 so as to keep every
// character.
TextEditor::Encoded TextEditor::encoded(const QString &text) const
{
    if (std::optional<QByteArray> bytes = encodeTextFile(text, format_)) return {*bytes, format_};
    const TextFileFormat utf8{TextFileFormat::Encoding::Utf8, false, format_.lineEnd};
    return {encodeTextFile(text, utf8).value_or(QByteArray()), utf8};
}

bool TextEditor::fits(const QString &text) const
{
    // No character takes more than three bytes; a byte order mark and a final line end add five.
    if (3 * qint64(text.size()) + 5 <= capacity) return true;
    return encoded(text).bytes.size() <= capacity;
}

// How much of the text inserted at [from, end) of `all` fits: the longest head of it, never half
// of a surrogate pair.
int TextEditor::fittingHead(const QString &all, int from, int end) const
{
    int kept = 0; // always fits
    int tooMany = end - from;
    while (tooMany - kept > 1) {
        const int mid = (kept + tooMany) / 2;
        if (fits(all.left(from + mid) + all.mid(end)))
            kept = mid;
        else
            tooMany = mid;
    }
    if (kept > 0 && all.at(from + kept - 1).isHighSurrogate()) --kept;
    return kept;
}

// Whatever the last change put in beyond what a file may hold is taken out again, so that every
// text the editor holds can be saved and opened again. The removal is kept off the undo history,
// which starts afresh: undoing it would only bring the overflow back, to be taken out again.
void TextEditor::refuseOverflow()
{
    const Insertion insertion = std::exchange(lastInsertion_, {});
    if (insertion.added <= 0 || 3 * qint64(document_.characterCount()) + 5 <= capacity) return;
    const QString all = text();
    if (fits(all)) return;
    const int from = std::min(insertion.from, int(all.size()));
    const int end = std::min(insertion.from + insertion.added, int(all.size()));
    const bool undo = document_.isUndoRedoEnabled();
    document_.setUndoRedoEnabled(false);
    QTextCursor cursor(&document_);
    cursor.setPosition(from + fittingHead(all, from, end));
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    document_.setUndoRedoEnabled(undo);
    warn(QString::fromUtf8(overflowText));
}

bool TextEditor::writeTo(const QString &path)
{
    const Encoded out = encoded(text());
    if (out.format != format_) warn(QStringLiteral("Shift-JISで表せない文字があるため、UTF-8で保存します。"));
    // flush() before commit(): commit() alone takes a failed last write (a full disk) for success.
    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) && file.write(out.bytes) == out.bytes.size() &&
                    file.flush() && file.commit();
    if (!ok) {
        file.cancelWriting();
        warn(QStringLiteral("ファイルを保存できませんでした。"));
        return false;
    }
    format_ = out.format;
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
