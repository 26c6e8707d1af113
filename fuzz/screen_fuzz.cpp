// Whole screens: random label records of every kind (rectangles, colours, style bits, fonts,
// alignments, markup, QR texts, slider values with NaN and infinities), backgrounds and icons by
// every reference form, buttons and carousel, in both slots; presented alone and as slides at
// any offset, with pushed events, resize events and polls in between. The configuration (flavour,
// quiet zone, offsets, angles, surface size) comes from the first bytes.
#include <array>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include <SDL2/SDL.h>

#include "display.h"
#include "input.h"

namespace {

std::array<std::uint8_t, 8> current_key{};
bool have_window = false;
std::uint8_t flavour = 0;
std::vector<std::string> samples; // "data://" references of the sample images

std::int32_t small_or_end(std::uint8_t b)
{
    static constexpr std::int32_t ends[] = {INT_MIN, INT_MAX, -65536, 65536, 0};
    return b < 0xf0 ? std::int32_t(std::int8_t(b)) : ends[b % 5];
}

ConfigRecord config_from(const std::array<std::uint8_t, 8>& k)
{
    static constexpr float angles[] = {0.0f, 3.14159265f, -2.5f, 6.2831853f, 1e30f, -1e-30f,
        std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()};
    ConfigRecord c = fuzz::base_config();
    c.flavour = k[0] % 4; // 3 has no image for Ok, Back, BackAlt, Menu, Left and Right
    // A quiet zone beyond a few thousand modules cannot be allocated: that ends the process by
    // design, so only small and negative ones are fuzzed.
    c.qr_border = k[1] < 0xf0 ? std::int8_t(k[1]) / 3 : (k[1] & 1 ? INT_MIN : -65536);
    c.label_offset_y = small_or_end(k[2]);
    c.carousel_spacing = small_or_end(k[3]);
    c.carousel_y = small_or_end(k[4]);
    c.icon_center_y = small_or_end(k[5]);
    c.slider_start_angle = angles[k[6] % 8];
    c.slider_sweep_angle = angles[(k[6] / 8) % 8];
    return c;
}

void open_window(const std::array<std::uint8_t, 8>& key)
{
    static constexpr int widths[] = {1, 2, 17, 64, 160, 240};
    static constexpr int heights[] = {1, 3, 24, 48, 120, 200};
    if (have_window && key == current_key)
        return;
    const ConfigRecord c = config_from(key);
    kivo_create_window(widths[key[7] % 6], heights[(key[7] / 6) % 6], &c);
    current_key = key;
    have_window = true;
    flavour = c.flavour;
}

std::string reference(fuzz::Input& in)
{
    static const char* const names[] = {"home", "help", "charging_anim", "plug", "car", "", "x"};
    static const char* const files[] = {"file://samples/anim.gif", "file://samples/still.webp",
        "file://samples/truncated.webp", "file://", "file:///",
        "file://app/share/marvo/images/icon/car.webp"};
    const std::uint8_t mode = in.byte();
    switch (mode % 8) {
    case 0:
        return names[in.byte() % 7];
    case 1:
        return std::string("image://") + names[in.byte() % 7];
    case 2:
        return files[in.byte() % 6];
    case 3:
        return samples.empty() ? "data://" : samples[in.byte() % samples.size()];
    case 4:
        return "data://" + in.text(64); // mostly malformed base64
    case 5:
        return "data://" + fuzz::base64_encode(in.text(200)); // rarely an image
    default:
        return in.text(64);
    }
}

// Markup-ish text: random bytes, or pieces of Pango markup in random order and nesting.
std::string label_text(fuzz::Input& in)
{
    static const char* const pieces[] = {"<b>", "</b>", "<i>", "</i>", "<span foreground='#f00'>",
        "</span>", "&amp;", "&", "<", ">", "Ladesäule ", "charging ", "\xff\xfe",
        "<span size='x-large'>", "<big>", "</big>", "<span font='Sans 30'>", "<tt>",
        "<span weight='900' letter_spacing='9000'>", "\n", "\xe2\x80\x8b", "<u>", "</u>",
        "<span alpha='1%'>", "<span rise='-99999'>", "&#0;", "&#x10FFFF;", "<!-- -->", "<?x?>",
        "\t"};
    const std::uint8_t mode = in.byte();
    if (mode < 0x80)
        return in.text(120);
    std::string s;
    for (int n = mode & 15; n > 0; --n)
        s += pieces[in.byte() % (sizeof pieces / sizeof pieces[0])];
    return s;
}

std::uint32_t carousel_value(fuzz::Input& in)
{
    const std::uint8_t mode = in.byte();
    if (mode < 0xc0)
        return mode % 8;
    if (mode < 0xe0)
        return in.take<std::uint32_t>() % 5000000; // up to millions of dots
    return in.take<std::uint32_t>();
}

struct Screen {
    std::string background, icon;
    bool has_background = false, has_icon = false;
    std::vector<std::string> texts;
    std::vector<LabelRecord> labels;
    std::uint32_t current = 0, count = 0;
    std::uint16_t buttons = 0;
};

Screen screen(fuzz::Input& in)
{
    Screen s;
    const std::uint8_t flags = in.byte();
    if ((s.has_background = flags & 1))
        s.background = reference(in);
    if ((s.has_icon = flags & 2))
        s.icon = reference(in);
    const int n = (flags >> 2) % 7;
    s.texts.resize(n);
    s.labels.resize(n);
    for (int i = 0; i < n; ++i) {
        LabelRecord& l = s.labels[i];
        l.x = in.coordinate();
        l.y = in.coordinate();
        l.width = in.coordinate();
        l.height = in.coordinate();
        l.r = in.byte();
        l.g = in.byte();
        l.b = in.byte();
        l.a = in.byte();
        const std::uint8_t kind = in.byte();
        l.kind = kind < 0xf0 ? kind % 4 : kind;
        s.texts[i] = l.kind == KIVO_LABEL_ICON ? reference(in)
                     : l.kind == KIVO_LABEL_QR ? in.text(255)
                                               : label_text(in);
        l.value = in.real();
        l.band_value = in.real();
        l.marker_value = in.real();
        const std::uint8_t align = in.byte(), font = in.byte();
        l.align = align < 0xf0 ? align % 3 : align;
        l.font = font < 0xf0 ? font % 4 : font;
        l.style = in.take<std::uint16_t>();
        l.id = in.take<std::uint32_t>();
    }
    s.current = carousel_value(in);
    s.count = carousel_value(in);
    s.buttons = in.take<std::uint16_t>();
    return s;
}

void set(std::uint32_t slot, Screen& s)
{
    for (std::size_t i = 0; i < s.labels.size(); ++i)
        s.labels[i].text = s.texts[i].c_str();
    kivo_set_screen(slot, s.has_background ? s.background.c_str() : nullptr,
        s.has_icon ? s.icon.c_str() : nullptr, s.labels.data(), std::uint32_t(s.labels.size()),
        s.current, s.count, s.buttons);
}

// Runs f, letting through only the exceptions the interface documents for these inputs.
template <typename F> void documented(F f)
{
    try {
        f();
    } catch (const std::invalid_argument& e) {
        if (flavour <= 2 || std::strcmp(e.what(), "flavour") != 0)
            fuzz::fail("unexpected std::invalid_argument:", e.what());
    } catch (const std::runtime_error& e) {
        if (std::strncmp(e.what(), "Invalid base64 encoded data - ", 30) != 0)
            fuzz::fail("unexpected std::runtime_error:", e.what());
    }
}

bool pressed = false;

void poll(std::uint32_t max)
{
    EventRecord records[8];
    std::memset(records, 0xa5, sizeof records);
    std::uint32_t n = 0;
    documented([&] { n = kivo_poll_events(records, max); });
    if (n > max)
        fuzz::fail("more records than asked for");
    for (std::uint32_t i = 0; i < n; ++i)
        fuzz::check_record(records[i], pressed);
}

void push(std::uint8_t kind, std::int32_t x, std::int32_t y)
{
    EventRecord e{};
    e.kind = kind;
    e.x = x;
    e.y = y;
    kivo_push_event(&e);
}

void push_resize(std::int32_t w, std::int32_t h)
{
    SDL_Event e;
    SDL_memset(&e, 0, sizeof e);
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_RESIZED;
    e.window.data1 = w;
    e.window.data2 = h;
    SDL_PushEvent(&e);
}

void drain()
{
    for (int i = 0; i < 64 && SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT); ++i)
        poll(8);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::start();
    for (const char* name : {"samples/still.webp", "samples/anim_100.webp", "samples/rgb.png",
             "samples/anim.gif", "samples/palette.png"}) {
        const std::string bytes = fuzz::file_bytes(name);
        if (!bytes.empty())
            samples.push_back("data://" + fuzz::base64_encode(bytes));
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input in(data, size);
    std::array<std::uint8_t, 8> key;
    for (std::uint8_t& b : key)
        b = in.byte();
    open_window(key);
    const int W = kivo_surface_width(), H = kivo_surface_height();

    // A known start: an empty screen on display (whose hit tests cannot throw), nothing held, the
    // coordinate space is the surface.
    kivo_set_screen(0, nullptr, nullptr, nullptr, 0, 0, 0, 0);
    kivo_present(0);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    push(KIVO_EVENT_RELEASE, 0, 0);
    push_resize(W, H);
    pressed = true;
    poll(8);
    if (pressed)
        fuzz::fail("release not reported");

    Screen first = screen(in);
    Screen second = screen(in);
    set(0, first);
    set(1, second);

    for (int steps = in.byte() % 12; steps > 0 && !in.empty(); --steps) {
        switch (in.byte() % 8) {
        case 0:
            documented([] { kivo_present(0); });
            break;
        case 1: {
            const std::int32_t offset = in.coordinate();
            documented([offset] { kivo_present(offset); });
            break;
        }
        case 2: {
            const std::uint8_t kind = in.byte() % 6;
            const std::int32_t x = in.coordinate();
            push(kind, x, in.coordinate());
            break;
        }
        case 3: {
            const std::int32_t w = in.coordinate();
            push_resize(w, in.coordinate());
            break;
        }
        case 4:
            poll(in.byte() % 9);
            break;
        case 5:
            fuzz::advance_ms(in.byte() * 37);
            break;
        case 6: {
            const std::uint32_t slot = 2 + in.byte();
            try {
                kivo_set_screen(slot, "x", nullptr, nullptr, 0, 0, 0, 0);
                fuzz::fail("slot above 1 accepted");
            } catch (const std::out_of_range&) {
            }
            break;
        }
        default: {
            Screen again = screen(in);
            set(in.byte() & 1, again);
            break;
        }
        }
    }
    drain();
    fuzz::expire_cache();
    return 0;
}
