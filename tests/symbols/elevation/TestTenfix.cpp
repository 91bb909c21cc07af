#include "symbols/elevation/tenfix.h"
#include "tests/support/FormHarness.h"

#include <QTest>

using namespace quendra;

class TestTenfix : public QObject
{
    Q_OBJECT

private slots:
    // Fifteen rows; the last has one blank and the carriage return alone ends LINE.
    void drawsTheThreeRectangles_data()
    {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("expected");
        QTest::newRow("defaults") << "500"
                                  << "1000"
                                  << "LINE @0,0 @0,1000 @500,0 @0,-1000 @-500,0   "
                                     "@-15,-15 @0,1030 @530,0 @0,-1030 @-530,0   "
                                     "@-25,-25 @0,1080 @580,0 @0,-1080 @-580,0 \r";
        QTest::newRow("fractions") << "627.5"
                                   << "1200.25"
                                   << "LINE @0,0 @0,1200.25 @627.5,0 @0,-1200.25 @-627.5,0   "
                                      "@-15,-15 @0,1230.25 @657.5,0 @0,-1230.25 @-657.5,0   "
                                      "@-25,-25 @0,1280.25 @707.5,0 @0,-1280.25 @-707.5,0 \r";
        QTest::newRow("empty") << ""
                               << ""
                               << "LINE @0,0 @0,0 @0,0 @0,0 @0,0   "
                                  "@-15,-15 @0,30 @30,0 @0,-30 @-30,0   "
                                  "@-25,-25 @0,80 @80,0 @0,-80 @-80,0 \r";
    }
    void drawsTheThreeRectangles()
    {
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(QString, expected);
        const auto p = harness::press(tenfix(), "Command4",
                                      {{"Text1", width.toStdString()}, {"Text2", height.toStdString()}});
        QCOMPARE(QString::fromStdString(harness::scripts(p).at(0)), expected);
    }

    void isDefinedAsTheDialogShowsIt()
    {
        const FormDefinition &f = tenfix();
        QCOMPARE(f.caption, std::string("Quendra_LT(FIX窓立面図)"));
        QCOMPARE(f.button("Command4")->caption, std::string("FIX窓作図(&A)"));
        QCOMPARE(f.control("Text1")->caption, std::string("建具W寸法(&W)"));
        QCOMPARE(f.control("Text1")->text, std::string("500"));
        QCOMPARE(f.control("Text2")->caption, std::string("建具H寸法(&H)"));
        QCOMPARE(f.control("Text2")->text, std::string("1000"));
    }
};

QTEST_GUILESS_MAIN(TestTenfix)
#include "TestTenfix.moc"
