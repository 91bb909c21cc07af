#include "symbols/Forms.h"
#include "symbols/elevation/ElevationForms.h"
#include "symbols/elevation/tendoor.h"
#include "symbols/elevation/tenfix.h"
#include "symbols/elevation/tenhiki.h"
#include "symbols/elevation/tenhuremu.h"
#include "tests/support/FormHarness.h"

#include <QTest>

using namespace quendra;

// What the four elevation dialogs share: their buttons, the base point without a check, the
// plain close box, and a draw that never lets a value it cannot write reach the host.
class TestElevationForms : public QObject
{
    Q_OBJECT

    void addForms()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("firstInput");
        QTest::newRow("tenhuremu") << "tenhuremu"
                                   << "Text3";
        QTest::newRow("tenhiki") << "tenhiki"
                                 << "Text1";
        QTest::newRow("tenfix") << "tenfix"
                                << "Text1";
        QTest::newRow("tendoor") << "tendoor"
                                 << "Text1";
    }

    static const FormDefinition &formOf(const QString &name) { return *findForm(name.toStdString()); }

private slots:
    void registersInMenuOrder()
    {
        const std::vector<const FormDefinition *> expected = {&tenhuremu(), &tenhiki(), &tenfix(),
                                                              &tendoor()};
        QCOMPARE(elevationForms(), expected);
    }

    void drawIsCommand4AndBackIsCommand2_data() { addForms(); }
    void drawIsCommand4AndBackIsCommand2()
    {
        QFETCH(QString, form);
        const FormDefinition &f = formOf(form);
        QCOMPARE(f.buttons.size(), size_t(4));
        QCOMPARE(f.button("Command1")->caption, std::string("基準点指定(&C)"));
        QCOMPARE(f.button("Command1")->role, Button::Role::BasePoint);
        QCOMPARE(f.button("Command4")->role, Button::Role::Draw);
        QVERIFY(f.button("Command4")->caption.ends_with("作図(&A)"));
        QCOMPARE(f.button("Command2")->caption, std::string("戻る(&B)"));
        QVERIFY(f.button("Command2")->isCancel);
        QVERIFY(!f.button("Command4")->isCancel);
        QCOMPARE(f.button("Command3")->caption, std::string("終了(&Q)"));
        QCOMPARE(harness::press(f, "Command2").navigate, ButtonPress::Navigate::Back);
        QCOMPARE(harness::press(f, "Command3").navigate, ButtonPress::Navigate::Exit);
        QCOMPARE(f.closeStyle, FormDefinition::CloseStyle::Plain);
        for (const Button &b : f.buttons)
            QVERIFY(!b.isDefault);
        for (const Control &c : f.controls)
            QVERIFY(!c.digitsOnly);
    }

    // No input is checked: even text that reads as nothing, or a negative size, asks for the point.
    void basePointAlwaysAsks_data() { addForms(); }
    void basePointAlwaysAsks()
    {
        QFETCH(QString, form);
        QFETCH(QString, firstInput);
        for (const char *text : {"", "abc", "-5000", "1e400"}) {
            const auto p = harness::press(formOf(form), "Command1", {{firstInput.toStdString(), text}});
            QCOMPARE(harness::scripts(p), std::vector<std::string>{"ID\r"});
            QVERIFY(harness::messages(p).empty());
            QVERIFY(p.minimiseBeforeSending);
        }
    }

    void drawFocusesTheFirstInputAndMinimises_data() { addForms(); }
    void drawFocusesTheFirstInputAndMinimises()
    {
        QFETCH(QString, form);
        QFETCH(QString, firstInput);
        const auto p = harness::press(formOf(form), "Command4");
        QCOMPARE(harness::scripts(p).size(), size_t(1));
        QVERIFY(harness::messages(p).empty());
        QCOMPARE(p.focus, firstInput.toStdString());
        QVERIFY(p.minimiseAfterSending);
    }

    // A size too large to write would put "inf" or nothing into the script: refused, nothing sent.
    void refusesASizeItCannotWrite_data() { addForms(); }
    void refusesASizeItCannotWrite()
    {
        QFETCH(QString, form);
        QFETCH(QString, firstInput);
        const auto p = harness::press(formOf(form), "Command4", {{firstInput.toStdString(), "1e400"}});
        QCOMPARE(harness::messages(p), std::vector<std::string>{"入力された数値が正しくありません。"});
        QVERIFY(harness::scripts(p).empty());
        QVERIFY(!p.minimiseAfterSending);
        QVERIFY(p.focus.empty());
    }
};

QTEST_GUILESS_MAIN(TestElevationForms)
#include "TestElevationForms.moc"
