#include "tools/Calculator.h"
#include "tools/CalculatorLogic.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

using namespace quendra;

namespace {

struct Shown
{
    QString text;
    QString title;
};

QStringList words(const QString &s)
{
    return s.split(u' ', Qt::SkipEmptyParts);
}

QString nines(int n)
{
    return QString(n, u'9');
}

// "9 9 9" for n nines, as keys.
QString nineKeys(int n)
{
    QStringList keys;
    for (int i = 0; i < n; ++i)
        keys << QStringLiteral("9");
    return keys.join(u' ');
}

QPushButton *keyCaptioned(const QWidget &dialog, const QString &caption)
{
    for (auto *key : dialog.findChildren<QPushButton *>())
        if (key->text() == caption) return key;
    return nullptr;
}

Calculator::Hooks recordingHooks(QList<Shown> &shown, int &backs, int &quits, int &ends)
{
    Calculator::Hooks hooks;
    hooks.showMessage = [&shown](const QString &text, const QString &title) { shown.append({text, title}); };
    hooks.onBack = [&backs] { ++backs; };
    hooks.onQuit = [&quits] { ++quits; };
    hooks.onCloseBox = [&ends] {
        ++ends;
        return true;
    };
    return hooks;
}

} // namespace

class TestCalculator : public QObject
{
    Q_OBJECT

private slots:
    void readouts_data();
    void readouts();
    void clearForgetsEverything();

    void dialogShape();
    void keysByMouse();
    void divisionMessageGoesThroughTheCaller();
    void menuLeadsAwayAndHides();
    void closeBoxEndsProgram();
    void keyboardPressesKeysAndEscapeDoesNotHide();
};

// The keys, the readout after each key, and the messages (text and title) shown on the way.
void TestCalculator::readouts_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("readouts");
    QTest::addColumn<QStringList>("messages");
    const QStringList none;
    const QString zero = QString::fromUtf8("ｾﾞﾛでは除算できません。");
    const QString tooLarge = QString::fromUtf8(CalculatorLogic::overflowMessage);

    QTest::newRow("typing with the point") << "1 2 . 5"
                                           << "1. 12. 12. 12.5" << none;
    QTest::newRow("= again, then go on") << "7 + 8 = = + 2 ="
                                         << "7. 7. 8. 15 15 15 2. 17" << none;
    QTest::newRow("new number after a result") << "7 + 8 = 3 ="
                                               << "7. 7. 8. 15 3. 3" << none;
    QTest::newRow("leading minus") << "- 3"
                                   << "-0. -3." << none;
    QTest::newRow("minus minus") << "5 - - 3 ="
                                 << "5. 5. - -3. 8" << none;
    QTest::newRow("divide by zero") << "5 / 0 ="
                                    << "5. 5. 0. 5." << QStringList{zero};
    QTest::newRow("percent") << "5 0 + 1 0 % ="
                             << "5. 50. 50. 1. 10. 0.1 5" << none;
    QTest::newRow("clear entry") << "9 + 4 CE 6 ="
                                 << "9. 9. 4. 0. 6. 15" << none;
    QTest::newRow("clear mid-way") << "7 + 8 C 2 = + 3 ="
                                   << "7. 7. 8. 0. 2. 2. 2. 3. 5" << none;
    QTest::newRow("no precedence") << "2 + 3 X 4 ="
                                   << "2. 2. 3. 5 4. 20" << none;
    QTest::newRow("point first") << ". 5 + - . 2 5 ="
                                 << "0. 0.5 0.5 - -0. -0.2 -0.25 0.25" << none;
    QTest::newRow("point then digits") << "1 + . 1 ="
                                       << "1. 1. 0. 0.1 1.1" << none;
    QTest::newRow("fifteen digits") << "1 / 3 ="
                                    << "1. 1. 3. 0.333333333333333" << none;
    QTest::newRow("sum of tenths") << ". 1 + . 2 ="
                                   << "0. 0.1 0.1 0. 0.2 0.3" << none;
    QTest::newRow("negative result") << "2 - 5 ="
                                     << "2. 2. 5. -3" << none;
    QTest::newRow("large result") << "9 9 9 9 9 9 9 9 X 9 9 9 9 9 9 9 9 ="
                                  << "9. 99. 999. 9999. 99999. 999999. 9999999. 99999999. 99999999. "
                                     "9. 99. 999. 9999. 99999. 999999. 9999999. 99999999. 9.9999998E+15"
                                  << none;
    QTest::newRow("leading zero stays") << "0 5"
                                        << "0. 05." << none;
    // A lone "-" in the readout reads as 0.
    QTest::newRow("lone minus as operand") << "5 - - = 3 ="
                                           << "5. 5. - - -3. 3" << none;
    QTest::newRow("lone minus percent") << "5 - - % ="
                                        << "5. 5. - 0 0" << none;
    // "%" counts an operand of its own; with three counted nothing is computed until "C".
    QTest::newRow("percent twice") << "8 + % % = C 2 + 3 ="
                                   << "8. 8. 0.08 0.0008 0.0008 0. 2. 2. 3. 5" << none;
    QTest::newRow("minus after =") << "4 = - 1 ="
                                   << "4. 4. 4. 1. 3" << none;
    QTest::newRow("overflow keeps the first operand")
        << nineKeys(200) + " X " + nineKeys(200) + " ="
        << QStringList(200, QString()).join(u' ') + " " + nines(200) + ". " +
               QStringList(200, QString()).join(u' ') + " " + nines(200) + "."
        << QStringList{tooLarge};
}

void TestCalculator::readouts()
{
    QFETCH(QString, keys);
    QFETCH(QString, readouts);
    QFETCH(QStringList, messages);
    const QStringList keyList = words(keys);
    const QStringList expected = readouts.split(u' ');
    QCOMPARE(expected.size(), keyList.size());

    CalculatorLogic calculator;
    QCOMPARE(calculator.readout(), QStringLiteral("0."));
    QStringList shown;
    for (qsizetype i = 0; i < keyList.size(); ++i) {
        if (const auto message = calculator.press(keyList[i])) {
            QCOMPARE(QString::fromStdString(message->title), QStringLiteral("電卓"));
            QCOMPARE(message->icon, Icon::Exclamation);
            shown << QString::fromStdString(message->text);
        }
        // An empty expectation skips the check (long runs of typed digits).
        if (!expected[i].isEmpty())
            QVERIFY2(
                calculator.readout() == expected[i],
                qPrintable(
                    QStringLiteral("after key %1 (%2): %3").arg(i).arg(keyList[i], calculator.readout())));
    }
    QCOMPARE(shown, messages);
}

void TestCalculator::clearForgetsEverything()
{
    CalculatorLogic calculator;
    for (const QString &key : words("7 + 8 - . 5 CE C"))
        calculator.press(key);
    const CalculatorLogic::State &s = calculator.state();
    QCOMPARE(calculator.readout(), QStringLiteral("0."));
    QCOMPARE(s.EntryState, CalculatorLogic::Entry::None);
    QCOMPARE(s.FractionMode, false);
    QCOMPARE(s.OperandCount, qint16(0));
    QCOMPARE(s.PendingOperator, QStringLiteral(" "));
    QVERIFY(s.LeftOperand == CalculatorLogic::Operand(0.0));
    QVERIFY(s.RightOperand == CalculatorLogic::Operand(0.0));
    // Unknown captions do nothing.
    QVERIFY(!calculator.press(QStringLiteral("Q")));
    QVERIFY(!calculator.press(QStringLiteral("10")));
    QCOMPARE(calculator.readout(), QStringLiteral("0."));
}

void TestCalculator::dialogShape()
{
    QList<Shown> shown;
    int backs = 0, quits = 0, ends = 0;
    Calculator dialog(recordingHooks(shown, backs, quits, ends));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.objectName(), QStringLiteral("dentaku"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Quendra_LT(簡易電卓)"));
    auto *readout = dialog.findChild<QLabel *>(QStringLiteral("Readout"));
    QVERIFY(readout);
    QCOMPARE(readout->text(), QStringLiteral("0."));

    // Rows and columns as on the pad: 7 8 9 C CE / 4 5 6 + - / 1 2 3 X / / 0 0 . = %.
    const QStringList rows[] = {words("7 8 9 C CE"), words("4 5 6 + -"), words("1 2 3 X /"),
                                words("0 . = %")};
    for (const QStringList &row : rows) {
        for (qsizetype i = 0; i < row.size(); ++i) {
            QPushButton *key = keyCaptioned(dialog, row[i]);
            QVERIFY2(key, qPrintable(row[i]));
            QCOMPARE(key->y(), keyCaptioned(dialog, row[0])->y());
            QVERIFY(key->y() > readout->geometry().bottom());
            if (i > 0) QVERIFY(key->x() > keyCaptioned(dialog, row[i - 1])->geometry().right());
        }
    }
    QVERIFY(keyCaptioned(dialog, "7")->y() < keyCaptioned(dialog, "4")->y());
    QVERIFY(keyCaptioned(dialog, "1")->y() < keyCaptioned(dialog, "0")->y());
    // "0" is two keys wide: it spans the columns of 1 and 2.
    QCOMPARE(keyCaptioned(dialog, "0")->x(), keyCaptioned(dialog, "1")->x());
    QCOMPARE(keyCaptioned(dialog, "0")->geometry().right(), keyCaptioned(dialog, "2")->geometry().right());
    QCOMPARE(keyCaptioned(dialog, ".")->x(), keyCaptioned(dialog, "3")->x());

    // Control names; the digit and operator keys form arrays with their index.
    QCOMPARE(keyCaptioned(dialog, "CE")->objectName(), QStringLiteral("CancelEntry"));
    QCOMPARE(keyCaptioned(dialog, "C")->objectName(), QStringLiteral("Cancel"));
    QCOMPARE(keyCaptioned(dialog, ".")->objectName(), QStringLiteral("Decimal"));
    QCOMPARE(keyCaptioned(dialog, "%")->objectName(), QStringLiteral("Percent"));
    QCOMPARE(dialog.findChildren<QPushButton *>(QStringLiteral("Number")).size(), 10);
    const QStringList operators = words("/ + X - =");
    for (int i = 0; i < operators.size(); ++i) {
        QCOMPARE(keyCaptioned(dialog, operators[i])->objectName(), QStringLiteral("Operator"));
        QCOMPARE(keyCaptioned(dialog, operators[i])->property("index").toInt(), i);
    }
    auto *menu = dialog.findChild<QMenu *>(QStringLiteral("mnumnu"));
    QVERIFY(menu);
    QCOMPARE(menu->title(), QStringLiteral("メニュー(&M)"));
    QCOMPARE(dialog.findChild<QAction *>(QStringLiteral("mnureturn"))->text(), QStringLiteral("戻る(&R)"));
    QCOMPARE(dialog.findChild<QAction *>(QStringLiteral("mnuend"))->text(),
             QStringLiteral("Quendra_LTの終了(&Q)"));
}

void TestCalculator::keysByMouse()
{
    QList<Shown> shown;
    int backs = 0, quits = 0, ends = 0;
    Calculator dialog(recordingHooks(shown, backs, quits, ends));
    dialog.show();
    for (const QString &key : words("1 2 . 5 + 7 . 5 ="))
        QTest::mouseClick(keyCaptioned(dialog, key), Qt::LeftButton);
    QCOMPARE(dialog.readoutText(), QStringLiteral("20"));
    QTest::mouseClick(keyCaptioned(dialog, "C"), Qt::LeftButton);
    QCOMPARE(dialog.readoutText(), QStringLiteral("0."));
    QVERIFY(shown.isEmpty());
}

void TestCalculator::divisionMessageGoesThroughTheCaller()
{
    QList<Shown> shown;
    int backs = 0, quits = 0, ends = 0;
    Calculator dialog(recordingHooks(shown, backs, quits, ends));
    dialog.show();
    for (const QString &key : words("5 / 0 ="))
        QTest::mouseClick(keyCaptioned(dialog, key), Qt::LeftButton);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QStringLiteral("ｾﾞﾛでは除算できません。"));
    QCOMPARE(shown[0].title, QStringLiteral("電卓"));
    QCOMPARE(dialog.readoutText(), QStringLiteral("5."));
}

void TestCalculator::menuLeadsAwayAndHides()
{
    QList<Shown> shown;
    int backs = 0, quits = 0, ends = 0;
    Calculator dialog(recordingHooks(shown, backs, quits, ends));
    dialog.show();
    QTest::mouseClick(keyCaptioned(dialog, "4"), Qt::LeftButton);
    dialog.findChild<QAction *>(QStringLiteral("mnureturn"))->trigger();
    QCOMPARE(backs, 1);
    QVERIFY(dialog.isHidden());
    dialog.show();
    // The calculator keeps its state while hidden.
    QCOMPARE(dialog.readoutText(), QStringLiteral("4."));
    dialog.findChild<QAction *>(QStringLiteral("mnuend"))->trigger();
    QCOMPARE(quits, 1);
    QVERIFY(dialog.isHidden());
    QCOMPARE(ends, 0);
    QVERIFY(shown.isEmpty());
}

void TestCalculator::closeBoxEndsProgram()
{
    QList<Shown> shown;
    int backs = 0, quits = 0, ends = 0;
    Calculator dialog(recordingHooks(shown, backs, quits, ends));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.close();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QStringLiteral("プログラムを終了します。"));
    QCOMPARE(shown[0].title, QStringLiteral("Quendra_LT"));
    QCOMPARE(ends, 1);
    QCOMPARE(backs + quits, 0);
}

// Keys go where Qt sends them, to the widget with the focus (else the window).
void TestCalculator::keyboardPressesKeysAndEscapeDoesNotHide()
{
    QList<Shown> shown;
    int backs = 0, quits = 0, ends = 0;
    Calculator dialog(recordingHooks(shown, backs, quits, ends));
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    const auto target = [&dialog] {
        return QApplication::focusWidget() ? QApplication::focusWidget() : &dialog;
    };
    QTest::keyClicks(target(), QStringLiteral("12.5+7.5"));
    QTest::keyClick(target(), Qt::Key_Return);
    QCOMPARE(dialog.readoutText(), QStringLiteral("20"));
    QTest::keyClicks(target(), QStringLiteral("6*7"));
    QTest::keyClick(target(), Qt::Key_Enter);
    QCOMPARE(dialog.readoutText(), QStringLiteral("42"));
    QTest::keyClicks(target(), QStringLiteral("9/3-1="));
    QCOMPARE(dialog.readoutText(), QStringLiteral("2"));
    QTest::keyClick(target(), Qt::Key_Delete);
    QCOMPARE(dialog.readoutText(), QStringLiteral("0."));
    QTest::keyClick(target(), Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
    QCOMPARE(ends + backs + quits, 0);
    QVERIFY(shown.isEmpty());
}

QTEST_MAIN(TestCalculator)
#include "TestCalculator.moc"
