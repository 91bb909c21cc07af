// Drawings users already have, made by ezdxf: opened, drawn on and saved, they keep everything
// they held, in their own version and form, and ezdxf finds it all again.

#include "cad/Describe.h"
#include "host/HostSession.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace host;

namespace {

QStringList corpusTool(const QStringList &arguments)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 QStringList{QStringLiteral(QUENDRA_SOURCE_DIR "/tests/host/dxf_corpus.py")} + arguments);
    if (!python.waitForFinished(120000) || python.exitCode() != 0)
        return {QStringLiteral("python: ") + QString::fromUtf8(python.readAllStandardError())};
    return QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A door with its swing, a knob, a ellipse, a wide polyline and a Japanese label.
constexpr const char *door = "LINE 100,100 1000,100 \nARC c 100,100 1000,100 100,1000\nCIRCLE 500,500 50\n"
                             "ELLIPSE c 2000,2000 @300,0 @0,100\nPLINE 0,0 w 10  500,0 500,500 \n"
                             "DTEXT j m 300,300 100 0 片開き扉\n\n";

} // namespace

class TestRealDrawings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        QCOMPARE(corpusTool({QStringLiteral("corpus"), dir_.path()}), QStringList());
    }

    void drawnOnAndSavedKeepsEverything_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("added");
        const QStringList later{
            "new L 100,100 1000,100 on 0",        "new A 100,100 900 0..90 on 0",
            "new C 500,500 50 on 0",              "new E 2000,2000 300,0 0.333333 on 0",
            "new P 0,0 500,0 500,500 w 10/10 on 0", "new T 300,300 100 0 片開き扉 on 0"};
        // R12 has neither ELLIPSE nor LWPOLYLINE: both go as POLYLINE.
        QStringList r12 = later;
        r12[3] = r12[4] = "new POLYLINE on 0";
        QTest::newRow("R12") << "plan_r12" << r12;
        QTest::newRow("R2000") << "plan_r2000" << later;
        QTest::newRow("R2018") << "plan_r2018" << later;
        QTest::newRow("R2018 binary") << "plan_binary" << later;
        QTest::newRow("R2000 Shift-JIS") << "plan_sjis" << later;
    }

    void drawnOnAndSavedKeepsEverything()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, added);
        const QString original = dir_.filePath(name + ".dxf");
        const QString saved = dir_.filePath(name + ".saved.dxf");
        HostSession s;
        QString error;
        QVERIFY2(s.open(original, &error), qPrintable(error));
        s.enqueue(door, {});
        QVERIFY2(s.save(saved, &error), qPrintable(error));
        QCOMPARE(corpusTool({QStringLiteral("compare"), original, saved}), QStringList{"ok"} + added);
        QCOMPARE(bytesOf(saved).startsWith("AutoCAD Binary DXF"), name == "plan_binary");

        // Saved again, the new entities are not added twice; taken back, the file is as it was.
        QVERIFY(s.save(saved, &error));
        QCOMPARE(corpusTool({QStringLiteral("compare"), original, saved}), QStringList{"ok"} + added);
        for (int i = 0; i < added.size(); ++i)
            s.undo();
        QVERIFY(s.save(saved, &error));
        QVERIFY(bytesOf(saved) == bytesOf(original));
    }

    void codePageTextsAreShownDecoded()
    {
        HostSession s;
        QString error;
        QVERIFY(s.open(dir_.filePath("plan_sjis.dxf"), &error));
        const auto lines = cad::describe(s.drawing());
        QVERIFY(std::find(lines.begin(), lines.end(), "T 3000,3500 200 0 片開き扉 ９００") != lines.end());
    }

    void fileCutShortIsRefusedAndLeftAlone()
    {
        HostSession s;
        s.enqueue("LINE 0,0 1,1 \n", {});
        QString error;
        const QString cut = dir_.filePath("cut.dxf");
        const QByteArray before = bytesOf(cut);
        QVERIFY(!s.open(cut, &error));
        QVERIFY(error.contains(QStringLiteral("切れて")));
        QCOMPARE(s.drawing().size(), std::size_t(1));
        QVERIFY(bytesOf(cut) == before);
    }

private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(TestRealDrawings)
#include "TestRealDrawings.moc"
