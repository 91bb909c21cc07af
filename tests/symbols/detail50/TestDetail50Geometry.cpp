// The geometric oracle: the scripts replayed through the CAD interpreter. The angle-0 drawing of
// the left side (left hinge, left jamb) lies where the tables' effect columns put it; every other
// side is its mirror and every other angle its turn about the base point.

#include "symbols/Forms.h"
#include "tests/support/FormHarness.h"
#include "tests/support/Geometry.h"

#include <QTest>

using namespace quendra;

namespace {

using Path = std::vector<cad::Point>;

// The line segments of open paths, in drawing order.
std::vector<cad::Entity> lines(const std::vector<Path> &paths)
{
    std::vector<cad::Entity> out;
    for (const Path &p : paths)
        for (size_t i = 1; i < p.size(); ++i) {
            cad::Entity e;
            e.type = cad::Entity::Type::Line;
            e.a = p[i - 1];
            e.b = p[i];
            out.push_back(e);
        }
    return out;
}

cad::Entity arc(cad::Point centre, double radius, double start, double end)
{
    cad::Entity e;
    e.type = cad::Entity::Type::Arc;
    e.centre = centre;
    e.radius = radius;
    e.startAngle = start;
    e.endAngle = end;
    return e;
}

// A form, its inputs and where its left, angle-0 drawing lies. The drawing splits at DDCOLOR:
// `beforeColour` entities come first.
struct Symbol
{
    std::string form;
    harness::Inputs inputs;
    std::vector<cad::Entity> effect;
    size_t beforeColour = 0;
    bool sides = true;
    double mirrorAxis = 0; // x of the axis the right side mirrors the left about
};

Symbol slidingWindow()
{
    const double W = 1155, M = 70, S = 25, h = W / 2;
    const std::vector<Path> before = {
        {{-40, 35}, {0, 35}},
        {{-40, -35}, {0, -35}},
        {{-20, 35}, {-20, -35}},
        {{-15, -35}, {-15, -M - 35}, {-40, -M - 35}, {-40, -35}},
        {{W + 40, 35}, {W, 35}},
        {{W + 40, -35}, {W, -35}},
        {{W + 20, 35}, {W + 20, -35}},
        {{W + 15, -35}, {W + 15, -M - 35}, {W + 40, -M - 35}, {W + 40, -35}},
        {{0, 30}, {40, 30}, {40, 0}, {0, 0}},
        {{40, 15}, {h - 20, 15}},
        {{h + 20, 30}, {h - 20, 30}, {h - 20, 0}, {h + 20, 0}, {h + 20, -30}, {h - 20, -30}},
        {{h + 20, -15}, {W - 40, -15}},
        {{W, 0}, {W - 40, 0}, {W - 40, -30}, {W, -30}},
    };
    const std::vector<Path> after = {
        {{0, 35}, {W, 35}},
        {{0, -35}, {W, -35}},
        {{-15, -M - 35}, {W + 15, -M - 35}},
        {{-65, S + 65}, {-65, S + 80}, {W + 65, S + 80}, {W + 65, S + 65}},
        {{h, S + 165}, {h, S - 135}},
    };
    Symbol s{"hikitigai50", {{"Combo1", "1155"}, {"Combo3", "70"}, {"Text1", "25"}}, lines(before), 0, false};
    s.beforeColour = s.effect.size();
    const auto rest = lines(after);
    s.effect.insert(s.effect.end(), rest.begin(), rest.end());
    return s;
}

Symbol swingDoor()
{
    const double W = 750, D = 20 + 125 + 10, h = D / 2;
    const std::vector<Path> before = {
        {{-40, -h + 80}, {0, -h + 80}, {0, -h + 40}, {-15, -h + 40}, {-15, -h}, {-40, -h}, {-40, -h + 30}},
        {{-15, -h + 80}, {-15, h}, {-40, h}, {-40, -h + 80}},
        {{W + 40, -h + 80},
         {W, -h + 80},
         {W, -h + 40},
         {W + 15, -h + 40},
         {W + 15, -h},
         {W + 40, -h},
         {W + 40, -h + 30}},
        {{W + 15, -h + 80}, {W + 15, h}, {W + 40, h}, {W + 40, -h + 80}},
        {{-10, -h + 35}, {W + 10, -h + 35}, {W + 10, -h + 5}, {-10, -h + 5}, {-10, -h + 35}},
    };
    const std::vector<Path> after = {
        {{-10, -h + 5}, {-10, -h - W - 15}},   {{-15, h}, {W + 15, h}},
        {{0, -h + 80}, {W, -h + 80}},          {{-15, -h}, {W + 15, -h}},
        {{W / 2, h + 100}, {W / 2, -h - 100}},
    };
    Symbol s{"katabiraki50",
             {{"Combo1", "750"}, {"Combo5", "125"}, {"Combo3", "10"}, {"Combo4", "20"}},
             lines(before)};
    s.beforeColour = s.effect.size();
    const auto rest = lines(after);
    s.effect.insert(s.effect.end(), rest.begin(), rest.end());
    s.effect.push_back(arc({-10, -h + 5}, W + 20, 270, 0));
    // The right hinge is the left one mirrored about the middle of the opening.
    s.mirrorAxis = W / 2;
    return s;
}

Symbol aluminiumFrame()
{
    const double U = 30, D = 40, M = 55, T = 12, G = 20;
    return {"arumiwaku",
            {{"Text1", "30"}, {"Text2", "40"}, {"Text3", "55"}, {"Text4", "12"}, {"Text5", "20"}},
            lines({{{-40, U}, {0, U}},
                   {{-40, -D}, {0, -D}},
                   {{-20, U}, {-20, -D}},
                   {{-T, -D}, {-T, -D - M}, {-T - G, -D - M}, {-T - G, -D}}})};
}

Symbol steelFrame()
{
    const double M = 45, E = 25, T = 12, G = 20;
    return {
        "sutiruwaku",
        {{"Text1", "45"}, {"Text2", "25"}, {"Text4", "12"}, {"Text5", "20"}},
        lines({{{-40, E}, {0, E}, {0, E - 40}, {-15, E - 40}, {-15, E - 80}, {-40, E - 80}, {-40, E - 50}},
               {{-T, E}, {-T, E + M}, {-T - G, E + M}, {-T - G, E}}})};
}

Symbol swingDoorFrame()
{
    const double k = 125.0 / 2;
    return {"mokuhiraki",
            {{"Combo1", "125"}},
            lines({{{0, -k + 69}, {-21, -k + 69}, {-21, -k + 44}, {0, -k + 44}, {0, -k + 69}},
                   {{-12, -k + 69},
                    {-12, k},
                    {-21, k},
                    {-21, k - 15},
                    {-30, k - 15},
                    {-30, k},
                    {-37, k},
                    {-37, -k},
                    {-30, -k},
                    {-30, -k + 15},
                    {-21, -k + 15},
                    {-21, -k},
                    {-12, -k},
                    {-12, -k + 44}},
                   {{-21, k}, {-21, k + 15}, {-56, k + 15}, {-56, k}, {-37, k}},
                   {{-37, -k}, {-56, -k}, {-56, -k - 15}, {-21, -k - 15}, {-21, -k}}})};
}

Symbol slidingDoorFrame()
{
    const double k = 125.0 / 2;
    return {"mokuhikito",
            {{"Combo1", "125"}},
            lines({{{0, k},
                    {-9, k},
                    {-9, k - 15},
                    {-18, k - 15},
                    {-18, k},
                    {-25, k},
                    {-25, -k},
                    {-18, -k},
                    {-18, -k + 15},
                    {-9, -k + 15},
                    {-9, -k},
                    {0, -k},
                    {0, k}},
                   {{-9, k}, {-9, k + 15}, {-44, k + 15}, {-44, k}, {-25, k}},
                   {{-25, -k}, {-44, -k}, {-44, -k - 15}, {-9, -k - 15}, {-9, -k}}})};
}

std::vector<Symbol> symbols()
{
    return {slidingWindow(), swingDoor(),      aluminiumFrame(),
            steelFrame(),    swingDoorFrame(), slidingDoorFrame()};
}

harness::Inputs withCase(const Symbol &s, bool right, int angle)
{
    harness::Inputs in = s.inputs;
    if (s.sides) in.push_back({right ? "Option2" : "Option1", "1"});
    const bool frame = s.form != "hikitigai50" && s.form != "katabiraki50";
    if (frame)
        in.push_back({"Option" + std::to_string(3 + angle / 90), "1"});
    else
        in.push_back({"Combo2", std::to_string(angle)});
    return in;
}

std::vector<cad::Entity> replayed(const Symbol &s, bool right, int angle, cad::Point base = {0, 0})
{
    const FormDefinition &f = *findForm(s.form);
    return cad::replay(harness::scripts(harness::press(f, "Command2", withCase(s, right, angle))), base)
        .entities();
}

std::vector<cad::Entity> coloured(std::vector<cad::Entity> all, const std::vector<cad::Entity> &like)
{
    for (cad::Entity &e : all)
        e.color = like.empty() ? e.color : like.front().color;
    return all;
}

QString listed(const std::vector<cad::Entity> &all)
{
    QStringList out;
    for (const cad::Entity &e : all)
        out << QString::fromStdString(geometry::describe(e));
    return out.join("\n");
}

} // namespace

class TestDetail50Geometry : public QObject
{
    Q_OBJECT

private slots:
    void drawsWhereTheEffectColumnsSay()
    {
        for (const Symbol &s : symbols()) {
            const auto drawn = replayed(s, false, 0);
            const auto expected = coloured(s.effect, drawn);
            QVERIFY2(geometry::sameDrawing(drawn, expected),
                     qPrintable(QString::fromStdString(s.form) + "\n" + listed(drawn)));
            if (s.beforeColour == 0) continue;
            // The lines drawn before DDCOLOR come first.
            const std::vector<cad::Entity> first(drawn.begin(), drawn.begin() + long(s.beforeColour));
            const std::vector<cad::Entity> wanted(expected.begin(), expected.begin() + long(s.beforeColour));
            QVERIFY2(geometry::sameDrawing(first, wanted), s.form.c_str());
        }
    }

    void turnsEverySideAboutTheBasePoint()
    {
        for (const Symbol &s : symbols())
            for (const bool right : {false, true}) {
                if (right && !s.sides) continue;
                const auto atZero = replayed(s, right, 0);
                for (const int angle : {90, 180, 270})
                    QVERIFY2(
                        geometry::sameDrawing(replayed(s, right, angle), geometry::turned(atZero, angle)),
                        qPrintable(QString("%1 %2 %3").arg(s.form.c_str()).arg(right).arg(angle)));
            }
    }

    void mirrorsTheLeftSide()
    {
        for (const Symbol &s : symbols()) {
            if (!s.sides) continue;
            // Mirroring about x = a is mirroring about the base point after moving it to -2a.
            const auto left = replayed(s, false, 0, {-2 * s.mirrorAxis, 0});
            QVERIFY2(geometry::sameDrawing(replayed(s, true, 0), geometry::mirrored(left)), s.form.c_str());
        }
    }
};

QTEST_GUILESS_MAIN(TestDetail50Geometry)
#include "TestDetail50Geometry.moc"
