#include "app/Application.h"

#include "app/ExitDialog.h"
#include "app/MainWindow.h"
#include "app/OpeningWindow.h"
#include "app/StartupDialog.h"
#include "app/SymbolEditListener.h"
#include "app/VersionDialog.h"
#include "dialogs/Desktop.h"
#include "dialogs/SymbolDialog.h"
#include "symbols/Forms.h"
#include "tools/Calculator.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace quendra {

namespace {

// A window opened from the menu comes up normal and active, even when it was left minimised.
// A window the user restored from the taskbar still carries, on X11, the iconic start state Qt
// gave it when it minimised itself, and would be mapped iconic again: passing through minimised
// to normal resets that start state.
void bringUp(QWidget &window)
{
    if (window.isHidden()) window.setWindowState(Qt::WindowMinimized);
    window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

Application::Application(MessageService &messages, TransportFactory transports, Desktop &desktop)
    : context_{messages, std::move(transports), *this}, desktop_(desktop)
{
    // The program ends only through endProgram, never because its last window was hidden.
    QGuiApplication::setQuitOnLastWindowClosed(false);
}

Application::~Application() = default;

void Application::start()
{
    startupDialog().show();
}

void Application::listenForEdits()
{
    if (edits_) return;
    edits_ =
        std::make_unique<SymbolEditListener>([this](const SymbolFrame &frame) { return editSymbol(frame); });
    edits_->listen();
}

QString Application::editSymbol(const SymbolFrame &frame)
{
    const QString name = QString::fromStdString(frame.form);
    if (!findForm(frame.form))
        return QStringLiteral("「%1」の画面はこの Quendra_LT にありません。")
            .arg(QString::fromStdString(frame.caption));
    // The form stands alone, as when opened from the main window; the start-up windows go.
    for (QWidget *w : std::initializer_list<QWidget *>{kidou_.get(), start_.get()})
        if (w) w->hide();
    openForm(name);
    static_cast<SymbolDialog *>(forms_[name].get())->drawAgain(frame.inputs, frame.replaces);
    return {};
}

StartupDialog &Application::startupDialog()
{
    if (!kidou_) {
        kidou_ = std::make_unique<StartupDialog>(context_);
        connect(kidou_.get(), &StartupDialog::launchChosen, this, &Application::launchHost);
    }
    return *kidou_;
}

OpeningWindow &Application::openingWindow()
{
    if (!start_) start_ = std::make_unique<OpeningWindow>(context_, desktop_);
    return *start_;
}

MainWindow &Application::mainWindow()
{
    if (!main_) {
        main_ = std::make_unique<MainWindow>(context_, desktop_, &Application::formAvailable);
        connect(main_.get(), &MainWindow::formRequested, this, &Application::openForm);
        connect(main_.get(), &MainWindow::versionRequested, this, &Application::showVersion);
        connect(main_.get(), &MainWindow::calculatorRequested, this, &Application::openCalculator);
    }
    return *main_;
}

ExitDialog &Application::exitDialog()
{
    if (!syuuryou_) syuuryou_ = std::make_unique<ExitDialog>(context_);
    return *syuuryou_;
}

VersionDialog &Application::versionDialog()
{
    if (!barjyon_) barjyon_ = std::make_unique<VersionDialog>(context_);
    return *barjyon_;
}

void Application::launchHost()
{
    // The opening window is loaded (and runs its launch) only once; later it is just shown.
    const bool first = !start_;
    startupDialog().hide();
    OpeningWindow &window = openingWindow();
    if (first) window.launchHost();
    window.show();
}

void Application::showMainWindow()
{
    bringUp(mainWindow());
}

void Application::showExitDialog()
{
    bringUp(exitDialog());
}

void Application::showVersion()
{
    VersionDialog &dialog = versionDialog();
    dialog.show();
    dialog.raise();
    mainWindow().hide();
}

bool Application::formAvailable(const QString &name)
{
    if (name == QLatin1String("dentaku")) return true;
    return findForm(name.toStdString()) != nullptr;
}

void Application::openForm(const QString &name)
{
    const FormDefinition *form = findForm(name.toStdString());
    if (!form) return;
    std::unique_ptr<QWidget> &slot = forms_[name];
    if (!slot) slot = std::make_unique<SymbolDialog>(*form, context_);
    bringUp(*slot);
    mainWindow().hide();
}

void Application::openCalculator()
{
    if (!dentaku_) {
        Calculator::Hooks hooks;
        hooks.showMessage = [this](const QString &text, const QString &title) {
            context_.messages.show(dentaku_.get(), text, Icon::Exclamation, title);
        };
        hooks.onBack = [this] { showMainWindow(); };
        hooks.onQuit = [this] { showExitDialog(); };
        hooks.onCloseBox = [this] { return endProgram(); };
        dentaku_ = std::make_unique<Calculator>(std::move(hooks));
        dentaku_->setObjectName(QStringLiteral("dentaku"));
    }
    bringUp(*dentaku_);
    mainWindow().hide();
}

QWidget *Application::calculator() const
{
    return dentaku_.get();
}

QWidget *Application::loadedForm(const QString &name) const
{
    const auto it = forms_.find(name);
    return it == forms_.end() ? nullptr : it->second.get();
}

std::vector<QWidget *> Application::windows() const
{
    std::vector<QWidget *> all;
    for (QWidget *w : std::initializer_list<QWidget *>{kidou_.get(), start_.get(), main_.get(),
                                                       syuuryou_.get(), barjyon_.get(), dentaku_.get()})
        if (w) all.push_back(w);
    for (const auto &[name, form] : forms_)
        all.push_back(form.get());
    return all;
}

bool Application::endProgram()
{
    if (ended_) return true;
    if (main_ && !main_->confirmEnd()) return false;
    ended_ = true;
    for (QWidget *w : windows())
        w->hide();
    emit programEnded();
    QCoreApplication::exit(0);
    return true;
}

} // namespace quendra
