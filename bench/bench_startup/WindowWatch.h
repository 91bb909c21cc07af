#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <optional>

// Watches the X server for the first top-level window of a program that is started afterwards:
// when it is mapped, and when its first pixels are painted. Meant for a display of its own with
// a black root and no window manager, so that top-level windows are children of the root and
// an unpainted window shows black.
class WindowWatch
{
public:
    using Clock = std::chrono::steady_clock;

    struct Shown
    {
        Clock::time_point mapped;
        Clock::time_point painted;
    };

    WindowWatch();
    ~WindowWatch();
    WindowWatch(const WindowWatch &) = delete;
    WindowWatch &operator=(const WindowWatch &) = delete;

    bool connected() const { return connection_ != nullptr; }

    // Drops whatever happened before; call right before starting the program.
    void reset();

    // Waits until a top-level window is mapped and painted, or the deadline passes.
    std::optional<Shown> waitForFirstWindow(Clock::time_point deadline);

private:
    bool nextMap(Clock::time_point deadline, xcb_window_t *window);
    bool painted(xcb_window_t window);

    xcb_connection_t *connection_ = nullptr;
    xcb_window_t root_ = 0;
    int screenWidth_ = 0;
    int screenHeight_ = 0;
};
