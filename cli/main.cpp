#include "cli/QuendraScript.h"

#include <iostream>

#ifdef _WIN32
#include <QCoreApplication>
#include <QStringList>
#endif

int main(int argc, char *argv[])
{
#ifdef _WIN32
    // Windows gives main() its arguments in the ANSI code page; the forms read UTF-8 (QtCore takes
    // them from the wide command line).
    const QCoreApplication app(argc, argv);
    std::vector<std::string> args;
    for (const QString &a : QCoreApplication::arguments().mid(1))
        args.push_back(a.toStdString());
#else
    const std::vector<std::string> args(argv + 1, argv + argc);
#endif
    std::string out, err;
    const int code = quendra::runQuendraScript(args, out, err);
    std::cout << out << std::flush;
    std::cerr << err << std::flush;
    return code;
}
