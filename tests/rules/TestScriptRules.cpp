#include "link/FrameCodec.h"
#include "rules/ButtonPress.h"
#include "rules/NumberFormat.h"
#include "rules/NumberReading.h"
#include "rules/Steps.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace quendra;

class TestScriptRules : public QObject
{
    Q_OBJECT

private slots:
    void formatsTheGeneralNumberForm_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("sum") << 1700.0 + 100 << "1800";
        QTest::newRow("negated sum") << -(1700.0 + 100) << "-1800";
        QTest::newRow("half") << 1255.0 / 2 << "627.5";
        QTest::newRow("binary fraction") << 0.1 + 0.2 << "0.3";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("fraction") << 1234.5 << "1234.5";
        QTest::newRow("large") << 1e20 << "1E+20";
        QTest::newRow("small") << 1e-7 << "1E-07";
        QTest::newRow("negative small") << -1.5e-7 << "-1.5E-07";
        QTest::newRow("last fixed small") << 0.000001 << "0.000001";
        QTest::newRow("fifteen digits") << 123456789012345.0 << "123456789012345";
        QTest::newRow("first large") << 1e15 << "1E+15";
        QTest::newRow("rounds to 15 digits") << 2.0 / 3 << "0.666666666666667";
        QTest::newRow("negative fraction") << -517.5 << "-517.5";
        QTest::newRow("third of width") << 1700.0 * 3 / 4 << "1275";
    }
    void formatsTheGeneralNumberForm()
    {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(format(value)), expected);
    }

    void nonFiniteValuesHaveNoForm()
    {
        QVERIFY(format(std::numeric_limits<double>::infinity()).empty());
        QVERIFY(format(std::nan("")).empty());
    }

    void readsLeniently_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("unit") << "1700mm" << 1700.0;
        QTest::newRow("blank inside") << "1 700" << 1700.0;
        QTest::newRow("tab and line feed") << "\t1\n7 0 0" << 1700.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("hex") << "&H10" << 16.0;
        QTest::newRow("hex letters") << "&Hff" << 255.0;
        QTest::newRow("D exponent") << "1D3" << 1000.0;
        QTest::newRow("octal") << "&O17" << 15.0;
        QTest::newRow("sign and point") << "-12.5x" << -12.5;
        QTest::newRow("second point ends") << "1.2.3" << 1.2;
        QTest::newRow("exponent") << "1.5e3" << 1500.0;
        QTest::newRow("bare exponent letter") << "7e" << 7.0;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("sign alone") << "-" << 0.0;
    }
    void readsLeniently()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(readLenient(text.toStdString()), expected);
    }

    void readsStrictly()
    {
        QCOMPARE(readStrict(" 90 "), std::optional<double>(90));
        QCOMPARE(readStrict("090"), std::optional<double>(90));
        QCOMPARE(readStrict("-2.5e1"), std::optional<double>(-25));
        QCOMPARE(readStrict("&H10"), std::optional<double>(16));
        QVERIFY(!readStrict(""));
        QVERIFY(!readStrict("   "));
        QVERIFY(!readStrict("12a"));
        QVERIFY(!readStrict("1 2"));
        QVERIFY(!readStrict("1e"));
        QVERIFY(!readStrict("-"));
    }

    void hugeExponentReadsAsInfinityAndNeverReachesAScript()
    {
        QVERIFY(std::isinf(readLenient("1e400")));
        const Script s = script("LINE ", {pt(readLenient("1e400") + 100, 0)});
        QVERIFY(!s.finite);
        Outcome o;
        o.send(s);
        QVERIFY(!o.finite);
    }

    void assemblesScriptsWithBlanksAndOneCarriageReturn()
    {
        const double W = 500;
        const Steps rows = {pt(0, 50), pt(W + 100, 0, 3), word("c "), value(350, 2), at(0, 0)};
        QCOMPARE(script("LINE ", rows).text, std::string("LINE @0,50 @600,0   c 350  0,0 \r"));
        QCOMPARE(script("ARC ", rows, false).text.back(), ' ');
        QCOMPARE(script("LINE ", {}).text, std::string("LINE \r"));
    }

    void turnsCounterClockwiseAndMirrors()
    {
        const Steps rows = {pt(0, 50), pt(600, 0, 3), at(10, 20), word("c ")};
        const auto joined = [](const Steps &s) { return script("", s, false).text; };
        QCOMPARE(joined(turned(rows, 0)), std::string("@0,50 @600,0   10,20 c "));
        QCOMPARE(joined(turned(rows, 90)), std::string("@-50,0 @0,600   10,20 c "));
        QCOMPARE(joined(turned(rows, 180)), std::string("@0,-50 @-600,0   10,20 c "));
        QCOMPARE(joined(turned(rows, 270)), std::string("@50,0 @0,-600   10,20 c "));
        QCOMPARE(joined(mirrored(rows)), std::string("@0,50 @-600,0   10,20 c "));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, turned(rows, 45));
    }

    void matchesFittingAnglesExactly()
    {
        QCOMPARE(fittingAngle(readStrict("090")), std::optional<int>(90));
        QVERIFY(!fittingAngle(45.0));
        QVERIFY(!fittingAngle(360.0));
        QVERIFY(!fittingAngle(readStrict("")));
    }

    void decodesFramesAndRefusesBrokenOnes()
    {
        FrameDecoder d;
        const std::string two = encodeFrame("LINE \r") + encodeFrame("＋1000");
        std::string payload;
        d.feed(two.substr(0, 5));
        QCOMPARE(d.next(payload), FrameDecoder::Status::NeedMore);
        d.feed(two.substr(5));
        QCOMPARE(d.next(payload), FrameDecoder::Status::Frame);
        QCOMPARE(payload, std::string("LINE \r"));
        QCOMPARE(d.next(payload), FrameDecoder::Status::Frame);
        QCOMPARE(payload, std::string("＋1000"));

        FrameDecoder oversized;
        oversized.feed(std::string("\x7f\xff\xff\xff", 4));
        QCOMPARE(oversized.next(payload), FrameDecoder::Status::Malformed);

        FrameDecoder notText;
        notText.feed(encodeFrame("\xff\xfe"));
        QCOMPARE(notText.next(payload), FrameDecoder::Status::Malformed);
        QVERIFY(!isValidUtf8("\xe3\x81")); // cut off in the middle of a character
        QVERIFY(!isValidUtf8("\xc0\xaf")); // overlong
        QVERIFY(isValidUtf8("基準点"));
    }
};

QTEST_GUILESS_MAIN(TestScriptRules)
#include "TestScriptRules.moc"
