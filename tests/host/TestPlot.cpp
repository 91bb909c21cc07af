// Plots to scale: what is laid out (the sheet frame, else the extents), and the PDF the real
// quendra-host writes, measured on its page by poppler's pdfinfo and pdftoppm.

#include "host/window/Plot.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString hostProgram = QStringLiteral(QUENDRA_BIN_DIR "/quendra-host");

cad::Entity rectangle(double x, double y, double w, double h)
{
    cad::Entity e;
    e.type = cad::Entity::Type::Polyline;
    e.vertices = {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
    e.closed = true;
    return e;
}

QString run(const QString &program, const QStringList &arguments, int *exitCode = nullptr)
{
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(60000);
    if (exitCode) *exitCode = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}

// The page size in points, as pdfinfo reports it.
QSizeF pageSize(const QString &pdf)
{
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts"))
            .match(run("pdfinfo", {pdf}));
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

// The longest run of dark pixels along any row of the page rendered at 10 pixels a millimetre:
// the length of a horizontal line, in tenths of a millimetre.
int longestDarkRow(const QString &pdf, const QString &dir)
{
    run("pdftoppm", {"-r", "254", "-gray", "-singlefile", pdf, dir + "/page"});
    QFile file(dir + "/page.pgm");
    if (!file.open(QIODevice::ReadOnly)) return -1;
    const QByteArray bytes = file.readAll();
    const QList<QByteArray> head = bytes.left(64).split('\n');
    const QList<QByteArray> size = head.value(1).split(' ');
    const int w = size.value(0).toInt(), h = size.value(1).toInt();
    const qsizetype start = head.value(0).size() + head.value(1).size() + head.value(2).size() + 3;
    if (head.value(0) != "P5" || w <= 0 || bytes.size() < start + qsizetype(w) * h) return -1;
    int longest = 0;
    for (int y = 0; y < h; ++y) {
        int run = 0;
        for (int x = 0; x < w; ++x) {
            run = static_cast<unsigned char>(bytes[start + qsizetype(y) * w + x]) < 128 ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

} // namespace

class TestPlot : public QObject
{
    Q_OBJECT

private slots:
    void readsScalesAndPapers()
    {
        QCOMPARE(host::scaleNamed("1:100"), std::optional<double>(100));
        QCOMPARE(host::scaleNamed(" 1/50 "), std::optional<double>(50));
        QCOMPARE(host::scaleNamed("30"), std::optional<double>(30));
        QCOMPARE(host::scaleNamed("1:2.5"), std::optional<double>(2.5));
        for (const char *bad : {"", "0", "1:0", "-100", "1:", "abc", "1:1e999"})
            QVERIFY2(!host::scaleNamed(QString::fromLatin1(bad)), bad);
        QCOMPARE(host::paperNamed("a3"), std::optional<QPageSize::PageSizeId>(QPageSize::A3));
        QVERIFY(!host::paperNamed("B4"));
    }

    void laysOutTheSheetFrameElseTheExtents()
    {
        cad::Drawing d;
        d.addLine({0, 0}, {1000, 0}, 7);
        host::PlotSettings s;
        QCOMPARE(host::plotArea(d, s).max.x, 1000.0); // no frame: the extents
        d.add(rectangle(-500, -500, 4200, 2970));
        d.add(rectangle(-5000, -5000, 42000, 29700)); // the outer frame is the largest
        d.add(rectangle(0, 0, 100, 100));
        cad::Entity open = rectangle(-90000, -90000, 1, 1);
        open.closed = false;
        d.add(open);
        const cad::Box frame = host::plotArea(d, s);
        QCOMPARE(frame.min.x, -5000.0);
        QCOMPARE(frame.max.y, 24700.0);
        s.area = host::PlotSettings::Area::Extents;
        QCOMPARE(host::plotArea(d, s).min.x, -90000.0);
    }

    // A line 1000 long measures 10 mm at 1:100 and 20 mm at 1:50, on the paper asked for.
    void writesThePdfAtScale_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QSizeF>("points");
        QTest::addColumn<int>("tenths");
        QTest::newRow("A3 1:100") << QStringList{"--scale", "1:100", "--paper", "A3"}
                                  << QSizeF(1190.55, 841.89) << 100;
        QTest::newRow("A4 portrait 1:50")
            << QStringList{"--scale", "50", "--paper", "A4", "--portrait", "--black"}
            << QSizeF(595.28, 841.89) << 200;
    }
    void writesThePdfAtScale()
    {
        QFETCH(QStringList, options);
        QFETCH(QSizeF, points);
        QFETCH(int, tenths);
        if (QStandardPaths::findExecutable("pdftoppm").isEmpty()) QSKIP("poppler-utils is missing");
        QTemporaryDir dir;
        QFile script(dir.filePath("line.scr"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("DDCOLOR 1 LINE 0,0 1000,0 \r");
        script.close();
        const QString pdf = dir.filePath("plot.pdf");
        int code = -1;
        const QString said = run(
            hostProgram,
            QStringList{"--headless", "--replay", script.fileName(), "--exit-after-replay", "--pdf", pdf} +
                options,
            &code);
        QVERIFY2(code == 0, qPrintable(said));
        const QSizeF page = pageSize(pdf);
        QVERIFY2(qAbs(page.width() - points.width()) < 0.6 && qAbs(page.height() - points.height()) < 0.6,
                 qPrintable(QStringLiteral("%1 x %2").arg(page.width()).arg(page.height())));
        const int measured = longestDarkRow(pdf, dir.path());
        QVERIFY2(qAbs(measured - tenths) <= 2, qPrintable(QString::number(measured)));
    }

    // --png and --svg write the drawing at its extents, as the window's export does: the line on
    // the red layer in red, nothing of the line on the layer turned off (though its place counts
    // in the extents).
    void writesPicturesAtExtents()
    {
        QTemporaryDir dir;
        QFile script(dir.filePath("layers.scr"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("-LAYER M RED C 1 RED \nLINE 0,0 1000,0 \n-LAYER M GONE \nLINE 0,500 1000,500 \n"
                     "-LAYER S 0 OFF GONE \n");
        script.close();
        const QString png = dir.filePath("view.png"), svg = dir.filePath("view.svg");
        int code = -1;
        const QString said = run(
            hostProgram,
            {"--headless", "--replay", script.fileName(), "--exit-after-replay", "--png", png, "--svg", svg},
            &code);
        QVERIFY2(code == 0, qPrintable(said));
        const QImage image(png);
        QCOMPARE(image.size(), QSize(2400, 1200));
        int red = 0, inkAbove = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (y > image.height() * 3 / 4 && c.red() - c.green() > 60 && c.green() == c.blue()) ++red;
                if (y < image.height() / 4 && c.lightness() < 240) ++inkAbove;
            }
        QVERIFY2(red > 2000, qPrintable(QString::number(red)));
        QCOMPARE(inkAbove, 0);
        QFile picture(svg);
        QVERIFY(picture.open(QIODevice::ReadOnly));
        const QByteArray text = picture.readAll();
        QVERIFY(text.contains("<svg") && text.contains("#ff0000"));
        QVERIFY(text.contains("viewBox=\"0 0 1600 800\""));
    }

    void refusesBadPlotOptions()
    {
        QTemporaryDir dir;
        for (const QStringList &bad : {QStringList{"--scale", "0"}, QStringList{"--paper", "B5"}}) {
            int code = -1;
            const QString said =
                run(hostProgram,
                    QStringList{"--headless", "--exit-after-replay", "--pdf", dir.filePath("x.pdf")} + bad,
                    &code);
            QCOMPARE(code, 2);
            QVERIFY2(said.contains(bad.first()), qPrintable(said));
            QVERIFY(!QFile::exists(dir.filePath("x.pdf")));
        }
    }
};

QTEST_MAIN(TestPlot)
#include "TestPlot.moc"
