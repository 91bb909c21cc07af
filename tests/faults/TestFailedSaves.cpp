// Saves that cannot succeed, into a read-only folder or onto a full disk, by the text editor, the
// sketch pad and the host: each says so, and the old file stays whole with nothing left beside
// it. A full disk is a child process whose files cannot grow past a few kilobytes; the editor
// and the sketch pad run in this same program started again as that child.

#include "app/platform/Platform.h"
#include "dialogs/Desktop.h"
#include "dialogs/MessageService.h"
#include "link/CadLink.h"
#include "tests/faults/FaultSupport.h"
#include "tools/SketchFiles.h"
#include "tools/SketchPad.h"
#include "tools/TextEditor.h"

#include <QApplication>
#include <QPlainTextDocumentLayout>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>

#include <cstdio>

using namespace quendra;

namespace {

constexpr int textLength = 12000;
const char *childSwitch = "--save-child";

// In the child: opens `path` in the editor, adds a long line and saves over it; prints the
// messages shown.
int saveText(const QString &path)
{
    QTextDocument document;
    document.setDocumentLayout(new QPlainTextDocumentLayout(&document));
    MessageService messages(false);
    Desktop desktop(false);
    TextEditor editor(document, messages, desktop, platform::newTextEncoding());
    desktop.queueAnswer(path);
    editor.open();
    QTextCursor cursor(&document);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString(textLength, QLatin1Char('x')) + QLatin1Char('\n'));
    editor.overwrite();
    for (const MessageService::Record &r : messages.history())
        std::printf("%s\n", r.message.text.c_str());
    return 0;
}

// In the child: draws on a sketch pad of `size` and saves it as `path` through the sketch file
// menu; prints the messages shown.
int saveSketch(const QString &path, QSize size)
{
    SketchPad pad;
    pad.resize(size);
    pad.show();
    QTest::mouseClick(&pad, Qt::LeftButton, {}, {5, 5});
    QTest::mouseClick(&pad, Qt::LeftButton, {}, {size.width() - 5, size.height() - 5});
    MessageService messages(false);
    Desktop desktop(false);
    SketchFiles files(pad, messages, desktop);
    desktop.queueAnswer(path);
    files.saveAs();
    for (const MessageService::Record &r : messages.history())
        std::printf("%s\n", r.message.text.c_str());
    return 0;
}

QString fileFor(const QString &tool)
{
    return tool == "editor"          ? "memo.txt"
           : tool.contains("sketch") ? "sketch.bmp"
           : tool == "host"          ? "plan.dxf"
                                     : "fix.scr";
}

struct SaverRun
{
    int exitCode = -1;
    QString said;                      // standard output and error
    LinkError saved = LinkError::None; // the host's answer to a SAVE on the conversation
};

// Runs `tool` (editor, sketch, small sketch, host or script) to save over `path`, in a child
// whose files cannot grow beyond `room` bytes (0: as much as the disk has).
SaverRun runSaver(const QString &tool, const QString &path, rlim_t room)
{
    QProcess child;
    LinkError saved = LinkError::None;
    if (room > 0) faults::limitFileSizes(child, room);
    child.setProcessChannelMode(QProcess::MergedChannels);
    if (tool == "script") {
        child.start(QStringLiteral(QUENDRA_BIN_DIR "/quendra-script"), {"fix100", "Command2", "--scr", path});
    } else if (tool == "host") {
        child.start(QStringLiteral(QUENDRA_BIN_DIR "/quendra-host"), {"--headless", "--out", path});
        CadLink link(makeSocketTransport(std::chrono::milliseconds(5000)));
        for (int i = 0; i < 100 && link.open(cadService, cadTopic) != LinkError::None; ++i)
            QThread::msleep(50);
        link.execute("LINE 0,0 100,0 100,100 \rCIRCLE 50,50 20 ");
        saved = link.execute("SAVE ");
        link.execute("EXIT ");
    } else {
        child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(childSwitch), tool, path});
    }
    if (!child.waitForFinished(60000)) child.kill();
    return {child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1,
            QString::fromUtf8(child.readAll()), saved};
}

} // namespace

class TestFailedSaves : public QObject
{
    Q_OBJECT

private slots:
    // A file small enough to sit in the write buffer until the end is the hard case: the disk
    // fills only when the save is being finished.
    void aFailedSaveSaysSoAndKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<int>("room"); // bytes left on the disk; 0: a read-only folder instead
        QTest::addColumn<QString>("said");
        QTest::addColumn<int>("exitCode");
        // The editor into a read-only folder is tested with the editor itself.
        QTest::newRow("editor, disk full") << "editor" << 4096 << "ファイルを保存できませんでした。" << 0;
        QTest::newRow("sketch pad, disk full") << "sketch" << 4096 << "ファイルを保存できませんでした。" << 0;
        QTest::newRow("small sketch pad, disk full")
            << "small sketch" << 1024 << "ファイルを保存できませんでした。" << 0;
        QTest::newRow("sketch pad, read-only folder")
            << "sketch" << 0 << "ファイルを保存できませんでした。" << 0;
        QTest::newRow("host, disk full") << "host" << 4096 << "ファイルを書き込めません" << 1;
        // A file the user may write is written in place even there: this one may not be written.
        QTest::newRow("host, read-only folder and file") << "host" << 0 << "ファイルを作成できません" << 1;
        QTest::newRow("quendra-script, disk full") << "script" << 16 << "cannot write" << 1;
        QTest::newRow("quendra-script, read-only folder") << "script" << 0 << "cannot write" << 1;
    }

    void aFailedSaveSaysSoAndKeepsTheOldFile()
    {
        QFETCH(QString, tool);
        QFETCH(int, room);
        QFETCH(QString, said);
        QFETCH(int, exitCode);
        QTemporaryDir dir;
        const QString folder = dir.filePath("plans");
        QVERIFY(QDir().mkpath(folder));
        const QString file = folder + '/' + fileFor(tool);
        const QByteArray old = "the old file, which must stay as it is\r\n";
        QVERIFY(faults::writeAll(file, old));

        std::optional<faults::ReadOnlyFolder> lock, fileLock;
        if (room == 0) {
            if (tool == "host") fileLock.emplace(file);
            lock.emplace(folder);
            if (!lock->effective()) QSKIP("chattr is not available to make a folder read-only for root");
        }
        const SaverRun o = runSaver(tool, file, rlim_t(room));
        QVERIFY2(o.said.contains(said), qPrintable(o.said));
        QCOMPARE(o.exitCode, exitCode);
        // The assistant's conversation hears of it too, not "OK".
        if (tool == "host") QCOMPARE(o.saved, LinkError::Refused);
        QCOMPARE(faults::readAll(file), old);
        QCOMPARE(faults::filesIn(folder), QStringList{QFileInfo(file).fileName()});
    }

    // The same saves with room on the disk succeed, so the failures above are the disk's doing.
    void withRoomTheSameSavesSucceed_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::newRow("editor") << "editor";
        QTest::newRow("sketch pad") << "sketch";
        QTest::newRow("small sketch pad") << "small sketch";
        QTest::newRow("host") << "host";
        QTest::newRow("quendra-script") << "script";
    }

    void withRoomTheSameSavesSucceed()
    {
        QFETCH(QString, tool);
        QTemporaryDir dir;
        const QString file = dir.filePath(fileFor(tool));
        QVERIFY(faults::writeAll(file, "old\r\n"));
        const SaverRun o = runSaver(tool, file, 0);
        QCOMPARE(o.saved, LinkError::None);
        QVERIFY2(!o.said.contains(QStringLiteral("できません")) && !o.said.contains("cannot"),
                 qPrintable(o.said));
        QVERIFY(faults::readAll(file).size() > 16);
        QVERIFY(faults::readAll(file) != "old\r\n");
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 4 && args[1] == QString::fromLatin1(childSwitch))
        return args[2] == "editor"
                   ? saveText(args[3])
                   : saveSketch(args[3], args[2] == "sketch" ? QSize(200, 150) : QSize(40, 30));
    TestFailedSaves test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestFailedSaves.moc"
