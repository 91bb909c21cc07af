#include "host/session/HostSession.h"

#include "cad/dxf/Dxf.h"
#include "host/session/CodePage.h"
#include "host/session/FileSave.h"
#include "link/SymbolFrame.h"

#include <QFile>
#include <QFileInfo>

#include <functional>
#include <optional>
#include <utility>

namespace host {

namespace {

QString handlesExhausted()
{
    return QStringLiteral("このファイルは図形の番号(ハンドル)を使い切っているため、図形を加えて保存することは"
                          "できません。加えた図形を取り消すか、新しい図面に描いて下さい。");
}

// One line of what a conversation sent, with its carriage returns shown.
QString shown(std::string_view chars)
{
    QString s =
        QString::fromUtf8(chars.data(), static_cast<qsizetype>(std::min<std::size_t>(chars.size(), 400)));
    s.replace(QChar('\r'), QStringLiteral("↵")).replace(QChar('\n'), QStringLiteral("↵"));
    if (chars.size() > 400 || s.size() > 160) s = s.left(160) + QStringLiteral("…");
    return s;
}

} // namespace

// What opening a file read: its drawing, and whether part of it can be read when it cannot be
// read whole.
struct HostSession::Opening
{
    cad::DxfReadResult read;
    bool recoverable = false;
};

struct HostSession::Previous
{
    cad::Drawing drawing;
    std::shared_ptr<const cad::DxfSource> source;
    std::vector<std::uint32_t> shown;
    QString fileName;
    bool recovered = false;
};

HostSession::Opening HostSession::reading(cad::DxfReadResult r, bool recover)
{
    Opening o;
    if (!r.ok && r.source) {
        const auto repaired = cad::DxfSource::recovered(r.source->bytes());
        cad::DxfReadResult part;
        if (repaired) part = cad::readDxfData(*repaired, cad::DxfLineReading::Direct, decodeCodepage, true);
        o.recoverable = part.ok;
        if (recover && part.ok) r = std::move(part);
    }
    o.read = std::move(r);
    return o;
}

HostSession::~HostSession()
{
    if (loader_.joinable()) loader_.join();
}

HostSession::HostSession(QObject *parent) : QObject(parent), interpreter_(drawing_)
{
    seenPrompt_ = QString::fromStdString(interpreter_.prompt());
    scriptTimer_.setSingleShot(true);
    scriptTimer_.setInterval(0);
    connect(&scriptTimer_, &QTimer::timeout, this, &HostSession::stepScript);
    connect(&assistant_, &AssistantReach::reached, this, [this](const QString &failure) {
        if (!failure.isEmpty()) note(failure);
    });
    followCodepage();
}

// New layers get names the file being edited can hold: its code page before R2007, UTF-8 after;
// and its entities are placed anew only where the file can write them so.
void HostSession::followCodepage()
{
    drawing_.setPlacementCheck(
        source_ ? [source = source_](
                      std::uint32_t entity, const cad::Affine &m, bool copy,
                      const cad::EntityView *shape) { return source->unplaceable(entity, m, copy, shape); }
                : cad::Drawing::PlacementCheck{});
    if (source_ && !source_->usesCodepage()) return drawing_.setLayerCodepage({}, {});
    const std::string codepage = source_ ? source_->codepage() : cad::newDrawingCodepage;
    drawing_.setLayerCodepage(
        codepage, [codepage](const std::string &name) { return !encodeCodepage(name, codepage).empty(); });
}

bool HostSession::accepts(std::size_t bytes, QString *reason) const
{
    if (exiting_) {
        *reason = QStringLiteral("終了処理中です。");
        return false;
    }
    if (interpreter_.queued() + laterBytes_ + heldBytes_ + conversations_.waitingBytes() + bytes >
        maxQueued) {
        *reason = QStringLiteral("入力待ちの量が多すぎます。");
        return false;
    }
    return true;
}

void HostSession::enqueue(std::string_view utf8chars, const QString &source, int origin, bool fromPrompt)
{
    // Its place in the input is taken now, whenever it runs.
    fed_ += utf8chars.size();
    if (loading_) {
        heldBytes_ += utf8chars.size();
        held([this, chars = std::string(utf8chars), source, origin, fromPrompt] {
            feed(chars, source, origin, fromPrompt);
        });
        return;
    }
    feed(utf8chars, source, origin, fromPrompt);
}

bool HostSession::idle() const
{
    return !loading_ && !waitingForProgram_ && !scriptRunning() && interpreter_.queued() == 0 &&
           interpreter_.commandName().empty() && !interpreter_.requestPending() &&
           conversations_.waitingBytes() == 0;
}

void HostSession::beginSymbol(cad::Symbol symbol, bool basePicked, const std::string &replaces)
{
    if (held([this, symbol, basePicked, replaces] { beginSymbol(symbol, basePicked, replaces); })) return;
    // A token of another drawing, or none, replaces nothing.
    std::uint32_t old = 0;
    const std::string own = std::to_string(drawingNumber_) + ".";
    if (replaces.rfind(own, 0) == 0)
        old = static_cast<std::uint32_t>(std::strtoul(replaces.c_str() + own.size(), nullptr, 10));
    interpreter_.beginSymbol(std::move(symbol), basePicked, old);
    settle();
}

std::string HostSession::symbolEdit(std::uint32_t symbol) const
{
    const cad::Symbol &s = drawing_.symbol(symbol);
    quendra::SymbolFrame frame;
    frame.kind = quendra::SymbolFrame::Kind::Edit;
    frame.form = s.form;
    frame.caption = s.caption;
    frame.basePicked = s.base.has_value();
    frame.inputs = s.inputs;
    frame.replaces = std::to_string(drawingNumber_) + "." + std::to_string(symbol);
    return quendra::encodeSymbolFrame(frame);
}

void HostSession::endSymbol()
{
    if (held([this] { endSymbol(); })) return;
    interpreter_.endSymbol();
    settle();
}

void HostSession::takeBackSymbol(const QString &why)
{
    if (held([this, why] { takeBackSymbol(why); })) return;
    interpreter_.takeBackSymbol(why.toStdString());
    settle();
}

void HostSession::armWallPick(int conversation)
{
    if (held([this, conversation] { armWallPick(conversation); })) return;
    interpreter_.armWallPick(conversation);
    settle();
}

void HostSession::setWallOpenings(bool on)
{
    interpreter_.setWallOpenings(on);
    emit wallOpeningsChanged(on);
}

void HostSession::feed(std::string_view utf8chars, const QString &source, int origin, bool fromPrompt)
{
    cad::Interpreter::Sender sender{{}, origin, fromPrompt};
    if (!source.isEmpty()) {
        interpreter_.note(QStringLiteral("[%1] %2").arg(source, shown(utf8chars)).toStdString());
        // One execute is one symbol: one undo step, named by where it came from and how it begins.
        QString step = shown(utf8chars).simplified();
        if (step.size() > 40) step = step.left(40).trimmed() + QStringLiteral("…");
        sender.step = QStringLiteral("%1「%2」").arg(source, step).toStdString();
    }
    interpreter_.feed(utf8chars, sender);
    settle();
}

void HostSession::type(const QString &text)
{
    if (held([this, text] { type(text); })) return;
    interpreter_.type(text.toStdString());
    settle();
}

void HostSession::pick(cad::Point p)
{
    if (held([this, p] { pick(p); })) return;
    pickAnnounced_ = false;
    interpreter_.pick(p);
    settle();
}

void HostSession::setSelection(std::vector<std::size_t> indices)
{
    if (held([this, indices] { setSelection(indices); })) return;
    interpreter_.setSelection(std::move(indices));
    emit selectionChanged();
}

void HostSession::chooseColor(int colorIndex)
{
    if (held([this, colorIndex] { chooseColor(colorIndex); })) return;
    colorAnnounced_ = false;
    interpreter_.chooseColor(colorIndex);
    settle();
}

void HostSession::cancel()
{
    if (held([this] { cancel(); })) return;
    pickAnnounced_ = colorAnnounced_ = false;
    dropScripts();
    interpreter_.cancel();
    if (!interpreter_.selection().empty()) setSelection({});
    settle();
}

bool HostSession::stopScripts()
{
    if (!dropScripts()) return false;
    settle();
    return true;
}

bool HostSession::dropScripts()
{
    const bool stopped = interpreter_.stopScript() || !laterScripts_.isEmpty();
    laterScripts_.clear();
    laterBytes_ = 0;
    if (stopped) interpreter_.note("*スクリプト中止*");
    return stopped;
}

void HostSession::cancelCommand(const QString &why)
{
    pickAnnounced_ = colorAnnounced_ = false;
    interpreter_.note(why.toStdString());
    interpreter_.cancel();
    settle();
}

void HostSession::resume()
{
    if (held([this] { resume(); })) return;
    if (saveAsked_) {
        saveAsked_ = false;
        emit saveDone(saveFailure_);
    }
    waitingForProgram_ = answeringScript_ = false;
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
    if (held([this, path] { runScriptFile(path); })) return true;
    QByteArray bytes;
    if (!readScript(path, &bytes)) {
        settle();
        return false;
    }
    interpreter_.note(QStringLiteral("スクリプト: %1").arg(path).toStdString());
    const std::string_view chars(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (answeringScript_ || !scriptRunning()) {
        interpreter_.runScript(chars);
    } else {
        laterBytes_ += chars.size();
        laterScripts_.append(std::move(bytes));
    }
    scriptActive_ = true;
    settle();
    return true;
}

// Only a regular file that fits in what may wait is read: a folder, a pipe or a device is not
// (a pipe would block the program in open()).
bool HostSession::readScript(const QString &path, QByteArray *bytes)
{
    const QFileInfo info(path);
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        interpreter_.note(QStringLiteral("スクリプト ファイルを開けません: %1").arg(path).toStdString());
        return false;
    }
    const std::size_t room = maxQueued - std::min(maxQueued, interpreter_.queued() + laterBytes_);
    if (static_cast<std::uint64_t>(file.size()) > room) {
        interpreter_.note(QStringLiteral("スクリプト ファイルが大きすぎます: %1").arg(path).toStdString());
        return false;
    }
    *bytes = file.read(static_cast<qint64>(room) + 1);
    if (static_cast<std::size_t>(bytes->size()) > room) {
        interpreter_.note(QStringLiteral("スクリプト ファイルが大きすぎます: %1").arg(path).toStdString());
        return false;
    }
    // A script file's line ends are Enters; CR LF is one of them.
    bytes->replace("\r\n", "\n");
    return true;
}

void HostSession::stepScript()
{
    if (exiting_ || loading_) return;
    interpreter_.stepScript(scriptSlice);
    settle();
}

void HostSession::newDrawing()
{
    waitForLoading();
    interpreter_.cancel();
    drawing_.clear();
    drawing_.markSaved();
    ++drawingNumber_;
    source_.reset();
    shown_.clear();
    followCodepage();
    recovered_ = false;
    fileName_.clear();
    emit fileNameChanged(fileName_);
    settle();
}

bool HostSession::open(const QString &path, QString *error, bool recover)
{
    waitForLoading();
    cad::DxfReadResult r = cad::readDxf(QFile::encodeName(path).toStdString(), cad::DxfLineReading::Direct,
                                        decodeCodepage, true);
    return take(reading(std::move(r), recover), path, recover, error);
}

bool HostSession::openInBackground(const QString &path, QString *error)
{
    waitForLoading();
    std::string failure;
    std::optional<std::string> bytes = cad::readDxfBytes(QFile::encodeName(path).toStdString(), &failure);
    if (!bytes) {
        *error = QString::fromStdString(failure);
        return false;
    }
    // Until it is read, the session stands for the file as it is, with nothing shown.
    interpreter_.cancel();
    previous_ = std::make_unique<Previous>(
        Previous{std::move(drawing_), std::move(source_), std::move(shown_), fileName_, recovered_});
    drawing_.clear();
    drawing_.markSaved();
    ++drawingNumber_;
    source_.reset();
    shown_.clear();
    recovered_ = recoverable_ = false;
    fileName_ = QFileInfo(path).absoluteFilePath();
    followCodepage();
    emit fileNameChanged(fileName_);
    interpreter_.note(QStringLiteral("読み込み中: %1").arg(fileName_).toStdString());
    settle();
    loading_ = true;
    loadingBytes_ = std::make_shared<const std::string>(std::move(*bytes));
    loaded_ = std::make_shared<Opening>();
    const std::uint64_t generation = ++loadGeneration_;
    loader_ = std::thread([this, generation, bytes = loadingBytes_, out = loaded_] {
        *out = reading(cad::readDxfData(*bytes, cad::DxfLineReading::Direct, decodeCodepage, true), false);
        // The session outlives this thread (its destructor waits for it).
        QMetaObject::invokeMethod(
            this, [this, generation] { finishLoading(generation); }, Qt::QueuedConnection);
    });
    return true;
}

bool HostSession::held(std::function<void()> input)
{
    if (!loading_) return false;
    held_.push_back(std::move(input));
    return true;
}

void HostSession::waitForLoading()
{
    if (loading_) finishLoading(loadGeneration_);
}

void HostSession::finishLoading(std::uint64_t generation)
{
    if (!loading_ || generation != loadGeneration_) return; // taken already
    if (loader_.joinable()) loader_.join();
    loading_ = false;
    loadingBytes_.reset();
    const std::shared_ptr<Opening> opening = std::exchange(loaded_, nullptr);
    const bool recoverable = opening->recoverable;
    QString error;
    // Saved under another name meanwhile, it stays under that name.
    const bool ok = take(std::move(*opening), fileName_, false, &error);
    const std::unique_ptr<Previous> previous = std::move(previous_);
    if (!ok) {
        drawing_ = std::move(previous->drawing);
        source_ = std::move(previous->source);
        shown_ = std::move(previous->shown);
        recovered_ = previous->recovered;
        fileName_ = previous->fileName;
        followCodepage();
        emit fileNameChanged(fileName_);
        settle();
    }
    if (ok)
        emit opened();
    else
        emit openFailed(error, recoverable);
    const auto input = std::exchange(held_, {});
    heldBytes_ = 0;
    for (const auto &f : input)
        f();
    settle();
}

bool HostSession::take(Opening opening, const QString &path, bool recover, QString *error)
{
    cad::DxfReadResult &r = opening.read;
    recoverable_ = opening.recoverable;
    if (!r.ok) {
        *error = QString::fromStdString(r.error);
        return false;
    }
    // A file read whole by the reader but not by the editing scan is saved as a recovered one.
    recovered_ = (recover && recoverable_) || !r.source || !r.source->complete();
    recoverable_ = false;
    interpreter_.cancel();
    drawing_.replaceWith(std::move(r.drawing));
    drawing_.markSaved();
    ++drawingNumber_;
    source_ = std::move(r.source);
    followCodepage();
    shown_ = source_ ? source_->piecesShown(drawing_) : std::vector<std::uint32_t>{};
    fileName_ = QFileInfo(path).absoluteFilePath();
    emit fileNameChanged(fileName_);
    if (recovered_)
        interpreter_.note(
            QStringLiteral("ファイルの読み込めた部分だけを復元しました。保存は別の名前で行って下さい。")
                .toStdString());
    if (source_ && source_->eofAdded())
        interpreter_.note(
            QStringLiteral("ファイルの終わりの印 (EOF) がありませんでした。各セクションは揃っているため"
                           "そのまま開きました。保存すると EOF が付きます。")
                .toStdString());
    if (source_ && source_->handlesLeft() == 0) interpreter_.note(handlesExhausted().toStdString());
    if (r.skipped > 0)
        interpreter_.note(
            QStringLiteral("対応していない図形 %1 個を読み飛ばしました。").arg(r.skipped).toStdString());
    if (r.badValues > 0)
        interpreter_.note(
            QStringLiteral("読めない値(数でない値、無限大、大きすぎる座標など)を含む図形 %1 個を"
                           "読み飛ばしました。")
                .arg(r.badValues)
                .toStdString());
    if (r.viewOnly)
        interpreter_.note(QStringLiteral("このファイルの図形は表示だけで、選択・編集はできません"
                                         "(新しく描いた図形は保存されます)。")
                              .toStdString());
    if (r.shortened > 0)
        interpreter_.note(QStringLiteral("1 行が長すぎる値 %1 個は途中まで読みました"
                                         "(保存してもファイルには元のまま残ります)。")
                              .arg(r.shortened)
                              .toStdString());
    settle();
    return true;
}

bool HostSession::save(const QString &path, QString *error)
{
    if (recovered_ && QFileInfo(path).absoluteFilePath() == fileName_) {
        *error = QStringLiteral("復元した図面です。元のファイルを残すため、別の名前で保存して下さい。");
        if (saveAsked_) saveFailure_ = *error;
        return false;
    }
    // A drawing opened from a file is saved as that file edited (as it is, while it is being
    // read); a new one is written whole.
    const std::string edited =
        source_ && !loading_ ? source_->edited(drawing_, shown_, encodeCodepage) : std::string();
    const auto produce = [this, &edited](const cad::DxfSink &put) {
        if (loading_) return put(*loadingBytes_);
        if (source_) return put(edited);
        return cad::writeDxf(drawing_, put, encodeCodepage);
    };
    const QString e = source_ && !loading_ && edited.empty() ? handlesExhausted() : saveFile(path, produce);
    if (saveAsked_) saveFailure_ = e;
    if (!e.isEmpty()) {
        *error = e;
        return false;
    }
    drawing_.markSaved();
    // Saved whole under a name of its own: the damaged file is no longer the drawing's.
    recovered_ = false;
    if (fileName_ != QFileInfo(path).absoluteFilePath()) {
        fileName_ = QFileInfo(path).absoluteFilePath();
        emit fileNameChanged(fileName_);
    }
    settle();
    return true;
}

void HostSession::setLayerOn(std::size_t layer, bool on)
{
    if (held([this, layer, on] { setLayerOn(layer, on); })) return;
    if (layer >= drawing_.layers().size()) return;
    cad::Layer l = drawing_.layers()[layer];
    l.on = on;
    drawing_.changeLayer(layer, l, "画層");
    settle();
}

void HostSession::setLayerFrozen(std::size_t layer, bool frozen)
{
    if (held([this, layer, frozen] { setLayerFrozen(layer, frozen); })) return;
    if (layer >= drawing_.layers().size()) return;
    if (frozen && layer == drawing_.currentLayer()) {
        note(QStringLiteral("現在画層はフリーズできません。"));
        return;
    }
    cad::Layer l = drawing_.layers()[layer];
    l.frozen = frozen;
    drawing_.changeLayer(layer, l, "画層");
    settle();
}

void HostSession::setLayerColor(std::size_t layer, int color)
{
    if (held([this, layer, color] { setLayerColor(layer, color); })) return;
    if (layer >= drawing_.layers().size() || color < 1 || color > 255) return;
    cad::Layer l = drawing_.layers()[layer];
    l.color = color;
    drawing_.changeLayer(layer, l, "画層");
    settle();
}

void HostSession::setCurrentLayer(std::size_t layer)
{
    if (held([this, layer] { setCurrentLayer(layer); })) return;
    if (layer >= drawing_.layers().size()) return;
    if (drawing_.layers()[layer].frozen) {
        note(QStringLiteral("フリーズされている画層は現在層にできません。"));
        return;
    }
    drawing_.setCurrentLayer(layer, "画層");
    settle();
}

bool HostSession::makeLayer(const QString &name, QString *reason)
{
    if (loading_) {
        *reason = QStringLiteral("図面を読み込み中です。読み込みが終わってから作成して下さい。");
        return false;
    }
    const std::string utf8 = name.toStdString();
    if (!cad::validLayerName(utf8)) {
        *reason = QStringLiteral("画層名に使えない文字が含まれているか、名前が空です: %1").arg(name);
        return false;
    }
    if (const std::string refused = drawing_.layerNameRefused(utf8); !refused.empty()) {
        *reason = QString::fromStdString(refused);
        return false;
    }
    if (drawing_.findLayer(utf8)) {
        *reason = QStringLiteral("画層 \"%1\" は既にあります。").arg(name);
        return false;
    }
    drawing_.makeLayer(cad::Layer{utf8}, "画層");
    settle();
    return true;
}

void HostSession::undo()
{
    if (held([this] { undo(); })) return;
    interpreter_.cancel();
    interpreter_.type("_U\n");
    settle();
}

void HostSession::redo()
{
    if (held([this] { redo(); })) return;
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
    if (!interpreter_.scriptRunning() && !laterScripts_.isEmpty() && !waitingForProgram_) {
        laterBytes_ -= static_cast<std::size_t>(laterScripts_.front().size());
        const QByteArray next = laterScripts_.takeFirst();
        interpreter_.runScript(std::string_view(next.constData(), static_cast<std::size_t>(next.size())));
    }
    if (interpreter_.scriptReady() && !waitingForProgram_) scriptTimer_.start();
    publish();
    emit inputTaken();
    if (scriptActive_ && !scriptRunning()) {
        scriptActive_ = false;
        emit scriptEnded();
    }
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
            // A SCRIPT inside a script replaces it; the program gets back before it runs.
            answeringScript_ = true;
            runScriptFile(QString::fromStdString(request.argument));
            answeringScript_ = false;
            return true;
        }
        waitingForProgram_ = answeringScript_ = true;
        emit scriptWanted();
        return false;
    case cad::Request::Kind::Save:
    case cad::Request::Kind::SaveAs:
        // Until the program has saved: a name not given, or no file to write to.
        saveAsked_ = true;
        saveFailure_ = QStringLiteral("図面は保存されませんでした。");
        waitingForProgram_ = true;
        publish();
        emit saveWanted(request.kind == cad::Request::Kind::SaveAs);
        return false;
    case cad::Request::Kind::Exit:
        waitingForProgram_ = true;
        publish();
        emit exitWanted();
        return false;
    case cad::Request::Kind::EditSymbol: {
        const auto symbol = static_cast<std::uint32_t>(std::stoul(request.argument));
        const cad::Symbol &s = drawing_.symbol(symbol);
        note(QStringLiteral("「%1」を Quendra_LT で開きます。")
                 .arg(QString::fromStdString(s.caption.empty() ? s.form : s.caption)));
        assistant_.ask(symbolEdit(symbol));
        return true;
    }
    case cad::Request::Kind::Plot:
        waitingForProgram_ = true;
        publish();
        emit plotWanted();
        return false;
    case cad::Request::Kind::Refused: {
        const QString reason =
            request.argument.empty()
                ? QStringLiteral(
                      "前の入力の途中のため、実行しませんでした(Esc で取り消してから送って下さい)。")
                : QStringLiteral(
                      "コマンド %1 の途中のため、実行しませんでした(Esc で終わらせてから送って下さい)。")
                      .arg(QString::fromStdString(request.argument));
        interpreter_.note(reason.toStdString());
        emit inputRefused(reason);
        return true;
    }
    }
    return true;
}

void HostSession::publish()
{
    if (drawing_.revision() != seenRevision_) {
        seenRevision_ = drawing_.revision();
        // The indices of a selection may no longer be the entities chosen.
        if (!interpreter_.selection().empty()) setSelection({});
        emit drawingChanged();
    }
    if (interpreter_.transcriptCount() != seenHistory_) {
        const auto &lines = interpreter_.transcript();
        const std::uint64_t fresh =
            std::min<std::uint64_t>(interpreter_.transcriptCount() - seenHistory_, lines.size());
        seenHistory_ = interpreter_.transcriptCount();
        QStringList list;
        list.reserve(static_cast<qsizetype>(fresh));
        for (std::size_t i = lines.size() - static_cast<std::size_t>(fresh); i < lines.size(); ++i)
            list << QString::fromStdString(lines[i]);
        emit historyAdded(list);
    }
    if (drawing_.modified() != seenModified_) {
        seenModified_ = drawing_.modified();
        emit modifiedChanged(seenModified_);
    }
    const QString prompt = QString::fromStdString(interpreter_.prompt());
    if (prompt != seenPrompt_) {
        seenPrompt_ = prompt;
        emit promptChanged(prompt);
    }
}

} // namespace host
