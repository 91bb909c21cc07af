// DXF files cut off in the middle.

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

} // namespace

class TestHostFiles : public QObject
{
    Q_OBJECT

private slots:
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
            (void)cad::readDxfData(whole.substr(0, std::size_t(cut)));
            const cad::DxfReadResult again = cad::readDxfData(whole);
            cad::Drawing d;
            d.replace(again.entities);
            QCOMPARE(cad::describe(d), expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestHostFiles)
#include "TestHostFiles.moc"
