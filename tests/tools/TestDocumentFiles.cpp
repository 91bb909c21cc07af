// The save-as, overwrite and save-prompt flow that the text editor and the sketch pad share, run
// through both real documents: what one does with a file, the other must do the same way.

#include "app/platform/Platform.h"
#include "dialogs/Desktop.h"
#include "dialogs/MessageService.h"
#include "tools/SketchFiles.h"
#include "tools/SketchPad.h"
#include "tools/TextEditor.h"

#include <QDir>
#include <QFileInfo>
#include <QPlainTextDocumentLayout>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>

using namespace quendra;
using Answer = MessageService::Answer;

namespace {

// One document and the file flow it is reached through.
class Subject
{
public:
    virtual ~Subject() = default;
    virtual DocumentFile &file() = 0;
    virtual void edit() = 0;
    virtual bool changed() const = 0;
    virtual QString extension() const = 0;
    virtual QString filter() const = 0;
    virtual QString prompt() const = 0;
};

class TextSubject : public Subject
{
public:
    TextSubject(MessageService &messages, Desktop &desktop)
        : editor_(document_, messages, desktop, platform::newTextEncoding())
    {
        document_.setDocumentLayout(new QPlainTextDocumentLayout(&document_));
    }
    DocumentFile &file() override { return editor_; }
    void edit() override
    {
        QTextCursor c(&document_);
        c.movePosition(QTextCursor::End);
        c.insertText(QStringLiteral("通り芯\n"));
    }
    bool changed() const override { return editor_.isChanged(); }
    QString extension() const override { return QStringLiteral("txt"); }
    QString filter() const override { return QString::fromUtf8(TextEditor::filter); }
    QString prompt() const override { return QString::fromUtf8(TextEditor::promptText); }

private:
    QTextDocument document_;
    TextEditor editor_;
};

class SketchSubject : public Subject
{
public:
    SketchSubject(MessageService &messages, Desktop &desktop) : files_(pad_, messages, desktop)
    {
        pad_.resize(80, 60);
        pad_.show();
    }
    DocumentFile &file() override { return files_; }
    void edit() override
    {
        QTest::mouseClick(&pad_, Qt::LeftButton, {}, {10 + clicks_, 10});
        ++clicks_;
    }
    bool changed() const override { return pad_.isModified(); }
    QString extension() const override { return QStringLiteral("bmp"); }
    QString filter() const override { return QString::fromUtf8(SketchFiles::filter); }
    QString prompt() const override { return QString::fromUtf8(SketchFiles::promptText); }

private:
    SketchPad pad_;
    SketchFiles files_;
    int clicks_ = 0;
};

} // namespace

class TestDocumentFiles : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<MessageService> messages_;
    std::unique_ptr<Desktop> desktop_;
    std::unique_ptr<Subject> subject_;

    // A file the document may be written to, or one in a folder that does not exist.
    QString path(const QString &name) const { return dir_->filePath(name + "." + subject_->extension()); }
    QString unwritable() const { return dir_->filePath("no/such/folder/x." + subject_->extension()); }

    // The messages shown, the save prompt as "prompt" and the failed save as "failed".
    QStringList said() const
    {
        QStringList out;
        for (const auto &r : messages_->history()) {
            const QString text = QString::fromStdString(r.message.text);
            out << (text == subject_->prompt()                                   ? QStringLiteral("prompt")
                    : text == QStringLiteral("ファイルを保存できませんでした。") ? QStringLiteral("failed")
                                                                                 : text);
        }
        return out;
    }

    void makeSubject()
    {
        QFETCH(QString, kind);
        if (kind == "text")
            subject_ = std::make_unique<TextSubject>(*messages_, *desktop_);
        else
            subject_ = std::make_unique<SketchSubject>(*messages_, *desktop_);
    }

    static void addKinds()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("text") << QStringLiteral("text");
        QTest::newRow("sketch") << QStringLiteral("sketch");
    }

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        messages_ = std::make_unique<MessageService>(false);
        desktop_ = std::make_unique<Desktop>(false);
    }
    void cleanup() { subject_.reset(); }

    void savePrompt_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QList<int>>("answers");  // 1 Yes, 0 No, 2 OK to the failure, 3 Cancel
        QTest::addColumn<QStringList>("dialogs"); // "" cancels, "bad" cannot be written, else a name
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("written");
        QTest::addColumn<bool>("endAsks");
        QTest::addColumn<bool>("goesOn"); // what asked may go on
        for (const char *kind : {"text", "sketch"}) {
            const auto row = [kind](const char *name) -> QTestData & {
                return QTest::addRow("%s: %s", kind, name);
            };
            const QString k = QString::fromLatin1(kind);
            row("no") << k << QList<int>{0} << QStringList{} << QStringList{"prompt"} << false << false
                      << true;
            row("yes, saved") << k << QList<int>{1} << QStringList{"a"} << QStringList{"prompt"} << true
                              << false << true;
            // Cancelling the dialog is no answer to the prompt: it asks again.
            row("yes, cancelled, then no") << k << QList<int>{1, 0} << QStringList{""}
                                           << QStringList{"prompt", "prompt"} << false << false << true;
            row("cancel") << k << QList<int>{3} << QStringList{} << QStringList{"prompt"} << false << true
                          << false;
            row("yes, cancelled, then cancel") << k << QList<int>{1, 3} << QStringList{""}
                                               << QStringList{"prompt", "prompt"} << false << true << false;
            row("failed, then saved") << k << QList<int>{1, 2, 1} << QStringList{"bad", "a"}
                                      << QStringList{"prompt", "failed", "prompt"} << true << false << true;
            row("failed, then no") << k << QList<int>{1, 2, 0} << QStringList{"bad"}
                                   << QStringList{"prompt", "failed", "prompt"} << false << false << true;
        }
    }
    void savePrompt()
    {
        makeSubject();
        QFETCH(QList<int>, answers);
        QFETCH(QStringList, dialogs);
        QFETCH(QStringList, expected);
        QFETCH(bool, written);
        QFETCH(bool, endAsks);
        QFETCH(bool, goesOn);
        subject_->edit();
        for (int a : answers)
            messages_->queueAnswer(a == 3   ? Answer::Cancel
                                   : a == 2 ? Answer::Ok
                                   : a      ? Answer::Yes
                                            : Answer::No);
        for (const QString &d : dialogs)
            desktop_->queueAnswer(d.isEmpty() ? d : d == "bad" ? unwritable() : path(d));
        QCOMPARE(subject_->file().askToSave(), goesOn);
        QCOMPARE(said(), expected);
        QCOMPARE(QFileInfo::exists(path("a")), written);
        QCOMPARE(subject_->file().currentFile(), written ? path("a") : QString());
        QCOMPARE(subject_->changed(), !written);

        messages_->clear();
        messages_->queueAnswer(Answer::Cancel);
        QCOMPARE(subject_->file().confirmEnd(), !endAsks);
        QCOMPARE(said(), endAsks ? QStringList{"prompt"} : QStringList{});
    }

    void anEditAfterDecliningAsksAgainAtTheEnd_data() { addKinds(); }
    void anEditAfterDecliningAsksAgainAtTheEnd()
    {
        makeSubject();
        subject_->edit();
        messages_->queueAnswer(Answer::No);
        subject_->file().askToSave();
        subject_->file().confirmEnd();
        QCOMPARE(said(), QStringList{"prompt"});
        subject_->edit();
        messages_->queueAnswer(Answer::No);
        subject_->file().confirmEnd();
        QCOMPARE(said(), (QStringList{"prompt", "prompt"}));
    }

    void dialogsOpenBesideTheCurrentFile_data() { addKinds(); }
    void dialogsOpenBesideTheCurrentFile()
    {
        makeSubject();
        QVERIFY(QDir(dir_->path()).mkpath("sub"));
        subject_->edit();
        desktop_->queueAnswer(path("sub/a"));
        QVERIFY(subject_->file().saveAs());
        QVERIFY(subject_->file().fileLabelVisible());
        subject_->edit();
        // A cancelled and a failed save as both keep the file they had.
        desktop_->queueAnswer({});
        QVERIFY(!subject_->file().saveAs());
        desktop_->queueAnswer(unwritable());
        QVERIFY(!subject_->file().saveAs());
        QCOMPARE(subject_->file().currentFile(), path("sub/a"));
        QCOMPARE(said(), QStringList{"failed"});

        const std::vector<Desktop::Request> &asked = desktop_->history();
        QCOMPARE(asked.size(), size_t(3));
        QCOMPARE(asked[0].folder, QDir::currentPath());
        for (const Desktop::Request &r : asked) {
            QCOMPARE(r.kind, Desktop::Request::Kind::Save);
            QCOMPARE(r.filters, QStringList{subject_->filter()});
        }
        QCOMPARE(asked[1].folder, QFileInfo(path("sub/a")).absolutePath());
        QCOMPARE(asked[2].folder, QFileInfo(path("sub/a")).absolutePath());
    }

    void overwrite_data() { addKinds(); }
    void overwrite()
    {
        makeSubject();
        subject_->edit();
        // Without a file it is save as.
        desktop_->queueAnswer(path("a"));
        subject_->file().overwrite();
        QCOMPARE(desktop_->history().size(), size_t(1));
        QCOMPARE(subject_->file().currentFile(), path("a"));
        QVERIFY(!subject_->changed());

        // With one it writes there without asking.
        QVERIFY(QFile::remove(path("a")));
        subject_->edit();
        subject_->file().overwrite();
        QCOMPARE(desktop_->history().size(), size_t(1));
        QVERIFY(QFileInfo::exists(path("a")));
        QVERIFY(!subject_->changed());
        QVERIFY(messages_->history().empty());
    }
};

QTEST_MAIN(TestDocumentFiles)
#include "TestDocumentFiles.moc"
