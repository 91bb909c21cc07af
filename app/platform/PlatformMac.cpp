#include "Platform.h"

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

void sendEscape()
{
    // Typing into another program needs the accessibility permission; the host needs no Escape.
}

bool openInTextViewer(const QString &path)
{
    // TextEdit is part of every macOS installation.
    return startProgram(QStringLiteral("/usr/bin/open"), {QStringLiteral("-t"), path});
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
