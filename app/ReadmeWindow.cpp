#include "app/ReadmeWindow.h"

#include "app/Layout.h"
#include "tools/TextFileFormat.h"

#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
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
    resize(640, 560);
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
