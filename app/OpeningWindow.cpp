#include "app/OpeningWindow.h"

#include "app/Layout.h"
#include "app/platform/Platform.h"
#include "dialogs/AppContext.h"
#include "dialogs/Desktop.h"
#include "link/CadLink.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>

namespace quendra {

OpeningWindow::OpeningWindow(AppContext &context, Desktop &desktop, QWidget *parent)
    : QWidget(parent), context_(context), desktop_(desktop)
{
    setObjectName(QStringLiteral("start"));
    setWindowTitle(QStringLiteral("Quendra_LT"));
    setFixedSize(twips(6000), twips(3000));

    auto *title = new QLabel(QStringLiteral("Quendra_LT for Windows95"), this);
    title->setObjectName(QStringLiteral("Label1"));
    title->setFont(gothicFont(18));
    title->setAlignment(Qt::AlignCenter);
    title->setGeometry(twipRect(0, 600, 6000, 720));

    auto *prompt = new QLabel(QStringLiteral("ここをクリックして下さい。"), this);
    prompt->setObjectName(QStringLiteral("Label2"));
    prompt->setFont(gothicFont(12));
    prompt->setAlignment(Qt::AlignCenter);
    prompt->setGeometry(twipRect(0, 1800, 6000, 480));
    prompt->installEventFilter(this);
}

OpeningWindow::~OpeningWindow() = default;

void OpeningWindow::launchHost()
{
    const QString program =
        desktop_.openFile(this, platform::hostProgramFilters(), platform::hostProgramFilterIndex(),
                          platform::hostProgramFolder());
    if (program.isEmpty()) return;
    if (!platform::startProgram(program, {})) {
        context_.messages.show(
            this, QStringLiteral("%1 を起動できませんでした。").arg(QDir::toNativeSeparators(program)));
        return;
    }
    // The messages about the link name the host started (LibreCAD or AutoCAD LT).
    chooseHost(hostOfProgram(program.toStdString()));
    platform::sendEscape();
    centreOnScreen(*this);
    // The host has usually not finished starting yet; the main window opens its own link later.
    link_ = std::make_unique<CadLink>(context_.transports());
    link_->open(cadService, cadTopic);
}

void OpeningWindow::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    openMainWindow();
}

bool OpeningWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        openMainWindow();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void OpeningWindow::openMainWindow()
{
    context_.navigator.showMainWindow();
    hide();
}

void OpeningWindow::closeEvent(QCloseEvent *event)
{
    context_.messages.show(this, Message{endMessage, Icon::None, ""});
    event->setAccepted(context_.navigator.endProgram());
}

} // namespace quendra
