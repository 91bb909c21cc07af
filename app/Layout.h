#pragma once

#include <QFont>
#include <QRect>

class QWidget;

namespace quendra {

// The windows are laid out in twips, as designed; 15 twips make one pixel at 96 dpi.
constexpr int twips(int t)
{
    return (t + 7) / 15;
}
inline QRect twipRect(int left, int top, int width, int height)
{
    return {twips(left), twips(top), twips(width), twips(height)};
}

// The dialogs' own font; IPAPGothic stands in where it is not installed.
QFont gothicFont(int pointSize = 9);

// Puts a window in the middle of its screen, frame included.
void centreOnScreen(QWidget &window);

} // namespace quendra
