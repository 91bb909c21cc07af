// A DXF file cut off in the middle, opened by the host's session: it says so and keeps the
// drawing it has, file name included.

#include "cad/dxf/Dxf.h"
#include "cad/model/Describe.h"
#include "host/session/HostSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace host;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestHostFiles : public QObject
{
    Q_OBJECT

private slots:
    // Where the file is cut, as a function of the whole file's bytes.
    void aDxfCutOffIsRefusedAndTheDrawingKept_data()
    {
        QTest::addColumn<int>("cut");
        QTest::addColumn<QByteArray>("before");
        // Negative: that many bytes off the end; positive: from the start of the marker.
        QTest::newRow("half the file") << 0 << QByteArray();
        QTest::newRow("inside the entities") << 40 << QByteArray("AcDbLine");
        QTest::newRow("inside a value") << 3 << QByteArray("\n 10\n");
        QTest::newRow("the end marker cut") << 5 << QByteArray("  0\nEOF");
    }

    void aDxfCutOffIsRefusedAndTheDrawingKept()
    {
        QFETCH(int, cut);
        QFETCH(QByteArray, before);
        QTemporaryDir dir;
        const QString whole = dir.filePath("whole.dxf");
        const QString kept = dir.filePath("kept.dxf");
        QString error;
        {
            HostSession writer;
            writer.type(QStringLiteral("LINE 0,0 100,0 100,50 \rCIRCLE 5,5 2 "));
            QVERIFY(writer.save(whole, &error));
            HostSession other;
            other.type(QStringLiteral("CIRCLE 7,7 3 "));
            QVERIFY(other.save(kept, &error));
        }
        const QByteArray bytes = readAll(whole);
        const qsizetype at = before.isEmpty() ? bytes.size() / 2 : bytes.lastIndexOf(before);
        QVERIFY(at > 0);
        const QString cutFile = dir.filePath("cut.dxf");
        QVERIFY(writeAll(cutFile, bytes.left(at + (before.isEmpty() ? 0 : cut))));

        HostSession host;
        QVERIFY(host.open(kept, &error));
        host.type(QStringLiteral("LINE 1,1 2,2 \r"));
        QVERIFY(!host.open(cutFile, &error));
        QVERIFY2(error.contains(QStringLiteral("途中で切れて")), qPrintable(error));
        QCOMPARE(cad::describe(host.drawing()), (std::vector<std::string>{"C 7,7 3", "L 1,1 2,2"}));
        QCOMPARE(host.fileName(), QFileInfo(kept).absoluteFilePath());
        QVERIFY(host.modified());

        // The whole file still opens.
        QVERIFY2(host.open(whole, &error), qPrintable(error));
        QCOMPARE(cad::describe(host.drawing()),
                 (std::vector<std::string>{"L 0,0 100,0", "L 100,0 100,50", "C 5,5 2"}));
    }

    // A file whose sections are whole but whose EOF is missing, as several writers leave them,
    // opens as a whole one, says so once, and is saved with its EOF.
    void aDxfMissingOnlyItsEndOpens()
    {
        QTemporaryDir dir;
        const QString whole = dir.filePath("whole.dxf"), cut = dir.filePath("cut.dxf");
        QString error;
        HostSession writer;
        writer.type(QStringLiteral("LINE 0,0 100,0 100,50 \rCIRCLE 5,5 2 "));
        QVERIFY(writer.save(whole, &error));
        const QByteArray bytes = readAll(whole);
        const QByteArray end = "  0\nEOF\n";
        QVERIFY(bytes.endsWith(end));
        const std::vector<std::string> drawn{"L 0,0 100,0", "L 100,0 100,50", "C 5,5 2"};
        for (const QByteArray &tail : {QByteArray(), QByteArray("\n\n"), QByteArray("\r\n")}) {
            QVERIFY(writeAll(cut, bytes.left(bytes.size() - end.size()) + tail));
            HostSession host;
            QSignalSpy history(&host, &HostSession::historyAdded);
            QVERIFY2(host.open(cut, &error), qPrintable(error));
            QVERIFY(!host.recovered());
            QCOMPARE(cad::describe(host.drawing()), drawn);
            int said = 0;
            for (const auto &args : history)
                for (const QString &line : args.at(0).toStringList())
                    said += line.contains("EOF");
            QCOMPARE(said, 1);
            QVERIFY2(host.save(cut, &error), qPrintable(error));
            const QByteArray saved = readAll(cut);
            QVERIFY(saved.startsWith(bytes.left(bytes.size() - end.size())));
            QCOMPARE(saved.mid(bytes.size() - end.size()).simplified(), QByteArray("0 EOF"));
        }
    }

    // A read that stops inside an entity must leave nothing behind for the next one: each file
    // is read again after one cut inside each of its entities.
    void aCutReadLeavesNothingForTheNext()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.dxf");
        QString error;
        HostSession writer;
        writer.type(QStringLiteral("LINE 0,0 10,0 \rCIRCLE 5,5 2 ARC c 0,0 @3,0 @0,3 "));
        QVERIFY(writer.save(path, &error));
        const QByteArray bytes = readAll(path);
        const std::string_view whole(bytes.constData(), std::size_t(bytes.size()));
        const std::vector<std::string> expected = cad::describe(writer.drawing());
        for (const char *entity : {"AcDbLine", "AcDbCircle", "AcDbArc"}) {
            const qsizetype cut = bytes.lastIndexOf(entity) + 20;
            QVERIFY(!cad::readDxfData(whole.substr(0, std::size_t(cut))).ok);
            const cad::DxfReadResult again = cad::readDxfData(whole);
            cad::Drawing d;
            d.replace(again.drawing.entities());
            QCOMPARE(cad::describe(d), expected);
        }
    }

    // Polylines claiming millions of vertices in a file of a few kilobytes: dxflib set aside and
    // filled room for every claimed vertex, some 300 MB and a fifth of a second a polyline, so
    // such a file held the host for minutes. The claims are cut to what the file can hold.
    void claimsOfMillionsOfVerticesCostNothing()
    {
        std::string dxf = "0\nSECTION\n2\nENTITIES\n";
        for (int i = 0; i < 2000; ++i)
            dxf += "0\nLWPOLYLINE\n90\n9999999\n10\n" + std::to_string(i) + "\n20\n0\n10\n1\n20\n1\n";
        dxf += "0\nENDSEC\n0\nEOF\n";
        const cad::DxfReadResult r = cad::readDxfData(dxf);
        QVERIFY2(r.ok, r.error.c_str());
        QCOMPARE(r.drawing.entities().size(), std::size_t(2000));
        QCOMPARE(r.drawing.entities().back().vertices.size(), std::size_t(2));
    }

    // Counts no memory holds: dxflib freed its old room, failed to make the new and freed the
    // old room again when it was destroyed. Each count hides where only dxflib sees it as one.
    void countsNoMemoryHoldsAreReadSafely_data()
    {
        QTest::addColumn<QByteArray>("entity");
        QTest::newRow("polyline, code written 90:")
            << QByteArray("0\nLWPOLYLINE\n90:\n2000000000\n10\n1\n20\n1\n10\n2\n20\n2\n");
        QTest::newRow("polyline, code written 090")
            << QByteArray("0\nLWPOLYLINE\n090\n900000000\n10\n1\n20\n1\n10\n2\n20\n2\n");
        QTest::newRow("polyline, count beyond 32 bits")
            << QByteArray("0\nLWPOLYLINE\n90\n6442450944\n10\n1\n20\n1\n");
        QTest::newRow("spline knots") << QByteArray("0\nSPLINE\n72\n2000000000\n40\n0\n");
        QTest::newRow("spline control points") << QByteArray("0\nSPLINE\n73\n+800000000\n10\n1\n20\n1\n");
        QTest::newRow("spline fit points") << QByteArray("0\nSPLINE\n74\n 900000000\n11\n1\n21\n1\n");
        QTest::newRow("leader vertices") << QByteArray("0\nLEADER\n76\n2000000000\n10\n1\n20\n1\n");
        // dxflib reads 1023 characters a line at most; a longer line is cut before it reads it,
        // and what follows is read as the groups it is.
        QTest::newRow("count after a long line") << QByteArray("0\nTEXT\n1\n") + QByteArray(2000, 'x') +
                                                        "90\n0\nLWPOLYLINE\n90\n2000000000\n10\n1\n";
        // A line that begins with a NUL is empty to dxflib, which keeps the line read before.
        const QByteArray nul(1, '\0');
        QTest::newRow("count on a value line that begins with a NUL")
            << "0\nLWPOLYLINE\n90\n3\n10\n1\n20\n1\n40\n2000000000\n90\n" + nul + "\n10\n1\n20\n1\n";
        QTest::newRow("count after a code line that begins with a NUL")
            << "0\nLWPOLYLINE\n90\n3\n10\n1\n20\n1\n90\n5\n" + nul + "\n2000000000\n10\n1\n20\n1\n";
        QTest::newRow("count after a left-out group and a NUL")
            << "0\nLWPOLYLINE\n90\n3\n10\n1\n20\n1\n90\n5\n330\n1F\n" + nul + "90\n2000000000\n";
    }

    void countsNoMemoryHoldsAreReadSafely()
    {
        QFETCH(QByteArray, entity);
        const QByteArray file = "0\nSECTION\n2\nENTITIES\n" + entity + "0\nENDSEC\n0\nEOF\n";
        const cad::DxfReadResult r =
            cad::readDxfData(std::string_view(file.constData(), std::size_t(file.size())));
        QVERIFY2(r.ok, r.error.c_str());
    }

    // A code line last in a file, with no value line after it, is paired by dxflib with the
    // value read before: here a count no memory holds, after a polyline that made room already.
    void aCodeLineLastIsReadSafely()
    {
        const std::string_view file = "0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n90\n3\n10\n1\n20\n1\n"
                                      "40\n2000000000\n90\n";
        const cad::DxfReadResult r = cad::readDxfData(file);
        QVERIFY(!r.ok);
        QVERIFY2(r.error.find("途中で切れて") != std::string::npos, r.error.c_str());
    }

    // A save keeps what the file is: its mode, a link to it (the target gets the drawing), and
    // it leaves nothing beside it; a temporary that a killed save of an earlier version left
    // behind is cleared by the next save.
    void aSaveKeepsTheFilesNatureAndLeavesNothing()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("real"));
        const QString target = dir.filePath("real/plan.dxf");
        const QString link = dir.filePath("plan.dxf");
        HostSession s;
        s.enqueue("LINE 0,0 1,1 \r", {});
        QString error;
        QVERIFY(s.save(target, &error));
        QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QVERIFY(QFile::link(target, link));
        const QString stale = dir.filePath("real/.plan.dxf.saving-4242-0");
        QVERIFY(writeAll(stale, QByteArray(1000, 'x')));

        s.enqueue("CIRCLE 0,0 5 ", {});
        QVERIFY2(s.save(link, &error), qPrintable(error));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(QFile::permissions(target), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ReadUser | QFileDevice::WriteUser);
        const cad::DxfReadResult r = cad::readDxf(target.toStdString());
        QVERIFY(r.ok);
        QCOMPARE(r.drawing.entities().size(), size_t(2));
        QCOMPARE(QDir(dir.filePath("real")).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{"plan.dxf"});
        QCOMPARE(s.fileName(), QFileInfo(link).absoluteFilePath());
    }

    // Only a regular file is opened: a folder, a named pipe (which would block in open()) and a
    // file too large to hold (here a sparse one) are refused with a word, the drawing kept.
    void onlyRegularFilesOfAFittingSizeAreOpened()
    {
        QTemporaryDir dir;
        const QString fifo = dir.filePath("pipe.dxf");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        const QString sparse = dir.filePath("sparse.dxf");
        {
            QFile f(sparse);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(qint64(64) << 30));
        }
        // Nearly as large as may be read, but zeros from its first byte: refused before it is
        // read, in the background as well.
        const QString zeros = dir.filePath("zeros.dxf");
        {
            QFile f(zeros);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(qint64(1000) << 20));
        }
        HostSession s;
        s.enqueue("LINE 0,0 1,1 \r", {});
        for (const QString &path : {dir.path(), fifo, sparse, zeros}) {
            QString error;
            QVERIFY2(!s.open(path, &error), qPrintable(path));
            QVERIFY(!error.isEmpty());
            QCOMPARE(s.drawing().entities().size(), size_t(1));
        }
        QString error;
        QVERIFY(!s.open(sparse, &error));
        QVERIFY2(error.contains(QStringLiteral("大きすぎます")), qPrintable(error));
        QVERIFY(!s.openInBackground(zeros, &error));
        QVERIFY2(error.contains(QStringLiteral("DXF ファイルではありません")), qPrintable(error));
        QVERIFY(!s.loading());
        QCOMPARE(s.drawing().entities().size(), size_t(1));
    }
};

QTEST_GUILESS_MAIN(TestHostFiles)
#include "TestHostFiles.moc"
