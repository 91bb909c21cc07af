#include "app/platform/Platform.h"

// What Linux and macOS do alike; the rest is in PlatformLinux.cpp and PlatformMac.cpp.

#include <QCoreApplication>
#include <QProcess>

namespace quendra::platform {

bool startProgram(const QString &program, const QStringList &arguments, QString *error)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (process.startDetached()) return true;
    if (error) *error = process.errorString();
    return false;
}

QStringList hostProgramFilters()
{
    return {QStringLiteral("AutoCAD LT実行ﾌｧｲﾙ(aclt.exe)"), QStringLiteral("Quendra_LTホスト(quendra-host)")};
}

int hostProgramFilterIndex()
{
    return 2;
}

QString hostProgramFolder()
{
    return QCoreApplication::applicationDirPath();
}

TextFileFormat::Encoding newTextEncoding()
{
    return TextFileFormat::Encoding::Utf8;
}

} // namespace quendra::platform
