#include "symbols/Forms.h"
#include "symbols/plan100/Plan100Forms.h"
#include "tests/support/FormHarness.h"

#include <QTest>

using namespace quendra;

class TestPlan100Forms : public QObject
{
    Q_OBJECT

private slots:
    // The menu "1/100用建具(&Y)" lists them in this order, entries d to m.
    void listsTheFittingsInMenuOrder()
    {
        std::vector<std::string> names;
        for (const FormDefinition *f : plan100Forms())
            names.push_back(f->name);
        QCOMPARE(names, (std::vector<std::string>{"hikitigai100", "hikitigaito100", "katabiraki100", "fix100",
                                                  "tatejiku100", "katabirakito100", "ryouhiraki100",
                                                  "ryouorito100", "kataorito100", "yonhonhiki100"}));
        for (const std::string &name : names)
            QVERIFY(findForm(name));
    }

    // What every fitting of the group shares: the width and angle boxes and the four buttons.
    void everyFittingHasTheCommonParts()
    {
        for (const FormDefinition *f : plan100Forms()) {
            QVERIFY2(f->caption.rfind("Quendra_LT(1/100用", 0) == 0, f->name.c_str());
            QCOMPARE(f->control("Combo1")->caption, std::string("W寸法(&W)"));
            const Control *angle = f->control("Combo2");
            QVERIFY(angle && angle->digitsOnly);
            QCOMPARE(angle->text, std::string("0"));
            QCOMPARE(angle->items, (std::vector<std::string>{"0", "90", "180", "270"}));
            QCOMPARE(f->button("Command1")->caption, std::string("基準点指定(&C)"));
            QCOMPARE(f->button("Command3")->caption, std::string("終了(&Q)"));
            QCOMPARE(f->button("Command4")->caption, std::string("戻る(&B)"));
            QVERIFY(f->button("Command4")->isCancel);
            QCOMPARE(f->button("Command2")->focusAfter, std::string("Combo1"));
            QVERIFY(f->button("Command2")->minimiseAfter);
            QCOMPARE(f->closeStyle, FormDefinition::CloseStyle::Exclamation);
            QCOMPARE(press(*f, f->initialState(), "Command4").navigate, ButtonPress::Navigate::Back);
            QCOMPARE(press(*f, f->initialState(), "Command3").navigate, ButtonPress::Navigate::Exit);
            // The defaults draw something on the first press.
            QVERIFY2(press(*f, f->initialState(), "Command2").outcome.sends(), f->name.c_str());
        }
    }
};

QTEST_GUILESS_MAIN(TestPlan100Forms)
#include "TestPlan100Forms.moc"
