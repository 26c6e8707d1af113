// The event functions: touches and host events in, resolved event records out.
#include <algorithm>
#include <cstdint>

#include <SDL2/SDL.h>

#include "capi/state.h"
#include "kivo/kivo.h"

namespace {

// size * position / space, truncated toward zero. The product is taken in 64 bits and the
// quotient clamped to the int32 range, so no input overflows; an empty space maps to 0.
std::int32_t scale(int size, std::int32_t position, std::int32_t space)
{
    if (space == 0)
        return 0;
    const std::int64_t q = std::int64_t{size} * position / space;
    return std::int32_t(std::clamp<std::int64_t>(q, INT32_MIN, INT32_MAX));
}

EventRecord pointer_record(std::uint8_t kind, std::int32_t ex, std::int32_t ey)
{
    const SDL_Surface* s = kivo::state::window->surface().get();
    const std::int32_t x = scale(s->w, ex, kivo::state::width);
    const std::int32_t y = scale(s->h, ey, kivo::state::height);
    const auto button = kivo::state::renderer->button_at(x, y);
    const auto label = kivo::state::renderer->label_at(x, y);
    return {kind, x, y, button ? std::uint16_t(*button) : std::uint16_t{0}, label ? *label : 0};
}

} // namespace

extern "C" KIVO_API std::uint32_t kivo_poll_events(EventRecord* events, std::uint32_t max)
{
    namespace state = kivo::state;
    if (state::window == nullptr || state::renderer == nullptr)
        return 0;
    state::window->update_events();
    std::uint32_t count = 0;
    SDL_Event event;
    // SDL_PollEvent (SDL 2.24 and later) ends each poll cycle at a sentinel that it queues behind
    // the pending events; a call that stopped at max left it there, and the next call then read
    // nothing although events were pending. Pumping once and taking events with SDL_PeepEvents,
    // which passes over the sentinel, reads the same events without that.
    SDL_PumpEvents();
    while (count < max &&
           SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
        EventRecord record{};
        switch (event.type) {
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            record = pointer_record(
                event.type == SDL_MOUSEBUTTONDOWN ? KIVO_EVENT_PRESS : KIVO_EVENT_RELEASE,
                event.button.x, event.button.y);
            state::pressed = event.type == SDL_MOUSEBUTTONDOWN;
            break;
        case SDL_MOUSEMOTION:
            if (!state::pressed)
                continue;
            record = pointer_record(KIVO_EVENT_MOTION, event.motion.x, event.motion.y);
            break;
        case SDL_KEYDOWN:
            if (event.key.keysym.scancode != SDL_SCANCODE_ESCAPE)
                continue;
            [[fallthrough]];
        case SDL_QUIT:
            record.kind = KIVO_EVENT_QUIT;
            break;
        case SDL_USEREVENT:
            record.kind = KIVO_EVENT_USER;
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_RESIZED) {
                state::width = event.window.data1;
                state::height = event.window.data2;
            }
            continue;
        default:
            continue;
        }
        events[count++] = record;
    }
    return count;
}

extern "C" KIVO_API void kivo_push_event(const EventRecord* event)
{
    if (event == nullptr)
        return;
    SDL_Event e{}; // SDL_PushEvent stamps the tick count
    const bool press = event->kind == KIVO_EVENT_PRESS;
    switch (event->kind) {
    case KIVO_EVENT_QUIT:
    case KIVO_EVENT_USER:
        e.type = event->kind == KIVO_EVENT_QUIT ? SDL_QUIT : SDL_USEREVENT;
        break;
    case KIVO_EVENT_MOTION:
        e.motion = {
            SDL_MOUSEMOTION, 0, 0, SDL_TOUCH_MOUSEID, SDL_BUTTON_LMASK, event->x, event->y, 0, 0};
        break;
    case KIVO_EVENT_RELEASE:
    case KIVO_EVENT_PRESS:
        e.button = {Uint32(press ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP), 0, 0,
            SDL_TOUCH_MOUSEID, SDL_BUTTON_LEFT, Uint8(press ? SDL_PRESSED : SDL_RELEASED), 1, 0,
            event->x, event->y};
        break;
    default:
        return;
    }
    SDL_PushEvent(&e);
}
