// Touch sample streams through the emulated panel and tslib into kivo_poll_events: samples at any
// position and pressure, raw input records of any type and code, resize events and host events
// mixed in, polled with any room. Records must stay well formed: no more than asked for, known
// kinds, motion only between a press and its release.
#include <cstring>

#include <SDL2/SDL.h>

#include "display.h"
#include "input.h"

namespace {

bool pressed = false;
int queued_records = 0; // input_event records written since the last poll (the pipe holds 64 KiB)

std::uint32_t poll(std::uint32_t max)
{
    EventRecord records[16];
    const std::uint32_t n = kivo_poll_events(records, max);
    queued_records = 0;
    if (n > max)
        fuzz::fail("more records than asked for");
    for (std::uint32_t i = 0; i < n; ++i)
        fuzz::check_record(records[i], pressed);
    return n;
}

// Polls until nothing is left, in the panel or in the queue.
void drain()
{
    while (poll(16) != 0) {
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::start();
    const ConfigRecord config = fuzz::base_config();
    kivo_create_window(320, 240, &config);
    // Buttons in every corner and overlapping labels, so that hit tests find things.
    LabelRecord labels[3]{};
    const int boxes[3][4] = {{0, 0, 320, 240}, {40, 40, 100, 80}, {100, 60, 200, 200}};
    for (int i = 0; i < 3; ++i) {
        labels[i].x = boxes[i][0];
        labels[i].y = boxes[i][1];
        labels[i].width = boxes[i][2];
        labels[i].height = boxes[i][3];
        labels[i].kind = 9;
        labels[i].text = "";
        labels[i].id = std::uint32_t(i + 1);
    }
    kivo_set_screen(0, nullptr, nullptr, labels, 3, 1, 3, 0x07ff);
    kivo_present(0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input in(data, size);
    // A known start: everything left over read (the records keep `pressed` in step with the
    // library), no touch held, the coordinate space is the surface.
    drain();
    kivo_emu_touch_inject(0, 0, 0);
    SDL_Event resize;
    SDL_memset(&resize, 0, sizeof resize);
    resize.type = SDL_WINDOWEVENT;
    resize.window.event = SDL_WINDOWEVENT_RESIZED;
    resize.window.data1 = 320;
    resize.window.data2 = 240;
    SDL_PushEvent(&resize);
    EventRecord release{};
    release.kind = KIVO_EVENT_RELEASE;
    kivo_push_event(&release);
    drain();
    if (pressed)
        fuzz::fail("release not reported");

    for (int ops = 0; ops < 256 && !in.empty(); ++ops) {
        const std::uint8_t op = in.byte();
        if (queued_records > 2000)
            poll(16);
        switch (op % 8) {
        case 0:
        case 1:
        case 2: { // a sample: position anywhere, pressure often 0
            const std::int32_t x = op & 8 ? in.coordinate() : in.byte() * 2;
            const std::int32_t y = op & 16 ? in.coordinate() : in.byte();
            const unsigned pressure = op & 32 ? in.take<std::uint32_t>() : in.byte() & 1 ? 0 : 200;
            kivo_emu_touch_inject(x, y, pressure);
            queued_records += 5;
            break;
        }
        case 3: { // a raw input record, of any type and code
            const std::uint16_t type = op & 8 ? in.take<std::uint16_t>() : in.byte() % 4;
            const std::uint16_t code = op & 16 ? in.take<std::uint16_t>() : in.byte() % 0x40;
            kivo_emu_touch_event(type, code, in.coordinate());
            queued_records += 1;
            break;
        }
        case 4:
        case 5:
            poll(in.byte() % 17);
            break;
        case 6: { // a resize of the coordinate space, 0 included
            SDL_Event e = resize;
            e.window.data1 = in.coordinate();
            e.window.data2 = in.coordinate();
            SDL_PushEvent(&e);
            break;
        }
        default: { // a host event in between
            EventRecord e{};
            e.kind = in.byte() % 6;
            e.x = in.coordinate();
            e.y = in.coordinate();
            kivo_push_event(&e);
            break;
        }
        }
    }
    drain();
    return 0;
}
