#include "app/Layout.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace quendra {

QFont gothicFont(int pointSize)
{
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"), pointSize);
    return font;
}

void centreOnScreen(QWidget &window)
{
    const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    const QRect frame = window.frameGeometry();
    const int top = area.top() + area.height() / 2 - frame.height() / 2;
    const int left = area.left() + area.width() / 2 - frame.width() / 2;
    window.move(left, top);
}

} // namespace quendra
