// A DXF file cut off in the middle, opened by the host's session: it says so and keeps the
// drawing it has, file name included.

#include "Describe.h"
#include "Dxf.h"
#include "HostSession.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
        QTest::newRow("after the objects, before the end marker") << 0 << QByteArray("  0\nEOF");
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
};

QTEST_GUILESS_MAIN(TestHostFiles)
#include "TestHostFiles.moc"
