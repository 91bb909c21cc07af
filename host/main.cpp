// quendra-host: a small CAD program that serves the assistant's conversations.

#include "host/session/Allocator.h"
#include "host/session/CommandServer.h"
#include "host/session/HeadlessHost.h"
#include "host/session/HostOptions.h"
#include "host/session/HostSession.h"
#include "host/session/ScheduleCsv.h"
#include "host/session/SignalWatcher.h"
#include "host/window/Export.h"
#include "host/window/HostWindow.h"
#include "host/window/Plot.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTimer>
#include <QTranslator>

#ifdef _WIN32
#include "host/session/DdeCommandServer.h"

#include <windows.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

namespace host {
namespace {

// Whether an option is given, before the application exists to parse the arguments.
bool given(int argc, char **argv, const char *option)
{
    const std::size_t length = std::strlen(option);
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], option, length) == 0 && (argv[i][length] == '\0' || argv[i][length] == '='))
            return true;
    return false;
}

// A run that nobody watches (headless, the help) must not stop at a box: a fatal error of Qt's
// (no platform plugin, say) ends it with the reason on stderr instead of aborting, which on
// Windows shows a box. Built for the Windows subsystem, the host has no console of its own.
void runUnattended()
{
#ifdef _WIN32
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    // Such a run takes the console it was started from, else a hidden one of its own: Qt shows a
    // box when no platform starts in a program without a console. Output already sent somewhere
    // (a file, a pipe) stays there.
    if (!GetConsoleWindow()) {
        const auto usable = [](HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; };
        const DWORD kinds[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
        HANDLE sent[3];
        for (int i = 0; i < 3; ++i)
            sent[i] = GetStdHandle(kinds[i]);
        const bool attached = AttachConsole(ATTACH_PARENT_PROCESS);
        if (!attached && AllocConsole())
            if (const HWND console = GetConsoleWindow()) ShowWindow(console, SW_HIDE);
        for (int i = 0; i < 3; ++i)
            if (usable(sent[i])) SetStdHandle(kinds[i], sent[i]);
        if (attached && !usable(sent[1])) std::freopen("CONOUT$", "w", stdout);
        if (attached && !usable(sent[2])) std::freopen("CONOUT$", "w", stderr);
    }
#endif
    // On stderr itself: Qt's own printer sends a program without a console to the debugger instead.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &text) {
        std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, text).toLocal8Bit().constData());
        if (type != QtFatalMsg) return;
        std::fflush(stderr);
        std::_Exit(4);
    });
}

void tell(bool headless, const QString &message, bool error)
{
    if (headless || !qobject_cast<QApplication *>(QCoreApplication::instance())) {
        std::fprintf(error ? stderr : stdout, "%s\n", message.toLocal8Bit().constData());
        return;
    }
    QMessageBox::warning(nullptr, QStringLiteral("quendra-host"), message);
}

#ifdef _WIN32
// DDE's conversations go into the session's record as the sockets' do. What DDEML's callback asks
// for is done from the event loop, after the callback has answered: what a script sets off (a
// pick, the colour dialog) must not keep the client waiting.
DdeCommandServer::Sink ddeSink(HostSession &session, const std::function<void()> &conversationsChanged)
{
    Conversations &record = session.conversations();
    const auto later = [&record](auto work) {
        QMetaObject::invokeMethod(&record, std::move(work), Qt::QueuedConnection);
    };
    DdeCommandServer::Sink sink;
    sink.begin = [&record] { return record.begin(); };
    sink.end = [&record, later](int conversation, bool cancel) {
        later([&record, conversation, cancel] { record.end(conversation, cancel); });
    };
    sink.admit = [&record](const std::string &script, std::string *reason) {
        QString why;
        const Conversations::Answer answer = record.admit(script, &why);
        *reason = why.toStdString();
        switch (answer) {
        case Conversations::Answer::Now:
            return DdeCommandServer::Answer::Now;
        case Conversations::Answer::AfterSave:
            return DdeCommandServer::Answer::AfterSave;
        case Conversations::Answer::Refused:
            break;
        }
        return DdeCommandServer::Answer::Refused;
    };
    sink.queue = [&record, later](int conversation, std::string script) {
        later([&record, conversation, script = std::move(script)] {
            record.queue(conversation, script, QStringLiteral("DDE"));
        });
    };
    sink.note = [&session](const std::string &line) { session.note(QString::fromStdString(line)); };
    sink.conversationsChanged = [conversationsChanged](int) { conversationsChanged(); };
    return sink;
}
#endif

// Every way the host is reached: its sockets and, on Windows, DDE as well.
class Servers
{
public:
    explicit Servers(HostSession &session)
        : session_(session), sockets_(session)
#ifdef _WIN32
          ,
          dde_(ddeSink(session, [this] { tellConversations(); }))
#endif
    {
        QObject::connect(&sockets_, &CommandServer::conversationsChanged, [this] { tellConversations(); });
#ifdef _WIN32
        QObject::connect(&session.conversations(), &Conversations::saveAnswered, &session,
                         [this](int conversation, const QString &failure) {
                             dde_.saveAnswered(conversation, failure.toStdString());
                         });
#endif
    }

    ~Servers()
    {
        close();
    }

    // 0, or the exit code of a headless host that cannot serve a service.
    int listen(const HostOptions &options)
    {
        for (const auto &[service, topic] : options.served) {
            QString error;
            bool served = sockets_.listen(service, topic, &error);
#ifdef _WIN32
            std::string ddeError;
            if (served && !dde_.listen(service.toStdString(), topic.toStdString(), &ddeError)) {
                served = false;
                error = QString::fromStdString(ddeError);
            }
#endif
            if (served) continue;
            tell(options.headless, error, true);
            if (options.headless) return 3;
            session_.note(error);
        }
        return 0;
    }

    void setPlaceTeller(CommandServer::PlaceTeller teller)
    {
        sockets_.setPlaceTeller(std::move(teller));
    }

    int conversations() const
    {
        int count = sockets_.conversations();
#ifdef _WIN32
        count += dde_.conversations();
#endif
        return count;
    }

    void close()
    {
        onConversations = nullptr;
        sockets_.setPlaceTeller(nullptr);
#ifdef _WIN32
        dde_.close();
#endif
        sockets_.close();
    }

    std::function<void(int count)> onConversations;

private:
    void tellConversations()
    {
        if (onConversations) onConversations(conversations());
    }

    HostSession &session_;
    CommandServer sockets_;
#ifdef _WIN32
    DdeCommandServer dde_;
#endif
};

int runHeadless(const HostOptions &options)
{
    PlotSettings plotSettings;
    QString message;
    if (!readPlotOptions(options.plot, plotSettings, &message)) {
        tell(true, message, true);
        return 2;
    }
    HostSession session;
    session.setWallOpenings(options.wallOpenings);
    Servers servers(session);
    if (const int rc = servers.listen(options); rc != 0) return rc;
    HeadlessHost host(session, options);
    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::terminate, &host, &HeadlessHost::finish);
    if (host.start()) QCoreApplication::exec();
    servers.close();
    if (host.refused()) return host.exitCode();
    int rc = host.exitCode();
    // The pictures as the window's export writes them: the drawing at its extents.
    const auto written = [&rc](const QString &error) {
        if (error.isEmpty()) return;
        tell(true, error, true);
        rc = 1;
    };
    if (!options.png.isEmpty()) written(exportPng(session.drawing(), options.png));
    if (!options.svg.isEmpty()) written(exportSvg(session.drawing(), options.svg));
    if (!options.plot.pdf.isEmpty()) written(exportPdf(session.drawing(), plotSettings, options.plot.pdf));
    if (!options.schedule.isEmpty()) written(writeScheduleCsv(session.drawing(), options.schedule));
    return rc;
}

int runWindow(const HostOptions &options)
{
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quendra-host.svg")));
    // Qt's own dialogs (files, buttons) in Japanese, like the rest of the window.
    QTranslator translator;
    if (translator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&translator);
    HostSession session;
    Servers servers(session);
    HostWindow window(session);
    servers.listen(options);
    servers.onConversations = [&window](int count) { window.showConversations(count); };
    servers.setPlaceTeller([&window] {
        const auto [frame, drawing] = window.placeOnScreen();
        return CommandServer::WindowPlace{frame, drawing};
    });
    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::terminate, &window, &HostWindow::quitWithoutAsking);
    window.show();
    // From the event loop: a message about FILE is then shown inside exec(), where SIGTERM's
    // quit reaches it; before exec() a quit does nothing and would be lost for good.
    QTimer::singleShot(0, &window, [&window, &options] { window.start(options); });
    const int rc = QApplication::exec();
    servers.close();
    return rc;
}

} // namespace
} // namespace host

int main(int argc, char **argv)
{
    host::returnLargeBlocks();
    const bool headless = host::given(argc, argv, "--headless");
    // The help needs no screen: it is printed from a terminal, also where no display is.
    const bool help = host::given(argc, argv, "--help") || host::given(argc, argv, "-h");
    // A headless plot or picture lays out text, which takes the fonts of a GUI application, on no
    // screen.
    const bool plots = headless && (host::given(argc, argv, "--pdf") || host::given(argc, argv, "--png") ||
                                    host::given(argc, argv, "--svg"));
    if (plots && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
#ifdef _WIN32
        // The Windows zip ships Qt's minimal platform; with the system's fonts it lays out text.
        qputenv("QT_QPA_PLATFORM", "minimal:enable_fonts");
#else
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    }
    if (headless || help) host::runUnattended();
    std::unique_ptr<QCoreApplication> app;
    if (plots)
        app = std::make_unique<QGuiApplication>(argc, argv);
    else if (headless || help)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quendra-host"));
    QCoreApplication::setOrganizationName(QStringLiteral("Quendra_LT"));

    host::HostOptions options;
    QString message;
    if (!host::HostOptions::parse(QCoreApplication::arguments(), options, &message)) {
        // The help goes where a command line's reader looks for it, with or without a window.
        host::tell(headless || help, message, !help);
        return help ? 0 : 2;
    }
    return headless ? host::runHeadless(options) : host::runWindow(options);
}
