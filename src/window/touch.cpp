// Touch panel samples to SDL mouse events.
#include <tslib.h>

#include <SDL2/SDL.h>

#include "kivo/window.h"

namespace kivo {

namespace {

// Into SDL's queue as it stands: SDL_PushEvent would stamp its own, later tick count.
void push(SDL_Event& event)
{
    SDL_PeepEvents(&event, 1, SDL_ADDEVENT, 0, 0);
}

void push_button(Uint32 type, Uint8 state, Uint32 ticks, int x, int y)
{
    SDL_Event event;
    SDL_memset(&event, 0, sizeof event);
    event.button.type = type;
    event.button.timestamp = ticks;
    event.button.windowID = 0;
    event.button.which = SDL_TOUCH_MOUSEID;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.state = state;
    event.button.clicks = 1;
    event.button.x = x;
    event.button.y = y;
    push(event);
}

} // namespace

// A sample is down exactly when its pressure is non-zero; press or release comes before the
// motion made from the same sample, and both carry the same tick count.
void Window::update_events()
{
    struct ts_sample sample {};
    while (ts_read(ts_, &sample, 1) == 1) {
        const Uint32 ticks = SDL_GetTicks();
        const bool down = sample.pressure != 0;
        if (down && !touching_) {
            push_button(SDL_MOUSEBUTTONDOWN, SDL_PRESSED, ticks, sample.x, sample.y);
            touching_ = true;
        } else if (!down && touching_) {
            push_button(SDL_MOUSEBUTTONUP, SDL_RELEASED, ticks, sample.x, sample.y);
            touching_ = false;
        }
        if (sample.x != last_x_ || sample.y != last_y_) {
            SDL_Event event;
            SDL_memset(&event, 0, sizeof event);
            event.motion.type = SDL_MOUSEMOTION;
            event.motion.timestamp = ticks;
            event.motion.windowID = 0;
            event.motion.which = SDL_TOUCH_MOUSEID;
            event.motion.state = down ? SDL_BUTTON_LMASK : 0;
            event.motion.x = sample.x;
            event.motion.y = sample.y;
            // Wrapping differences: positions are whatever the panel reports.
            event.motion.xrel =
                static_cast<Sint32>(static_cast<Uint32>(sample.x) - static_cast<Uint32>(last_x_));
            event.motion.yrel =
                static_cast<Sint32>(static_cast<Uint32>(sample.y) - static_cast<Uint32>(last_y_));
            push(event);
        }
        last_x_ = sample.x;
        last_y_ = sample.y;
    }
}

} // namespace kivo
