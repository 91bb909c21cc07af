// What the LibreCAD bridge hands LibreCAD for what a script draws: the host's interpreter reads
// the script, placementsOf turns each entity into LibreCAD's terms.

#include "bridge/librecad/Placement.h"
#include "cad/command/Interpreter.h"

#include <QStringList>
#include <QTest>

#include <cmath>

using bridge::Placement;

namespace {

QString n(double v)
{
    const double r = std::round(v * 1e6) / 1e6;
    return QString::number(r == 0 ? 0.0 : r, 'g', 12);
}

QString described(const Placement &p)
{
    static const char *kinds[] = {"line", "circle", "arc", "ellipse", "text", "polyline"};
    QString s = kinds[static_cast<int>(p.kind)];
    for (const cad::Point &q : p.points)
        s += " " + n(q.x) + "," + n(q.y);
    if (p.kind == Placement::Kind::Circle || p.kind == Placement::Kind::Arc) s += " r" + n(p.radius);
    if (p.kind == Placement::Kind::Arc) s += " " + n(p.startAngle) + ".." + n(p.endAngle);
    if (p.kind == Placement::Kind::Ellipse) s += " ratio " + n(p.ratio);
    if (p.kind == Placement::Kind::Text)
        s += " h" + n(p.height) + " rad " + n(p.rotation) + " " + QString::fromStdString(p.text);
    if (p.closed) s += " closed";
    if (p.color != cad::colorByLayer) s += " colour " + QString::number(p.color);
    return s;
}

QStringList placed(const std::string &script, int color = cad::colorByLayer)
{
    cad::Drawing drawing;
    cad::Interpreter interpreter(drawing);
    interpreter.feed("DDCOLOR ");
    interpreter.chooseColor(color);
    interpreter.feed(script);
    QStringList out;
    for (const cad::Entity &e : drawing.entities())
        for (const Placement &p : bridge::placementsOf(e))
            out << described(p);
    return out;
}

} // namespace

class TestPlacement : public QObject
{
    Q_OBJECT

private slots:
    void mapsEachKind_data()
    {
        QTest::addColumn<std::string>("script");
        QTest::addColumn<int>("color");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("line, in the colour chosen")
            << std::string("LINE 0,0 @100,0 \r") << 1 << QStringList{"line 0,0 100,0 colour 1"};
        QTest::newRow("arc by its centre: degrees, counter-clockwise")
            << std::string("LINE 10,10 \rARC c @0,-10 @10,0 @0,10 ") << 256
            << QStringList{"arc 10,0 r10 0..90"};
        QTest::newRow("circle") << std::string("CIRCLE 5,5 2.5 ") << 256 << QStringList{"circle 5,5 r2.5"};
        QTest::newRow("ellipse: its major axis relative to the centre")
            << std::string("ELLIPSE c 0,0 @0,40 @20,0 ") << 256 << QStringList{"ellipse 0,0 0,40 ratio 0.5"};
        QTest::newRow("Japanese text, its rotation in radians")
            << std::string("DTEXT j m 30,40 250 90 通り芯 Ａ\r\r") << 3
            << QStringList{"text 30,40 h250 rad 1.570796 通り芯 Ａ colour 3"};
        QTest::newRow("thin polyline stays one, closed")
            << std::string("PLINE 0,0 w 0  @10,0 @0,10 c ") << 256
            << QStringList{"polyline 0,0 10,0 10,10 closed"};
        QTest::newRow("wide polyline: the outline of each band, the closing one too")
            << std::string("PLINE 0,0 w 2  @10,0 @0,10 c ") << 256
            << QStringList{"polyline 0,1 10,1 10,-1 0,-1 closed", "polyline 9,0 9,10 11,10 11,0 closed",
                           "polyline 10.707107,9.292893 0.707107,-0.707107 -0.707107,0.707107 "
                           "9.292893,10.707107 closed"};
    }
    void mapsEachKind()
    {
        QFETCH(std::string, script);
        QFETCH(int, color);
        QFETCH(QStringList, expected);
        QCOMPARE(placed(script, color), expected);
    }
};

QTEST_GUILESS_MAIN(TestPlacement)
#include "TestPlacement.moc"
