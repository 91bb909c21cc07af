#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quendra {

// Where the host's window stands on the screen, so that a dialog can stand beside it instead of
// over the drawing. Asked with placeQuery (control characters only, which a host that does not
// know it reads as nothing); a host that can tell answers "OK PLACE" and eight integers: its
// window's frame and its drawing area, left, top, width, height, in device pixels (the screen's
// own, whatever scale either program runs at). Any other answer means it cannot tell.
inline constexpr const char *placeQuery = "\x05\x0e";

struct ScreenRect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ScreenRect &) const = default;
};

struct HostPlace
{
    ScreenRect window;
    ScreenRect drawing;
    bool operator==(const HostPlace &) const = default;
};

std::string encodePlaceAnswer(const HostPlace &place);
// Nothing unless the answer is one a host that can tell gives, with sizes above zero.
std::optional<HostPlace> decodePlaceAnswer(std::string_view answer);

} // namespace quendra
