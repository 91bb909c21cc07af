// Drawings users already have, made by ezdxf: opened, drawn on and saved, they keep everything
// they held, in their own version and form, and ezdxf finds it all again.

#include "cad/Describe.h"
#include "host/HostSession.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
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
        QTest::newRow("R12 binary") << "plan_r12_binary" << r12;
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
        QCOMPARE(bytesOf(saved).startsWith("AutoCAD Binary DXF"), name.endsWith("binary"));

        // Saved again, the new entities are not added twice; taken back, the file is as it was.
        QVERIFY(s.save(saved, &error));
        QCOMPARE(corpusTool({QStringLiteral("compare"), original, saved}), QStringList{"ok"} + added);
        for (int i = 0; i < added.size(); ++i)
            s.undo();
        QVERIFY(s.save(saved, &error));
        QVERIFY(bytesOf(saved) == bytesOf(original));
    }

    // quendra-host --headless FILE --out edits FILE's drawing rather than starting an empty one;
    // a FILE it cannot open is said, and nothing is written.
    void headlessOpensTheFileItIsGiven()
    {
        const QString script = dir_.filePath("door.scr");
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(door);
        f.close();
        const QString original = dir_.filePath("plan_r2018.dxf"), saved = dir_.filePath("headless.dxf");
        const auto run = [&](const QString &file) {
            QProcess host;
            host.start(QStringLiteral(QUENDRA_BIN_DIR "/quendra-host"),
                       {"--headless", file, "--replay", script, "--exit-after-replay", "--out", saved});
            return host.waitForFinished(60000) ? host.exitCode() : -1;
        };
        QCOMPARE(run(original), 0);
        const QStringList compared = corpusTool({QStringLiteral("compare"), original, saved});
        QCOMPARE(compared.value(0), QStringLiteral("ok"));
        QCOMPARE(compared.size(), 7);
        QFile::remove(saved);
        QVERIFY(run(dir_.filePath("cut.dxf")) != 0);
        QVERIFY(!QFile::exists(saved));
    }

    // What a plan holds is shown: blocks through their references (the door turned and mirrored,
    // with its knob nested and its attribute), dimensions through their blocks, MTEXT, hatches by
    // their boundaries; the layer that is off, the frozen one and paper space are not.
    void planIsShownAsItIsDrawn_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("R12") << "plan_r12";
        QTest::newRow("R2000") << "plan_r2000";
        QTest::newRow("binary") << "plan_binary";
    }

    void planIsShownAsItIsDrawn()
    {
        QFETCH(QString, name);
        HostSession s;
        QString error;
        QVERIFY(s.open(dir_.filePath(name + ".dxf"), &error));
        const auto lines = cad::describe(s.drawing());
        const auto shows = [&](const std::string &line) {
            return std::find(lines.begin(), lines.end(), line) != lines.end();
        };
        const auto showsStarting = [&](const std::string &start) {
            return std::any_of(lines.begin(), lines.end(), [&](const std::string &l) { return l.starts_with(start); });
        };
        QVERIFY(shows("P 0,0 6000,0 6000,4000 0,4000 closed #1")); // ByLayer: the layer's red
        QVERIFY(shows("L 1000,0 1000,-900"));
        QVERIFY(shows("A 1000,0 900 180..270"));
        QVERIFY(shows("C 950,-800 20"));
        QVERIFY(shows("T -1150,-90 100 270 D1"));
        QVERIFY(shows("L 0,-500 6000,-500"));
        QVERIFY(showsStarting("P 0,0 100,0 100,100 0,100 closed")); // SOLID
        QVERIFY(!showsStarting("L 0,0 6000,4000"));
        QVERIFY(!showsStarting("C 3000,2000 300"));
        QVERIFY(!showsStarting("T 11.25,2.5 5 0 paper"));
        if (name == "plan_r12") return;
        QVERIFY(shows("P 7000,0 8000,0 8000,1000 closed #2"));
        QVERIFY(shows("T 202.5,5925 150 0 一行目"));
        QVERIFY(showsStarting("P 2400,2000 ")); // the partial ellipse, from its start
        QVERIFY(showsStarting("P 0,5000 33.350461,4959.231786")); // the bulge, as an arc
    }

    void codePageTextsAreShownDecoded()
    {
        HostSession s;
        QString error;
        QVERIFY(s.open(dir_.filePath("plan_sjis.dxf"), &error));
        const auto lines = cad::describe(s.drawing());
        QVERIFY(std::find(lines.begin(), lines.end(), "T 3000,3500 200 0 片開き扉 ９００") != lines.end());
    }

    // Refused at first, with a clear word; recovered on request, and then saved only under a new
    // name until the user allows overwriting the damaged file.
    void fileCutShortIsRecoveredOnlyWhenAsked()
    {
        HostSession s;
        s.enqueue("LINE 0,0 1,1 \n", {});
        QString error;
        const QString cut = dir_.filePath("cut.dxf");
        const QByteArray before = bytesOf(cut);
        QVERIFY(!s.open(cut, &error));
        QVERIFY(error.contains(QStringLiteral("切れて")));
        QVERIFY(s.recoverable());
        QCOMPARE(s.drawing().size(), std::size_t(1));

        QVERIFY2(s.open(cut, &error, true), qPrintable(error));
        QVERIFY(s.recovered());
        QVERIFY(s.drawing().size() > 5);
        s.enqueue(door, {});
        QVERIFY(!s.save(cut, &error));
        QVERIFY(bytesOf(cut) == before);
        const QString elsewhere = dir_.filePath("recovered.dxf");
        QVERIFY2(s.save(elsewhere, &error), qPrintable(error));
        QCOMPARE(corpusTool({QStringLiteral("compare"), elsewhere, elsewhere}), QStringList{"ok"});
        s.allowOverwrite();
        QVERIFY(s.save(cut, &error));
    }

    // Entities with values that could not be read, and values cut to a line, are said apart from
    // the kinds not drawn; what was cut goes back whole.
    void badAndLongValuesAreSaid()
    {
        const QString path = dir_.filePath("bad_values.dxf");
        const QByteArray longText(5000, 'x');
        const QByteArray original = "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nnan\n20\n0\n11\n1\n21\n1\n"
                                    "0\nPOINT\n10\n0\n20\n0\n0\nTEXT\n10\n0\n20\n0\n40\n1\n1\n" +
                                    longText + "\n0\nLINE\n11\n7\n21\n8\n0\nENDSEC\n0\nEOF\n";
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(original);
        f.close();
        HostSession s;
        QSignalSpy history(&s, &HostSession::historyAdded);
        QString error;
        QVERIFY2(s.open(path, &error), qPrintable(error));
        QCOMPARE(s.drawing().size(), std::size_t(2));
        QStringList said;
        for (const auto &args : history)
            said << args.at(0).toStringList();
        const auto has = [&](const QString &words) {
            return std::any_of(said.begin(), said.end(), [&](const QString &l) { return l.contains(words); });
        };
        QVERIFY2(has(QStringLiteral("対応していない図形 1 個")), qPrintable(said.join('\n')));
        QVERIFY(has(QStringLiteral("読めない値(数でない値、無限大、大きすぎる座標など)を含む図形 1 個")));
        QVERIFY(has(QStringLiteral("長すぎる値 1 個")));
        s.enqueue("LINE 0,0 1,1 \n", {});
        const QString saved = dir_.filePath("bad_values.saved.dxf");
        QVERIFY2(s.save(saved, &error), qPrintable(error));
        QVERIFY(bytesOf(saved).contains("\n1\n" + longText + "\n0\nLINE\n11\n7\n"));
    }

    void notDxfChangesNothing()
    {
        const QString path = dir_.filePath("notes.dxf");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("これは図面ではありません\n");
        f.close();
        HostSession s;
        s.enqueue("LINE 0,0 1,1 \n", {});
        QString error;
        QVERIFY(!s.open(path, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!s.recoverable());
        QCOMPARE(s.drawing().size(), std::size_t(1));
    }

    // Old and odd but legal: no header and no handles (as R12 may be), CR LF, codes without
    // padding, bytes after EOF. What is drawn goes in without handles, and the rest stays.
    void oddFilesKeepTheirForm()
    {
        const QString path = dir_.filePath("odd.dxf");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QByteArray original = "0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nLINE\r\n8\r\n0\r\n10\r\n0\r\n20\r\n0\r\n"
                                    "11\r\n10\r\n21\r\n10\r\n0\r\nENDSEC\r\n0\r\nEOF\r\ntrailing words\r\n";
        f.write(original);
        f.close();
        HostSession s;
        QString error;
        QVERIFY2(s.open(path, &error), qPrintable(error));
        s.enqueue("CIRCLE 5,5 2 ", {});
        const QString saved = dir_.filePath("odd.saved.dxf");
        QVERIFY(s.save(saved, &error));
        const QByteArray bytes = bytesOf(saved);
        QCOMPARE(bytes, QByteArray(original).replace("0\r\nENDSEC", "0\r\nCIRCLE\r\n8\r\n0\r\n10\r\n5.0\r\n20\r\n5.0\r\n"
                                                                   "30\r\n0.0\r\n40\r\n2.0\r\n0\r\nENDSEC"));
        QCOMPARE(corpusTool({QStringLiteral("compare"), path, saved}), QStringList({"ok", "new C 5,5 2 on 0"}));
    }

private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(TestRealDrawings)
#include "TestRealDrawings.moc"
