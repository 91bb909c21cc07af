#include "app/platform/Platform.h"
#include "dialogs/Desktop.h"
#include "dialogs/MessageService.h"
#include "tools/TextEditor.h"

#include <QFileInfo>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

#include <unistd.h>

using namespace quendra;
using Answer = MessageService::Answer;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QString plain(const QTextDocument &doc)
{
    return doc.toPlainText();
}

// A folder nobody may write to, root included: mode 555 and, for root, the immutable attribute.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(QString path) : path_(std::move(path))
    {
        QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (geteuid() == 0)
            immutable_ = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path_}) == 0;
    }
    ~ReadOnlyFolder()
    {
        if (immutable_) QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path_});
        QFile::setPermissions(path_,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    bool effective() const { return geteuid() != 0 || immutable_; }

private:
    QString path_;
    bool immutable_ = false;
};

} // namespace

class TestTextEditor : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<QTextDocument> doc_;
    std::unique_ptr<MessageService> messages_;
    std::unique_ptr<Desktop> desktop_;
    std::unique_ptr<TextEditor> editor_;

    QString path(const QString &name) const { return dir_->filePath(name); }
    void type(const QString &s)
    {
        QTextCursor c(doc_.get());
        c.movePosition(QTextCursor::End);
        c.insertText(s);
    }
    std::vector<std::string> messageTexts() const
    {
        std::vector<std::string> out;
        for (const auto &r : messages_->history())
            out.push_back(r.message.text);
        return out;
    }
    void openFile(const QString &file)
    {
        desktop_->queueAnswer(file);
        editor_->open();
    }
    // A file `room` bytes short of the capacity: `head`, then 'x's, then CR LF.
    QString openNearlyFull(int room, const QByteArray &head)
    {
        QByteArray bytes =
            head + QByteArray(int(TextEditor::capacity) - room - head.size() - 2, 'x') + "\r\n";
        const QString file = path(QStringLiteral("full.txt"));
        writeAll(file, bytes);
        openFile(file);
        return file;
    }

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        doc_ = std::make_unique<QTextDocument>();
        doc_->setDocumentLayout(new QPlainTextDocumentLayout(doc_.get()));
        messages_ = std::make_unique<MessageService>(false);
        desktop_ = std::make_unique<Desktop>(false);
        editor_ = std::make_unique<TextEditor>(*doc_, *messages_, *desktop_, platform::newTextEncoding());
    }

    void roundTripIsByteExact_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("utf-8") << QByteArray("通リ芯 X1〜X5\r\n柱 600角\r\n\r\n");
        QTest::newRow("shift-jis") << QByteArray::fromHex(
            "92ca838a9063205831817a58350d0a928c20363030cabf0d0a");
        QTest::newRow("lf") << QByteArray("memo\n");
    }
    void roundTripIsByteExact()
    {
        QFETCH(QByteArray, bytes);
        const QString file = path(QStringLiteral("note.txt"));
        writeAll(file, bytes);
        openFile(file);
        QCOMPARE(editor_->currentFile(), file);
        QVERIFY(!editor_->isChanged());
        editor_->overwrite();
        QCOMPARE(readAll(file), bytes);
        // Once more through save-as to another name.
        desktop_->queueAnswer(path(QStringLiteral("copy.txt")));
        QVERIFY(editor_->saveAs());
        QCOMPARE(readAll(path(QStringLiteral("copy.txt"))), bytes);
        QCOMPARE(messageTexts(), std::vector<std::string>{});
    }

    void newTextIsSavedAsUtf8WithCrLf()
    {
        type(QStringLiteral("壁厚 150\n2行目"));
        desktop_->queueAnswer(path(QStringLiteral("new.txt")));
        QVERIFY(editor_->saveAs());
        QCOMPARE(readAll(path(QStringLiteral("new.txt"))), QByteArray("壁厚 150\r\n2行目\r\n"));
    }

    void sizeLimit_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("64 KB") << 64 * 1024 << true;
        QTest::newRow("64 KB and a byte") << 64 * 1024 + 1 << false;
        QTest::newRow("65 KB") << 65 * 1024 << false;
    }
    void sizeLimit()
    {
        QFETCH(int, size);
        QFETCH(bool, accepted);
        QByteArray bytes(size, 'a');
        for (int i = 99; i < size; i += 100)
            bytes[i] = '\n';
        const QString file = path(QStringLiteral("big.txt"));
        writeAll(file, bytes);
        type(QStringLiteral("kept"));
        messages_->queueAnswer(Answer::No);
        openFile(file);
        QCOMPARE(messages_->history().size(), accepted ? size_t(1) : size_t(2));
        if (accepted) {
            QCOMPARE(editor_->currentFile(), file);
            QCOMPARE(editor_->fileMenu().overwrite, true);
            return;
        }
        QCOMPARE(messageTexts(),
                 (std::vector<std::string>{TextEditor::promptText, "ﾌｧｲﾙｻｲｽﾞが64KBを超えています。"}));
        QCOMPARE(messages_->history()[1].message.title, std::string("Quendra_LT"));
        QCOMPARE(plain(*doc_), QStringLiteral("kept"));
        QCOMPARE(editor_->fileMenu(), TextEditor::FileMenu{});
    }

    void unreadableFileGetsAMessage_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("exists");
        QTest::newRow("gone") << QByteArray() << false;
        QTest::newRow("no text") << QByteArray("\x85\x40\xff\xfe") << true;
    }
    void unreadableFileGetsAMessage()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, exists);
        const QString file = path(QStringLiteral("odd.txt"));
        if (exists) writeAll(file, bytes);
        openFile(file);
        QCOMPARE(messageTexts(), std::vector<std::string>{"ファイルを開けませんでした。"});
        QCOMPARE(editor_->currentFile(), QString());
        QVERIFY(editor_->fileMenu().open);
    }

    void failedSaveLeavesTheOldFileWhole_data()
    {
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::newRow("read-only folder") << true;
        // A name so long that no temporary file can stand beside it.
        QTest::newRow("no room for the temporary file") << false;
    }
    void failedSaveLeavesTheOldFileWhole()
    {
        QFETCH(bool, readOnlyFolder);
        QVERIFY(QDir(dir_->path()).mkpath(QStringLiteral("locked")));
        const QString name = readOnlyFolder ? QStringLiteral("plan.txt") : QString(250, QLatin1Char('n'));
        const QString file = path(QStringLiteral("locked/") + name);
        const QByteArray old("old contents\r\n");
        writeAll(file, old);
        openFile(file);
        type(QStringLiteral("new line\n"));
        std::optional<ReadOnlyFolder> lock;
        if (readOnlyFolder) {
            lock.emplace(path(QStringLiteral("locked")));
            if (!lock->effective()) QSKIP("cannot make a folder read-only for root here");
        }
        editor_->overwrite();
        QCOMPARE(messageTexts(), std::vector<std::string>{"ファイルを保存できませんでした。"});
        QCOMPARE(messages_->history()[0].message.title, std::string("Quendra_LT"));
        QCOMPARE(readAll(file), old);
        QVERIFY(editor_->isChanged());
        QCOMPARE(QDir(path(QStringLiteral("locked"))).entryList(QDir::Files).size(), qsizetype(1));
    }

    void changedFlag()
    {
        QVERIFY(!editor_->isChanged());
        type(QStringLiteral("x"));
        QVERIFY(editor_->isChanged());
        desktop_->queueAnswer(path(QStringLiteral("a.txt")));
        QVERIFY(editor_->saveAs());
        QVERIFY(!editor_->isChanged());
        editor_->eraseAll(); // an edit like any other
        QVERIFY(editor_->isChanged());
        messages_->queueAnswer(Answer::No);
        editor_->newText();
        QVERIFY(!editor_->isChanged());
        openFile(path(QStringLiteral("a.txt")));
        QVERIFY(!editor_->isChanged());
    }

    void saveAsCancelledKeepsTheName()
    {
        const QString file = path(QStringLiteral("keep.txt"));
        writeAll(file, "k\r\n");
        openFile(file);
        type(QStringLiteral("more"));
        QVERIFY(!editor_->saveAs()); // no answer queued: the dialog is cancelled
        QCOMPARE(editor_->currentFile(), file);
        QVERIFY(editor_->isChanged());
        QCOMPARE(readAll(file), QByteArray("k\r\n"));
    }

    void overwriteWithoutAFileActsAsSaveAs()
    {
        type(QStringLiteral("abc"));
        desktop_->queueAnswer(path(QStringLiteral("chosen.txt")));
        editor_->overwrite();
        QCOMPARE(desktop_->history().back().kind, Desktop::Request::Kind::Save);
        QCOMPARE(readAll(path(QStringLiteral("chosen.txt"))), QByteArray("abc\r\n"));
        QCOMPARE(editor_->currentFile(), path(QStringLiteral("chosen.txt")));
    }

    void savePrompt_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("written");
        QTest::newRow("yes saves as") << Answer::Yes << true;
        QTest::newRow("no goes on") << Answer::No << false;
    }
    void savePrompt()
    {
        QFETCH(Answer, answer);
        QFETCH(bool, written);
        type(QStringLiteral("draft"));
        messages_->queueAnswer(answer);
        desktop_->queueAnswer(path(QStringLiteral("draft.txt")));
        editor_->newText();
        QCOMPARE(messages_->history().size(), size_t(1));
        const auto &box = messages_->history()[0];
        QCOMPARE(box.message.text, std::string(TextEditor::promptText));
        QCOMPARE(box.message.icon, Icon::Question);
        QCOMPARE(box.message.title, std::string("Quendra_LT"));
        QCOMPARE(box.buttons, MessageService::Buttons::YesNoCancel);
        QCOMPARE(QFile::exists(path(QStringLiteral("draft.txt"))), written);
        QCOMPARE(plain(*doc_), QString());
    }

    void failedSaveAtThePromptAsksAgain()
    {
        type(QStringLiteral("draft"));
        desktop_->queueAnswer(path(QStringLiteral("missing/folder/x.txt")));
        messages_->queueAnswer(Answer::Yes);
        messages_->queueAnswer(Answer::Ok);
        messages_->queueAnswer(Answer::No);
        editor_->newText();
        QCOMPARE(messageTexts(),
                 (std::vector<std::string>{TextEditor::promptText, "ファイルを保存できませんでした。",
                                           TextEditor::promptText}));
    }

    void endAsksOnceForTheSameText()
    {
        type(QStringLiteral("draft"));
        messages_->queueAnswer(Answer::No);
        editor_->askToSave(); // the quit entry's question
        editor_->confirmEnd();
        QCOMPARE(messages_->history().size(), size_t(1));
        type(QStringLiteral(" more"));
        messages_->queueAnswer(Answer::No);
        editor_->confirmEnd();
        QCOMPARE(messages_->history().size(), size_t(2));
    }

    void openAsksBeforeReplacingAChangedText()
    {
        const QString file = path(QStringLiteral("other.txt"));
        writeAll(file, "other\r\n");
        type(QStringLiteral("unsaved"));
        messages_->queueAnswer(Answer::No);
        openFile(file);
        QCOMPARE(messageTexts(), std::vector<std::string>{TextEditor::promptText});
        QCOMPARE(plain(*doc_), QStringLiteral("other\n"));
    }

    void fileMenuStates()
    {
        using M = TextEditor::FileMenu;
        QCOMPARE(editor_->fileMenu(), (M{true, true, false, false, true}));
        const QString file = path(QStringLiteral("s.txt"));
        writeAll(file, "s\r\n");
        openFile(file);
        QCOMPARE(editor_->fileMenu(), (M{true, false, true, true, true}));
        editor_->newText();
        QCOMPARE(editor_->fileMenu(), (M{true, true, false, false, true}));
        editor_->eraseAll();
        QCOMPARE(editor_->fileMenu(), (M{true, false, true, true, true}));
        messages_->queueAnswer(Answer::No);
        editor_->selectSketch();
        QCOMPARE(editor_->fileMenu(), (M{false, false, false, false, false}));
        editor_->selectEditor();
        QCOMPARE(editor_->fileMenu(), (M{true, true, false, false, true}));
    }

    void eraseAllKeepsTheTargetFile()
    {
        const QString file = path(QStringLiteral("e.txt"));
        writeAll(file, "text\r\n");
        openFile(file);
        editor_->eraseAll();
        editor_->overwrite();
        QCOMPARE(readAll(file), QByteArray("\r\n"));
    }

    void inputStopsAtTheCapacity_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<int>("room");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<bool>("typed"); // keys into a text box, else one insertion (a paste)
        const QByteArray utf8;
        const QByteArray sjis = QByteArray::fromHex("92ca"); // 通
        const auto row = [](const char *name, const QByteArray &head, int room, const char *input,
                            const char *kept, bool typed) {
            QTest::newRow(name) << head << room << QString::fromUtf8(input) << QString::fromUtf8(kept)
                                << typed;
        };
        row("fits exactly", utf8, 4, "abcd", "abcd", false);
        row("one too many", utf8, 3, "abcd", "abc", false);
        row("typed", utf8, 3, "abcd", "abc", true);
        row("kanji in utf-8", utf8, 7, "通り芯", "通り", false);
        row("kanji in shift-jis", sjis, 5, "通り芯", "通り", false);
        row("a line end as the file writes it", utf8, 3, "a\nb", "a\n", false);
        row("no half of a pair", utf8, 3, "\U0001F600", "", false);
        row("full", utf8, 0, "a", "", true);
    }
    void inputStopsAtTheCapacity()
    {
        QFETCH(QByteArray, head);
        QFETCH(int, room);
        QFETCH(QString, input);
        QFETCH(QString, kept);
        QFETCH(bool, typed);
        const QString file = openNearlyFull(room, head);
        const QString before = plain(*doc_);
        if (typed) {
            QPlainTextEdit box;
            box.setDocument(doc_.get());
            box.moveCursor(QTextCursor::Start);
            QTest::keyClicks(&box, input);
            box.setDocument(nullptr);
        } else {
            QTextCursor(doc_.get()).insertText(input);
        }
        QCOMPARE(plain(*doc_), kept + before);
        const std::vector<std::string> refused{TextEditor::overflowText};
        QCOMPARE(messageTexts(), kept == input ? std::vector<std::string>{} : refused);
        editor_->overwrite();
        QVERIFY(QFileInfo(file).size() <= TextEditor::capacity);
        openFile(file);
        QCOMPARE(plain(*doc_), kept + before);
    }

    void undoCannotBringTheOverflowBack()
    {
        openNearlyFull(2, {});
        const QString before = plain(*doc_);
        QTextCursor(doc_.get()).insertText(QStringLiteral("abcd"));
        QCOMPARE(plain(*doc_), "ab" + before);
        doc_->undo();
        QCOMPARE(plain(*doc_), "ab" + before);
        QCOMPARE(messages_->history().size(), size_t(1));
        // Room freed is room to type in again.
        QTextCursor start(doc_.get());
        for (int i = 0; i < 4; ++i)
            start.deleteChar();
        messages_->clear();
        QTextCursor(doc_.get()).insertText(QStringLiteral("abcd"));
        QCOMPARE(plain(*doc_).left(5), QStringLiteral("abcdx"));
        QVERIFY(messages_->history().empty());
    }
};

QTEST_MAIN(TestTextEditor)
#include "TestTextEditor.moc"
