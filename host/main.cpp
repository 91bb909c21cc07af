// quendra-host: a small CAD program that serves the assistant's conversations.

#include "CommandServer.h"
#include "HeadlessHost.h"
#include "HostOptions.h"
#include "HostSession.h"
#include "MainWindow.h"
#include "SignalWatcher.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

bool wantsHeadless(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--headless") == 0) return true;
    return false;
}

void tell(bool headless, const QString &message, bool error)
{
    if (headless || !qobject_cast<QApplication *>(QCoreApplication::instance())) {
        std::fprintf(error ? stderr : stdout, "%s\n", message.toLocal8Bit().constData());
        return;
    }
    QMessageBox::warning(nullptr, QStringLiteral("quendra-host"), message);
}

int serve(HostSession &session, CommandServer &server, const HostOptions &options)
{
    for (const auto &[service, topic] : options.served) {
        QString error;
        if (!server.listen(service, topic, &error)) {
            tell(options.headless, error, true);
            if (options.headless) return 3;
            session.note(error);
        }
    }
    return 0;
}

int runHeadless(const HostOptions &options)
{
    HostSession session;
    CommandServer server(session);
    if (const int rc = serve(session, server, options); rc != 0) return rc;
    HeadlessHost host(session, options);
    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::terminate, &host, &HeadlessHost::finish);
    if (host.start()) QCoreApplication::exec();
    server.close();
    return host.exitCode();
}

int runWindow(const HostOptions &options)
{
    // Qt's own dialogs (files, buttons) in Japanese, like the rest of the window.
    QTranslator translator;
    if (translator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&translator);
    HostSession session;
    CommandServer server(session);
    MainWindow window(session);
    serve(session, server, options);
    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::terminate, &window, &MainWindow::quitWithoutAsking);
    QObject::connect(&server, &CommandServer::conversationsChanged, &window, &MainWindow::showConversations);
    window.show();
    window.start(options);
    const int rc = QApplication::exec();
    server.close();
    return rc;
}

} // namespace

int main(int argc, char **argv)
{
    const bool headless = wantsHeadless(argc, argv);
    std::unique_ptr<QCoreApplication> app;
    if (headless)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quendra-host"));
    QCoreApplication::setOrganizationName(QStringLiteral("Quendra_LT"));

    HostOptions options;
    QString message;
    if (!HostOptions::parse(QCoreApplication::arguments(), options, &message)) {
        const bool help = QCoreApplication::arguments().contains(QStringLiteral("--help")) ||
                          QCoreApplication::arguments().contains(QStringLiteral("-h"));
        tell(headless, message, !help);
        return help ? 0 : 2;
    }
    return headless ? runHeadless(options) : runWindow(options);
}
