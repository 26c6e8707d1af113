// Touch panel samples to SDL mouse events.
#include <poll.h>
#include <tslib.h>

#include <cerrno>

#include <SDL2/SDL.h>

#include "kivo/window.h"

namespace kivo {

namespace {

// Into SDL's queue as it stands: SDL_PushEvent would stamp its own, later tick count.
void push_button(bool press, Uint32 ticks, int x, int y)
{
    SDL_Event event{};
    event.button = {Uint32(press ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP), ticks, 0,
        SDL_TOUCH_MOUSEID, SDL_BUTTON_LEFT, Uint8(press ? SDL_PRESSED : SDL_RELEASED), 1, 0, x, y};
    SDL_PeepEvents(&event, 1, SDL_ADDEVENT, 0, 0);
}

// Whether the panel behind ts went away: the last read failed with ENODEV (evdev's answer once
// the device is gone), or failed otherwise on a descriptor that hung up. A read that found
// nothing pending (EAGAIN) costs no further system call.
bool panel_gone(struct tsdev* ts, int result, int error)
{
    if (result < 0 && (error == ENODEV || error == EAGAIN))
        return error == ENODEV;
    pollfd p{ts_fd(ts), POLLIN, 0};
    return poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

} // namespace

// A sample is down exactly when its pressure is non-zero; press or release comes before the
// motion made from the same sample, and both carry the same tick count.
void Window::update_events()
{
    if (const auto now = std::chrono::steady_clock::now(); !ts_ && now >= touch_retry_) {
        touch_retry_ = now + touch_retry_interval;
        ts_ = ts_setup(touch_device, 1);
    }
    if (!ts_)
        return;
    struct ts_sample sample {};
    int result;
    while ((result = ts_read(ts_, &sample, 1)) == 1) {
        const Uint32 ticks = SDL_GetTicks();
        const bool down = sample.pressure != 0;
        if (down != touching_)
            push_button(down, ticks, sample.x, sample.y);
        touching_ = down;
        if (sample.x != last_x_ || sample.y != last_y_) {
            SDL_Event event{};
            // Wrapping differences: positions are whatever the panel reports.
            event.motion = {SDL_MOUSEMOTION, ticks, 0, SDL_TOUCH_MOUSEID,
                Uint32(down ? SDL_BUTTON_LMASK : 0), sample.x, sample.y,
                Sint32(Uint32(sample.x) - Uint32(last_x_)),
                Sint32(Uint32(sample.y) - Uint32(last_y_))};
            SDL_PeepEvents(&event, 1, SDL_ADDEVENT, 0, 0);
        }
        last_x_ = sample.x;
        last_y_ = sample.y;
    }
    // The device is gone: what closing it reports is of no use, and the panel is looked for again
    // from the next call on. A touch held now would never see its lift-off.
    if (!panel_gone(ts_, result, errno))
        return;
    ts_close(ts_);
    ts_ = nullptr;
    if (touching_)
        push_button(false, SDL_GetTicks(), last_x_, last_y_);
    touching_ = false;
}

} // namespace kivo
