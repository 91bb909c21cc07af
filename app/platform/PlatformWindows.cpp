#include "Platform.h"

#include <QCoreApplication>
#include <QProcess>

#include <windows.h>

namespace quendra::platform {

bool startProgram(const QString &program, const QStringList &arguments, QString *error)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (process.startDetached())
        return true;
    if (error)
        *error = process.errorString();
    return false;
}

void sendEscape()
{
    INPUT keys[2] = {};
    keys[0].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = VK_ESCAPE;
    keys[1] = keys[0];
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
}

bool openInTextViewer(const QString &path)
{
    return startProgram(QStringLiteral("notepad.exe"), {path});
}

QStringList hostProgramFilters() { return {QStringLiteral("AutoCAD LT実行ﾌｧｲﾙ(aclt.exe)")}; }

int hostProgramFilterIndex() { return 1; }

QString hostProgramFolder() { return {}; }

// Notepad and the CAD host of this platform expect the ANSI code page.
TextFileFormat::Encoding newTextEncoding() { return TextFileFormat::Encoding::ShiftJis; }

} // namespace quendra::platform
