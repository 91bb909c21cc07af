#include "app/ReadmeWindow.h"

#include "app/Layout.h"
#include "tools/TextFileFormat.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QVBoxLayout>

namespace quendra {

ReadmeWindow::ReadmeWindow(QWidget *parent) : QWidget(parent, Qt::Window), view_(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("readme"));
    view_->setReadOnly(true);
    view_->setFont(gothicFont(10));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    // Whole on the screen, centred: no larger than the room the screen leaves for windows.
    QSize size(640, 560);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        size = size.boundedTo(area.size() - QSize(40, 80));
        resize(size);
        QRect frame(QPoint(), size + QSize(0, 30));
        frame.moveCenter(area.center());
        move(frame.topLeft().y() < area.top() ? QPoint(frame.left(), area.top()) : frame.topLeft());
        return;
    }
    resize(size);
}

bool ReadmeWindow::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const std::optional<DecodedText> decoded = decodeTextFile(file.readAll());
    if (!decoded) return false;
    view_->setPlainText(decoded->text);
    setWindowTitle(QFileInfo(path).fileName() + QStringLiteral(" - Quendra_LT"));
    return true;
}

QString ReadmeWindow::text() const
{
    return view_->toPlainText();
}

} // namespace quendra
