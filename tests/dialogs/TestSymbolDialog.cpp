#include "dialogs/AppContext.h"
#include "dialogs/PreviewWidget.h"
#include "dialogs/SymbolDialog.h"
#include "symbols/Forms.h"
#include "symbols/plan100/fix100.h"
#include "tests/support/RecordingServer.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace quendra;
using namespace std::chrono_literals;

namespace {

struct Navigation : Navigator
{
    std::vector<std::string> calls;
    void showMainWindow() override { calls.push_back("main"); }
    void showExitDialog() override { calls.push_back("exit"); }
    void endProgram() override { calls.push_back("end"); }
};

struct Fixture
{
    MessageService messages{false};
    Navigation navigation;
    AppContext context{messages, [] { return makeSocketTransport(1500ms); }, navigation};
};

bool waitFor(RecordingServer &server, size_t count)
{
    for (int i = 0; i < 200 && server.scripts().size() < count; ++i)
        QTest::qWait(10);
    return server.scripts().size() >= count;
}

QComboBox *combo(SymbolDialog &d, const char *name) { return qobject_cast<QComboBox *>(d.input(name)); }

} // namespace

class TestSymbolDialog : public QObject
{
    Q_OBJECT

private slots:
    void buildsTheFormFromItsDefinition()
    {
        ServerThread host;
        Fixture f;
        SymbolDialog d(fix100(), f.context);
        QCOMPARE(d.windowTitle(), QString("Quendra_LT(1/100用FIX窓)"));
        QCOMPARE(d.objectName(), QString("fix100"));
        QCOMPARE(combo(d, "Combo1")->currentText(), QString("500"));
        QCOMPARE(combo(d, "Combo1")->count(), 5);
        QCOMPARE(combo(d, "Combo2")->currentText(), QString("0"));
        QCOMPARE(d.commandButton("Command2")->text(), QString("ＦＩＸ窓作図(&A)"));
        const auto labels = d.findChildren<QLabel *>();
        const auto width = std::find_if(labels.begin(), labels.end(), [](QLabel *l) { return l->text() == "W寸法(&W)"; });
        QVERIFY(width != labels.end());
        QCOMPARE((*width)->buddy(), d.input("Combo1"));
        QVERIFY(f.messages.history().empty());
    }

    void basePointAndDrawSendThroughTheLink()
    {
        ServerThread host;
        Fixture f;
        SymbolDialog d(fix100(), f.context);
        d.show();
        combo(d, "Combo2")->setEditText("90");
        d.commandButton("Command1")->click();
        QVERIFY(d.isMinimized());
        d.showNormal();
        d.commandButton("Command2")->click();
        QVERIFY(waitFor(host.server(), 2));
        QCOMPARE(host.server().scripts().at(0), std::string("ID\r"));
        QCOMPARE(host.server().scripts().at(1).substr(0, 20), std::string("LINE @-50,0 @0,600  "));
        QVERIFY(d.isMinimized());
        QCOMPARE(host.server().conversations(), 1);
    }

    void rejectedInputShowsItsMessageAndSendsNothing()
    {
        ServerThread host;
        Fixture f;
        SymbolDialog d(fix100(), f.context);
        d.show();
        combo(d, "Combo2")->setEditText("45");
        d.commandButton("Command2")->click();
        combo(d, "Combo1")->setEditText("-1");
        d.commandButton("Command1")->click();
        QCOMPARE(f.messages.history().size(), size_t(2));
        QCOMPARE(f.messages.history()[0].message.text, std::string("正しい角度を入力して下さい。"));
        QCOMPARE(f.messages.history()[1].message.text, std::string("入力された数値が正しくありません。"));
        QCOMPARE(f.messages.history()[1].message.title, std::string("Quendra_LT"));
        QVERIFY(!d.isMinimized());
        QTest::qWait(50);
        QVERIFY(host.server().scripts().empty());
    }

    void angleBoxTakesDigitsOnly()
    {
        ServerThread host;
        Fixture f;
        SymbolDialog d(fix100(), f.context);
        d.show();
        QLineEdit *angle = combo(d, "Combo2")->lineEdit();
        angle->setFocus();
        angle->selectAll();
        QTest::keyClicks(angle, "9-.0");
        QCOMPARE(angle->text(), QString("90"));
        QTest::keyClick(angle, Qt::Key_Backspace);
        QCOMPARE(angle->text(), QString("90"));
        QCOMPARE(f.messages.beeps(), 3);
        QLineEdit *width = combo(d, "Combo1")->lineEdit();
        QTest::keyClicks(width, "-.");
        QCOMPARE(f.messages.beeps(), 3);
    }

    void escapeGoesBackAndInputsStay()
    {
        ServerThread host;
        Fixture f;
        SymbolDialog d(fix100(), f.context);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        combo(d, "Combo1")->setEditText("900");
        QTest::keyClick(&d, Qt::Key_Escape);
        QCOMPARE(f.navigation.calls, std::vector<std::string>{"main"});
        QVERIFY(d.isHidden());
        d.show();
        QCOMPARE(combo(d, "Combo1")->currentText(), QString("900"));
        d.commandButton("Command3")->click();
        QCOMPARE(f.navigation.calls.back(), std::string("exit"));
    }

    void closeBoxEndsTheProgramAfterItsMessage()
    {
        ServerThread host;
        Fixture f;
        SymbolDialog d(fix100(), f.context);
        d.closeBox();
        QCOMPARE(f.messages.history().back().message.text, std::string("プログラムを終了します。"));
        QCOMPARE(f.messages.history().back().message.icon, Icon::Exclamation);
        QCOMPARE(f.navigation.calls, std::vector<std::string>{"end"});
    }

    void aMissingHostIsReportedAndTheNextSendTriesAgain()
    {
        Fixture f;
        SymbolDialog d(fix100(), f.context);
        QCOMPARE(f.messages.history().size(), size_t(1));
        QCOMPARE(f.messages.history()[0].message.text,
                 std::string("AutoCAD LTとの通信に失敗しました。AutoCAD LTが起動しているか確認して下さい。"));
        d.show();
        d.commandButton("Command1")->click();
        QCOMPARE(f.messages.history().size(), size_t(2));
        QVERIFY(!d.isMinimized());

        ServerThread host;
        d.commandButton("Command1")->click();
        QVERIFY(waitFor(host.server(), 1));
        QCOMPARE(host.server().scripts(), std::vector<std::string>{"ID\r"});
    }

    void listsAndSketchLabelsFollowTheirDefinitions()
    {
        ServerThread host;
        Fixture f;
        SymbolDialog level(*findForm("reberu"), f.context);
        QVERIFY(!combo(level, "Combo1")->isEditable());
        QCOMPARE(combo(level, "Combo1")->currentIndex(), -1);

        SymbolDialog frame(*findForm("mokuhiraki"), f.context);
        auto *preview = frame.findChild<PreviewWidget *>();
        const auto labels = preview->findChildren<QLabel *>();
        QVERIFY(std::any_of(labels.begin(), labels.end(), [](QLabel *l) { return l->text() == "扉側"; }));
    }

    void previewShowsWhatTheDrawButtonWouldDraw()
    {
        ServerThread host;
        Fixture f;
        SymbolDialog d(fix100(), f.context);
        auto *preview = d.findChild<PreviewWidget *>();
        QVERIFY(preview);
        QCOMPARE(preview->drawing().entities().size(), size_t(5));
        combo(d, "Combo2")->setEditText("45");
        QVERIFY(preview->drawing().entities().empty());
    }
};

QTEST_MAIN(TestSymbolDialog)
#include "TestSymbolDialog.moc"
