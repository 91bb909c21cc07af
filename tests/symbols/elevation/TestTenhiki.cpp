#include "symbols/elevation/tenhiki.h"
#include "tests/support/FormHarness.h"

#include <QTest>

using namespace quendra;

class TestTenhiki : public QObject
{
    Q_OBJECT

    static std::string drawn(const harness::Inputs &inputs = {})
    {
        return harness::scripts(harness::press(tenhiki(), "Command4", inputs)).at(0);
    }

private slots:
    void drawsTheDefaultsRowByRow()
    {
        const std::string outlines = "@0,0 @0,1000 @1700,0 @0,-1000 @-1700,0   "
                                     "@-15,-15 @0,1030 @1730,0 @0,-1030 @-1730,0   "
                                     "@-25,-25 @0,1080 @1780,0 @0,-1080 @-1780,0   ";
        const std::string sashes = "@870,40 @0,1000   "
                                   "@40,-960 @0,920 @790,0 @0,-920 @-790,0   "
                                   "@-40,0 @-790,0 @0,920 @790,0   ";
        const std::string arrow = "@220,-510 @100,50 @-600,0 @100,50 ";
        QCOMPARE(drawn(), "LINE " + outlines + sashes + arrow + "\r");
    }

    void anOddWidthKeepsItsHalves()
    {
        const std::string s = drawn({{"Text1", "1695"}});
        QVERIFY(s.find("@-1775,0   @867.5,40 @0,1000   @40,-960 @0,920 @787.5,0 @0,-920 @-787.5,0   "
                       "@-40,0 @-787.5,0 @0,920 @787.5,0   @220,-510 ") != std::string::npos);
    }

    void anOddHeightMovesTheArrow()
    {
        const std::string s = drawn({{"Text2", "1001"}});
        QVERIFY(s.ends_with("@220,-510.5 @100,50 @-600,0 @100,50 \r"));
    }

    void readsTheLeadingNumberOfEachText()
    {
        QCOMPARE(drawn({{"Text1", "1700mm"}, {"Text2", " 1 000"}}), drawn());
    }

    void isDefinedAsTheDialogShowsIt()
    {
        const FormDefinition &f = tenhiki();
        QCOMPARE(f.caption, std::string("Quendra_LT(引違イ窓立面図)"));
        QCOMPARE(f.button("Command4")->caption, std::string("引違イ窓作図(&A)"));
        QCOMPARE(f.control("Text1")->caption, std::string("建具W寸法(&W)"));
        QCOMPARE(f.control("Text1")->labelName, std::string("Label1"));
        QCOMPARE(f.control("Text2")->caption, std::string("建具H寸法(&H)"));
        QCOMPARE(f.control("Text2")->labelName, std::string("Label2"));
    }
};

QTEST_GUILESS_MAIN(TestTenhiki)
#include "TestTenhiki.moc"
