#include "host/HostSession.h"

#include "cad/Dxf.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace host {

namespace {

// One line of what a conversation sent, with its carriage returns shown.
QString shown(std::string_view chars)
{
    QString s =
        QString::fromUtf8(chars.data(), static_cast<qsizetype>(std::min<std::size_t>(chars.size(), 400)));
    s.replace(QChar('\r'), QStringLiteral("↵")).replace(QChar('\n'), QStringLiteral("↵"));
    if (chars.size() > 400 || s.size() > 160) s = s.left(160) + QStringLiteral("…");
    return s;
}

// The code pages of $DWGCODEPAGE by the names Qt's converters know them.
std::string decodeCodepage(std::string_view bytes, const std::string &codepage)
{
    QByteArray name = QByteArray::fromStdString(codepage).toUpper();
    if (name == "ANSI_932" || name == "DOS932")
        name = "Shift_JIS";
    else if (name == "ANSI_936")
        name = "GBK";
    else if (name == "ANSI_949")
        name = "windows-949";
    else if (name == "ANSI_950")
        name = "Big5";
    else if (name.startsWith("ANSI_"))
        name = "windows-" + name.mid(5);
    QStringDecoder decoder(name.constData());
    if (!decoder.isValid()) return {};
    const QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return text.toStdString();
}

// Saves the file opened, edited: everything it held, and what was drawn since.
QString saveEdited(const cad::DxfSource &source, const cad::Drawing &drawing, std::size_t firstNew,
                   const QString &path)
{
    const std::string bytes = source.edited(drawing, firstNew);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return QStringLiteral("ファイルを作成できません: %1").arg(path);
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()) ||
        !file.commit())
        return QStringLiteral("ファイルを書き込めません(ディスクの空きを確認して下さい): %1").arg(path);
    return {};
}

} // namespace

HostSession::HostSession(QObject *parent) : QObject(parent), interpreter_(drawing_)
{
    seenPrompt_ = QString::fromStdString(interpreter_.prompt());
}

bool HostSession::accepts(std::size_t bytes, QString *reason) const
{
    if (exiting_) {
        *reason = QStringLiteral("終了処理中です。");
        return false;
    }
    if (interpreter_.queued() + bytes > maxQueued) {
        *reason = QStringLiteral("入力待ちの量が多すぎます。");
        return false;
    }
    return true;
}

void HostSession::enqueue(std::string_view utf8chars, const QString &source)
{
    if (!source.isEmpty())
        interpreter_.note(QStringLiteral("[%1] %2").arg(source, shown(utf8chars)).toStdString());
    interpreter_.feed(utf8chars);
    settle();
}

void HostSession::type(const QString &text)
{
    interpreter_.type(text.toStdString());
    settle();
}

void HostSession::pick(cad::Point p)
{
    pickAnnounced_ = false;
    interpreter_.pick(p);
    settle();
}

void HostSession::chooseColor(int colorIndex)
{
    colorAnnounced_ = false;
    interpreter_.chooseColor(colorIndex);
    settle();
}

void HostSession::cancel()
{
    pickAnnounced_ = colorAnnounced_ = false;
    interpreter_.cancel();
    settle();
}

void HostSession::resume()
{
    waitingForProgram_ = false;
    interpreter_.resume();
    settle();
}

void HostSession::note(const QString &line)
{
    interpreter_.note(line.toStdString());
    settle();
}

bool HostSession::runScriptFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        note(QStringLiteral("スクリプト ファイルを開けません: %1").arg(path));
        return false;
    }
    QByteArray bytes = file.readAll();
    // A script file's line ends are Enters; CR LF is one of them.
    bytes.replace("\r\n", "\n");
    interpreter_.note(QStringLiteral("スクリプト: %1").arg(path).toStdString());
    interpreter_.feedFirst(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    settle();
    return true;
}

void HostSession::newDrawing()
{
    interpreter_.cancel();
    drawing_.clear();
    drawing_.markSaved();
    source_.reset();
    firstNew_ = 0;
    recovered_ = false;
    fileName_.clear();
    emit fileNameChanged(fileName_);
    settle();
}

bool HostSession::open(const QString &path, QString *error, bool recover)
{
    cad::DxfReadResult r =
        cad::readDxf(QFile::encodeName(path).toStdString(), cad::DxfLineReading::Direct, decodeCodepage, true);
    recoverable_ = false;
    if (!r.ok && r.source) {
        const auto repaired = cad::DxfSource::recovered(r.source->bytes());
        cad::DxfReadResult part;
        if (repaired) part = cad::readDxfData(*repaired, cad::DxfLineReading::Direct, decodeCodepage, true);
        recoverable_ = part.ok;
        if (recover && part.ok) r = std::move(part);
    }
    if (!r.ok) {
        *error = QString::fromStdString(r.error);
        return false;
    }
    // A file read whole by the reader but not by the editing scan is saved as a recovered one.
    recovered_ = (recover && recoverable_) || !r.source || !r.source->complete();
    recoverable_ = false;
    interpreter_.cancel();
    drawing_.take(std::move(r.drawing));
    drawing_.markSaved();
    source_ = std::move(r.source);
    firstNew_ = drawing_.size();
    fileName_ = QFileInfo(path).absoluteFilePath();
    emit fileNameChanged(fileName_);
    if (recovered_)
        interpreter_.note(QStringLiteral("ファイルの読み込めた部分だけを復元しました。保存は別の名前で行って下さい。")
                              .toStdString());
    if (r.skipped > 0)
        interpreter_.note(
            QStringLiteral("対応していない図形 %1 個を読み飛ばしました。").arg(r.skipped).toStdString());
    settle();
    return true;
}

bool HostSession::save(const QString &path, QString *error)
{
    if (recovered_ && QFileInfo(path).absoluteFilePath() == fileName_) {
        *error = QStringLiteral("復元した図面です。元のファイルを残すため、別の名前で保存して下さい。");
        return false;
    }
    const QString e = source_ ? saveEdited(*source_, drawing_, firstNew_, path)
                              : QString::fromStdString(cad::writeDxf(drawing_, QFile::encodeName(path).toStdString()));
    if (!e.isEmpty()) {
        *error = e;
        return false;
    }
    drawing_.markSaved();
    if (fileName_ != QFileInfo(path).absoluteFilePath()) {
        fileName_ = QFileInfo(path).absoluteFilePath();
        emit fileNameChanged(fileName_);
    }
    settle();
    return true;
}

void HostSession::undo()
{
    interpreter_.cancel();
    interpreter_.type("_U\n");
    settle();
}

void HostSession::redo()
{
    interpreter_.cancel();
    interpreter_.type("_REDO\n");
    settle();
}

// Handles what the interpreter asks for until it needs the program or runs dry. Calls that come
// back in while this runs only ask for another round, so a long script of requests never nests.
void HostSession::settle()
{
    if (settling_) {
        again_ = true;
        return;
    }
    settling_ = true;
    do {
        again_ = false;
        step();
    } while (again_);
    settling_ = false;
    publish();
}

void HostSession::step()
{
    while (!waitingForProgram_) {
        const auto request = interpreter_.takeRequest();
        if (!request) break;
        if (!handle(*request)) return;
        interpreter_.resume();
    }
    if (!interpreter_.waitingForPick()) pickAnnounced_ = false;
    if (!interpreter_.waitingForColor()) colorAnnounced_ = false;
    if (interpreter_.waitingForPick() && !pickAnnounced_) {
        pickAnnounced_ = true;
        publish();
        emit pickWanted();
    }
    if (interpreter_.waitingForColor() && !colorAnnounced_) {
        colorAnnounced_ = true;
        publish();
        emit colorWanted();
    }
}

// Returns whether the interpreter may go on at once; otherwise the program calls resume().
bool HostSession::handle(const cad::Request &request)
{
    switch (request.kind) {
    case cad::Request::Kind::ZoomExtents:
        emit zoomExtentsWanted();
        return true;
    case cad::Request::Kind::Script:
        if (!request.argument.empty()) {
            runScriptFile(QString::fromStdString(request.argument));
            return true;
        }
        waitingForProgram_ = true;
        emit scriptWanted();
        return false;
    case cad::Request::Kind::Save:
    case cad::Request::Kind::SaveAs:
        waitingForProgram_ = true;
        publish();
        emit saveWanted(request.kind == cad::Request::Kind::SaveAs);
        return false;
    case cad::Request::Kind::Exit:
        waitingForProgram_ = true;
        publish();
        emit exitWanted();
        return false;
    }
    return true;
}

void HostSession::publish()
{
    if (drawing_.revision() != seenRevision_) {
        seenRevision_ = drawing_.revision();
        emit drawingChanged();
    }
    if (interpreter_.historyCount() != seenHistory_) {
        const auto &lines = interpreter_.history();
        const std::uint64_t fresh =
            std::min<std::uint64_t>(interpreter_.historyCount() - seenHistory_, lines.size());
        seenHistory_ = interpreter_.historyCount();
        QStringList list;
        list.reserve(static_cast<qsizetype>(fresh));
        for (std::size_t i = lines.size() - static_cast<std::size_t>(fresh); i < lines.size(); ++i)
            list << QString::fromStdString(lines[i]);
        emit historyAdded(list);
    }
    const QString prompt = QString::fromStdString(interpreter_.prompt());
    if (prompt != seenPrompt_) {
        seenPrompt_ = prompt;
        emit promptChanged(prompt);
    }
}

} // namespace host
