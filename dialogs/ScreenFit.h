#pragma once

class QWidget;

namespace quendra {

// A number box keeps room for five digits, however its row is squeezed.
void keepRoomForDigits(QWidget &box);

// Sizes a window to what `content` (its only child, in a scroll area) needs, on the window's
// screen: when that is more than the screen holds, the window's font is made smaller, down to
// a floor, and beyond that the content scrolls. Nothing is squeezed.
void fitToScreen(QWidget &window, QWidget &content);

} // namespace quendra
