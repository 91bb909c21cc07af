// Drawings users already have, made by ezdxf: opened, drawn on and saved, they keep everything
// they held, in their own version and form, and ezdxf finds it all again.

#include "cad/model/Describe.h"
#include "cad/render/Render.h"
#include "host/session/FileSave.h"
#include "host/session/HostSession.h"

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace host;

namespace {

QStringList corpusTool(const QStringList &arguments)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 QStringList{QStringLiteral(QUENDRA_SOURCE_DIR "/tests/host/dxf_corpus.py")} + arguments);
    if (!python.waitForFinished(120000) || python.exitCode() != 0)
        return {QStringLiteral("python: ") + QString::fromUtf8(python.readAllStandardError())};
    return QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A door with its swing, a knob, a ellipse, a wide polyline and a Japanese label.
constexpr const char *door = "LINE 100,100 1000,100 \nARC c 100,100 1000,100 100,1000\nCIRCLE 500,500 50\n"
                             "ELLIPSE c 2000,2000 @300,0 @0,100\nPLINE 0,0 w 10  500,0 500,500 \n"
                             "DTEXT j m 300,300 100 0 片開き扉\n\n";

struct stat statOf(const QString &path)
{
    struct stat st
    {
    };
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

constexpr uid_t nobody = 65534;
constexpr gid_t sharing = 4343; // the group a shared plan belongs to, nobody among its members

} // namespace

class TestRealDrawings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        QCOMPARE(corpusTool({QStringLiteral("corpus"), dir_.path()}), QStringList());
    }

    void drawnOnAndSavedKeepsEverything_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("added");
        const QStringList later{"new L 100,100 1000,100 on 0",
                                "new A 100,100 900 0..90 on 0",
                                "new C 500,500 50 on 0",
                                "new E 2000,2000 300,0 0.333333 on 0",
                                "new P 0,0 500,0 500,500 w 10/10 on 0",
                                "new T 300,300 100 0 片開き扉 on 0"};
        // R12 has neither ELLIPSE nor LWPOLYLINE: both go as POLYLINE.
        QStringList r12 = later;
        r12[3] = r12[4] = "new POLYLINE on 0";
        QTest::newRow("R12") << "plan_r12" << r12;
        QTest::newRow("R2000") << "plan_r2000" << later;
        QTest::newRow("R2018") << "plan_r2018" << later;
        QTest::newRow("R2018 binary") << "plan_binary" << later;
        QTest::newRow("R12 binary") << "plan_r12_binary" << r12;
        QTest::newRow("R2000 Shift-JIS") << "plan_sjis" << later;
        // New handles go past the file's largest even where its $HANDSEED lags behind it.
        QTest::newRow("R2000 stale $HANDSEED") << "plan_stale_seed" << later;
    }

    void drawnOnAndSavedKeepsEverything()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, added);
        const QString original = dir_.filePath(name + ".dxf");
        const QString saved = dir_.filePath(name + ".saved.dxf");
        HostSession s;
        QString error;
        QVERIFY2(s.open(original, &error), qPrintable(error));
        s.enqueue(door, {});
        QVERIFY2(s.save(saved, &error), qPrintable(error));
        QCOMPARE(corpusTool({QStringLiteral("compare"), original, saved}), QStringList{"ok"} + added);
        QCOMPARE(bytesOf(saved).startsWith("AutoCAD Binary DXF"), name.endsWith("binary"));

        // Saved again, the new entities are not added twice; taken back, the file is as it was.
        QVERIFY(s.save(saved, &error));
        QCOMPARE(corpusTool({QStringLiteral("compare"), original, saved}), QStringList{"ok"} + added);
        for (int i = 0; i < added.size(); ++i)
            s.undo();
        QVERIFY(s.save(saved, &error));
        QVERIFY(bytesOf(saved) == bytesOf(original));
    }

    // Entities of the file itself edited as a user would: the arc erased, the door (a mirrored
    // block reference with an attribute) moved and copied, the wall turned, the label copied.
    // Each is saved into its own entity, handles kept; copies get new ones; nothing else moves,
    // and taking every edit back gives the file as it was.
    void editedEntitiesAreSavedInTheFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("R2000") << "plan_r2000";
        QTest::newRow("R12 binary") << "plan_r12_binary";
        QTest::newRow("R2018 binary") << "plan_binary";
    }

    void editedEntitiesAreSavedInTheFile()
    {
        QFETCH(QString, name);
        const QString original = dir_.filePath(name + ".dxf");
        const QString saved = dir_.filePath(name + ".edited.dxf");
        HostSession s;
        QString error;
        QVERIFY2(s.open(original, &error), qPrintable(error));
        s.enqueue("ERASE 1000,1500 \nMOVE 1000,-450  0,0 100,200\nCOPY 1100,-250  0,0 @5000,0 \n"
                  "COPY 3000,3500  0,0 @0,1000 \nROTATE 6000,2000  0,0 90\n",
                  {});
        QVERIFY2(s.save(saved, &error), qPrintable(error));
        const QStringList found = corpusTool({QStringLiteral("compare"), original, saved});
        const auto has = [&](const QString &begin, const QString &part) {
            return std::any_of(found.begin(), found.end(),
                               [&](const QString &l) { return l.startsWith(begin) && l.contains(part); });
        };
        QVERIFY2(has("lost ARC", ""), qPrintable(found.join('\n')));
        QVERIFY(has("changed INSERT", "('insert', Vec3(1100.0, 200.0, 0.0))"));
        QVERIFY(has("changed INSERT", "('NO', 'D1', (-1300.0, 200.0"));
        QVERIFY(has("changed " + QString(name.startsWith("plan_r12") ? "POLYLINE" : "LWPOLYLINE"),
                    "(0.0, 6000.0, 0.0), (-4000.0, 6000.0, 0.0)"));
        QVERIFY(has("new T 3000,4500 200 0 Door", ""));
        QVERIFY(has("new INSERT DOOR 6100,200 D1", ""));
        QCOMPARE(found.size(), 5); // nothing else changed, lost or added; audit no worse

        for (int i = 0; i < 5; ++i)
            s.undo();
        QVERIFY(s.save(saved, &error));
        QVERIFY(bytesOf(saved) == bytesOf(original));
    }

    // Each edit keeps a file's object what it is: a line and the wall's polyline trimmed, a recoloured line
    // and a block reference moved to another layer keep their handles, XDATA and extension dictionaries (an
    // erased line takes its dictionary and record with it: the audit is no worse); a spline and
    // hatches are moved and turned in their own groups, an ellipse and a paragraph text mirrored
    // beside themselves leave the originals as they were; a dimension is moved with its block, and
    // a copy of it gets a block of its own; a polyline with an arc is cut on its arc.
    void editsKeepEachObjectWhatItIs()
    {
        const Typed t = typedInto(
            "plan_r2018",
            "LINE 3000,-1000 3000,-2200 \nTRIM 3000,-1100  1000,-2000 \nERASE 3000,-2500 \n"
            "CHPROP 3000,-3000  C 1 \nCHPROP 1000,-450  LA WALL \nMOVE 2000,1000  0,0 0,-100\n"
            "MIRROR 2400,2000  3000,0 3000,1 N\nMOVE 3000,-500  0,0 0,100\n"
            "COPY 3000,-400  0,0 0,100 \nMOVE 7500,0  0,0 0,100\nROTATE 9600,75  9000,0 90\n"
            "LINE 4000,3500 4000,4500 \nLINE 5000,3500 5000,4500 \nTRIM 4000,3600 5000,3600  4500,4000 \n"
            "MIRROR 100,6000  1000,0 1000,1 N\nLINE 500,4500 500,4800 \nTRIM 500,4600  300,4783 \n");
        const QStringList &found = t.found, &said = t.said;
        const auto has = [&t](const QString &begin, const QString &part) { return t.has(begin, part); };
        QVERIFY2(has("changed LINE", "('color', 1)"), qPrintable(found.join('\n')));
        QVERIFY(has("changed INSERT", "('layer', 'WALL')"));
        QVERIFY(has("changed SPLINE", "(2000.0, 900.0"));
        QVERIFY(has("new E 4000,2000 -400,0 0.5", ""));
        QVERIFY(has("lost LINE", ""));
        QVERIFY(has("changed LINE", "('start', Vec3(3000.0, -2000.0"));
        QVERIFY(has("new L 3000,-1000 3000,-2200", ""));
        QVERIFY(has("changed HATCH", "[[(7000.0, 100.0), (8000.0, 100.0), (8000.0, 1100.0)]]"));
        QVERIFY2(has("changed HATCH", "('pattern_angle', 90.0)"),
                 qPrintable(said.mid(said.size() - 12).join('\n')));
        QVERIFY(has("changed DIMENSION", "('defpoint', Vec3(0.0, -400.0, 0.0))"));
        QVERIFY(
            has("changed LINE", "('end', Vec3(6000.0, -400.0, 0.0))")); // its dimension line, in its block
        QVERIFY2(has("changed LWPOLYLINE",
                     "('points', [(4000.0, 4000.0, 0.0), (0.0, 4000.0, 0.0), (0.0, 0.0, 0.0), "
                     "(6000.0, 0.0, 0.0), (6000.0, 4000.0, 0.0), (5000.0, 4000.0, 0.0)])"),
                 qPrintable(found.join('\n')));
        QVERIFY(has("new MTEXT", ""));
        // A polyline with an arc is cut in its own groups: its end on the arc, the arc's bulge
        // what is left of it.
        QVERIFY(has("changed LWPOLYLINE", "[(500.0, 4750.0, 0.236068), (1000.0, 5000.0, 0.0)]"));
        // A copy of the dimension with a block of its own, moved down with it.
        QVERIFY(has("new DIMENSION *D2 of 9 ", ""));
        // With the other nine objects of the dimension's block and the three cutting edges.
        QCOMPARE(found.size(), 26);
    }

    // Kept what they are, too: hatches with an arc and an elliptic arc mirrored beside themselves
    // (their edges run the other way round, their outlines mirrored), a gradient turned with its
    // direction, a circle with XDATA trimmed into an arc that keeps its handle, layer, colour and
    // XDATA, and a dimension copied and mirrored, each copy with a block of its own; scaled, a
    // dimension that measures itself would say a wrong length: refused.
    void copiesMirrorsAndCutsKeepTheirKind()
    {
        const Typed t =
            typedInto("kinds", "MIRROR 20500,0 23000,0  25000,0 25000,1 N\nROTATE 27000,500  26000,0 90\n"
                               "LINE 32000,0 34000,0 \nTRIM 32200,0  33000,500 \n"
                               "COPY 43000,-500  0,0 0,-1000 \nMIRROR 43000,-500  0,-3000 1,-3000 N\n"
                               "SCALE 43000,-500  40000,0 2\n");
        const QStringList &found = t.found, &said = t.said;
        const auto has = [&t](const QString &begin, const QString &part) { return t.has(begin, part); };
        QVERIFY2(has("new HATCH #3 box 28500,0 30000,1000 area 1392k", ""), qPrintable(found.join('\n')));
        QVERIFY(has("new HATCH #4 box 26500,0 27500,250 area 196k", ""));
        QVERIFY(has("changed HATCH", "('gradient', 120.0)"));
        QVERIFY(has("changed CIRCLE", "('ARC', ") && has("changed CIRCLE", "('end_angle', 0.0)") &&
                has("changed CIRCLE", "('layer', 'WALL')") && has("changed CIRCLE", "'kept'"));
        QVERIFY(has("new DIMENSION *D2 of 9 39999.903219,-1500.375 46000.096781,-1000 ", "") &&
                has("new DIMENSION *D3 of 9 39999.903219,-6000 46000.096781,-5499.625 ", ""));
        QVERIFY(
            said.contains(QStringLiteral("ファイルの DIMENSION はそのまま尺度変更できません。分解 (EXPLODE) "
                                         "してから編集して下さい。")));
        // Two hatches, a line and two dimensions new; the gradient and the circle changed.
        QCOMPARE(found.size(), 7);

        // An R12 polyline, its vertices each an object of its own, cut between two lines: it
        // keeps its handle and first vertices, the vertices it gains are new ones.
        const QStringList cut = typedInto("plan_r12", "LINE 4000,3500 4000,4500 \nLINE 5000,3500 5000,4500 "
                                                      "\nTRIM 4000,3600 5000,3600  4500,4000 \n")
                                    .found;
        QVERIFY2(cut.size() == 3 && cut[0].startsWith("changed POLYLINE") &&
                     cut[0].contains("[(4000.0, 4000.0, 0.0), (0.0, 4000.0, 0.0), (0.0, 0.0, 0.0), (6000.0, "
                                     "0.0, 0.0), (6000.0, 4000.0, 0.0), (5000.0, 4000.0, 0.0)]"),
                 qPrintable(cut.join('\n')));
    }

    // A save that writes over a file in place (one with two names) and is killed half way leaves
    // the file's old bytes in a copy, which the next start offers to put back: put back, the file
    // is as it was under both its names, and the copy is gone.
    void aSaveKilledHalfWayLeavesTheOldFileToPutBack()
    {
        QStandardPaths::setTestModeEnabled(true);
        for (const KeptCopy &k : keptCopies())
            removeKept(k);
        QTemporaryDir dir;
        const QString plan = dir.filePath("plan.dxf"), other = dir.filePath("same.dxf");
        QVERIFY(QFile::copy(dir_.filePath("plan_r2000.dxf"), plan));
        QCOMPARE(::link(QFile::encodeName(plan).constData(), QFile::encodeName(other).constData()), 0);
        const QByteArray old = bytesOf(plan);
        const pid_t child = ::fork();
        if (child == 0) {
            saveFile(plan, [](const cad::DxfSink &put) {
                put("0\nSECTION\n2\nHEADER\n");
                ::kill(::getpid(), SIGKILL);
                return true;
            });
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && bytesOf(plan).startsWith("0\nSECTION\n2\nHEADER\n"));
        const std::vector<KeptCopy> kept = keptCopies();
        QCOMPARE(kept.size(), std::size_t(1));
        QCOMPARE(kept[0].target, QFileInfo(plan).absoluteFilePath());
        QVERIFY(keptCopyNotice(kept[0]).contains(plan));
        QCOMPARE(putBack(kept[0]), QString());
        QVERIFY(bytesOf(plan) == old && bytesOf(other) == old);
        QVERIFY(keptCopies().empty());
        QStandardPaths::setTestModeEnabled(false);
    }

    // quendra-host --headless FILE --out edits FILE's drawing rather than starting an empty one;
    // a FILE it cannot open is said, and nothing is written.
    void headlessOpensTheFileItIsGiven()
    {
        const QString script = dir_.filePath("door.scr");
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(door);
        f.close();
        const QString original = dir_.filePath("plan_r2018.dxf"), saved = dir_.filePath("headless.dxf");
        const auto run = [&](const QString &file) {
            QProcess host;
            host.start(QStringLiteral(QUENDRA_BIN_DIR "/quendra-host"),
                       {"--headless", file, "--replay", script, "--exit-after-replay", "--out", saved});
            return host.waitForFinished(60000) ? host.exitCode() : -1;
        };
        QCOMPARE(run(original), 0);
        const QStringList compared = corpusTool({QStringLiteral("compare"), original, saved});
        QCOMPARE(compared.value(0), QStringLiteral("ok"));
        QCOMPARE(compared.size(), 7);
        QFile::remove(saved);
        QVERIFY(run(dir_.filePath("cut.dxf")) != 0);
        QVERIFY(!QFile::exists(saved));

        // Without their EOF, whole otherwise: opened as they are, saved with it.
        for (const QString &name : {QStringLiteral("plan_r2000"), QStringLiteral("plan_binary")}) {
            const QByteArray bytes = bytesOf(dir_.filePath(name + ".dxf"));
            const QByteArray end =
                name.endsWith("binary") ? QByteArray("\0\0EOF\0", 6) : QByteArray("  0\nEOF\n");
            QVERIFY(bytes.endsWith(end));
            const QString endless = dir_.filePath(name + ".endless.dxf");
            QFile e(endless);
            QVERIFY(e.open(QIODevice::WriteOnly));
            e.write(bytes.left(bytes.size() - end.size()));
            e.close();
            QCOMPARE(run(endless), 0);
            QVERIFY(bytesOf(saved).endsWith(end));
            QCOMPARE(corpusTool({QStringLiteral("compare"), dir_.filePath(name + ".dxf"), saved}).size(), 7);
        }

        // Cut inside a section: opened as far as it can be read on request, and then saved only
        // under another name.
        const auto recover = [&](const QString &out) {
            QProcess host;
            host.start(QStringLiteral(QUENDRA_BIN_DIR "/quendra-host"),
                       {"--headless", dir_.filePath("cut.dxf"), "--recover", "--replay", script,
                        "--exit-after-replay", "--out", out});
            return host.waitForFinished(60000) ? host.exitCode() : -1;
        };
        const QByteArray cut = bytesOf(dir_.filePath("cut.dxf"));
        QCOMPARE(recover(dir_.filePath("cut.dxf")), 1);
        QVERIFY(bytesOf(dir_.filePath("cut.dxf")) == cut);
        QCOMPARE(recover(saved), 0);
        QCOMPARE(corpusTool({QStringLiteral("compare"), saved, saved}), QStringList{"ok"});
    }

    // Plans saved by nobody, a member of the group `sharing`: one of another owner, shared with
    // the group (mode 0660) under two names; one of nobody's own in a folder nobody may not
    // write. Each is saved with what was drawn, keeping its owner, group, mode and names, with
    // nothing left beside it; where the disk has no room for the new bytes, the old stay.
    void sharedFilesAreSavedAsTheyWere()
    {
        if (::geteuid() != 0) QSKIP("needs root to save as another user (nobody) a file of a third");
        QTemporaryDir base(QDir::tempPath() + "/quendra-shared-XXXXXX");
        const QString shared = base.filePath("shared"), locked = base.filePath("locked"),
                      data = base.filePath("data"), script = base.filePath("line.scr");
        for (const QString &folder : {shared, locked, data})
            QVERIFY(QDir().mkpath(folder));
        QVERIFY(::chmod(QFile::encodeName(base.path()).constData(), 0755) == 0);
        QVERIFY(::chmod(QFile::encodeName(shared).constData(), 0777) == 0);
        QVERIFY(::chmod(QFile::encodeName(data).constData(), 0777) == 0);
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("LINE 0,0 900,0 \n");
        f.close();
        const QString original = dir_.filePath("plan_r2000.dxf");
        const QString plan = shared + "/plan.dxf", also = shared + "/also.dxf", own = locked + "/plan.dxf";
        QVERIFY(QFile::copy(original, plan));
        QVERIFY(::link(QFile::encodeName(plan).constData(), QFile::encodeName(also).constData()) == 0);
        QVERIFY(::chown(QFile::encodeName(plan).constData(), 4242, sharing) == 0);
        QVERIFY(::chmod(QFile::encodeName(plan).constData(), 0660) == 0);
        QVERIFY(QFile::copy(original, own));
        QVERIFY(::chown(QFile::encodeName(own).constData(), nobody, nobody) == 0);
        QVERIFY(::chmod(QFile::encodeName(own).constData(), 0644) == 0);

        // quendra-host --headless FILE --replay --out FILE as nobody; `room`: how large its files may grow.
        const auto run = [&](const QString &file, rlim_t room, QString *said) {
            QProcess host;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("HOME"), data);
            environment.insert(QStringLiteral("XDG_DATA_HOME"), data);
            host.setProcessEnvironment(environment);
            host.setChildProcessModifier([room] {
                if (room > 0) {
                    const rlimit limit{room, room};
                    ::setrlimit(RLIMIT_FSIZE, &limit);
                    ::signal(SIGXFSZ, SIG_IGN);
                }
                const gid_t groups[] = {sharing};
                if (::setgroups(1, groups) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
                    ::_exit(77);
            });
            host.start(QStringLiteral(QUENDRA_BIN_DIR "/quendra-host"),
                       {"--headless", file, "--replay", script, "--exit-after-replay", "--out", file});
            const int code = host.waitForFinished(60000) ? host.exitCode() : -1;
            *said = QString::fromLocal8Bit(host.readAllStandardError());
            return code;
        };
        const QStringList drawn{"ok", "new L 0,0 900,0 on 0"};
        QString said;
        const int code = run(plan, 0, &said);
        if (code == 77) QSKIP("this system does not let root act as nobody");
        QVERIFY2(code == 0, qPrintable(said));
        QCOMPARE(corpusTool({QStringLiteral("compare"), original, plan}), drawn);
        struct stat st = statOf(plan);
        QCOMPARE(st.st_uid, uid_t(4242));
        QCOMPARE(st.st_gid, sharing);
        QCOMPARE(st.st_mode & 07777, mode_t(0660));
        QCOMPARE(st.st_nlink, nlink_t(2));
        QVERIFY(bytesOf(also) == bytesOf(plan));
        QCOMPARE(QDir(shared).entryList(QDir::Files | QDir::Hidden), QStringList({"also.dxf", "plan.dxf"}));

        QVERIFY2(run(own, 0, &said) == 0, qPrintable(said));
        QCOMPARE(corpusTool({QStringLiteral("compare"), original, own}), drawn);
        st = statOf(own);
        QCOMPARE(st.st_uid, nobody);
        QCOMPARE(st.st_mode & 07777, mode_t(0644));
        QCOMPARE(QDir(locked).entryList(QDir::Files | QDir::Hidden), QStringList{"plan.dxf"});

        // No room on the disk for a byte more than the old file holds.
        const QByteArray before = bytesOf(own);
        QCOMPARE(run(own, rlim_t(before.size()), &said), 1);
        QVERIFY2(said.contains(QStringLiteral("ファイルを書き込めません")), qPrintable(said));
        QVERIFY(bytesOf(own) == before);
        // The old bytes' copy is gone with the save.
        QDirIterator copies(data, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        QVERIFY2(!copies.hasNext(), qPrintable(copies.next()));
    }

    // A file whose handles are all given ($HANDSEED FFFFFFFFFFFFFFFF, which ezdxf reads and
    // audits clean) opens and says so; an erase, which needs no new handle, is saved; anything
    // drawn is refused with a word, in the session and headless onto the file itself, which
    // stays as it was.
    void aFileWithoutHandlesLeftTakesNothingNew()
    {
        const QString path = dir_.filePath("plan_exhausted.dxf");
        const QByteArray before = bytesOf(path);
        HostSession s;
        QSignalSpy history(&s, &HostSession::historyAdded);
        QString error;
        QVERIFY2(s.open(path, &error), qPrintable(error));
        QStringList said;
        for (const auto &args : history)
            said << args.at(0).toStringList();
        QVERIFY2(said.join('\n').contains(QStringLiteral("ハンドル")), qPrintable(said.join('\n')));
        s.enqueue("ERASE 1000,1500 \n", {});
        const QString erased = dir_.filePath("plan_exhausted.erased.dxf");
        QVERIFY2(s.save(erased, &error), qPrintable(error));
        const QStringList found = corpusTool({QStringLiteral("compare"), path, erased});
        QVERIFY2(found.size() == 1 && found[0].startsWith("lost ARC"), qPrintable(found.join('\n')));

        s.enqueue(door, {});
        QVERIFY(!s.save(path, &error));
        QVERIFY2(error.contains(QStringLiteral("ハンドル")), qPrintable(error));
        QVERIFY(bytesOf(path) == before);

        const QString script = dir_.filePath("exhausted.scr");
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(door);
        f.close();
        QProcess host;
        host.start(QStringLiteral(QUENDRA_BIN_DIR "/quendra-host"),
                   {"--headless", path, "--replay", script, "--exit-after-replay", "--out", path});
        QVERIFY(host.waitForFinished(60000));
        QCOMPARE(host.exitCode(), 1);
        QVERIFY(QString::fromLocal8Bit(host.readAllStandardError()).contains(QStringLiteral("ハンドル")));
        QVERIFY(bytesOf(path) == before);
    }

    // A wipeout moved and an image copied stay what they are in the file, placed anew; the
    // audit finds nothing more.
    void masksAndImagesAreMovedAsThemselves()
    {
        const QString original = dir_.filePath("plan_r2018.dxf");
        const QString saved = dir_.filePath("plan_r2018.masks.dxf");
        HostSession s;
        QString error;
        QVERIFY2(s.open(original, &error), qPrintable(error));
        s.enqueue("MOVE 6200,4100  0,0 100,100\nCOPY 12280,300  0,0 @0,1000 \n", {});
        QVERIFY2(s.save(saved, &error), qPrintable(error));
        const QStringList found = corpusTool({QStringLiteral("compare"), original, saved});
        QVERIFY2(found.size() == 2, qPrintable(found.join('\n')));
        QVERIFY2(found[0].startsWith("changed WIPEOUT") &&
                     found[0].contains("('insert', Vec3(5900.0, 3900.0, 0.0))"),
                 qPrintable(found[0]));
        QCOMPARE(found[1], QStringLiteral("new IMAGE on 0"));
    }

    // Layers as a CAD user sets them, through the headless host: a layer made current and
    // coloured, a line drawn on it, CLAYER back to 0, a circle there, a line moved to the layer by
    // CHPROP, a layer made and taken back, one that was off turned on. The saved file has each new
    // entity on its layer, the new layer in its table (in the file's code page) and the other
    // layer's change, and audits clean; every other byte is kept (compare).
    void layersAreSavedAsSet_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("layer");
        QTest::newRow("R2000") << "plan_r2000"
                               << "DOOR";
        QTest::newRow("R2000 Shift-JIS") << "plan_sjis" << QStringLiteral("建具");
    }

    void layersAreSavedAsSet()
    {
        QFETCH(QString, name);
        QFETCH(QString, layer);
        const QString script = dir_.filePath(name + ".layers.scr");
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(
            QStringLiteral("-LAYER M %1 C 3 %1 \nLINE 0,0 900,0 \nCLAYER 0\nCIRCLE 450,0 50\n"
                           "LINE 0,-100 900,-100 \nCHPROP L  LA %1 \n-LAYER N TEMP \nU\n-LAYER ON HIDDEN \n")
                .arg(layer)
                .toUtf8());
        f.close();
        const QString original = dir_.filePath(name + ".dxf"), saved = dir_.filePath(name + ".layers.dxf");
        QProcess host;
        host.start(QStringLiteral(QUENDRA_BIN_DIR "/quendra-host"),
                   {"--headless", original, "--replay", script, "--exit-after-replay", "--out", saved});
        QVERIFY(host.waitForFinished(60000));
        QCOMPARE(host.exitCode(), 0);
        QCOMPARE(corpusTool({QStringLiteral("compare"), original, saved}),
                 QStringList({"ok", "new L 0,0 900,0 on " + layer, "new C 450,0 50 on 0",
                              "new L 0,-100 900,-100 on " + layer}));
        QCOMPARE(
            corpusTool({QStringLiteral("layers"), saved}),
            QStringList({"0 7 on thawed", "Defpoints 7 on thawed", "WALL 1 on thawed", "HIDDEN 3 on thawed",
                         "FROZEN 4 on frozen", "CENTRE 7 on thawed", layer + " 3 on thawed", "current 0"}));

        // A new drawing keeps its layers' states as well.
        HostSession fresh;
        fresh.type(QStringLiteral("-LAYER M DOORS C 4 DOORS \nLINE 0,0 900,0 \n-LAYER S 0 F DOORS \n"));
        const QString made = dir_.filePath(name + ".new.dxf");
        QString error;
        QVERIFY2(fresh.save(made, &error), qPrintable(error));
        QCOMPARE(corpusTool({QStringLiteral("layers"), made}),
                 QStringList({"0 7 on thawed", "DOORS 4 on frozen", "Defpoints 7 on thawed", "current 0"}));
        HostSession reopened;
        QVERIFY2(reopened.open(made, &error), qPrintable(error));
        QCOMPARE(reopened.drawing().layers()[reopened.drawing().view(0).layer].name, std::string("DOORS"));
    }

    // What a plan holds is shown: blocks through their references (the door turned and mirrored,
    // with its knob nested, its attribute and its mirrored text), dimensions through their blocks,
    // MTEXT, solid hatches as fills and patterned ones by their pattern lines, a point, an xline
    // and a ray, a wipeout as a mask, an image by its frame, line types from the entity or its
    // layer scaled by $LTSCALE (and the entity's own scale), backwards text; the layer that is
    // off, the frozen one and paper space are not.
    void planIsShownAsItIsDrawn_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("R12") << "plan_r12";
        QTest::newRow("R2000") << "plan_r2000";
        QTest::newRow("binary") << "plan_binary";
    }

    void planIsShownAsItIsDrawn()
    {
        QFETCH(QString, name);
        HostSession s;
        QString error;
        QVERIFY(s.open(dir_.filePath(name + ".dxf"), &error));
        const auto lines = cad::describe(s.drawing());
        const auto shows = [&](const std::string &line) {
            return std::find(lines.begin(), lines.end(), line) != lines.end();
        };
        const auto showsStarting = [&](const std::string &start) {
            return std::any_of(lines.begin(), lines.end(),
                               [&](const std::string &l) { return l.starts_with(start); });
        };
        QVERIFY(shows("P 0,0 6000,0 6000,4000 0,4000 closed #1")); // ByLayer: the layer's red
        QVERIFY(shows("L 1000,0 1000,-900"));
        QVERIFY(shows("A 1000,0 900 180..270"));
        QVERIFY(shows("C 950,-800 20"));
        QVERIFY(shows("T 1150,-90 100 90 D1 mirrored")); // given seen from below, at the door
        QVERIFY(shows("L 0,-500 6000,-500"));
        QVERIFY(showsStarting("P 0,0 100,0 100,100 0,100 closed")); // SOLID
        QVERIFY(!showsStarting("L 0,0 6000,4000"));
        QVERIFY(!showsStarting("C 3000,2000 300"));
        QVERIFY(!showsStarting("T 11.25,2.5 5 0 paper"));
        QVERIFY(shows("L 10,10 10,10")); // POINT
        QVERIFY(shows("T 850,-500 100 90 L mirrored"));
        QVERIFY(shows("T 6900,3100 200 0 R mirrored")); // left-aligned backwards: to the left
        QVERIFY(shows("L 0,-2500 6000,-2500 dashes 31.75/-6.35/6.35/-6.35")); // CENTER by layer, x10
        QVERIFY(shows("L 0,-3000 6000,-3000"));
        if (name == "plan_r12") {
            QVERIFY(shows("L 0,-2000 6000,-2000 dashes 12.7/-2.54")); // R12 has no scale of its own
            return;
        }
        QVERIFY(shows("L 0,-2000 6000,-2000 dashes 25.4/-5.08")); // DASHED, x10 x2
        QVERIFY(shows("F 7000,0 8000,0 8000,1000 7000,0 #2"));    // without its seed point
        // ANSI31 at scale 10: lines at 45 degrees 31.75 apart, cut to the triangle.
        QVERIFY(shows("L 9968.084295,0 10000,31.915705 #7"));
        QVERIFY(shows("L 9025.157402,0 10000,974.842598 #7"));
        QVERIFY(!showsStarting("P 9000,0 10000,0 10000,1000"));
        QVERIFY(shows("P 13000,0 14000,0 14000,1000 closed #7")); // too fine: its boundary
        QVERIFY(shows("X 0,0 0.707107,0.707107"));
        QVERIFY(shows("R 0,0 1,0"));
        QVERIFY(shows("F 5800,3800 6200,3800 6200,4200 5800,4200 5800,3800 mask"));
        QVERIFY(shows("P 11000,0 12280,0 12280,640 11000,640 closed")); // IMAGE
        QVERIFY(shows("T 202.5,5925 150 0 一行目"));
        QVERIFY(showsStarting("P 2400,2000 "));                   // the partial ellipse, from its start
        QVERIFY(showsStarting("P 0,5000 33.350461,4959.231786")); // the bulge, as an arc
    }

    // Painted, the plan shows its fills filled, its mask over the wall, its xline out to the
    // edges of the view, and, close enough, its dashes with gaps.
    void planIsPaintedAsItIsDrawn()
    {
        HostSession s;
        QString error;
        QVERIFY(s.open(dir_.filePath("plan_r2000.dxf"), &error));
        QImage image(1400, 1200, QImage::Format_RGB32);
        const QRectF target(image.rect());
        const auto paint = [&](const cad::ViewTransform &view) {
            QPainter painter(&image);
            cad::RenderStyle style;
            style.antialiasing = false;
            cad::render(painter, s.drawing(), target, view, style);
        };
        cad::ViewTransform view{{5000, 1000}, 0.1}; // 10 units a pixel
        const auto at = [&](double x, double y) {
            return image.pixelColor(view.toDevice(target, {x, y}).toPoint());
        };
        const auto inkedNear = [&](double x, double y) {
            const QPoint p = view.toDevice(target, {x, y}).toPoint();
            for (int dx = -1; dx <= 1; ++dx)
                for (int dy = -1; dy <= 1; ++dy)
                    if (image.pixelColor(p + QPoint(dx, dy)) != Qt::white) return true;
            return false;
        };
        paint(view);
        QCOMPARE(at(7800, 300), QColor(255, 255, 0));     // the solid hatch, yellow
        QCOMPARE(at(6000, 2000), QColor(255, 0, 0));      // the wall, red
        QCOMPARE(at(6000, 4000 - 50), QColor(Qt::white)); // under the wipeout
        QVERIFY(inkedNear(9800, 100));                    // the hatch pattern
        QVERIFY(!inkedNear(9200, 700));                   // ... between its lines and outside
        // The xline through the origin at 45 degrees, beyond the plan's extents.
        QVERIFY(inkedNear(-1500, -1500));
        QVERIFY(inkedNear(5500, 5500));

        view = {{3000, -2500}, 1.0}; // a unit a pixel: the patterns are tens of pixels long
        paint(view);
        const auto inkedOn = [&](double y) {
            int n = 0;
            for (double x = 2400; x < 3600; ++x)
                n += at(x, y) != Qt::white;
            return n;
        };
        const int dashed = inkedOn(-2000), centre = inkedOn(-2500), continuous = inkedOn(-3000);
        QCOMPARE(continuous, 1200);
        // Dashes 25.4 and gaps 5.08 (83 % ink); 31.75, 6.35 and 6.35 with gaps of 6.35 (75 %). A
        // dash inks a pixel more than its length.
        QVERIFY2(dashed >= 1000 && dashed <= 1050, qPrintable(QString::number(dashed)));
        QVERIFY2(centre >= 900 && centre <= 975, qPrintable(QString::number(centre)));
    }

    void codePageTextsAreShownDecoded()
    {
        HostSession s;
        QString error;
        QVERIFY(s.open(dir_.filePath("plan_sjis.dxf"), &error));
        const auto lines = cad::describe(s.drawing());
        QVERIFY(std::find(lines.begin(), lines.end(), "T 3000,3500 200 0 片開き扉 ９００") != lines.end());
    }

    // New texts go into the file's code page where it holds them (＋ is 0x817B in Shift-JIS),
    // and only what it cannot hold (Hangul) as \U+ escapes: in a Shift-JIS file and in a new
    // drawing, which is written in Shift-JIS as well. Both read back as drawn.
    void textsAreWrittenInTheFilesCodePage()
    {
        const QByteArray written = "\x81{1000 \x92\xca\x82\xe8\x90"
                                   "c \\U+D55C\n";
        for (const QString &name : {QStringLiteral("plan_sjis"), QStringLiteral("new")}) {
            HostSession s;
            QString error;
            if (name != "new") QVERIFY2(s.open(dir_.filePath(name + ".dxf"), &error), qPrintable(error));
            s.enqueue("DTEXT j m 0,0 100 0 ＋1000 通り芯 한\n\n", {});
            const QString saved = dir_.filePath(name + ".text.dxf");
            QVERIFY2(s.save(saved, &error), qPrintable(error));
            QVERIFY2(bytesOf(saved).contains(written), qPrintable(name));
            if (name != "new")
                QCOMPARE(corpusTool({QStringLiteral("compare"), dir_.filePath(name + ".dxf"), saved}),
                         QStringList({"ok", "new T 0,0 100 0 ＋1000 通り芯 한 on 0"}));
            HostSession again;
            QVERIFY2(again.open(saved, &error), qPrintable(error));
            const auto lines = cad::describe(again.drawing());
            QVERIFY(std::find(lines.begin(), lines.end(), "T 0,0 100 0 ＋1000 通り芯 한") != lines.end());
        }
    }

    // Refused at first, with a clear word; recovered on request, and then saved only under a new
    // name until the user allows overwriting the damaged file.
    void fileCutShortIsRecoveredOnlyWhenAsked()
    {
        HostSession s;
        s.enqueue("LINE 0,0 1,1 \n", {});
        QString error;
        const QString cut = dir_.filePath("cut.dxf");
        const QByteArray before = bytesOf(cut);
        QVERIFY(!s.open(cut, &error));
        QVERIFY(error.contains(QStringLiteral("切れて")));
        QVERIFY(s.recoverable());
        QCOMPARE(s.drawing().size(), std::size_t(1));

        QVERIFY2(s.open(cut, &error, true), qPrintable(error));
        QVERIFY(s.recovered());
        QVERIFY(s.drawing().size() > 5);
        s.enqueue(door, {});
        QVERIFY(!s.save(cut, &error));
        QVERIFY(bytesOf(cut) == before);
        const QString elsewhere = dir_.filePath("recovered.dxf");
        QVERIFY2(s.save(elsewhere, &error), qPrintable(error));
        QCOMPARE(corpusTool({QStringLiteral("compare"), elsewhere, elsewhere}), QStringList{"ok"});
        s.allowOverwrite();
        QVERIFY(s.save(cut, &error));
    }

    // Entities with values that could not be read, and values cut to a line, are said apart from
    // the kinds not drawn; what was cut goes back whole.
    void badAndLongValuesAreSaid()
    {
        const QString path = dir_.filePath("bad_values.dxf");
        const QByteArray longText(5000, 'x');
        const QByteArray original = "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nnan\n20\n0\n11\n1\n21\n1\n"
                                    "0\nMLINE\n10\n0\n20\n0\n0\nTEXT\n10\n0\n20\n0\n40\n1\n1\n" +
                                    longText + "\n0\nLINE\n11\n7\n21\n8\n0\nENDSEC\n0\nEOF\n";
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(original);
        f.close();
        HostSession s;
        QSignalSpy history(&s, &HostSession::historyAdded);
        QString error;
        QVERIFY2(s.open(path, &error), qPrintable(error));
        QCOMPARE(s.drawing().size(), std::size_t(2));
        QStringList said;
        for (const auto &args : history)
            said << args.at(0).toStringList();
        const auto has = [&](const QString &words) {
            return std::any_of(said.begin(), said.end(), [&](const QString &l) { return l.contains(words); });
        };
        QVERIFY2(has(QStringLiteral("対応していない図形 1 個")), qPrintable(said.join('\n')));
        QVERIFY(has(QStringLiteral("読めない値(数でない値、無限大、大きすぎる座標など)を含む図形 1 個")));
        QVERIFY(has(QStringLiteral("長すぎる値 1 個")));
        s.enqueue("LINE 0,0 1,1 \n", {});
        const QString saved = dir_.filePath("bad_values.saved.dxf");
        QVERIFY2(s.save(saved, &error), qPrintable(error));
        QVERIFY(bytesOf(saved).contains("\n1\n" + longText + "\n0\nLINE\n11\n7\n"));
    }

    // A save syncs the folder after its rename: the new file is there after a power cut.
    void aSaveSyncsItsFolder()
    {
        QTemporaryDir dir;
        const QString script = dir.filePath("line.scr"), log = dir.filePath("fsync.log");
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("LINE 0,0 10,0 \n");
        f.close();
        QProcess host;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(FSYNC_SPY));
        environment.insert(QStringLiteral("QUENDRA_FSYNC_LOG"), log);
        host.setProcessEnvironment(environment);
        host.start(QStringLiteral(QUENDRA_BIN_DIR "/quendra-host"),
                   {"--headless", "--replay", script, "--exit-after-replay", "--out", dir.filePath("a.dxf")});
        QVERIFY(host.waitForFinished(60000));
        QCOMPARE(host.exitCode(), 0);
        QVERIFY(bytesOf(log).contains("folder"));
    }

    void notDxfChangesNothing()
    {
        const QString path = dir_.filePath("notes.dxf");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("これは図面ではありません\n");
        f.close();
        HostSession s;
        s.enqueue("LINE 0,0 1,1 \n", {});
        QString error;
        QVERIFY(!s.open(path, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!s.recoverable());
        QCOMPARE(s.drawing().size(), std::size_t(1));
    }

    // Old and odd but legal: no header and no handles (as R12 may be), CR LF, codes without
    // padding, bytes after EOF. What is drawn goes in without handles, and the rest stays.
    void oddFilesKeepTheirForm()
    {
        const QString path = dir_.filePath("odd.dxf");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QByteArray original =
            "0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nLINE\r\n8\r\n0\r\n10\r\n0\r\n20\r\n0\r\n"
            "11\r\n10\r\n21\r\n10\r\n0\r\nENDSEC\r\n0\r\nEOF\r\ntrailing words\r\n";
        f.write(original);
        f.close();
        HostSession s;
        QString error;
        QVERIFY2(s.open(path, &error), qPrintable(error));
        s.enqueue("CIRCLE 5,5 2 ", {});
        const QString saved = dir_.filePath("odd.saved.dxf");
        QVERIFY(s.save(saved, &error));
        const QByteArray bytes = bytesOf(saved);
        QCOMPARE(bytes, QByteArray(original).replace("0\r\nENDSEC",
                                                     "0\r\nCIRCLE\r\n8\r\n0\r\n10\r\n5.0\r\n20\r\n5.0\r\n"
                                                     "30\r\n0.0\r\n40\r\n2.0\r\n0\r\nENDSEC"));
        QCOMPARE(corpusTool({QStringLiteral("compare"), path, saved}),
                 QStringList({"ok", "new C 5,5 2 on 0"}));
    }

private:
    // What ezdxf finds changed, lost and added when `typed` is typed into the corpus drawing
    // `name` opened in a session and saved; and what the session said meanwhile.
    struct Typed
    {
        QStringList found, said;
        bool has(const QString &begin, const QString &part) const
        {
            return std::any_of(found.begin(), found.end(),
                               [&](const QString &l) { return l.startsWith(begin) && l.contains(part); });
        }
    };
    Typed typedInto(const QString &name, const char *typed)
    {
        const QString original = dir_.filePath(name + ".dxf"), saved = dir_.filePath(name + ".typed.dxf");
        HostSession s;
        QSignalSpy history(&s, &HostSession::historyAdded);
        QString error;
        if (!s.open(original, &error)) return {{error}, {}};
        s.enqueue(typed, {});
        if (!s.save(saved, &error)) return {{error}, {}};
        Typed t{corpusTool({QStringLiteral("compare"), original, saved}), {}};
        for (const auto &args : history)
            t.said << args.at(0).toStringList();
        return t;
    }

    QTemporaryDir dir_;
};

QTEST_MAIN(TestRealDrawings)
#include "TestRealDrawings.moc"
