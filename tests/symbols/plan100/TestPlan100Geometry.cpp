// The geometric oracle: each fitting's scripts replayed through the CAD interpreter. At angle 0
// the drawing lies where the tables' effect columns put it; at 90, 180 and 270 it is that drawing
// turned about the base point, for each hinge side.

#include "symbols/Forms.h"
#include "tests/support/FormHarness.h"
#include "tests/support/Geometry.h"

#include <QTest>

using namespace quendra;

namespace {

cad::Entity line(double x1, double y1, double x2, double y2)
{
    cad::Entity e;
    e.type = cad::Entity::Type::Line;
    e.a = {x1, y1};
    e.b = {x2, y2};
    return e;
}

cad::Entity arc(double cx, double cy, double radius, double start, double end)
{
    cad::Entity e;
    e.type = cad::Entity::Type::Arc;
    e.centre = {cx, cy};
    e.radius = radius;
    e.startAngle = start;
    e.endAngle = end;
    return e;
}

using Entities = std::vector<cad::Entity>;

// The wall stretch W + 100 long and 100 thick, and the jambs 50 in from its ends.
Entities wallAndJambs(double W)
{
    return {line(0, 50, W + 100, 50), line(W + 100, -50, 0, -50), line(50, 50, 50, -50),
            line(W + 50, -50, W + 50, 50)};
}

Entities operator+(Entities a, const Entities &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A form with inputs (widths, hinge side) and where its angle-0 drawing lies.
struct Symbol
{
    std::string tag;
    std::string form;
    harness::Inputs inputs;
    Entities effect;
};

// Widths with fractions in their halves and quarters, so that a formula in the wrong order shows.
std::vector<Symbol> symbols()
{
    std::vector<Symbol> all;
    {
        const double W = 627.5;
        all.push_back(
            {"fix100", "fix100", {{"Combo1", "627.5"}}, wallAndJambs(W) + Entities{line(W + 50, 0, 50, 0)}});
    }
    for (const char *form : {"hikitigai100", "hikitigaito100"}) {
        const double W = 1155;
        all.push_back(
            {form,
             form,
             {{"Combo1", "1155"}},
             wallAndJambs(W) + Entities{line(50, 20, W / 2 + 100, 20), line(W / 2, -20, W + 50, -20),
                                        line(W / 2 + 50, 150, W / 2 + 50, -150)}});
    }
    {
        const double W = 3450;
        all.push_back({"yonhonhiki100",
                       "yonhonhiki100",
                       {{"Combo1", "3450"}},
                       wallAndJambs(W) +
                           Entities{line(50, 20, W / 4 + 100, 20), line(W / 4, -20, W * 3 / 4 + 100, -20),
                                    line(W * 3 / 4, 20, W + 50, 20), line(W / 4 + 50, 150, W / 4 + 50, -150),
                                    line(W / 2 + 50, 150, W / 2 + 50, -150),
                                    line(W * 3 / 4 + 50, 150, W * 3 / 4 + 50, -150)}});
    }
    {
        const double W = 555, h = W / 2;
        all.push_back(
            {"tatejiku100",
             "tatejiku100",
             {{"Combo1", "555"}},
             wallAndJambs(W) + Entities{line(W + 50, 0, 50, 0), line(h + 50, h + 50, h + 50, -(h + 50)),
                                        arc(h + 50, 50, h, 0, 90), arc(h + 50, -50, h, 180, 270)}});
    }
    for (const bool window : {true, false}) {
        const double W = 755;
        const std::string form = window ? "katabiraki100" : "katabirakito100";
        const Entities closed = window ? Entities{line(50, 0, W + 50, 0)} : Entities{};
        all.push_back(
            {form + " side 1",
             form,
             {{"Combo1", "755"}, {"Option1", "1"}},
             wallAndJambs(W) + closed + Entities{line(50, -50, 50, -50 - W), arc(50, -50, W, 270, 360)}});
        all.push_back({form + " side 2",
                       form,
                       {{"Combo1", "755"}, {"Option2", "1"}},
                       wallAndJambs(W) + closed +
                           Entities{line(W + 50, -50, W + 50, -50 - W), arc(W + 50, -50, W, 180, 270)}});
    }
    {
        const double W1 = 800, W2 = 455;
        all.push_back({"ryouhiraki100",
                       "ryouhiraki100",
                       {{"Combo1", "800"}, {"Combo3", "455"}},
                       wallAndJambs(W1 + W2) +
                           Entities{line(W1 + 50, 50, W1 + 50, -50), line(50, -50, 50, -50 - W1),
                                    line(W1 + W2 + 50, -50, W1 + W2 + 50, -50 - W2), arc(50, -50, W1, 270, 0),
                                    arc(W1 + W2 + 50, -50, W2, 180, 270)}});
    }
    {
        const double W = 555;
        all.push_back(
            {"kataorito100",
             "kataorito100",
             {{"Combo1", "555"}},
             wallAndJambs(W) + Entities{line(50, -50, 150, -50 - W / 2), line(150, -50 - W / 2, 250, -50),
                                        line(W / 2 + 50, 150, W / 2 + 50, -150)}});
    }
    {
        const double W = 1650;
        all.push_back(
            {"ryouorito100",
             "ryouorito100",
             {{"Combo1", "1650"}},
             wallAndJambs(W) + Entities{line(50, -50, 150, -50 - W / 4), line(150, -50 - W / 4, 250, -50),
                                        line(W + 50, -50, W - 50, -50 - W / 4),
                                        line(W - 50, -50 - W / 4, W - 150, -50),
                                        line(W / 2 + 50, 150, W / 2 + 50, -150)}});
    }
    return all;
}

Entities replayed(const Symbol &s, int angle, cad::Point base = {0, 0})
{
    harness::Inputs inputs = s.inputs;
    inputs.emplace_back("Combo2", std::to_string(angle));
    const auto p = harness::press(*findForm(s.form), "Command2", inputs);
    return cad::replay(harness::scripts(p), base).entities();
}

Entities moved(Entities all, cad::Point by)
{
    const auto move = [by](cad::Point &p) { p = {p.x + by.x, p.y + by.y}; };
    for (cad::Entity &e : all) {
        move(e.a);
        move(e.b);
        move(e.centre);
    }
    return all;
}

QString described(const Entities &all)
{
    QStringList out;
    for (const cad::Entity &e : all)
        out << QString::fromStdString(geometry::describe(e));
    return out.join("\n");
}

} // namespace

class TestPlan100Geometry : public QObject
{
    Q_OBJECT

private slots:
    void drawsWhereTheEffectColumnsSay()
    {
        for (const Symbol &s : symbols()) {
            const Entities drawn = replayed(s, 0);
            if (!geometry::sameDrawing(drawn, s.effect))
                qWarning().noquote() << s.tag.c_str() << "drew\n"
                                     << described(drawn) << "\nexpected\n"
                                     << described(s.effect);
            QVERIFY2(geometry::sameDrawing(drawn, s.effect), s.tag.c_str());
        }
    }

    void turnsAboutTheBasePoint()
    {
        for (const Symbol &s : symbols()) {
            for (int angle : {90, 180, 270}) {
                const Entities drawn = replayed(s, angle);
                const std::string tag = s.tag + " at " + std::to_string(angle);
                if (!geometry::sameDrawing(drawn, geometry::turned(s.effect, angle)))
                    qWarning().noquote() << tag.c_str() << "drew\n" << described(drawn);
                QVERIFY2(geometry::sameDrawing(drawn, geometry::turned(s.effect, angle)), tag.c_str());
            }
        }
    }

    // Every point counts from the picked base point, none is absolute.
    void drawsFromThePickedBasePoint()
    {
        const cad::Point base{1000, 2000};
        for (const Symbol &s : symbols())
            QVERIFY2(
                geometry::sameDrawing(replayed(s, 270, base), moved(geometry::turned(s.effect, 270), base)),
                s.tag.c_str());
    }
};

QTEST_GUILESS_MAIN(TestPlan100Geometry)
#include "TestPlan100Geometry.moc"
