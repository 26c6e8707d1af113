// Frames drawn from what changed against the full redraw: a random sequence of screens in both
// slots (covering, translucent, animated or no backgrounds; labels of every kind), label changes
// (during slides too), clock steps and offsets, on a panel of one of four layouts, played once
// with the full redraw and once tracked, in a fresh window each time. Every frame must be the same
// bytes on the surface and in the framebuffer, and a frame that throws must throw in both.
#include <cstdint>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "display.h"
#include "input.h"

namespace {

struct Slot {
    const char* background = nullptr;
    const char* icon = nullptr;
    std::vector<LabelRecord> labels;
    std::vector<std::string> texts; // what labels[i].text points to
    std::uint16_t buttons = 0;
    std::uint32_t current = 0, count = 0;

    void apply(std::uint32_t slot)
    {
        for (std::size_t i = 0; i < labels.size(); ++i)
            labels[i].text = texts[i].c_str();
        kivo_set_screen(slot, background, icon, labels.data(), std::uint32_t(labels.size()),
            current, count, buttons);
    }
};

const char* pick_background(std::uint8_t b)
{
    static const char* const choices[] = {nullptr, "home", "charging_anim", "payment",
        "file://app/share/marvo/images/icon/plug.webp", "help", "home"};
    return choices[b % 7];
}

const char* pick_icon(std::uint8_t b)
{
    static const char* const choices[] = {
        nullptr, "plug", "car", "file://app/share/marvo/images/background/charging_anim.webp"};
    return choices[b % 4];
}

std::string pick_text(fuzz::Input& in)
{
    static const char* const texts[] = {"Connector 1", "12.4 kWh", "<b>bold</b> and <i>not</i>",
        "<b>broken", "A long text that wraps and is cut with an ellipsis at the end", "", "plug",
        "car", "file://app/share/marvo/images/background/charging_anim.webp",
        "https://pay.example.com/42", "12.5 kWh", "1ש2.4 kWh"};
    const std::uint8_t b = in.byte();
    return b < 200 ? texts[b % 12] : in.text(40);
}

LabelRecord random_label(fuzz::Input& in)
{
    static constexpr std::uint8_t kinds[] = {
        KIVO_LABEL_TEXT, KIVO_LABEL_TEXT, KIVO_LABEL_ICON, KIVO_LABEL_QR, KIVO_LABEL_SLIDER, 9};
    LabelRecord l{};
    l.kind = kinds[in.byte() % 6];
    l.x = in.take<std::int8_t>() * 2;
    l.y = in.take<std::int8_t>() * 2;
    l.width = in.take<std::int8_t>() * 2;
    l.height = in.take<std::int8_t>() * 2;
    l.r = in.byte();
    l.g = in.byte();
    l.b = in.byte();
    l.a = in.byte();
    l.align = in.byte() % 4;
    l.font = in.byte() % 5;
    l.style = in.take<std::uint16_t>() & 0x3fff;
    l.value = float(in.take<std::int8_t>()) / 64;
    l.band_value = float(in.take<std::int8_t>()) / 64;
    l.marker_value = float(in.take<std::int8_t>()) / 64;
    l.id = in.byte();
    return l;
}

// One step: change something, then present at the returned offset; the clock moves by ms after.
struct Step {
    std::function<int(Slot (&)[2])> change;
    int ms = 20;
};

std::vector<Step> parse(fuzz::Input& in)
{
    std::vector<Step> steps;
    int at = 0;
    while (!in.empty() && steps.size() < 24) {
        const std::uint8_t op = in.byte();
        Step step;
        step.ms = (op & 0x10) ? in.byte() : 20;
        switch (op % 6) {
        case 0: { // a new screen in a slot
            Slot s;
            const std::uint32_t slot = in.byte() & 1;
            s.background = pick_background(in.byte());
            s.icon = pick_icon(in.byte());
            s.buttons = in.take<std::uint16_t>() & 0x7ff;
            s.count = in.byte() % 5;
            s.current = in.byte() % 5;
            for (int n = in.byte() % 6; n > 0; --n) {
                s.labels.push_back(random_label(in));
                s.texts.push_back(pick_text(in));
            }
            step.change = [s, slot](Slot(&slots)[2]) mutable {
                slots[slot] = s;
                slots[slot].apply(slot);
                return 0;
            };
            break;
        }
        case 1: { // one label of a slot changed, shown at an offset (mid-slide when not 0)
            const std::uint32_t slot = op >> 7;
            const int offset = (op & 0x20) ? in.take<std::int16_t>() % 500 : 0;
            const std::size_t which = in.byte();
            const LabelRecord l = random_label(in);
            const std::string text = pick_text(in);
            const std::uint8_t field = in.byte();
            step.change = [=](Slot(&slots)[2]) {
                Slot& s = slots[slot];
                if (s.labels.empty())
                    return offset;
                LabelRecord& t = s.labels[which % s.labels.size()];
                switch (field % 6) {
                case 0:
                    t.x = l.x, t.y = l.y;
                    break;
                case 1:
                    t.width = l.width, t.height = l.height;
                    break;
                case 2:
                    s.texts[which % s.labels.size()] = text;
                    break;
                case 3:
                    t.style = l.style, t.align = l.align, t.font = l.font;
                    break;
                case 4:
                    t.r = l.r, t.a = l.a, t.value = l.value;
                    break;
                default:
                    t.kind = l.kind;
                    break;
                }
                s.apply(slot);
                return offset;
            };
            break;
        }
        case 2: { // a slide frame: a new offset, or a few pixels on from the last slide frame's
            at = (op & 0x20) ? at + std::int8_t(in.byte()) % 16 : in.take<std::int16_t>() % 500;
            const int offset = at;
            step.change = [offset](Slot(&)[2]) { return offset; };
            break;
        }
        case 3: // ten minutes pass: the cache drops what was not drawn
            step.ms = 601 * 1000;
            step.change = [](Slot(&)[2]) { return 0; };
            break;
        default:
            step.change = [](Slot(&)[2]) { return 0; };
            break;
        }
        steps.push_back(std::move(step));
    }
    return steps;
}

std::uint64_t hash(const void* bytes, std::size_t n)
{
    std::uint64_t h = 14695981039346656037ull;
    const auto* p = static_cast<const unsigned char*>(bytes);
    for (std::size_t i = 0; i < n; ++i)
        h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

// Per frame: the surface's hash, the framebuffer's, and whether the frame threw.
std::vector<std::uint64_t> play(
    const std::vector<Step>& steps, int w, int h, const ConfigRecord& config, bool full_redraw)
{
    // A clock on a whole second: SDL's ticks round with the fraction of a second it starts at.
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    kivo_emu_clock_advance_ns(1000000000 - now.tv_nsec);
    kivo_create_window(w, h, &config);
    kivo::state::renderer->set_full_redraw(full_redraw);
    // The framebuffer still shows the last run's frame: a frame that throws would leave it so.
    kivo::state::window->present();
    Slot slots[2];
    slots[0].apply(0);
    slots[1].apply(1);
    std::vector<std::uint64_t> out;
    std::vector<std::uint8_t> surface(std::size_t(w) * h * 4);
    for (const Step& step : steps) {
        bool threw = false;
        try {
            kivo_present(step.change(slots));
        } catch (const std::exception&) {
            threw = true;
        }
        kivo_get_framebuffer(surface.data(), surface.size());
        out.push_back(hash(surface.data(), surface.size()));
        out.push_back(hash(kivo_emu_fb_pixels(), kivo_emu_fb_size()));
        out.push_back(threw);
        fuzz::advance_ms(step.ms);
    }
    kivo_destroy_window();
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::start();
    fuzz::Input in(data, size);
    static constexpr int sizes[][2] = {{32, 24}, {80, 60}, {160, 120}, {97, 33}};
    const std::uint8_t key = in.byte();
    ConfigRecord config = fuzz::base_config();
    config.flavour = (key >> 2) % 4; // 3 has no image for some buttons: those frames throw
    config.label_offset_y = std::int8_t(in.byte()) / 8;
    const int w = sizes[key % 4][0], h = sizes[key % 4][1];
    // The panel: the surface's own layout, or one the window converts to (dithered at 16 bits).
    static const char* const formats[] = {"xrgb8888", "rgb565", "bgr888", "xbgr8888"};
    kivo_emu_fb_set_format(formats[(key >> 4) % 4]);
    const std::vector<Step> steps = parse(in);
    const std::vector<std::uint64_t> want = play(steps, w, h, config, true);
    const std::vector<std::uint64_t> got = play(steps, w, h, config, false);
    for (std::size_t i = 0; i < want.size(); ++i)
        if (got[i] != want[i])
            fuzz::fail(
                "tracked frame differs from the full redraw", "frame " + std::to_string(i / 3) +
                                                                  (i % 3 == 0      ? " surface"
                                                                      : i % 3 == 1 ? " framebuffer"
                                                                                   : " throw"));
    return 0;
}
