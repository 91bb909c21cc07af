#include "symbols/elements/hasira.h"
#include "symbols/elements/kabe.h"
#include "symbols/elements/reberu.h"
#include "symbols/elements/tategukigou.h"
#include "symbols/elements/tourisin.h"
#include "symbols/elements/zumenwaku.h"
#include "tests/support/FormHarness.h"
#include "tests/support/Geometry.h"

#include <QTest>

#include <algorithm>

using namespace quendra;
using harness::Inputs;
using Type = cad::Entity::Type;

namespace {

std::vector<cad::Entity> drawn(const FormDefinition &form, const std::string &button, const Inputs &inputs,
                               cad::Point base = {0, 0})
{
    const auto p = harness::press(form, button, inputs);
    return cad::replay(harness::scripts(p), base).entities();
}

std::vector<cad::Entity> ofType(const std::vector<cad::Entity> &all, Type type)
{
    std::vector<cad::Entity> out;
    std::copy_if(all.begin(), all.end(), std::back_inserter(out),
                 [&](const cad::Entity &e) { return e.type == type; });
    return out;
}

std::string dump(const std::vector<cad::Entity> &all)
{
    std::string s;
    for (const cad::Entity &e : all)
        s += geometry::describe(e) + "\n";
    return s;
}

struct Box
{
    double left, bottom, right, top;
};

Box boxOf(const cad::Entity &polyline)
{
    Box b{1e300, 1e300, -1e300, -1e300};
    for (const cad::Point &v : polyline.vertices) {
        b.left = std::min(b.left, v.x), b.right = std::max(b.right, v.x);
        b.bottom = std::min(b.bottom, v.y), b.top = std::max(b.top, v.y);
    }
    return b;
}

// A closed polyline of four corners that are exactly the corners of its box.
bool isClosedRectangle(const cad::Entity &e)
{
    if (e.type != Type::Polyline || !e.closed || e.vertices.size() != 4) return false;
    const Box b = boxOf(e);
    return std::all_of(e.vertices.begin(), e.vertices.end(), [&](const cad::Point &v) {
        return (geometry::near(v.x, b.left) || geometry::near(v.x, b.right)) &&
               (geometry::near(v.y, b.bottom) || geometry::near(v.y, b.top));
    });
}

} // namespace

class TestElementGeometry : public QObject
{
    Q_OBJECT

private slots:
    void wallFacesAndFinishLinesLieAtTheirOffsets()
    {
        const Inputs sizes = {
            {"Combo1", "60"}, {"Combo2", "75"}, {"Text1", "2400"}, {"Text2", "10"}, {"Text3", "30"}};
        Inputs plain = sizes;
        const auto faces = drawn(kabe(), "Command2", plain);
        QVERIFY2(faces.size() == 2, dump(faces).c_str());
        QVERIFY(geometry::hasLine(faces, {0, 60}, {2400, 60}));
        QVERIFY(geometry::hasLine(faces, {0, -75}, {2400, -75}));

        Inputs finish = sizes;
        finish.push_back({"Option2", "1"});
        const auto all = drawn(kabe(), "Command2", finish);
        QVERIFY2(all.size() == 4, dump(all).c_str());
        for (double y : {60.0, -75.0, 70.0, -105.0})
            QVERIFY2(geometry::hasLine(all, {0, y}, {2400, y}), dump(all).c_str());
    }

    void verticalWallIsTheHorizontalOneTurned()
    {
        for (const char *finish : {"Option1", "Option2"}) {
            const Inputs in = {{"Combo1", "60"}, {"Combo2", "75"}, {"Text1", "2400"}, {finish, "1"}};
            Inputs vertical = in;
            vertical.push_back({"Option4", "1"});
            const auto flat = drawn(kabe(), "Command2", in);
            const auto upright = drawn(kabe(), "Command2", vertical);
            QVERIFY2(geometry::sameDrawing(upright, geometry::turned(flat, 90)), dump(upright).c_str());
        }
    }

    // For each of the nine buttons the column closes round the place the button stands for.
    void columnClosesAroundEachBasePoint_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("bottom");
        const double W = 400, H = 300, S = 75;
        QTest::newRow("1 centre") << "Option1" << -W / 2 << -H / 2;
        QTest::newRow("2 top left") << "Option2" << S << -(H + S);
        QTest::newRow("3 top right") << "Option3" << -(W + S) << -(H + S);
        QTest::newRow("4 bottom left") << "Option4" << S << S;
        QTest::newRow("5 bottom right") << "Option5" << -(W + S) << S;
        QTest::newRow("6 top centre") << "Option6" << -W / 2 << -(H + S);
        QTest::newRow("7 bottom centre") << "Option7" << -W / 2 << S;
        QTest::newRow("8 middle left") << "Option8" << S << -H / 2;
        QTest::newRow("9 middle right") << "Option9" << -(W + S) << -H / 2;
    }
    void columnClosesAroundEachBasePoint()
    {
        QFETCH(QString, option);
        QFETCH(double, left);
        QFETCH(double, bottom);
        const cad::Point base{1000, 2000};
        const auto all =
            drawn(hasira(), "Command2",
                  {{"Combo1", "400"}, {"Combo2", "300"}, {"Text1", "75"}, {option.toStdString(), "1"}}, base);
        QVERIFY2(all.size() == 1 && isClosedRectangle(all[0]), dump(all).c_str());
        QVERIFY(geometry::near(all[0].startWidth, 0) && geometry::near(all[0].endWidth, 0));
        const Box b = boxOf(all[0]);
        QVERIFY2(geometry::near(b.left, base.x + left) && geometry::near(b.bottom, base.y + bottom) &&
                     geometry::near(b.right, base.x + left + 400) &&
                     geometry::near(b.top, base.y + bottom + 300),
                 dump(all).c_str());
    }

    // The number stands at the centre of its bubble, and the bubble touches the end of the grid line.
    void gridBubbleHoldsItsNumber()
    {
        const struct
        {
            const char *option;
            double R, Ht;
        } scales[] = {{"Option1", 350, 300},
                      {"Option2", 175, 150},
                      {"Option3", 105, 90},
                      {"Option4", 70, 60},
                      {"Option5", 35, 30}};
        const struct
        {
            const char *text, *draw, *label;
            cad::Point direction;
        } groups[] = {{"Text1", "Command2", "X4", {0, 1}},
                      {"Text2", "Command6", "X4", {0, -1}},
                      {"Text3", "Command8", "Y4", {-1, 0}},
                      {"Text4", "Command10", "Y4", {1, 0}}};
        for (const auto &scale : scales)
            for (const auto &g : groups) {
                const auto all = drawn(tourisin(), g.draw, {{scale.option, "1"}, {g.text, "4"}});
                const auto circles = ofType(all, Type::Circle);
                const auto texts = ofType(all, Type::Text);
                QVERIFY2(all.size() == 2 && circles.size() == 1 && texts.size() == 1, dump(all).c_str());
                const cad::Point centre{g.direction.x * scale.R, g.direction.y * scale.R};
                QVERIFY2(geometry::near(circles[0].centre, centre), dump(all).c_str());
                QCOMPARE(circles[0].radius, scale.R);
                QVERIFY2(geometry::near(texts[0].insert, centre), dump(all).c_str());
                QCOMPARE(texts[0].text, std::string(g.label));
                QCOMPARE(texts[0].height, scale.Ht);
                QCOMPARE(texts[0].rotation, 0.0);
            }
    }

    void levelTextStandsAtTheEllipseCentre()
    {
        const struct
        {
            const char *option;
            double height, axis, other;
        } scales[] = {{"Option1", 250, 700, 200}, {"Option2", 125, 350, 100}};
        const cad::Point base{-300, 450};
        for (const auto &scale : scales) {
            const auto all =
                drawn(reberu(), "Command2", {{"Combo1", "＋"}, {"Text1", "1000"}, {scale.option, "1"}}, base);
            const auto ellipses = ofType(all, Type::Ellipse);
            const auto texts = ofType(all, Type::Text);
            QVERIFY2(all.size() == 2 && ellipses.size() == 1 && texts.size() == 1, dump(all).c_str());
            QVERIFY2(geometry::near(ellipses[0].centre, base), dump(all).c_str());
            QVERIFY2(geometry::near(texts[0].insert, base), dump(all).c_str());
            QVERIFY(geometry::near(ellipses[0].majorAxis, {scale.axis, 0}) ||
                    geometry::near(ellipses[0].majorAxis, {-scale.axis, 0}));
            QVERIFY(geometry::near(ellipses[0].ratio, scale.other / scale.axis));
            QCOMPARE(texts[0].text, std::string("＋1000"));
            QCOMPARE(texts[0].height, scale.height);
        }
    }

    void fittingTagIsAHalvedCircle()
    {
        const auto all = drawn(tategukigou(), "Command2", {{"Combo1", "SD"}, {"Text1", "12"}});
        QVERIFY2(all.size() == 4, dump(all).c_str());
        const auto texts = ofType(all, Type::Text);
        QCOMPARE(texts.size(), size_t(2));
        for (const cad::Entity &t : texts) {
            const bool code = t.text == "SD";
            QVERIFY2(code || t.text == "12", dump(all).c_str());
            QVERIFY2(geometry::near(t.insert, {0, code ? 150.0 : -150.0}), dump(all).c_str());
            QCOMPARE(t.height, 250.0);
        }
        QVERIFY2(geometry::hasLine(all, {-350, 0}, {350, 0}), dump(all).c_str());
        const auto circles = ofType(all, Type::Circle);
        QVERIFY2(circles.size() == 1 && geometry::near(circles[0].centre, {0, 0}) && circles[0].radius == 350,
                 dump(all).c_str());
    }

    // The sheet edge from the origin at paper size times scale; the border 1 mm wide on paper, 20 mm
    // in from the binding edge and 15 mm from the others; wherever the last point was.
    void frameKeepsItsMargins()
    {
        const struct
        {
            const char *option;
            double P, Q;
        } papers[] = {{"Option1", 841, 594}, {"Option2", 594, 420}, {"Option3", 420, 297}};
        const struct
        {
            const char *option;
            double s;
        } scales[] = {{"Option4", 100}, {"Option5", 50}, {"Option6", 30},
                      {"Option7", 20},  {"Option8", 10}, {"Option9", 200}};
        for (const auto &paper : papers)
            for (const auto &scale : scales) {
                const auto all =
                    drawn(zumenwaku(), "Command1", {{paper.option, "1"}, {scale.option, "1"}}, {777, -55});
                QVERIFY2(all.size() == 2 && isClosedRectangle(all[0]) && isClosedRectangle(all[1]),
                         dump(all).c_str());
                const double s = scale.s;
                const Box sheet = boxOf(all[0]);
                const Box border = boxOf(all[1]);
                QVERIFY(geometry::near(all[0].startWidth, 0) && geometry::near(all[0].endWidth, 0));
                QVERIFY(geometry::near(all[1].startWidth, s) && geometry::near(all[1].endWidth, s));
                QVERIFY2(geometry::near(sheet.left, 0) && geometry::near(sheet.bottom, 0) &&
                             geometry::near(sheet.right, paper.P * s) &&
                             geometry::near(sheet.top, paper.Q * s),
                         dump(all).c_str());
                QVERIFY2(geometry::near((border.left - sheet.left) / s, 20) &&
                             geometry::near((sheet.right - border.right) / s, 15) &&
                             geometry::near((border.bottom - sheet.bottom) / s, 15) &&
                             geometry::near((sheet.top - border.top) / s, 15),
                         dump(all).c_str());
            }
    }
};

QTEST_GUILESS_MAIN(TestElementGeometry)
#include "TestElementGeometry.moc"
