#include "bench/bench_startup/WindowWatch.h"

#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <thread>

namespace {

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};

template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

} // namespace

WindowWatch::WindowWatch()
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return;
    }
    connection_ = c;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    root_ = screen->root;
    screenWidth_ = screen->width_in_pixels;
    screenHeight_ = screen->height_in_pixels;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
}

WindowWatch::~WindowWatch()
{
    if (connection_) xcb_disconnect(connection_);
}

void WindowWatch::reset()
{
    // A round trip, so that every event the server sent so far has arrived and is dropped.
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    while (xcb_generic_event_t *event = xcb_poll_for_event(connection_))
        std::free(event);
}

bool WindowWatch::nextMap(Clock::time_point deadline, xcb_window_t *window)
{
    const int fd = xcb_get_file_descriptor(connection_);
    while (Clock::now() < deadline) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection_)) {
            const Reply<xcb_generic_event_t> owned(event);
            if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY) continue;
            const auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
            if (map->event != root_ || map->override_redirect) continue;
            *window = map->window;
            return true;
        }
        if (xcb_connection_has_error(connection_)) return false;
        pollfd p{fd, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        ::poll(&p, 1, static_cast<int>(std::clamp<long long>(left.count(), 1, 100)));
    }
    return false;
}

bool WindowWatch::painted(xcb_window_t window)
{
    const Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
    if (!geometry) return false;
    // The window's rectangle as the root shows it, within the screen.
    const int x0 = std::max<int>(geometry->x, 0);
    const int y0 = std::max<int>(geometry->y, 0);
    const int x1 = std::min<int>(geometry->x + geometry->width, screenWidth_);
    const int y1 = std::min<int>(geometry->y + geometry->height, screenHeight_);
    if (x1 <= x0 || y1 <= y0) return false;
    const Reply<xcb_get_image_reply_t> image(xcb_get_image_reply(
        connection_,
        xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, static_cast<int16_t>(x0),
                      static_cast<int16_t>(y0), static_cast<uint16_t>(x1 - x0),
                      static_cast<uint16_t>(y1 - y0), 0x00ffffff),
        nullptr));
    if (!image) return false;
    const uint8_t *data = xcb_get_image_data(image.get());
    const int length = xcb_get_image_data_length(image.get());
    return std::any_of(data, data + length, [](uint8_t b) { return b != 0; });
}

std::optional<WindowWatch::Shown> WindowWatch::waitForFirstWindow(Clock::time_point deadline)
{
    xcb_window_t window = 0;
    if (!nextMap(deadline, &window)) return std::nullopt;
    Shown shown{Clock::now(), {}};
    while (Clock::now() < deadline) {
        if (painted(window)) {
            shown.painted = Clock::now();
            return shown;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return std::nullopt;
}
