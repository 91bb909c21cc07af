#include "app/platform/Platform.h"

#include "link/CadLink.h"

// What Linux and macOS do alike; the rest is in PlatformLinux.cpp and PlatformMac.cpp.

#include <QCoreApplication>
#include <QProcess>

namespace quendra::platform {

bool startProgram(const QString &program, const QStringList &arguments, QString *error)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    // LibreCAD comes up with its Quendra_LT bridge already on, serving the conversation.
    if (hostOfProgram(program.toStdString()) == ChosenHost::LibreCad) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QUENDRA_BRIDGE"), QStringLiteral("on"));
        process.setProcessEnvironment(environment);
    }
    if (process.startDetached()) return true;
    if (error) *error = process.errorString();
    return false;
}

QStringList hostProgramFilters()
{
    return {QStringLiteral("AutoCAD LT実行ﾌｧｲﾙ(aclt.exe)"), QStringLiteral("Quendra_LTホスト(quendra-host)"),
            QStringLiteral("LibreCAD(librecad)")};
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
