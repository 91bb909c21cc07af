#include "tools/TextFileFormat.h"

#include <QTest>

using namespace quendra;

namespace {

QByteArray sjis(const char *hex)
{
    return QByteArray::fromHex(hex);
}

} // namespace

class TestTextFileFormat : public QObject
{
    Q_OBJECT

private slots:
    void readsEncodingAndLineEnd_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("shiftJis");
        QTest::addColumn<bool>("bom");
        QTest::addColumn<QString>("lineEnd");
        QTest::newRow("ascii crlf") << QByteArray("ab\r\ncd\r\n") << "ab\ncd\n" << false << false << "\r\n";
        QTest::newRow("utf-8 lf") << QByteArray("窓\n戸\n") << "窓\n戸\n" << false << false << "\n";
        QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBF壁\r\n") << "壁\n" << false << true << "\r\n";
        QTest::newRow("old mac cr") << QByteArray("a\rb\r") << "a\nb\n" << false << false << "\r";
        // あ ① ～ in the Japanese Windows code page.
        QTest::newRow("shift-jis") << sjis("82a087408160") + "\r\n"
                                   << "あ①～\n"
                                   << true << false << "\r\n";
        // Every line gets its line end, the last one too.
        QTest::newRow("last line open") << QByteArray("a\r\nb") << "a\nb\n" << false << false << "\r\n";
        QTest::newRow("no line end") << QByteArray("abc") << "abc\n" << false << false << "\r\n";
        QTest::newRow("empty") << QByteArray() << "" << false << false << "\r\n";
    }
    void readsEncodingAndLineEnd()
    {
        QFETCH(QByteArray, bytes);
        const std::optional<DecodedText> d = decodeTextFile(bytes);
        QVERIFY(d);
        QTEST(d->text, "text");
        QTEST(d->format.encoding == TextFileFormat::Encoding::ShiftJis, "shiftJis");
        QTEST(d->format.byteOrderMark, "bom");
        QTEST(d->format.lineEnd, "lineEnd");
    }

    void refusesBytesThatAreNoText()
    {
        // 0x85 0x40 is unassigned in Shift-JIS and not UTF-8 either.
        QVERIFY(!decodeTextFile(QByteArray("ok\x85\x40\xff\r\n")));
    }

    void writesBackWhatWasRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("utf-8 crlf") << QByteArray("1行目\r\n2行目\r\n");
        QTest::newRow("utf-8 lf") << QByteArray("a\n\nb\n");
        QTest::newRow("utf-8 bom") << QByteArray("\xEF\xBB\xBFx\r\n");
        QTest::newRow("shift-jis") << sjis("93fa967b8cea0d0a8341838b837e0d0a");
        QTest::newRow("blank lines at end") << QByteArray("a\r\n\r\n\r\n");
    }
    void writesBackWhatWasRead()
    {
        QFETCH(QByteArray, bytes);
        const std::optional<DecodedText> d = decodeTextFile(bytes);
        QVERIFY(d);
        QCOMPARE(encodeTextFile(d->text, d->format), bytes);
    }

    void addsTheFinalLineEndOnlyWhenMissing()
    {
        const TextFileFormat crlf;
        QCOMPARE(encodeTextFile(QStringLiteral("a\nb"), crlf), QByteArray("a\r\nb\r\n"));
        QCOMPARE(encodeTextFile(QStringLiteral("a\nb\n"), crlf), QByteArray("a\r\nb\r\n"));
        QCOMPARE(encodeTextFile(QString(), crlf), QByteArray("\r\n"));
    }

    void cannotWriteWhatShiftJisLacks()
    {
        const TextFileFormat sj{TextFileFormat::Encoding::ShiftJis, false, QStringLiteral("\r\n")};
        QCOMPARE(encodeTextFile(QStringLiteral("窓"), sj), sjis("918b0d0a"));
        QVERIFY(!encodeTextFile(QStringLiteral("窓😀"), sj));
    }
};

QTEST_GUILESS_MAIN(TestTextFileFormat)
#include "TestTextFileFormat.moc"
