// Text files the editor is asked to open that are cut off or are no text at all: a message, and
// the text on screen and the file it belongs to stay as they were. Opening such a file as
// something else would turn it into nonsense the moment it is saved.

#include "app/platform/Platform.h"
#include "dialogs/Desktop.h"
#include "dialogs/MessageService.h"
#include "tests/faults/FaultSupport.h"
#include "tools/TextEditor.h"

#include <QBuffer>
#include <QImage>
#include <QPlainTextDocumentLayout>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

using namespace quendra;

namespace {

QByteArray imageBytes(const char *format, int size)
{
    QImage image(size, size, QImage::Format_RGB32);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            image.setPixel(x, y, qRgb(x * 7, y * 13, (x * y) & 255));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace

class TestBadFiles : public QObject
{
    Q_OBJECT

private slots:
    void badTextFilesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        // Cut where the rest still reads as Shift-JIS: opened so, the text would be nonsense.
        QTest::newRow("UTF-8 cut inside the second character") << QStringLiteral("窓の幅").toUtf8().left(4);
        QTest::newRow("UTF-8 cut inside a later character")
            << QStringLiteral("レベル記号 ＋1000\r\n").toUtf8().left(13);
        const QByteArray japanese = QStringLiteral("窓の幅は1700です。\r\n戸の高さは2000です。\r\n").toUtf8();
        QTest::newRow("UTF-8 cut after the first byte of a character")
            << japanese.left(japanese.indexOf("戸") + 1);
        // 日本 and half of 語 in the Japanese Windows code page.
        QTest::newRow("Shift-JIS cut inside a character") << QByteArray::fromHex("93fa967b8c");
        QTest::newRow("a small bitmap named .txt") << imageBytes("BMP", 3);
        QTest::newRow("a bitmap named .txt") << imageBytes("BMP", 40);
        QTest::newRow("a PNG picture named .txt") << imageBytes("PNG", 16);
        QTest::newRow("a PPM picture named .txt") << imageBytes("PPM", 8);
    }

    void badTextFilesAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString good = dir.filePath("good.txt");
        const QString bad = dir.filePath("memo.txt");
        QVERIFY(faults::writeAll(good, "kept\r\n"));
        QVERIFY(faults::writeAll(bad, bytes));
        QTextDocument document;
        document.setDocumentLayout(new QPlainTextDocumentLayout(&document));
        MessageService messages(false);
        Desktop desktop(false);
        TextEditor editor(document, messages, desktop, platform::newTextEncoding());
        desktop.queueAnswer(good);
        editor.open();
        QCOMPARE(document.toPlainText(), QStringLiteral("kept\n"));

        desktop.queueAnswer(bad);
        editor.open();
        QCOMPARE(messages.history().size(), std::size_t(1));
        QCOMPARE(messages.history()[0].message.text, std::string("ファイルを開けませんでした。"));
        QCOMPARE(editor.currentFile(), good);
        QCOMPARE(document.toPlainText(), QStringLiteral("kept\n"));
        QCOMPARE(faults::readAll(bad), bytes);
    }
};

QTEST_MAIN(TestBadFiles)
#include "TestBadFiles.moc"
