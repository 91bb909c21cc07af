// LINE entities read directly from the bytes must give exactly what dxflib gives: numbers read
// as its toReal reads them, colours, order, and every entity dxflib would draw around them.

#include "bench/host_scene.h"
#include "cad/dxf/tags/DxflibReal.h"
#include "tests/support/SameDxfRead.h"

#include <dxflib/dl_dxf.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>

namespace {

// The text dxflib hands to toReal: the line up to a NUL, without its line end.
std::string keptByDxflib(std::string line)
{
    line = line.substr(0, line.find('\0'));
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.pop_back();
    return line;
}

// An ENTITIES section around `body`, ended as a whole file.
std::string entities(const std::string &body)
{
    return "0\nSECTION\n2\nENTITIES\n" + body + "0\nENDSEC\n0\nEOF\n";
}

std::string line(const std::string &groups)
{
    return "0\nLINE\n8\n0\n" + groups;
}

} // namespace

class TestDxfLineReading : public QObject
{
    Q_OBJECT

private slots:
    // Where dxflibReal gives a number, it is toReal's to the bit; the rows marked taken must be
    // given one, so that the shortcut is used for the numbers files hold.
    void numbersAsDxflibReadsThem_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("taken");
        const auto row = [](const char *name, std::string line, bool taken) {
            QTest::newRow(name) << QByteArray(line.data(), qsizetype(line.size())) << taken;
        };
        row("integer", "12\n", true);
        row("decimal", "1234.5\n", true);
        row("negative", "-0.25\r\n", true);
        row("plus sign", "+7.5\n", true);
        row("comma decimal", "1,5\n", true);
        row("two commas", "1,5,3\n", true);
        row("two points", "1.2.3\n", true);
        row("point first", ".5\n", true);
        row("point last", "5.\n", true);
        row("minus point", "-.5\n", true);
        row("exponent", "1e3\n", true);
        row("exponent signed", "2.5E-3\n", true);
        row("point exponent", "5.e2\n", true);
        row("blanks in front", "  \t 3.25\n", true);
        row("blanks behind", "3.25 \t \r\n", true);
        row("trailing garbage", "12abc\n", true);
        row("digits after blank", "1 2\n", true);
        row("hex prefix", "0x10\n", true);
        row("zero", "0\n", true);
        row("negative zero", "-0\n", true);
        row("zero with huge exponent", "0e-99999\n", true);
        row("leading zeros", "0000012.5\n", true);
        row("largest", "1.7976931348623157e308\n", true);
        row("smallest normal", "2.2250738585072014e-308\n", true);
        row("many digits", "0.1000000000000000055511151231257827021181583404541015625\n", true);
        row("NUL inside",
            std::string("4.5\0"
                        "99\n",
                        7),
            true);
        row("exponent without digits", "1e\n", false);
        row("exponent sign only", "1e+\n", false);
        row("exponent then text", "1ex\n", false);
        row("sign only", "-\n", false);
        row("point only", ".\n", false);
        row("point exponent only", ".e5\n", false);
        row("empty", "\n", false);
        row("blank", "   \n", false);
        row("inf", "inf\n", false);
        row("nan", "NaN\n", false);
        row("overflow", "1e400\n", false);
        row("negative overflow", "-1e400\n", false);
        row("underflow", "1e-400\n", false);
        row("subnormal", "4.9e-324\n", false);
        row("white space in front", "\r\v\f5\n", true);
        row("too long", std::string(70, '1') + "\n", false);
        row("infinity", "-Infinity\n", false);
        row("letters", "abc\n", false);
        row("exponent sign then text", "2E-x\n", false);
        row("point then exponent", "-.e1\n", false);
        row("long and huge", std::string(400, '9') + "\n", false);
    }

    void numbersAsDxflibReadsThem()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, taken);
        const std::string text(line.constData(), std::size_t(line.size()));
        // Whether a number is read at all, as the stream dxflib reads through says: no number
        // fails and gives 0, one too large fails and gives the largest.
        std::string stream = keptByDxflib(text);
        std::replace(stream.begin(), stream.end(), ',', '.');
        std::istringstream in(stream);
        double read = 0;
        in >> read;
        QCOMPARE(cad::dxflibReadsNumber(text), !in.fail() || read != 0);
        const std::optional<double> ours = cad::dxflibReal(text);
        QCOMPARE(ours.has_value(), taken);
        if (!ours) return;
        const auto dxf = std::make_unique<DL_Dxf>();
        const double theirs = dxf->toReal(keptByDxflib(text));
        QVERIFY2(dxfcheck::sameBits(*ours, theirs), qPrintable(QString::number(*ours, 'g', 17) + " against " +
                                                               QString::number(theirs, 'g', 17)));
    }

    // Files shaped to meet each rule of how dxflib reads an entity.
    void oddFilesReadTheSame_data()
    {
        QTest::addColumn<QByteArray>("file");
        const auto row = [](const char *name, const std::string &file) {
            QTest::newRow(name) << QByteArray(file.data(), qsizetype(file.size()));
        };
        const std::string plain = line("10\n1\n20\n2\n11\n3\n21\n4\n");
        row("plain", entities(plain + plain));
        row("comma decimals", entities(line("10\n1,5\n20\n-2,25\n11\n3\n21\n4,0\n")));
        row("exponents", entities(line("10\n1e3\n20\n-2.5E-2\n11\n1e\n21\n4\n")));
        row("blanks", entities(line(" 10 \n   1.5  \n\t20\n\t2\t\n11\r\n3\r\n21\n4\n")));
        row("huge", entities(line("10\n1e400\n20\n2\n11\n3\n21\n4\n")));
        row("beyond the limit", entities(line("10\n1e300\n20\n2\n11\n3\n21\n4\n")));
        row("inf and nan", entities(line("10\ninf\n20\nnan\n11\n3\n21\n4\n")));
        row("empty value", entities(line("10\n\n20\n2\n11\n3\n21\n4\n")));
        row("missing groups", entities(line("10\n5\n") + line("") + plain));
        row("duplicate groups", entities(line("10\n1\n10\n9\n20\n2\n20\nx\n11\n3\n21\n4\n21\n8\n")));
        row("unreadable then readable", entities(line("10\n1e\n10\n7\n20\n2\n11\n3\n21\n4\n")));
        row("colours", entities(line("62\n0\n10\n1\n") + line("62\n256\n10\n2\n") + line("62\n-1\n10\n3\n") +
                                line("62\n257\n10\n4\n") + line("62\n 7\n10\n5\n") + line("62\nabc\n") +
                                line("62\n1\n62\n256\n") + line("62\n4294967297\n") + line("62\n\n")));
        row("group 9 inside", entities(line("10\n1\n9\n$X\n20\n2\n") + line("9\nLINE\n10\n4\n") + plain));
        row("cut off in an entity", "0\nSECTION\n2\nENTITIES\n" + plain + line("10\n1\n20\n"));
        row("cut off after an entity", "0\nSECTION\n2\nENTITIES\n" + plain + plain);
        row("no end of file", "0\nSECTION\n2\nENTITIES\n" + plain + "0\nENDSEC\n");
        row("code line without value", entities(plain) + "0");
        row("in BLOCKS",
            "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nB\n" + plain + "0\nENDBLK\n0\nENDSEC\n" + entities(plain));
        row("model space block", "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\n*Model_Space\n" + plain +
                                     "0\nENDBLK\n0\nENDSEC\n" + entities(plain));
        row("outside a section", plain + entities(plain));
        row("type with blanks", entities("0\n  LINE\n10\n1\n20\n2\n0\nLINE \r\n10\n1\n" + plain));
        row("line ends", entities(line("10\r\n1\r\n20\r\n2\r\r\n11\n\r3\n") + plain));
        row("type as marker", entities("0\n~L\n10\n1\n" + plain + "0\n ~L\t\n" + plain + "9\n~L\n" + plain));
        row("between vertices", entities("0\nPOLYLINE\n66\n1\n0\nVERTEX\n10\n0\n20\n0\n" + plain +
                                         "0\nVERTEX\n10\n5\n20\n5\n0\nSEQEND\n" + plain));
        // The polyline ends with the file, after the LINE: still on its own layer.
        row("polyline without SEQEND", "0\nSECTION\n2\nENTITIES\n0\nPOLYLINE\n8\nP\n0\nVERTEX\n0\nVERTEX\n" +
                                           line("8\nA\n") + "0\nEOF\n");
        row("after lwpolyline", entities("0\nLWPOLYLINE\n90\n2\n10\n0\n20\n0\n10\n5\n20\n5\n" + plain +
                                         "0\nLWPOLYLINE\n90\n1\n10\n0\n20\n0\n"));
        row("long value", entities(line("10\n" + std::string(1500, '1') + "\n20\n2\n") + plain));
        row("NUL lines", entities(line(std::string("10\n\0"
                                                   "5\n20\n2\n\0"
                                                   "11\n3\n",
                                                   17)) +
                                  plain));
        row("header lines", "0\nSECTION\n2\nHEADER\n9\n$EXTMIN\n10\n1\n20\n2\n0\nENDSEC\n" + entities(plain));
        row("high code zero", entities("-4294967296\nLINE\n10\n1\n20\n2\n" + plain));
        // dxflib leaves the fields of a hatch edge that no group set as memory held them: an arc
        // given by its direction alone, a polyline boundary whose group 72 turns it into an arc,
        // a spline edge without its counts.
        const std::string hatch = "0\nHATCH\n2\nSOLID\n91\n1\n";
        row("hatch edges missing groups",
            entities(hatch + "92\n1\n93\n2\n72\n2\n73\n1\n72\n3\n73\n0\n" + hatch +
                     "92\n2\n72\n0\n73\n1\n93\n2\n10\n0\n20\n0\n10\n4\n20\n0\n72\n2\n" + hatch +
                     "92\n1\n93\n1\n72\n4\n10\n1\n20\n2\n40\n0\n" + plain));
        // dxflib reads a layer wherever it stands: a coloured one outside TABLES colours the LINE.
        row("layer outside TABLES", "0\nLAYER\n2\nW\n62\n3\n" + entities("0\nLINE\n8\nW\n11\n3\n21\n4\n"));
        row("layer in ENTITIES", entities("0\nLAYER\n2\nW\n62\n1\n0\nLINE\n8\nW\n11\n3\n21\n4\n"));
    }

    void oddFilesReadTheSame()
    {
        QFETCH(QByteArray, file);
        const std::string differs =
            dxfcheck::readingsDiffer(std::string_view(file.constData(), size_t(file.size())));
        QVERIFY2(differs.empty(), differs.c_str());
    }

    // dxflib left a number holding only white space unset (whatever its stack held): such a
    // group counts as missing, and a file reads the same every time.
    void blankNumbersCountAsMissing()
    {
        const std::string circle = "0\nCIRCLE\n10\n1\n20\n2\n40\n \t\n";
        const std::string lines = line("10\n7\n10\n\n20\n2\n11\n\r\n21\n4\n");
        // In ENTITIES, and before any section, where dxflib reads entities all the same.
        for (const std::string &file : {entities(circle + lines), circle + entities(lines)}) {
            for (const auto how : {cad::DxfLineReading::Direct, cad::DxfLineReading::ThroughDxflib}) {
                const cad::DxfReadResult r = cad::readDxfData(file, how);
                QVERIFY(r.ok);
                QCOMPARE(r.badValues, std::size_t(1)); // the circle, without a radius
                QCOMPARE(r.drawing.size(), std::size_t(1));
                const cad::Entity e = r.drawing.at(0);
                QCOMPARE(e.a.x, 7.0);
                QCOMPARE(e.b.x, 0.0);
            }
        }
    }

    // The fuzzer's seeds, a file ezdxf writes and the benchmark's plan as the host writes it.
    void realFilesReadTheSame()
    {
        QStringList paths;
        const QDir seeds(QStringLiteral(QUENDRA_SOURCE_DIR "/fuzz/corpus/fuzz_dxf_reader"));
        for (const QString &name : seeds.entryList(QDir::Files))
            paths << seeds.filePath(name);
        QTemporaryDir dir;
        const QString made = dir.filePath(QStringLiteral("ezdxf.dxf"));
        QCOMPARE(QProcess::execute(QStringLiteral("/usr/bin/python3"),
                                   {QStringLiteral(QUENDRA_SOURCE_DIR "/tests/cad/dxf_tool.py"),
                                    QStringLiteral("make"), made}),
                 0);
        paths << made;
        const QString plan = dir.filePath(QStringLiteral("plan.dxf"));
        QCOMPARE(cad::writeDxf(hostBenchScene(20000), plan.toStdString()), std::string());
        paths << plan;
        QVERIFY(seeds.entryList(QDir::Files).size() >= 2);
        for (const QString &path : paths) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            const std::string differs =
                dxfcheck::readingsDiffer(std::string_view(bytes.constData(), size_t(bytes.size())));
            QVERIFY2(differs.empty(), qPrintable(path + ": " + QString::fromStdString(differs)));
        }
        QCOMPARE(cad::readDxf(plan.toStdString()).drawing.size(), std::size_t(20000));
    }
};

QTEST_GUILESS_MAIN(TestDxfLineReading)
#include "TestDxfLineReading.moc"
