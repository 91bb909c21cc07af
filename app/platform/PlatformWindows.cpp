#include "app/platform/Platform.h"

#include "link/dde/WinPlatform.h"

#include <QDir>

namespace quendra::platform {

// The Win32 pieces live in the Qt-free layer beside the DDE transport, where they are tested
// under Wine.
bool startProgram(const QString &program, const QStringList &arguments, QString *error)
{
    std::vector<std::wstring> args;
    for (const QString &a : arguments)
        args.push_back(a.toStdWString());
    const auto launch = win::startProgram(QDir::toNativeSeparators(program).toStdWString(), args);
    if (!launch.started && error) *error = QString::fromStdWString(launch.error);
    return launch.started;
}

void sendEscape()
{
    win::sendEscape();
}

bool openInTextViewer(const QString &path)
{
    return win::openInNotepad(QDir::toNativeSeparators(path).toStdWString()).started;
}

QStringList hostProgramFilters()
{
    return {QStringLiteral("AutoCAD LT実行ﾌｧｲﾙ(aclt.exe)")};
}

int hostProgramFilterIndex()
{
    return 1;
}

QString hostProgramFolder()
{
    return {};
}

// Notepad and the CAD host of this platform expect the ANSI code page.
TextFileFormat::Encoding newTextEncoding()
{
    return TextFileFormat::Encoding::ShiftJis;
}

} // namespace quendra::platform
