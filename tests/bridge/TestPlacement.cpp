// What the LibreCAD bridge hands LibreCAD for what a script draws: the host's interpreter reads
// the script, placementsOf turns each entity into LibreCAD's terms.

#include "bridge/librecad/Placement.h"
#include "cad/command/Interpreter.h"
#include "rules/ButtonPress.h"
#include "symbols/Forms.h"

#include <QFile>
#include <QSet>
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

std::vector<Placement> placements(const std::string &script, int color = cad::colorByLayer)
{
    cad::Drawing drawing;
    cad::Interpreter interpreter(drawing);
    interpreter.feed("DDCOLOR ");
    interpreter.chooseColor(color);
    interpreter.feed(script);
    std::vector<Placement> out;
    for (const cad::Entity &e : drawing.entities())
        for (const Placement &p : bridge::placementsOf(e))
            out.push_back(p);
    return out;
}

QStringList placed(const std::string &script, int color = cad::colorByLayer)
{
    QStringList out;
    for (const Placement &p : placements(script, color))
        out << described(p);
    return out;
}

// The characters a LibreCAD font (.lff) draws: each glyph begins with its code, "[00B1] ±".
QSet<uint> glyphsOf(const QString &path)
{
    QSet<uint> glyphs;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return glyphs;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (!line.startsWith('[')) continue;
        const int close = line.indexOf(']');
        bool ok = false;
        const uint code = line.mid(1, close - 1).replace("#", "").toUInt(&ok, 16);
        if (close > 1 && ok) glyphs.insert(code);
    }
    return glyphs;
}

// Every text the forms write: each draw button of each form pressed with each item of each
// list, the rest as the form starts (a blank number box given 1).
QSet<uint> charactersTheFormsWrite()
{
    QSet<uint> chars;
    for (const quendra::FormDefinition *form : quendra::allForms()) {
        quendra::FormState start = form->initialState();
        for (const quendra::Control &c : form->controls)
            if (c.kind == quendra::Control::Kind::Text && c.text.empty()) start.setText(c.name, "1");
        std::vector<quendra::FormState> states{start};
        for (const quendra::Control &c : form->controls)
            for (const std::string &item : c.items) {
                states.push_back(start);
                states.back().setText(c.name, item);
            }
        for (const quendra::FormState &state : states)
            for (const quendra::Button &b : form->buttons) {
                if (b.role != quendra::Button::Role::Draw) continue;
                std::string scripts;
                for (const quendra::Event &e : quendra::press(*form, state, b.name).outcome.events)
                    scripts += e.script;
                for (const Placement &p : placements(scripts))
                    if (p.kind == Placement::Kind::Text)
                        for (uint code : QString::fromStdString(p.text).toUcs4())
                            chars.insert(code);
            }
    }
    return chars;
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
        // A sheet frame's wide border: both edges of the band, its corners whole.
        QTest::newRow("wide closed polyline: the outer and the inner edge, corners mitred")
            << std::string("PLINE 0,0 w 2  @10,0 @0,10 @-10,0 c ") << 256
            << QStringList{"polyline 1,1 9,1 9,9 1,9 closed", "polyline -1,-1 11,-1 11,11 -1,11 closed"};
        QTest::newRow("wide open polyline: one outline round the band")
            << std::string("PLINE 0,0 w 2  @10,0 @0,10 \r") << 256
            << QStringList{"polyline 0,1 9,1 9,10 11,10 11,-1 0,-1 closed"};
    }
    void mapsEachKind()
    {
        QFETCH(std::string, script);
        QFETCH(int, color);
        QFETCH(QStringList, expected);
        QCOMPARE(placed(script, color), expected);
    }

    // A character missing from LibreCAD's font shows as a diamond (the level mark's ＋ and ±).
    void theFontHoldsWhatTheFormsWrite()
    {
        const QString font = QStringLiteral("/usr/share/librecad/fonts/%1.lff").arg(bridge::textFont);
        if (!QFile::exists(font)) QSKIP("LibreCAD's fonts are not installed");
        const QSet<uint> glyphs = glyphsOf(font);
        const QSet<uint> written = charactersTheFormsWrite();
        for (const char *sign : {"＋", "－", "±", "X", "W"})
            QVERIFY2(written.contains(QString::fromUtf8(sign).toUcs4().front()), sign);
        QStringList missing;
        for (uint code : written)
            if (!glyphs.contains(code))
                missing << QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1);
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(' ')));
    }
};

QTEST_GUILESS_MAIN(TestPlacement)
#include "TestPlacement.moc"
