// DXF files: what the host writes reads back the same, here and in ezdxf, and what ezdxf
// writes reads here.

#include "cad/command/Interpreter.h"
#include "cad/command/Replay.h"
#include "cad/dxf/Dxf.h"
#include "cad/dxf/DxfSource.h"
#include "cad/dxf/tags/DxfText.h"
#include "cad/model/Describe.h"
#include "cad/model/Selection.h"
#include "cad/model/Transform.h"
#include "tests/cad/Lines.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// Runs the ezdxf helper; returns its output lines.
QStringList ezdxf(const QString &mode, const QString &path)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(QUENDRA_SOURCE_DIR "/tests/cad/dxf_tool.py"), mode, path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        qWarning() << python.readAllStandardError();
        return {};
    }
    return QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

// Each symbol of a drawing, sorted: form, caption, base point, inputs and opening, then its
// pieces.
QStringList symbolsOf(const cad::Drawing &d)
{
    std::map<std::uint32_t, QStringList> pieces;
    for (std::size_t i = 0; i < d.size(); ++i)
        if (const std::uint32_t s = d.symbolOf(i))
            pieces[s] << QString::fromStdString(cad::describe(d.at(i)));
    const auto point = [](cad::Point p) { return QStringLiteral("%1,%2").arg(p.x).arg(p.y); };
    QStringList out;
    for (auto &[id, shown] : pieces) {
        const cad::Symbol &s = d.symbol(id);
        QString line = QString::fromStdString(s.form + " " + s.caption);
        if (s.base) line += " @" + point(*s.base);
        for (const auto &[name, value] : s.inputs)
            line += QString::fromStdString(" " + name + "=" + value);
        if (const auto o = d.opening(id))
            line += " opening " + point(o->cuts[0][0]) + " " + point(o->cuts[0][1]) + " " +
                    point(o->cuts[1][0]) + " " + point(o->cuts[1][1]);
        shown.sort();
        out << line + ": " + shown.join(" | ");
    }
    out.sort();
    return out;
}

// A window (its opening cut in a wall) and a door, drawn as the assistant draws them.
void drawFittings(cad::Drawing &d, cad::Point at)
{
    cad::Interpreter in(d);
    const auto p = [&at](double x, double y) {
        return std::to_string(at.x + x) + "," + std::to_string(at.y + y) + " ";
    };
    in.beginSymbol({"fix100", "ＦＩＸ窓", {{"Combo1", "600"}, {"Combo2", "0"}}, at}, false);
    in.feed("LINE " + p(0, 0) + p(600, 0) + "\rLINE " + p(0, -50) + p(600, -50) + "\r");
    in.endSymbol();
    in.beginSymbol({"katabirakito100", "片開キ戸", {{"Combo1", "800"}}, {}}, false);
    in.feed("LINE " + p(1000, 0) + p(1000, 800) + "\rARC C " + p(1000, 0) + p(1800, 0) + p(1000, 800));
    in.endSymbol();
    for (std::size_t i = 0; i < d.size(); ++i)
        if (d.symbol(d.symbolOf(i)).form == "fix100")
            d.setOpening(d.symbolOf(i), cad::Opening{{{{at.x, at.y}, {at.x + 600, at.y}},
                                                      {{at.x, at.y - 50}, {at.x + 600, at.y - 50}}}});
}

cad::Drawing sample()
{
    cad::Drawing d =
        cad::replay({"LINE 0,0 0.1,0.3 @1/3,0 \r", "ARC c @0,500 @400,0 @0,400 ", "CIRCLE 0,0 350 ",
                     "ELLIPSE c 0,0 @700,0 @0,200 ", "DTEXT j m @0,0 250 30 ＋1000 ±0 通り芯\r\r",
                     "PLINE 0,0 w 100  10,0 10,10 c ", "PLINE 0,0 w 0 5 10,0 \r", "LINE 5,5 6,6 \r"},
                    {1000, 2000});
    std::vector<cad::Entity> entities = d.entities();
    entities.back().color = 1;
    entities[3].color = 0;
    entities[4].color = 255;
    d.replace(entities);
    return d;
}

} // namespace

class TestDxf : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip()
    {
        QTemporaryDir dir;
        const std::string path = dir.filePath("drawing.dxf").toStdString();
        const cad::Drawing d = sample();
        QCOMPARE(cad::writeDxf(d, path), std::string());

        const cad::DxfReadResult back = cad::readDxf(path);
        QVERIFY2(back.ok, back.error.c_str());
        QCOMPARE(back.skipped, size_t(0));
        QCOMPARE(q(cad::describe(back.drawing)), q(cad::describe(d)));
        QVERIFY(!back.drawing.canUndo());
        // The coordinates come back to the last bit, not only to the rounding of describe().
        for (std::size_t i = 0; i < d.entities().size(); ++i) {
            const cad::Entity &a = d.entities()[i], &b = back.drawing.entities()[i];
            QCOMPARE(b.a.x, a.a.x);
            QCOMPARE(b.b.x, a.b.x);
            QCOMPARE(b.centre.y, a.centre.y);
            QCOMPARE(b.text, a.text);
        }
        QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size() == 1);
    }

    // A large file of every kind, read back whole and in order; its $HANDSEED, beyond FFFF,
    // names the next free handle.
    void largeFilesReadBackWhole()
    {
        cad::Drawing d;
        for (int i = 0; i < 70000; ++i) {
            cad::Entity e;
            switch (i % 4) {
            case 0:
                e.type = cad::Entity::Type::Text;
                e.insert = {double(i), 1};
                e.height = 5;
                e.text = "通り芯 " + std::to_string(i);
                break;
            case 1:
                e.type = cad::Entity::Type::Polyline;
                e.vertices = {{double(i), 0}, {double(i) + 1, 2}, {double(i) + 2, 0}};
                e.startWidth = e.endWidth = i % 3;
                e.closed = i % 2 == 1;
                break;
            case 2:
                e.type = cad::Entity::Type::Arc;
                e.centre = {double(i), 0};
                e.radius = 3;
                e.startAngle = 10;
                e.endAngle = 200;
                break;
            default:
                e.type = cad::Entity::Type::Line;
                e.b = {double(i), double(i % 7)};
                e.color = i % 255 + 1;
            }
            d.add(e);
        }
        QTemporaryDir dir;
        const std::string path = dir.filePath("large.dxf").toStdString();
        QCOMPARE(cad::writeDxf(d, path), std::string());
        const cad::DxfReadResult back = cad::readDxf(path);
        QVERIFY2(back.ok, back.error.c_str());
        QCOMPARE(back.drawing.size(), d.size());
        QCOMPARE(q(cad::describe(back.drawing)), q(cad::describe(d)));
        QCOMPARE(back.drawing.extents().max.x, d.extents().max.x);

        QFile file(QString::fromStdString(path));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        cad::DxfTagScanner scanner(std::string_view(bytes.constData(), std::size_t(bytes.size())));
        std::uint64_t seed = 0, largest = 0;
        bool seedNext = false;
        while (const auto tag = scanner.next()) {
            if (tag->code == 5 && seedNext)
                seed = cad::parseDxfHandle(tag->trimmed);
            else if (tag->code == 5)
                largest = std::max(largest, cad::parseDxfHandle(tag->trimmed));
            seedNext = tag->code == 9 && tag->trimmed == "$HANDSEED";
        }
        QVERIFY(largest > 0xFFFF);
        QCOMPARE(seed, largest + 1);
    }

    // The groups left out before dxflib reads a file are chosen as dxflib reads them: codes as
    // strtol reads them, lines cut at 1023 characters, group 9 ending an entity like group 0.
    void groupsAreChosenAsDxflibReadsThem_data()
    {
        QTest::addColumn<QByteArray>("entities");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("codes written oddly")
            << QByteArray("+0\nLINE\n 5\n1F\n010\n1\n+20\n1\n 11 \n2\n21:\n2\n") << QStringList{"L 1,1 2,2"};
        QTest::newRow("group 9 ends an entity")
            << QByteArray("0\nLINE\n10\n1\n20\n1\n11\n2\n21\n2\n9\n$X\n10\n5\n") << QStringList{"L 1,1 2,2"};
        QTest::newRow("ByLayer left out, other colours kept")
            << QByteArray("0\nLINE\n62\n   256\n11\n1\n21\n1\n0\nLINE\n62\n     1\n11\n2\n21\n2\n")
            << QStringList{"L 0,0 1,1", "L 0,0 2,2 #1"};
        // dxflib would read the end of the long line as a code line of its own.
        QTest::newRow("a line longer than 1023 characters")
            << "0\nLINE\n5\n" + QByteArray(1023, 'x') + "10\n11\n7\n21\n8\n10\n1\n20\n1\n"
            << QStringList{"L 1,1 7,8"};
        QTest::newRow("a line that begins with a NUL reads for itself")
            << "0\nLINE\n10\n1\n" + QByteArray(1, '\0') + "20\n1\n11\n2\n21\n2\n"
            << QStringList{"L 1,1 2,2"};
        QTest::newRow("nothing of OBJECTS, the end marker kept")
            << QByteArray("0\nLINE\n11\n1\n21\n1\n0\nENDSEC\n0\nSECTION\n2\nOBJECTS\n0\nLINE\n11\n2\n21\n2\n")
            << QStringList{"L 0,0 1,1"};
    }

    void groupsAreChosenAsDxflibReadsThem()
    {
        QFETCH(QByteArray, entities);
        QFETCH(QStringList, expected);
        const QByteArray file = "0\nSECTION\n2\nENTITIES\n" + entities + "0\nEOF\n";
        const cad::DxfReadResult r =
            cad::readDxfData(std::string_view(file.constData(), size_t(file.size())));
        QVERIFY2(r.ok, r.error.c_str());
        QCOMPARE(q(cad::describe(r.drawing)), expected);
    }

    // An entity in the plane seen from below (extrusion 0,0,-1, as mirroring leaves it) gives its
    // coordinates along an x axis that runs to the world's -x; it was shown mirrored back.
    void entitiesSeenFromBelowAreShownWhereTheyAre_data()
    {
        QTest::addColumn<QByteArray>("fromBelow");
        QTest::addColumn<QByteArray>("same");
        QTest::newRow("arc") << QByteArray("0\nARC\n10\n10\n20\n5\n40\n2\n50\n0\n51\n90\n")
                             << QByteArray("0\nARC\n10\n-10\n20\n5\n40\n2\n50\n90\n51\n180\n");
        QTest::newRow("circle") << QByteArray("0\nCIRCLE\n10\n10\n20\n5\n40\n2\n")
                                << QByteArray("0\nCIRCLE\n10\n-10\n20\n5\n40\n2\n");
        QTest::newRow("polyline with a bulge")
            << QByteArray("0\nLWPOLYLINE\n90\n2\n70\n0\n10\n1\n20\n1\n42\n0.5\n10\n3\n20\n2\n")
            << QByteArray("0\nLWPOLYLINE\n90\n2\n70\n0\n10\n-1\n20\n1\n42\n-0.5\n10\n-3\n20\n2\n");
        QTest::newRow("turned text reads backwards")
            << QByteArray("0\nTEXT\n10\n4\n20\n0\n40\n1\n50\n30\n1\nAB\n")
            << QByteArray("0\nTEXT\n10\n-4\n20\n0\n40\n1\n50\n330\n71\n2\n1\nAB\n");
        QTest::newRow("block reference") << QByteArray("0\nINSERT\n2\nB\n10\n10\n20\n0\n50\n30\n")
                                         << QByteArray("0\nINSERT\n2\nB\n10\n-10\n20\n0\n41\n-1\n50\n330\n");
        QTest::newRow("solid")
            << QByteArray("0\nSOLID\n10\n0\n20\n0\n11\n2\n21\n0\n12\n0\n22\n1\n13\n0\n23\n1\n")
            << QByteArray("0\nSOLID\n10\n0\n20\n0\n11\n-2\n21\n0\n12\n0\n22\n1\n13\n0\n23\n1\n");
    }

    void entitiesSeenFromBelowAreShownWhereTheyAre()
    {
        QFETCH(QByteArray, fromBelow);
        QFETCH(QByteArray, same);
        const QByteArray block =
            "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nB\n10\n0\n20\n0\n0\nLINE\n11\n1\n21\n2\n"
            "0\nENDBLK\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n";
        const auto read = [&](const QByteArray &entities) {
            const QByteArray file = block + entities + "0\nENDSEC\n0\nEOF\n";
            return q(cad::describe(
                cad::readDxfData(std::string_view(file.constData(), size_t(file.size()))).drawing));
        };
        const QStringList expected = read(same);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(read(fromBelow + "210\n0\n220\n0\n230\n-1\n"), expected);
    }

    // A value that is no number, or no finite one, was read as 0; one beyond the coordinate limit
    // was taken for a kind not drawn. Its entity is left out and counted apart, and the LINE
    // behind it is read either way.
    void badValuesAreCountedApart_data()
    {
        QTest::addColumn<QByteArray>("entity");
        QTest::newRow("nan") << QByteArray("0\nLINE\n10\nnan\n20\n1\n11\n2\n21\n2\n");
        QTest::newRow("inf") << QByteArray("0\nLINE\n10\n1\n20\n1\n11\n-inf\n21\n2\n");
        QTest::newRow("no number") << QByteArray("0\nLINE\n10\n1\n20\nabc\n11\n2\n21\n2\n");
        QTest::newRow("exponent without digits") << QByteArray("0\nLINE\n10\n1\n20\n1\n11\n2e\n21\n2\n");
        QTest::newRow("extrusion") << QByteArray("0\nLINE\n10\n1\n20\n1\n11\n2\n21\n2\n210\nnan\n");
        QTest::newRow("beyond the limit") << QByteArray("0\nLINE\n10\n1e300\n20\n1\n11\n2\n21\n2\n");
        QTest::newRow("overflow") << QByteArray("0\nCIRCLE\n10\n1\n20\n1\n40\n1e999\n");
        QTest::newRow("a vertex") << QByteArray("0\nLWPOLYLINE\n90\n2\n10\n0\n20\nnan\n10\n5\n20\n5\n");
        QTest::newRow("an old vertex") << QByteArray("0\nPOLYLINE\n66\n1\n0\nVERTEX\n10\n0\n20\n0\n"
                                                     "0\nVERTEX\n10\ninf\n20\n5\n0\nSEQEND\n");
        QTest::newRow("text") << QByteArray("0\nTEXT\n10\nNaN\n20\n0\n40\n2.5\n1\nA\n");
        QTest::newRow("block reference") << QByteArray("0\nINSERT\n2\nB\n10\nnan\n20\n0\n");
    }

    void badValuesAreCountedApart()
    {
        QFETCH(QByteArray, entity);
        const QByteArray file =
            "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nB\n0\nCIRCLE\n40\n1\n0\nENDBLK\n0\nENDSEC\n"
            "0\nSECTION\n2\nENTITIES\n" +
            entity + "0\nLINE\n10\n3\n20\n3\n11\n4\n21\n4\n0\nENDSEC\n0\nEOF\n";
        for (const auto how : {cad::DxfLineReading::Direct, cad::DxfLineReading::ThroughDxflib}) {
            const cad::DxfReadResult r =
                cad::readDxfData(std::string_view(file.constData(), size_t(file.size())), how);
            QVERIFY2(r.ok, r.error.c_str());
            QCOMPARE(q(cad::describe(r.drawing)), QStringList{"L 3,3 4,4"});
            QCOMPARE(r.badValues, std::size_t(1));
            QCOMPARE(r.skipped, std::size_t(0));
        }
    }

    // dxflib reads a line through 1024 bytes: the rest of a longer one became a group of its own
    // and every group after it fell out of step, up to the end of the file (a text of 10 MB made
    // the file look cut off). A long value is read as far as a line goes and said to be cut; the
    // file is saved back with it whole.
    void longValuesAreCutAndTheRestReadsOn_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QByteArray>("eol");
        QTest::newRow("1023 characters") << 1023 << QByteArray("\n");
        QTest::newRow("1022 characters and CR LF") << 1022 << QByteArray("\r\n");
        QTest::newRow("2000 characters") << 2000 << QByteArray("\n");
        QTest::newRow("10 MB") << (10 << 20) << QByteArray("\r\n");
    }

    void longValuesAreCutAndTheRestReadsOn()
    {
        QFETCH(int, length);
        QFETCH(QByteArray, eol);
        // Kanji in UTF-8 (R2007 and later), so that a cut could fall inside a character.
        QByteArray text;
        while (text.size() < length)
            text += text.size() + 10 <= length ? "通り芯X" : "x";
        QByteArray file =
            "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1021\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n"
            "0\nTEXT\n10\n0\n20\n0\n40\n2.5\n1\n" +
            text + "\n0\nLINE\n10\n1\n20\n1\n11\n7\n21\n8\n0\nENDSEC\n0\nEOF\n";
        file.replace("\n", eol);
        const std::string_view bytes(file.constData(), size_t(file.size()));
        for (const auto how : {cad::DxfLineReading::Direct, cad::DxfLineReading::ThroughDxflib}) {
            const cad::DxfReadResult r = cad::readDxfData(bytes, how, {}, true);
            QVERIFY2(r.ok, r.error.c_str());
            QCOMPARE(r.drawing.size(), std::size_t(2));
            QCOMPARE(q(cad::describe(r.drawing)).last(), QStringLiteral("L 1,1 7,8"));
            const std::string &shown = r.drawing.at(0).text;
            QVERIFY(shown.size() >= 900 && shown.size() <= 1023);
            QVERIFY(text.startsWith(QByteArray::fromStdString(shown)));
            // Whole characters: UTF-8 that reads back the same.
            QVERIFY(QString::fromStdString(shown).toUtf8() == QByteArray::fromStdString(shown));
            QCOMPARE(r.shortened, std::size_t(1));
            QCOMPARE(r.badValues + r.skipped, std::size_t(0));
            // Saved back: the long value whole, byte for byte, with what was drawn.
            QVERIFY(r.source && r.source->complete());
            const std::vector<std::uint32_t> pieces = r.source->piecesShown(r.drawing);
            QVERIFY(r.source->edited(r.drawing, pieces) == bytes);
            cad::Drawing drawn = r.drawing;
            drawn.addLine({5, 5}, {6, 6}, 1);
            const std::string saved = r.source->edited(drawn, pieces);
            QVERIFY(saved.find(text.toStdString() + eol.toStdString()) != std::string::npos);
            const cad::DxfReadResult again = cad::readDxfData(saved, how);
            QCOMPARE(q(cad::describe(again.drawing)).mid(1), (QStringList{"L 1,1 7,8", "L 5,5 6,6 #1"}));
            QCOMPARE(again.shortened, std::size_t(1));
        }
    }

    // Each piece is tied to its entity of the file by counting; where the reader and the scan
    // of the file count differently (an entity dxflib is not shown under its own name), the
    // file's entities are shown but never picked, so no edit can land on the wrong one.
    void entitiesThatCannotBeCountedAreOnlyShown()
    {
        const std::string head = "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0\n20\n0\n11\n10\n21\n0\n";
        const std::string tail = "0\nLINE\n8\n0\n10\n0\n20\n5\n11\n10\n21\n5\n0\nENDSEC\n0\nEOF\n";
        for (const std::string &middle :
             {std::string(), std::string("0\n~L\n8\n0\n"), std::string("0\nPOINT\n10\n1\n9\n$X\n20\n2\n")}) {
            const cad::DxfReadResult r =
                cad::readDxfData(head + middle + tail, cad::DxfLineReading::Direct, {}, true);
            QVERIFY(r.ok);
            QCOMPARE(r.viewOnly, !middle.empty());
            QCOMPARE(cad::pickEntity(r.drawing, {5, 5}, 1).has_value(), middle.empty());
            QCOMPARE(cad::selectAll(r.drawing).size(), middle.empty() ? std::size_t(2) : std::size_t(0));
        }
        // dxflib also ends an entity at a group 9, and a SECTION among the entities leaves the
        // section: the LINE after both was tied to the SECTION, whose bytes ran to the end of the
        // file, and moving the LINE saved a file without its ENDSEC and EOF.
        const cad::DxfReadResult broken = cad::readDxfData(
            "0\nSECTION\n2\nENTITIES\n0\nSECTION\n2\nXX\n0\nLINE\n10\n1\n9\n$X\n20\n2\n0\nENDSEC\n0\nEOF\n",
            cad::DxfLineReading::Direct, {}, true);
        QVERIFY(broken.ok);
        QCOMPARE(broken.drawing.size(), std::size_t(1));
        QVERIFY(cad::selectAll(broken.drawing).empty());
        // A "2 ENTITIES" that follows no SECTION: the LINE after it, read before dxflib, was tied
        // to the file's first entity, here the EOF of a section cut short, and moving the LINE
        // saved the file without its EOF.
        const cad::DxfReadResult unended =
            cad::readDxfData("0\nSECTION\n10\n0\n2\nENTITIES\n0\nLINE\n10\n1\n20\n2\n11\n3\n21\n4\n0\nSECTION"
                             "\n2\nENTITIES\n0\nEOF\n",
                             cad::DxfLineReading::Direct, {}, true);
        QVERIFY(unended.ok && unended.source);
        cad::Drawing moved = unended.drawing;
        QCOMPARE(moved.size(), std::size_t(1));
        moved.replaceAt(0, cad::moved(moved.at(0), 10, 5));
        const std::string saved = unended.source->edited(moved, unended.source->piecesShown(unended.drawing));
        QVERIFY(saved.ends_with("0\nEOF\n"));
    }

    void ezdxfReadsWhatTheHostWrites()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("drawing.dxf");
        const cad::Drawing d = sample();
        QCOMPARE(cad::writeDxf(d, path.toStdString()), std::string());
        QStringList expected{"version AC1015", "errors 0"};
        expected << q(cad::describe(d));
        QCOMPARE(ezdxf("dump", path), expected);
        // Clean as it is: no owner to fix in OBJECTS, nothing at all.
        QCOMPARE(ezdxf("audit", path), QStringList{"errors 0 fixes 0"});
        // Outside ASCII the text goes as escapes, which AC1015 readers decode.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("\\U+FF0B1000 \\U+00B10 \\U+901A\\U+308A\\U+82AF"));
    }

    // Every kind, on layers of their own, reads back the same here and in ezdxf; a mask goes as
    // its loops, closed polylines.
    void everyKindReadsBackHereAndInEzdxf()
    {
        cad::Drawing d;
        d.makeLayer({"WALL", 3, true, false, true});
        d.makeLayer({"Off", 5, false, true, true});
        d.setCurrentLayer(1);
        cad::Entity e;
        const auto add = [&d, &e](cad::Entity::Type type, int color) {
            e.type = type;
            e.color = color;
            d.add(e);
            e = cad::Entity{};
        };
        e.a = {0, 0};
        e.b = {0.1, 1.0 / 3};
        e.layer = 2;
        add(cad::Entity::Type::Line, 1);
        e.centre = {1, 2};
        e.radius = 3;
        e.startAngle = 10;
        e.endAngle = 200;
        add(cad::Entity::Type::Arc, 0);
        e.centre = {4, 5};
        e.radius = 0.7;
        add(cad::Entity::Type::Circle, cad::colorByLayer);
        e.centre = {1, 1};
        e.majorAxis = {5, 1};
        e.ratio = 0.3;
        add(cad::Entity::Type::Ellipse, 255);
        e.insert = {3, 4};
        e.text = "通り芯 X1";
        e.height = 2.5;
        e.rotation = 30;
        add(cad::Entity::Type::Text, cad::colorByLayer);
        e.vertices = {{0, 0}, {10, 0}, {10, 10}};
        e.startWidth = e.endWidth = 2;
        e.closed = true;
        add(cad::Entity::Type::Polyline, cad::colorByLayer);
        e.vertices = {{0, 0}, {10, 0}, {10, 10}};
        e.endWidth = 5;
        add(cad::Entity::Type::Polyline, 7);
        const std::vector<cad::Point> loops{{0, 0}, {4, 0}, {4, 4}, {0, 0}, {1, 1}, {2, 1}, {2, 2}, {1, 1}};
        e.vertices = loops;
        add(cad::Entity::Type::Fill, 2);
        e.a = {1, 1};
        e.b = {1.6, 1.8};
        add(cad::Entity::Type::Ray, cad::colorByLayer);
        e.a = {1, 1};
        e.b = {1, 2};
        e.closed = true;
        add(cad::Entity::Type::Ray, 3);
        // In the file, colours as given and the line on the hidden layer too; here, as shown.
        QStringList expected{"version AC1015", "errors 0"};
        for (std::size_t i = 0; i < d.size(); ++i)
            expected << QString::fromStdString(cad::describe(d.at(i)));
        QStringList shown = q(cad::describe(d));
        e.vertices = loops;
        add(cad::Entity::Type::Fill, cad::colorBackground);
        expected << "P 0,0 4,0 4,4 closed"
                 << "P 1,1 2,1 2,2 closed";
        shown << "P 0,0 4,0 4,4 closed #3"
              << "P 1,1 2,1 2,2 closed #3";

        QTemporaryDir dir;
        const QString path = dir.filePath("kinds.dxf");
        QCOMPARE(cad::writeDxf(d, path.toStdString()), std::string());
        const cad::DxfReadResult back = cad::readDxf(path.toStdString());
        QVERIFY2(back.ok, back.error.c_str());
        QCOMPARE(q(cad::describe(back.drawing)), shown);
        QCOMPARE(back.drawing.layers().size(), d.layers().size());
        for (std::size_t i = 0; i < d.layers().size(); ++i) {
            cad::Layer layer = d.layers()[i];
            layer.made = false;
            QCOMPARE(back.drawing.layers()[i], layer);
        }
        QCOMPARE(back.drawing.currentLayer(), std::size_t(1));
        for (std::size_t i = 0; i < d.size(); ++i)
            QCOMPARE(back.drawing.at(i).layer, i == 0 ? 2 : 1);
        QCOMPARE(ezdxf("dump", path), expected);
        QCOMPARE(ezdxf("audit", path), QStringList{"errors 0 fixes 0"});
    }

    // Each symbol goes as an unnamed GROUP of its entities with its form, caption, base point
    // and inputs in our XDATA; what is no symbol's, or erased, is in none.
    void symbolsGoAsGroups()
    {
        cad::Drawing d;
        cad::Interpreter interpreter(d);
        interpreter.feed("LINE 0,0 100,0 \r");
        interpreter.beginSymbol({"fix100", "ＦＩＸ窓", {{"Combo1", "500"}, {"Combo2", "0"}}, {}}, true);
        interpreter.feed("LINE @0,50 @600,0 \rLINE 0,0 0,-50 \r");
        interpreter.endSymbol();
        interpreter.beginSymbol({"katabirakito100", "片開キ戸", {{"Combo1", "800"}, {"Option1", "1"}}, {}},
                                false);
        interpreter.feed("LINE 5,5 6,6 \rCIRCLE 7,7 1 ");
        interpreter.endSymbol();
        interpreter.beginSymbol({"kabe", "壁作図", {}, {}}, false);
        interpreter.feed("LINE 9,9 8,8 \r");
        interpreter.endSymbol();
        interpreter.feed("ERASE 8.5,8.5 \r");
        QTemporaryDir dir;
        const QString path = dir.filePath("symbols.dxf");
        QCOMPARE(cad::writeDxf(d, path.toStdString()), std::string());
        QCOMPARE(ezdxf("audit", path), QStringList{"errors 0 fixes 0"});
        QCOMPARE(ezdxf("groups", path),
                 (QStringList{"*A1: L 0,0 0,-50 | L 100,50 700,50", "  1000 fix100", "  1000 ＦＩＸ窓",
                              "  1010 100,0", "  1002 {", "  1000 Combo1", "  1000 500", "  1000 Combo2",
                              "  1000 0", "  1002 }", "*A2: C 7,7 1 | L 5,5 6,6", "  1000 katabirakito100",
                              "  1000 片開キ戸", "  1002 {", "  1000 Combo1", "  1000 800", "  1000 Option1",
                              "  1000 1", "  1002 }"}));
    }

    // Symbols are known again from the file they were saved in: a new file's GROUPs, an opened
    // R2018 file's groups (drawn into it, copied, erased; a group not ours keeps what is left of
    // it) and an R12 file's XDATA on the entities.
    void symbolsComeBackFromTheirFiles()
    {
        QTemporaryDir dir;
        const auto reopened = [](const QString &path) {
            cad::DxfReadResult r = cad::readDxf(path.toStdString(), cad::DxfLineReading::Direct, {}, true);
            return r;
        };
        // Saved as the host saves an opened file: the file edited.
        const auto save = [](const cad::DxfReadResult &r, const cad::Drawing &now, const QString &path) {
            const std::string bytes = r.source->edited(now, r.source->piecesShown(r.drawing));
            QFile file(path);
            return !bytes.empty() && file.open(QIODevice::WriteOnly) &&
                   file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
        };
        // Edited by a user's commands and saved so.
        const auto editedBy = [&](const cad::DxfReadResult &r, const char *commands, const QString &name) {
            cad::Drawing d = r.drawing;
            cad::Interpreter(d).feed(commands);
            const QString path = dir.filePath(name);
            return save(r, d, path) ? path : QString();
        };
        cad::Drawing drawn;
        drawFittings(drawn, {100, 0});
        const QStringList expected{
            "fix100 ＦＩＸ窓 @100,0 Combo1=600 Combo2=0 opening 100,0 700,0 100,-50 700,-50: "
            "L 100,-50 700,-50 | L 100,0 700,0",
            "katabirakito100 片開キ戸 Combo1=800: A 1100,0 800 0..90 | L 1100,0 1100,800"};
        QCOMPARE(symbolsOf(drawn), expected);
        const QString fresh = dir.filePath("new.dxf");
        QCOMPARE(cad::writeDxf(drawn, fresh.toStdString()), std::string());
        QCOMPARE(symbolsOf(reopened(fresh).drawing), expected);

        // An R2018 file of another program: its group POSTS holds a line and a circle.
        const QString other = dir.filePath("r2018.dxf");
        QVERIFY(ezdxf("make2018", other).isEmpty());
        const cad::DxfReadResult read = reopened(other);
        QVERIFY(read.ok && read.source);
        QVERIFY(symbolsOf(read.drawing).isEmpty());
        cad::Drawing edited = read.drawing;
        drawFittings(edited, {100, 0});
        cad::Interpreter(edited).feed("ERASE 0,90 \r");
        const QString saved = dir.filePath("saved.dxf");
        QVERIFY(save(read, edited, saved));
        QCOMPARE(ezdxf("audit", saved), QStringList{"errors 0 fixes 0"});
        const QStringList groups = ezdxf("groups", saved);
        QCOMPARE(groups.filter(":"), (QStringList{"POSTS: C 0,0 50", "*A1: L 100,-50 700,-50 | L 100,0 700,0",
                                                  "*A2: A 1100,0 800 0..90 | L 1100,0 1100,800"}));
        QVERIFY(groups.contains("  1000 fix100") && groups.contains("  1011 700,-50"));
        const cad::DxfReadResult again = reopened(saved);
        QCOMPARE(symbolsOf(again.drawing), expected);
        // A pick takes the symbol whole: copied, it is a new group; erased, its group goes.
        const QString copies = editedBy(again, "COPY 400,0 \r0,0 0,1000 \rERASE 1100,400 \r", "copies.dxf");
        QCOMPARE(ezdxf("audit", copies), QStringList{"errors 0 fixes 0"});
        QCOMPARE(ezdxf("groups", copies).filter(":"),
                 (QStringList{"POSTS: C 0,0 50", "*A1: L 100,-50 700,-50 | L 100,0 700,0",
                              "*A2: L 100,1000 700,1000 | L 100,950 700,950"}));
        QCOMPARE(symbolsOf(reopened(copies).drawing).size(), 2);

        // A window set into its wall keeps its opening: reopened, ERASE closes the wall again.
        cad::Drawing walled;
        {
            cad::Interpreter in(walled);
            in.feed("LINE 0,75 10000,75 \rLINE 0,-75 10000,-75 \r");
            in.armWallPick(1);
            in.feed("ID ");
            in.pick({3000, -30});
            in.beginSymbol({"hikitigai100", "引違イ窓", {{"Combo1", "1700"}, {"Combo2", "0"}}, {}}, true);
            in.feed("LINE @0,50 @1800,0   @0,-100 @-1800,0   @50,100 @0,-100   @1700,0 @0,100   "
                    "@-1700,-30 @900,0   @-100,-40 @900,0   @-850,170 @0,-300 \r");
            in.endSymbol();
        }
        QCOMPARE(cad::describe(walled).size(), std::size_t(4 + 2 + 7));
        const QString wall = dir.filePath("wall.dxf");
        QCOMPARE(cad::writeDxf(walled, wall.toStdString()), std::string());
        const cad::DxfReadResult wallRead = reopened(wall);
        cad::Drawing closed = wallRead.drawing;
        cad::Interpreter(closed).feed("ERASE 3900,0 \r");
        Lines whole = cad::describe(closed);
        std::sort(whole.begin(), whole.end());
        QCOMPARE(q(whole), q(Lines{"L 0,-75 10000,-75", "L 0,75 10000,75"}));

        // R12 has no groups: each entity carries the symbol, numbered.
        const QString r12 = dir.filePath("r12.dxf");
        QVERIFY(ezdxf("make12", r12).isEmpty());
        const cad::DxfReadResult old = reopened(r12);
        QVERIFY(old.ok && old.source);
        cad::Drawing inR12 = old.drawing;
        drawFittings(inR12, {100, 0});
        const QString savedR12 = dir.filePath("savedR12.dxf");
        QVERIFY(save(old, inR12, savedR12));
        QCOMPARE(ezdxf("dump", savedR12).mid(0, 2), (QStringList{"version AC1009", "errors 0"}));
        const QStringList xdata = ezdxf("xdata", savedR12);
        QCOMPARE(xdata.filter("  1071 "), (QStringList{"  1071 1", "  1071 1", "  1071 2", "  1071 2"}));
        const cad::DxfReadResult r12Again = reopened(savedR12);
        QCOMPARE(symbolsOf(r12Again.drawing), expected);
        // A copy carries a number of its own; an exploded door no symbol.
        const QString copiesR12 =
            editedBy(r12Again, "COPY 400,0 \r0,0 0,1000 \rEXPLODE 1100,400 \r", "copiesR12.dxf");
        QStringList numbers = ezdxf("xdata", copiesR12).filter("  1071 ");
        numbers.sort();
        QCOMPARE(numbers, (QStringList{"  1071 1", "  1071 1", "  1071 3", "  1071 3"}));
        QCOMPARE(symbolsOf(reopened(copiesR12).drawing),
                 (QStringList{expected[0], "fix100 ＦＩＸ窓 @100,1000 Combo1=600 Combo2=0: "
                                           "L 100,1000 700,1000 | L 100,950 700,950"}));
    }

    void readsWhatEzdxfWrites()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("ezdxf.dxf");
        QVERIFY(!ezdxf("make", path).contains("error"));
        const cad::DxfReadResult r = cad::readDxf(path.toStdString());
        QVERIFY2(r.ok, r.error.c_str());
        QCOMPARE(q(cad::describe(r.drawing)),
                 q(Lines{"L 0,0 100,50 #1", "P 0,0 10,0 10,10 w 2.5/2.5 closed", "T 5,5 30 90 ±0 通り芯",
                         "C 1,2 3", "A 0,0 10 45..135", "T 7.875,-1.25 2.5 0 skipped", "L 0,0 1,1"}));
        QCOMPARE(r.skipped, size_t(0)); // the MTEXT and the block reference are shown too
    }

    // Every kind of edit at once, byte for byte: layers changed and made, $CLAYER, a line moved
    // and copied (the copy's handle from $HANDSEED), one recoloured (its own group 62 added),
    // a circle erased, a line drawn; then $HANDSEED and $TDUUPDATE.
    void editsAreWrittenByteForByte()
    {
        const std::string file =
            "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$HANDSEED\n5\n30\n9\n$CLAYER\n8\n0\n"
            "9\n$TDUUPDATE\n40\n2450000.0\n0\nENDSEC\n"
            "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n5\n2\n70\n2\n"
            "0\nLAYER\n5\n10\n100\nAcDbSymbolTableRecord\n100\nAcDbLayerTableRecord\n2\n0\n70\n0\n62\n7\n6\n"
            "CONTINUOUS\n"
            "0\nLAYER\n5\n11\n100\nAcDbSymbolTableRecord\n100\nAcDbLayerTableRecord\n2\nWALL\n70\n0\n62\n1\n6"
            "\n"
            "CONTINUOUS\n0\nENDTAB\n0\nENDSEC\n"
            "0\nSECTION\n2\nENTITIES\n"
            "0\nLINE\n5\n20\n8\n0\n10\n0\n20\n0\n11\n10\n21\n0\n"
            "0\nLINE\n5\n21\n8\nWALL\n10\n0\n20\n5\n11\n10\n21\n5\n"
            "0\nCIRCLE\n5\n22\n8\n0\n10\n3\n20\n3\n40\n1\n"
            "0\nENDSEC\n0\nEOF\n";
        const cad::DxfReadResult r = cad::readDxfData(file, cad::DxfLineReading::Direct, {}, true);
        QVERIFY(r.ok && r.source && r.source->complete());
        QCOMPARE(r.drawing.size(), std::size_t(3));
        cad::Drawing d = r.drawing;
        cad::Layer wall = d.layers()[*d.findLayer("WALL")];
        wall.color = 3;
        d.changeLayer(*d.findLayer("WALL"), wall);
        cad::Layer made;
        made.name = "NEW";
        made.color = 5;
        d.setCurrentLayer(d.makeLayer(made));
        d.add(cad::moved(d.at(0), 0, 10));
        d.replaceAt(0, cad::moved(d.at(0), 1, 2));
        cad::Entity recoloured = d.at(1);
        recoloured.color = 4;
        recoloured.origin.color = 4;
        d.replaceAt(1, recoloured);
        d.erase({2});
        d.addLine({20, 20}, {30, 30}, 6);
        const auto now = std::chrono::system_clock::time_point(std::chrono::seconds(1'700'000'000));
        const std::string saved = r.source->edited(d, r.source->piecesShown(r.drawing), {}, now);
        const std::string expected =
            "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$HANDSEED\n5\n33\n9\n$CLAYER\n8\nNEW\n"
            "9\n$TDUUPDATE\n40\n2460263.925925926\n0\nENDSEC\n"
            "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n5\n2\n70\n2\n"
            "0\nLAYER\n5\n10\n100\nAcDbSymbolTableRecord\n100\nAcDbLayerTableRecord\n2\n0\n70\n0\n"
            "62\n7\n6\nCONTINUOUS\n0\nLAYER\n5\n11\n100\nAcDbSymbolTableRecord\n"
            "100\nAcDbLayerTableRecord\n2\nWALL\n70\n0\n62\n3\n6\nCONTINUOUS\n"
            "0\nLAYER\n5\n30\n330\n2\n100\nAcDbSymbolTableRecord\n100\nAcDbLayerTableRecord\n2\nNEW\n"
            "70\n0\n62\n5\n6\nCONTINUOUS\n0\nENDTAB\n0\nENDSEC\n"
            "0\nSECTION\n2\nENTITIES\n0\nLINE\n5\n20\n8\n0\n10\n1.0\n20\n2.0\n11\n11.0\n21\n2.0\n"
            "0\nLINE\n5\n31\n8\n0\n10\n0.0\n20\n10.0\n11\n10.0\n21\n10.0\n"
            "0\nLINE\n5\n21\n8\nWALL\n62\n4\n10\n0\n20\n5\n11\n10\n21\n5\n"
            "0\nLINE\n5\n32\n100\nAcDbEntity\n8\nNEW\n62\n6\n"
            "100\nAcDbLine\n10\n20.0\n20\n20.0\n30\n0.0\n11\n30.0\n21\n30.0\n31\n0.0\n"
            "0\nENDSEC\n0\nEOF\n";
        QCOMPARE(QString::fromStdString(saved), QString::fromStdString(expected));
    }

    void failedSavesLeaveNothingBehind()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("taken"));
        const std::string error = cad::writeDxf(sample(), dir.filePath("taken").toStdString());
        QVERIFY(!error.empty());
        QVERIFY(QFileInfo(dir.filePath("taken")).isDir());
        QVERIFY(!cad::writeDxf(sample(), dir.filePath("missing/x.dxf").toStdString()).empty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
    }

    void textEscapes_data()
    {
        QTest::addColumn<QString>("utf8");
        QTest::addColumn<QString>("escaped");
        QTest::newRow("ASCII stays") << "X1 ab"
                                     << "X1 ab";
        QTest::newRow("full-width plus") << "＋1000"
                                         << "\\U+FF0B1000";
        QTest::newRow("plus-minus") << "±0"
                                    << "\\U+00B10";
        QTest::newRow("kanji") << "通り芯"
                               << "\\U+901A\\U+308A\\U+82AF";
        QTest::newRow("beyond the basic plane") << "𠮷"
                                                << "\\U+D842\\U+DFB7";
        QTest::newRow("a line break would end the group") << "a\nb"
                                                          << "a b";
    }

    void textEscapes()
    {
        QFETCH(QString, utf8);
        QFETCH(QString, escaped);
        const std::string encoded = cad::encodeDxfText(utf8.toStdString());
        QCOMPARE(QString::fromStdString(encoded), escaped);
        if (!utf8.contains('\n')) QCOMPARE(QString::fromStdString(cad::decodeDxfText(encoded)), utf8);
    }

    void textDecodingForgivesOddInput()
    {
        QCOMPARE(cad::decodeDxfText("\\u+00e9t\xe9"),
                 std::string("ét\xc3\xa9"));                                     // lower case; a Latin-1 byte
        QCOMPARE(cad::decodeDxfText("\\U+D800x"), std::string("\xef\xbf\xbdx")); // a lone surrogate
        QCOMPARE(cad::decodeDxfText("\\U+12"), std::string("\\U+12"));           // too short to be one
        QCOMPARE(cad::encodeDxfText("\xff"), std::string("\\U+FFFD"));
    }

    void badFilesAreRefusedOrReadInPart_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("ok");
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("not a DXF") << QByteArray("\x89PNG\r\n\x1a\n garbage garbage") << false;
        QTest::newRow("text") << QByteArray("hello\nworld\n") << false;
        QTest::newRow("cut off inside a line")
            << QByteArray("0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n1\n20\n2\n11\n") << false;
        QTest::newRow("numbers that are not numbers")
            << QByteArray(
                   "0\nSECTION\n2\nENTITIES\n0\nCIRCLE\n10\nnan\n20\ninf\n40\n1e999\n0\nENDSEC\n0\nEOF\n")
            << true;
        // A million places of a million places of nothing: the places count against the limit of
        // what blocks draw, else this never ends.
        QTest::newRow("arrays of arrays of empty blocks")
            << QByteArray(
                   "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nA\n0\nINSERT\n2\nB\n70\n1000\n71\n1000\n0\nENDBLK\n"
                   "0\nBLOCK\n2\nB\n0\nINSERT\n2\nC\n70\n1000\n71\n1000\n0\nENDBLK\n0\nBLOCK\n2\nC\n0\nENDBLK"
                   "\n"
                   "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nINSERT\n2\nA\n0\nENDSEC\n0\nEOF\n")
            << true;
        // The arc of a bulge this small has a radius beyond any double: the chord is drawn.
        QTest::newRow("a bulge too small for its chord")
            << QByteArray(
                   "0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n90\n2\n10\n0\n20\n0\n42\n1e-310\n10\n5\n20\n5\n"
                   "0\nENDSEC\n0\nEOF\n")
            << true;
        // Turn by turn, an arc from 1e300 degrees never came round to its end.
        QTest::newRow("an arc edge starting beyond any turn")
            << QByteArray("0\nSECTION\n2\nENTITIES\n0\nHATCH\n2\nSOLID\n70\n1\n91\n1\n92\n1\n93\n1\n72\n2\n"
                          "10\n0\n20\n0\n40\n1\n50\n1e300\n51\n90\n73\n1\n0\nENDSEC\n0\nEOF\n")
            << true;
        // What precedes the first section in files of other writers.
        QTest::newRow("byte order mark, padded codes, comments")
            << QByteArray("\xEF\xBB\xBF"
                          "999\r\nwritten by hand\r\n  999\r\n\r\n  0\r\nSECTION\r\n"
                          "  2\r\nENTITIES\r\n  0\r\nLINE\r\n 10\r\n0\r\n 20\r\n0\r\n 11\r\n1\r\n"
                          " 21\r\n1\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n")
            << true;
        QTest::newRow("zeros") << QByteArray(4096, '\0') << false;
        // Its groups fall out of step after "11", so the end marker is never read as one.
        QTest::newRow("polyline claiming many vertices")
            << QByteArray("0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n90\n2000000000\n10\n1\n20\n1\n11\n0\nLWPOL"
                          "YLINE\n 90\n99999999999\r\n10\n1\n20\n1\n10\n2\n20\n2\n0\nENDSEC\n0\nEOF\n")
            << false;
    }

    void badFilesAreRefusedOrReadInPart()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ok);
        const cad::DxfReadResult r =
            cad::readDxfData(std::string_view(bytes.constData(), size_t(bytes.size())));
        QCOMPARE(r.ok, ok);
        if (!ok) QVERIFY(!r.error.empty());
        for (const cad::Entity &e : r.drawing.entities()) {
            QVERIFY(std::isfinite(e.centre.x) && std::isfinite(e.radius));
            for (const cad::Point p : e.vertices)
                QVERIFY(std::isfinite(p.x) && std::isfinite(p.y));
        }
    }
};

QTEST_GUILESS_MAIN(TestDxf)
#include "TestDxf.moc"
