#pragma once

// Checks shared by the 1:100 fitting tests: scripts spelt the way the tables list them (the
// points, then the blanks of each row), and the two ways a press can end.

#include "tests/support/FormHarness.h"

#include <QString>
#include <QTest>

#include <string>
#include <vector>

namespace plan100 {

// The command word, each point followed by its blanks, and a carriage return if asked.
inline std::string scriptOf(const std::string &command, const std::vector<std::string> &points,
                            const std::vector<int> &blanks, bool carriageReturn = true)
{
    if (points.size() != blanks.size()) throw std::invalid_argument("scriptOf: one blank count per point");
    std::string s = command;
    for (size_t i = 0; i < points.size(); ++i)
        s += points[i] + std::string(static_cast<size_t>(blanks[i]), ' ');
    return carriageReturn ? s + '\r' : s;
}

inline QStringList qt(const std::vector<std::string> &v)
{
    QStringList out;
    for (const std::string &s : v)
        out << QString::fromStdString(s);
    return out;
}

// The press sent exactly these scripts, said nothing, and closed as a draw does.
inline bool sentExactly(const quendra::ButtonPress &p, const std::vector<std::string> &expected)
{
    [&] {
        QCOMPARE(qt(harness::messages(p)), QStringList());
        QCOMPARE(qt(harness::scripts(p)), qt(expected));
        QCOMPARE(p.focus, std::string("Combo1"));
        QVERIFY(p.minimiseAfterSending);
    }();
    return !QTest::currentTestFailed();
}

// The press showed only this message and sent nothing, leaving the dialog as it was.
inline bool refused(const quendra::ButtonPress &p, const std::string &message)
{
    [&] {
        QCOMPARE(qt(harness::messages(p)), QStringList{QString::fromStdString(message)});
        QVERIFY(harness::scripts(p).empty());
        QVERIFY(!p.minimiseAfterSending);
        QVERIFY(!p.minimiseBeforeSending);
    }();
    return !QTest::currentTestFailed();
}

// The base-point button accepts `atLimit` (sends "ID" after minimising) and refuses `below`.
inline bool basePointLimit(const quendra::FormDefinition &form, const std::string &atLimit,
                           const std::string &below)
{
    [&] {
        const auto ok = harness::press(form, "Command1", {{"Combo1", atLimit}});
        QCOMPARE(qt(harness::scripts(ok)), QStringList{"ID\r"});
        QVERIFY(ok.minimiseBeforeSending);
        QVERIFY(refused(harness::press(form, "Command1", {{"Combo1", below}}),
                        "入力された数値が正しくありません。"));
    }();
    return !QTest::currentTestFailed();
}

} // namespace plan100
