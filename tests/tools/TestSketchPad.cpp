#include "tools/BitmapFile.h"
#include "tools/SketchPad.h"

#include <QBuffer>
#include <QMouseEvent>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace quendra;
using Tool = SketchPad::Tool;

namespace {

const QRgb grey = qRgb(192, 192, 192);
const QRgb black = qRgb(0, 0, 0);

void mouse(QWidget &pad, QEvent::Type type, Qt::MouseButton button, QPoint at, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(at), pad.mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&pad, &event);
}

void click(QWidget &pad, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
    mouse(pad, QEvent::MouseButtonPress, button, at, button);
    mouse(pad, QEvent::MouseButtonRelease, button, at, Qt::NoButton);
}

void press(QWidget &pad, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
    mouse(pad, QEvent::MouseButtonPress, button, at, button);
}

void moveTo(QWidget &pad, QPoint at, Qt::MouseButtons held = Qt::LeftButton)
{
    mouse(pad, QEvent::MouseMove, Qt::NoButton, at, held);
}

void release(QWidget &pad, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
    mouse(pad, QEvent::MouseButtonRelease, button, at, Qt::NoButton);
}

QRgb pixel(const SketchPad &pad, QPoint at)
{
    return pad.image().pixel(at);
}

// A picture with a different colour at every pixel, so that any shift or loss shows.
QImage pattern(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x * 2 % 256, y * 3 % 256, 77));
    return image;
}

QByteArray bitmapBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QImage shown(SketchPad &pad)
{
    return pad.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestSketchPad : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void shapes_data();
    void shapes();
    void freehand();
    void pendingPointSurvivesToolChange();
    void colours_data();
    void colours();
    void strokesSurviveResizeAndHide();
    void saveAndReopen();
    void failedSaveKeepsOldFile();
    void badFilesDoNotOpen_data();
    void badFilesDoNotOpen();
    void mangledBitmapsNeverCrash();
    void modifiedFlag();
    void resetForSelection();

private:
    std::unique_ptr<SketchPad> pad_;
    std::unique_ptr<QTemporaryDir> dir_;
};

void TestSketchPad::init()
{
    pad_ = std::make_unique<SketchPad>();
    pad_->resize(200, 150);
    pad_->show();
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

// Two clicks of a tool; points that must carry the line colour and points that must not.
void TestSketchPad::shapes_data()
{
    QTest::addColumn<Tool>("tool");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QPoint>("first");
    QTest::addColumn<QPoint>("second");
    QTest::addColumn<QList<QPoint>>("inked");
    QTest::addColumn<QList<QPoint>>("blank");

    const QList<QPoint> onCircle{{70, 50}, {30, 50}, {50, 30}, {50, 70}};
    QTest::newRow("circle") << Tool::Circle << Qt::LeftButton << QPoint(50, 50) << QPoint(70, 50)
                            << (onCircle + QList<QPoint>{{50, 50}})
                            << QList<QPoint>{{60, 50}, {72, 50}, {50, 40}};
    QTest::newRow("circle, right button") << Tool::Circle << Qt::RightButton << QPoint(50, 50)
                                          << QPoint(50, 30) << onCircle << QList<QPoint>{{60, 50}};
    QTest::newRow("circle of radius 0")
        << Tool::Circle << Qt::LeftButton << QPoint(50, 50) << QPoint(50, 50) << QList<QPoint>{{50, 50}}
        << QList<QPoint>{{51, 50}, {49, 50}, {50, 51}, {50, 49}, {52, 52}};
    QTest::newRow("filled circle") << Tool::FilledCircle << Qt::MiddleButton << QPoint(50, 50)
                                   << QPoint(70, 50)
                                   << (onCircle + QList<QPoint>{{50, 50}, {60, 50}, {50, 40}, {58, 58}})
                                   << QList<QPoint>{{72, 50}, {66, 66}};
    const QList<QPoint> rectangleEdge{{20, 30}, {80, 30}, {80, 60}, {20, 60},
                                      {50, 30}, {80, 45}, {50, 60}, {20, 45}};
    const QList<QPoint> outside{{19, 30}, {81, 60}, {50, 29}, {50, 61}};
    QTest::newRow("rectangle") << Tool::Rectangle << Qt::LeftButton << QPoint(20, 30) << QPoint(80, 60)
                               << rectangleEdge << (outside + QList<QPoint>{{50, 45}, {21, 31}, {79, 59}});
    QTest::newRow("rectangle, clicked backwards")
        << Tool::Rectangle << Qt::LeftButton << QPoint(80, 60) << QPoint(20, 30) << rectangleEdge
        << (outside + QList<QPoint>{{50, 45}});
    QTest::newRow("filled rectangle")
        << Tool::FilledRectangle << Qt::LeftButton << QPoint(80, 30) << QPoint(20, 60)
        << (rectangleEdge + QList<QPoint>{{50, 45}, {21, 31}}) << outside;
    QTest::newRow("two-point line") << Tool::Line << Qt::LeftButton << QPoint(10, 10) << QPoint(90, 50)
                                    << QList<QPoint>{{10, 10}, {50, 30}, {90, 50}}
                                    << QList<QPoint>{{50, 10}, {10, 50}, {91, 50}};
    QTest::newRow("vertical line") << Tool::Line << Qt::RightButton << QPoint(40, 100) << QPoint(40, 10)
                                   << QList<QPoint>{{40, 10}, {40, 55}, {40, 100}}
                                   << QList<QPoint>{{41, 55}, {40, 9}, {40, 101}};
}

void TestSketchPad::shapes()
{
    QFETCH(Tool, tool);
    QFETCH(Qt::MouseButton, button);
    QFETCH(QPoint, first);
    QFETCH(QPoint, second);
    QFETCH(QList<QPoint>, inked);
    QFETCH(QList<QPoint>, blank);

    SketchPad &pad = *pad_;
    pad.setTool(tool);
    pad.setLineColor(2);
    const QRgb blue = qRgb(0, 0, 255);
    click(pad, first, button);
    QVERIFY(pad.hasPendingPoint());
    QCOMPARE(pixel(pad, first), blue);
    click(pad, second, button);
    QVERIFY(!pad.hasPendingPoint());

    const QImage image = pad.image();
    for (const QPoint &p : inked)
        QVERIFY2(image.pixel(p) == blue,
                 qPrintable(QStringLiteral("(%1,%2) not inked").arg(p.x()).arg(p.y())));
    for (const QPoint &p : blank)
        QVERIFY2(image.pixel(p) == grey, qPrintable(QStringLiteral("(%1,%2) inked").arg(p.x()).arg(p.y())));
    // What is shown on screen is the same picture.
    QCOMPARE(shown(pad), image);
}

void TestSketchPad::freehand()
{
    SketchPad &pad = *pad_;
    QCOMPARE(pad.tool(), Tool::Freehand);
    press(pad, {10, 10});
    moveTo(pad, {30, 10});
    moveTo(pad, {30, 40});
    release(pad, {30, 40});
    for (const QPoint p : {QPoint(10, 10), QPoint(20, 10), QPoint(30, 10), QPoint(30, 25), QPoint(30, 40)})
        QCOMPARE(pixel(pad, p), black);
    QCOMPARE(pixel(pad, {20, 25}), grey);

    // With the pen up a move draws nothing.
    moveTo(pad, {60, 60}, Qt::NoButton);
    QCOMPARE(pixel(pad, {45, 50}), grey);
    // The right button draws one line from the last point, and leaves the pen up.
    press(pad, {60, 70}, Qt::RightButton);
    release(pad, {60, 70}, Qt::RightButton);
    QCOMPARE(pixel(pad, {45, 55}), black);
    QCOMPARE(pixel(pad, {60, 70}), black);
    moveTo(pad, {90, 90}, Qt::RightButton);
    QCOMPARE(pixel(pad, {75, 80}), grey);
    // A middle press does nothing with this tool.
    press(pad, {150, 20}, Qt::MiddleButton);
    QCOMPARE(pixel(pad, {150, 20}), grey);
    QVERIFY(!pad.hasPendingPoint());
}

void TestSketchPad::pendingPointSurvivesToolChange()
{
    SketchPad &pad = *pad_;
    pad.setTool(Tool::FilledRectangle);
    click(pad, {50, 50});
    pad.setTool(Tool::Circle);
    pad.setLineColor(1);
    pad.clearAll();
    pad.setBackColor(0);
    QVERIFY(pad.hasPendingPoint());
    click(pad, {50, 70});
    // A circle from the first point, not a filled rectangle.
    const QRgb red = qRgb(128, 0, 0);
    QCOMPARE(pixel(pad, {50, 30}), red);
    QCOMPARE(pixel(pad, {70, 50}), red);
    QCOMPARE(pixel(pad, {55, 60}), black);
}

void TestSketchPad::colours_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRgb>("rgb");
    QTest::newRow("黒") << 0 << "黒" << qRgb(0, 0, 0);
    QTest::newRow("赤") << 1 << "赤" << qRgb(128, 0, 0);
    QTest::newRow("青") << 2 << "青" << qRgb(0, 0, 255);
    QTest::newRow("黄") << 3 << "黄" << qRgb(128, 128, 0);
    QTest::newRow("白") << 4 << "白" << qRgb(192, 192, 192);
}

// The line colour also fills the filled circle; the back colour lies under everything.
void TestSketchPad::colours()
{
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QRgb, rgb);
    SketchPad &pad = *pad_;
    QCOMPARE(SketchPad::colorCaption(index), caption);
    pad.setBackColor(index == 0 ? 4 : 0);
    pad.setLineColor(index);
    pad.setTool(Tool::FilledCircle);
    click(pad, {100, 75});
    click(pad, {120, 75});
    QCOMPARE(pixel(pad, {100, 75}), rgb);
    QCOMPARE(pixel(pad, {110, 80}), rgb);
    QCOMPARE(pixel(pad, {120, 75}), rgb);

    pad.setBackColor(index);
    QCOMPARE(pixel(pad, {5, 5}), rgb);
    QCOMPARE(shown(pad).pixel(5, 5), rgb);
    // Out of range indices change nothing.
    pad.setLineColor(5);
    pad.setBackColor(-1);
    QCOMPARE(pad.lineColor(), index);
    QCOMPARE(pad.backColor(), index);
    // Choosing the sketch pad again makes the lines black, but filled circles keep the saved fill
    // colour.
    pad.reset();
    pad.setBackColor(index == 0 ? 4 : 0);
    QCOMPARE(pad.lineColor(), 0);
    pad.setTool(Tool::FilledCircle);
    click(pad, {60, 120});
    click(pad, {70, 120});
    QCOMPARE(pixel(pad, {60, 120}), rgb);
    QCOMPARE(pixel(pad, {70, 120}), rgb);
}

void TestSketchPad::strokesSurviveResizeAndHide()
{
    SketchPad &pad = *pad_;
    pad.setTool(Tool::Line);
    click(pad, {10, 140});
    click(pad, {190, 140});
    const QImage before = pad.image();

    pad.resize(50, 50);
    QCOMPARE(pad.image().size(), QSize(50, 50));
    pad.resize(400, 300);
    QCOMPARE(pixel(pad, {400 - 1, 299}), grey);
    pad.resize(200, 150);
    QCOMPARE(pad.image(), before);

    pad.hide();
    pad.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pad));
    pad.repaint();
    QCOMPARE(shown(pad), before);
}

void TestSketchPad::saveAndReopen()
{
    SketchPad &pad = *pad_;
    const QString backgroundPath = dir_->filePath(QStringLiteral("背景.bmp"));
    const QImage background = pattern({120, 80});
    QVERIFY(writeFile(backgroundPath, bitmapBytes(background)));

    QVERIFY(pad.openBackground(backgroundPath));
    QVERIFY(pad.hasBackground());
    // The pad takes the picture's size, as a picture box sized by its picture.
    QCOMPARE(pad.size(), QSize(120, 80));
    QCOMPARE(pad.image(), background);

    pad.setLineColor(3);
    pad.setTool(Tool::FilledRectangle);
    click(pad, {10, 10});
    click(pad, {30, 20});
    pad.setTool(Tool::Freehand);
    press(pad, {5, 70});
    moveTo(pad, {115, 70});
    release(pad, {115, 70});
    QVERIFY(pad.isModified());

    const QString savedPath = dir_->filePath(QStringLiteral("sketch.bmp"));
    QVERIFY(pad.saveBitmap(savedPath));
    QVERIFY(!pad.isModified());
    const QImage saved(savedPath, "BMP");
    QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), shown(pad));
    QCOMPARE(saved.pixel(20, 15), qRgb(128, 128, 0));
    QCOMPARE(saved.pixel(60, 40), background.pixel(60, 40));

    // "全消去" leaves the picture.
    pad.clearAll();
    QCOMPARE(pad.image(), background);

    // Reopened, the saved sketch is the new background.
    QVERIFY(pad.openBackground(savedPath));
    QCOMPARE(pad.image(), saved.convertToFormat(QImage::Format_RGB32));

    pad.closeBackground();
    QVERIFY(!pad.hasBackground());
    QCOMPARE(pixel(pad, {20, 15}), grey);
}

void TestSketchPad::failedSaveKeepsOldFile()
{
    SketchPad &pad = *pad_;
    click(pad, {10, 10});
    // A name so long that no temporary file can be made beside it: the write fails, even for root.
    const QString path = dir_->filePath(QString(250, u'a') + QStringLiteral(".bmp"));
    const QByteArray old = bitmapBytes(pattern({8, 8}));
    QVERIFY(writeFile(path, old));

    QVERIFY(!pad.saveBitmap(path));
    QCOMPARE(readFile(path), old);
    QVERIFY(pad.isModified());

    QVERIFY(!pad.saveBitmap(dir_->filePath(QStringLiteral("no such folder/sketch.bmp"))));
    QVERIFY(!pad.saveBitmap(QString()));
    QVERIFY(!pad.saveBitmap(dir_->path()));
    QVERIFY(QFileInfo(dir_->path()).isDir());
}

void TestSketchPad::badFilesDoNotOpen_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = bitmapBytes(pattern({120, 80}));
    QVERIFY(bitmapFile::isComplete(good));

    QByteArray huge = good;
    qToLittleEndian<qint32>(100000, huge.data() + 18);
    qToLittleEndian<qint32>(100000, huge.data() + 22);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    pattern({20, 20}).save(&buffer, "PNG");

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QStringLiteral("これはテキストです。\n").toUtf8();
    QTest::newRow("header cut") << good.left(20);
    QTest::newRow("header only") << good.left(54);
    QTest::newRow("half the pixels") << good.left(good.size() / 2);
    QTest::newRow("last byte missing") << good.left(good.size() - 1);
    QTest::newRow("size beyond the data") << huge;
    QTest::newRow("not a bitmap") << png;
}

void TestSketchPad::badFilesDoNotOpen()
{
    QFETCH(QByteArray, bytes);
    SketchPad &pad = *pad_;
    click(pad, {10, 10});
    const QImage before = pad.image();
    const QString path = dir_->filePath(QStringLiteral("bad.bmp"));
    QVERIFY(writeFile(path, bytes));

    QVERIFY(!pad.openBackground(path));
    QVERIFY(!pad.openBackground(dir_->filePath(QStringLiteral("missing.bmp"))));
    QVERIFY(!pad.openBackground(dir_->path()));
    QVERIFY(!pad.hasBackground());
    QCOMPARE(pad.image(), before);
    QVERIFY(pad.isModified());
}

// Damaged headers and lengths: every attempt ends in a picture or a refusal, never a crash.
void TestSketchPad::mangledBitmapsNeverCrash()
{
    SketchPad &pad = *pad_;
    QImage indexed = pattern({17, 9}).convertToFormat(QImage::Format_Indexed8);
    const QList<QByteArray> seeds{bitmapBytes(pattern({17, 9})), bitmapBytes(indexed)};
    QRandomGenerator random(9);
    const QString path = dir_->filePath(QStringLiteral("mangled.bmp"));
    int opened = 0;
    for (int round = 0; round < 400; ++round) {
        QByteArray bytes = seeds[round % 2];
        const int changes = 1 + random.bounded(4);
        for (int i = 0; i < changes; ++i)
            bytes[random.bounded(qMin<int>(64, bytes.size()))] = char(random.bounded(256));
        if (random.bounded(3) == 0) bytes.truncate(random.bounded(int(bytes.size())));
        QVERIFY(writeFile(path, bytes));
        if (pad.openBackground(path)) {
            ++opened;
            QVERIFY(pad.hasBackground());
            QVERIFY(!pad.image().isNull());
        }
    }
    QVERIFY(opened > 0);
}

void TestSketchPad::modifiedFlag()
{
    SketchPad &pad = *pad_;
    QSignalSpy spy(&pad, &SketchPad::modified);
    QVERIFY(!pad.isModified());
    pad.setLineColor(1);
    pad.setTool(Tool::Rectangle);
    QVERIFY(!pad.isModified());
    click(pad, {10, 10});
    QVERIFY(pad.isModified());
    QCOMPARE(spy.count(), 1);
    pad.setModified(false);
    // Clearing an empty pad changes nothing; clearing a drawing does.
    click(pad, {20, 20});
    pad.setModified(false);
    pad.clearAll();
    QVERIFY(pad.isModified());
    pad.setModified(false);
    pad.clearAll();
    QVERIFY(!pad.isModified());
    pad.setBackColor(2);
    QVERIFY(pad.isModified());
    QVERIFY(pad.saveBitmap(dir_->filePath(QStringLiteral("m.bmp"))));
    QVERIFY(!pad.isModified());
}

void TestSketchPad::resetForSelection()
{
    SketchPad &pad = *pad_;
    const QString backgroundPath = dir_->filePath(QStringLiteral("b.bmp"));
    QVERIFY(writeFile(backgroundPath, bitmapBytes(pattern({60, 40}))));
    QVERIFY(pad.openBackground(backgroundPath));
    pad.setLineColor(1);
    pad.setBackColor(2);
    pad.setTool(Tool::Line);
    click(pad, {5, 5});
    pad.resize(200, 150);

    pad.reset();
    QVERIFY(!pad.hasBackground());
    QVERIFY(!pad.isModified());
    QCOMPARE(pad.lineColor(), SketchPad::black);
    QCOMPARE(pad.backColor(), SketchPad::white);
    QImage blank(200, 150, QImage::Format_RGB32);
    blank.fill(grey);
    QCOMPARE(pad.image(), blank);
    // The pending first point is kept: the next click draws the line in black.
    QVERIFY(pad.hasPendingPoint());
    click(pad, {5, 100});
    QCOMPARE(pixel(pad, {5, 50}), black);
}

QTEST_MAIN(TestSketchPad)
#include "TestSketchPad.moc"
