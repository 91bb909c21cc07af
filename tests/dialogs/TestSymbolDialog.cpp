#include "dialogs/AppContext.h"
#include "dialogs/PreviewWidget.h"
#include "dialogs/SymbolDialog.h"
#include "link/SymbolFrame.h"
#include "link/WallFrame.h"
#include "symbols/Forms.h"
#include "symbols/plan100/fix100.h"
#include "tests/support/RecordingServer.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSysInfo>
#include <QTest>

using namespace quendra;
using namespace std::chrono_literals;

namespace {

struct Navigation : Navigator
{
    std::vector<std::string> calls;
    void showMainWindow() override { calls.push_back("main"); }
    void showExitDialog() override { calls.push_back("exit"); }
    bool endProgram() override
    {
        calls.push_back("end");
        return true;
    }
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

QComboBox *combo(SymbolDialog &d, const char *name)
{
    return qobject_cast<QComboBox *>(d.input(name));
}

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
        const auto width =
            std::find_if(labels.begin(), labels.end(), [](QLabel *l) { return l->text() == "W寸法(&W)"; });
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
        QVERIFY(waitFor(host.server(), 4));
        // A host that answers the wall and symbol questions with a plain OK gets the scripts alone.
        QCOMPARE(host.server().scripts().at(0), std::string(wallQuery));
        QCOMPARE(host.server().scripts().at(1), std::string("ID\r"));
        QCOMPARE(host.server().scripts().at(2), std::string(symbolQuery));
        QCOMPARE(host.server().scripts().at(3).substr(0, 20), std::string("LINE @-50,0 @0,600  "));
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

    // Typed the way Qt delivers it: keys to the widget that has the focus (the combo box, which
    // hands them on to its line edit), an input method's commit, a paste.
    void typedTextIsReadAsTyped_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("commit");
        QTest::addColumn<QString>("paste");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("beeps");
        QTest::newRow("no completion of an angle") << "hikitigai100"
                                                   << "Combo2"
                                                   << "1"
                                                   << ""
                                                   << ""
                                                   << "1" << 0;
        QTest::newRow("no completion before Tab") << "katabiraki50"
                                                  << "Combo2"
                                                  << "2\t"
                                                  << ""
                                                  << ""
                                                  << "2" << 0;
        QTest::newRow("no completion of a word") << "tategukigou"
                                                 << "Combo1"
                                                 << "S"
                                                 << ""
                                                 << ""
                                                 << "S" << 0;
        QTest::newRow("minus and point beep") << "fix100"
                                              << "Combo2"
                                              << "9-.0"
                                              << ""
                                              << ""
                                              << "90" << 2;
        QTest::newRow("Backspace beeps") << "fix100"
                                         << "Combo2"
                                         << "90\b"
                                         << ""
                                         << ""
                                         << "90" << 1;
        QTest::newRow("full-width commit") << "fix100"
                                           << "Combo2"
                                           << ""
                                           << "９０"
                                           << ""
                                           << "" << 1;
        QTest::newRow("digits committed") << "fix100"
                                          << "Combo2"
                                          << ""
                                          << "45"
                                          << ""
                                          << "45" << 0;
        QTest::newRow("pasted text") << "fix100"
                                     << "Combo2"
                                     << ""
                                     << ""
                                     << "9-0"
                                     << "90" << 2;
        QTest::newRow("width box unfiltered") << "fix100"
                                              << "Combo1"
                                              << "-."
                                              << ""
                                              << ""
                                              << "-." << 0;
    }

    void typedTextIsReadAsTyped()
    {
        QFETCH(QString, form);
        QFETCH(QString, box);
        QFETCH(QString, keys);
        QFETCH(QString, commit);
        QFETCH(QString, paste);
        QFETCH(QString, text);
        QFETCH(int, beeps);
        ServerThread host;
        Fixture f;
        SymbolDialog d(*findForm(form.toStdString()), f.context);
        d.show();
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        QComboBox *input = combo(d, box.toUtf8().constData());
        input->setFocus();
        input->lineEdit()->clear();
        QVERIFY(QApplication::focusWidget());
        for (const QChar c : keys) {
            QWidget *target = QApplication::focusWidget();
            if (c == QLatin1Char('\t'))
                QTest::keyClick(target, Qt::Key_Tab);
            else if (c == QLatin1Char('\b'))
                QTest::keyClick(target, Qt::Key_Backspace);
            else
                QTest::keyClicks(target, QString(c));
        }
        if (!commit.isEmpty()) {
            QInputMethodEvent event;
            event.setCommitString(commit);
            QApplication::sendEvent(QApplication::focusWidget(), &event);
        }
        if (!paste.isEmpty()) {
            QApplication::clipboard()->setText(paste);
            // Ctrl+V is a Ctrl combination: swallowed with a beep; Shift+Insert pastes, digits only.
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
            QVERIFY(input->currentText().isEmpty());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Insert, Qt::ShiftModifier);
        }
        QCOMPARE(input->currentText(), text);
        QCOMPARE(d.state().text(box.toStdString()), text.toStdString());
        QCOMPARE(f.messages.beeps(), beeps);
    }

    void anAngleTypedAsOneIsRefusedOnDraw()
    {
        ServerThread host;
        Fixture f;
        SymbolDialog d(*findForm("hikitigai100"), f.context);
        d.show();
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        combo(d, "Combo2")->setFocus();
        combo(d, "Combo2")->lineEdit()->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), "1");
        d.commandButton("Command2")->click();
        QCOMPARE(f.messages.history().size(), size_t(1));
        QCOMPARE(f.messages.history()[0].message.text, std::string("入力された角度が正しくありません。"));
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
        QCOMPARE(f.messages.history()[0].message.text, describe(LinkError::NoHost));
        QVERIFY(QString::fromStdString(describe(LinkError::NoHost))
                    .contains(QSysInfo::productType() == "windows" ? "AutoCAD LT" : "quendra-host"));
        d.show();
        d.commandButton("Command1")->click();
        QCOMPARE(f.messages.history().size(), size_t(2));
        QVERIFY(!d.isMinimized());

        ServerThread host;
        d.commandButton("Command1")->click();
        QVERIFY(waitFor(host.server(), 2));
        QCOMPARE(host.server().scripts(), (std::vector<std::string>{wallQuery, "ID\r"}));
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

        // ryouhiraki100: the two leaf widths side by side, the clear opening beneath both.
        SymbolDialog pair(*findForm("ryouhiraki100"), f.context);
        const QRect left = pair.input("Combo1")->geometry(), right = pair.input("Combo3")->geometry();
        QCOMPARE(right.top(), left.top());
        QVERIFY(right.left() > left.right());
        auto *opening = pair.findChild<QLabel *>("Label3");
        QVERIFY(opening->geometry().top() > left.bottom());
        QVERIFY(opening->geometry().right() >= right.left());

        // The buttons on a sketch say what they choose, never their object names.
        SymbolDialog column(*findForm("hasira"), f.context);
        const auto options = column.findChildren<QRadioButton *>();
        QCOMPARE(options.size(), 9);
        for (QRadioButton *o : options)
            QVERIFY2(!o->text().isEmpty() && !o->text().startsWith("Option"), qPrintable(o->text()));
    }

    // tourisin: each group on the side of the preview where its bubble lies, its two buttons with
    // it; hasira: no button over the base-point marker, whichever is chosen; the hinge sides stay
    // at their jambs as the drawing turns.
    void groupsAndSketchButtonsStandWhereTheyDraw()
    {
        ServerThread host;
        Fixture f;
        SymbolDialog grid(*findForm("tourisin"), f.context);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        const QRect sketch = grid.findChild<PreviewWidget *>()->geometry();
        const std::vector<std::pair<std::vector<std::string>, std::function<bool(const QRect &)>>> sides = {
            {{"Text1", "Command1", "Command2"}, [&](const QRect &r) { return r.bottom() < sketch.top(); }},
            {{"Text2", "Command5", "Command6"}, [&](const QRect &r) { return r.top() > sketch.bottom(); }},
            {{"Text3", "Command7", "Command8"}, [&](const QRect &r) { return r.right() < sketch.left(); }},
            {{"Text4", "Command9", "Command10"}, [&](const QRect &r) { return r.left() > sketch.right(); }},
        };
        for (const auto &[names, onItsSide] : sides)
            for (const std::string &name : names) {
                QWidget *w = grid.input(name) ? grid.input(name) : grid.commandButton(name);
                QVERIFY2(onItsSide(QRect(w->mapTo(&grid, QPoint(0, 0)), w->size())), name.c_str());
            }

        SymbolDialog column(*findForm("hasira"), f.context);
        column.show();
        QVERIFY(QTest::qWaitForWindowExposed(&column));
        const auto *preview = column.findChild<PreviewWidget *>();
        for (int i = 1; i <= 9; ++i) {
            qobject_cast<QRadioButton *>(column.input("Option" + std::to_string(i)))->click();
            const QRect mark = preview->basePointMark();
            QVERIFY(!mark.isEmpty());
            for (QRadioButton *o : preview->findChildren<QRadioButton *>())
                QVERIFY2(!o->geometry().intersects(mark), qPrintable(QString::number(i) + o->text()));
        }

        // The way from the first jamb to the second, on screen (y downwards), by angle.
        const std::pair<const char *, QPoint> turns[] = {
            {"0", {1, 0}}, {"90", {0, -1}}, {"180", {-1, 0}}, {"270", {0, 1}}};
        for (const char *form : {"katabirakito100", "katabiraki50"}) {
            SymbolDialog door(*findForm(form), f.context);
            door.show();
            QVERIFY(QTest::qWaitForWindowExposed(&door));
            for (const auto &[angle, way] : turns) {
                combo(door, "Combo2")->setEditText(angle);
                const QPoint d =
                    door.input("Option2")->geometry().center() - door.input("Option1")->geometry().center();
                const int along = d.x() * way.x() + d.y() * way.y(),
                          across = d.x() * way.y() - d.y() * way.x();
                QVERIFY2(along > 2 * std::abs(across), qPrintable(QString(form) + " " + angle));
            }
        }
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
