// The frames drawn from what changed against the full redraw of every element: the same steps on
// the manual clock through both, every frame compared byte for byte on the drawing surface and in
// the framebuffer.
#include <ctime>
#include <deque>
#include <functional>
#include <limits>
#include <string_view>

#include "capi/state.h"
#include "demo_tour.h"
#include "image/alpha_blend.h"
#include "kivo_emu.h"
#include "support.h"

namespace {

using namespace kivo_test;

// What to change before a frame (returning the offset to present it at), and the clock's step
// after it.
struct Step {
    std::function<int()> change;
    int ms = 20;
};

// The test configuration with sliders drawn as a host would: a sweep and visible colours.
ConfigRecord with_gauges()
{
    return gauges(2.4f, 4.7f, 0xff28c86e, 0xc83296dc, 0xffe6463c);
}

struct Steps {
    int w = 320, h = 240;
    std::uint32_t line_length = 0;   // of the framebuffer's rows, when the driver pads them
    const char* format = "xrgb8888"; // the panel's (the emulator's names)
    ConfigRecord config = with_gauges();
    std::vector<Step> steps;

    void frame(std::function<int()> change, int ms = 20)
    {
        steps.push_back({std::move(change), ms});
    }
    // A change of the screens presented at offset 0.
    void still(std::function<void()> change, int ms = 20)
    {
        frame([change] { return change(), 0; }, ms);
    }
    void repeat(int n, int offset = 0, int ms = 20)
    {
        for (int i = 0; i < n; ++i)
            frame([offset] { return offset; }, ms);
    }
};

// Texts that outlive the steps that name them.
const char* keep(std::string text)
{
    static std::deque<std::string> kept;
    return kept.emplace_back(std::move(text)).c_str();
}

LabelRecord slider(int x, int y, int side, float value)
{
    LabelRecord l = label(KIVO_LABEL_SLIDER, x, y, side, side, "");
    l.a = 160;
    l.value = value;
    l.band_value = 0.8f;
    l.marker_value = value / 2;
    return l;
}

std::size_t hash(const void* bytes, std::size_t n)
{
    return std::hash<std::string_view>{}({static_cast<const char*>(bytes), n});
}

// Per frame: the surface's hash, then the framebuffer's.
std::vector<std::size_t> frames(const Steps& run, bool full_redraw)
{
    kivo_emu_reset();
    kivo_emu_clock_set_manual(1);
    // SDL's ticks round differently with the fraction of a second the clock starts at: both runs
    // start on a whole second, so that they see the same milliseconds between frames.
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    kivo_emu_clock_advance_ns(1000000000 - now.tv_nsec);
    kivo_emu_fb_set_format(run.format);
    if (run.line_length)
        kivo_emu_fb_force_mode(run.w, run.h, run.line_length);
    kivo_create_window(run.w, run.h, &run.config);
    kivo::state::renderer->set_full_redraw(full_redraw);
    kivo_set_screen(0, nullptr, nullptr, nullptr, 0, 0, 0, 0);
    kivo_set_screen(1, nullptr, nullptr, nullptr, 0, 0, 0, 0);
    std::vector<std::size_t> out;
    Image surface(run.w, run.h);
    for (const Step& step : run.steps) {
        kivo_present(step.change());
        kivo_get_framebuffer(surface.px.data(), surface.px.size() * 4);
        out.push_back(hash(surface.px.data(), surface.px.size() * 4));
        out.push_back(hash(kivo_emu_fb_pixels(), kivo_emu_fb_size()));
        kivo_emu_clock_advance_ns(std::int64_t{step.ms} * 1000000);
    }
    kivo_destroy_window();
    return out;
}

// Connectors on the home background, one of them a counter that changes.
std::vector<LabelRecord> home_labels(const char* counter)
{
    return {text(20, 120, 130, 30, "Connector 1", KIVO_STYLE_AVAILABLE_BUTTON),
        text(170, 120, 130, 30, counter, KIVO_STYLE_CHARGING_BUTTON),
        text(20, 170, 280, 40, "<b>Total</b> <i>9.83</i> EUR", KIVO_STYLE_MARKUP)};
}

constexpr std::uint16_t home_buttons = KIVO_BUTTON_LEFT | KIVO_BUTTON_RIGHT | KIVO_BUTTON_MENU;

Steps demo_tour()
{
    Steps run;
    run.w = 800;
    run.h = 480;
    run.config = tour_config();
    // tools/simulator/tour.txt at 30 frames a second: each action, then the frames waited after it.
    using Action = std::pair<void (*)(), int>;
    std::vector<Action> actions = {{demo_start, 24},
        {[] { demo_tap_button(KIVO_BUTTON_RIGHT); }, 24}, {[] { demo_swipe(-1); }, 24},
        {[] { demo_tap_button(KIVO_BUTTON_LEFT); }, 21}, {[] { demo_swipe(+1); }, 24},
        {[] { demo_tap_button(KIVO_BUTTON_MENU); }, 15},
        {[] { demo_tap_label(DEMO_MENU_HELP); }, 15},
        {[] { demo_tap_button(KIVO_BUTTON_BACK); }, 12},
        {[] { demo_tap_button(KIVO_BUTTON_CLOSE); }, 15},
        {[] { demo_tap_label(DEMO_CONNECTOR); }, 15}, {[] { demo_tap_label(DEMO_FAST); }, 18},
        {[] { demo_tap_button(KIVO_BUTTON_OK); }, 60},
        {[] { demo_tap_button(KIVO_BUTTON_BACK); }, 18},
        {[] { demo_tap_button(KIVO_BUTTON_MENU); }, 15}};
    for (int language = 0; language < 3; ++language) // German, Arabic, Chinese
        actions.insert(actions.end(), {{[] { demo_tap_label(DEMO_MENU_LANGUAGE); }, 12},
                                          {[] { demo_tap_label(DEMO_MENU_HELP); }, 15},
                                          {[] { demo_tap_button(KIVO_BUTTON_BACK); }, 12}});
    for (const auto& [act, frames] : actions) {
        run.frame([act] {
            act();
            return demo_frame();
        });
        for (int i = 0; i < frames; ++i)
            run.frame(demo_frame, 33);
    }
    return run;
}

// Home with a counter, the charging gauge rising over the animated background, payment with a QR
// code that changes, then slides between home and charging at many offsets, some held, and
// slides while both screens change.
Steps screens_and_slides()
{
    Steps run;
    run.still([] { set(0, "home", "plug", home_labels("12.0 kWh"), home_buttons, 0, 3); });
    run.repeat(2);
    for (int i = 1; i <= 6; ++i)
        run.still([i] {
            set(0, "home", "plug", home_labels(keep(std::to_string(12 + i) + ".0 kWh")),
                home_buttons, 0, 3);
        });
    for (int i = 0; i < 6; ++i)
        run.still([i] {
            set(0, "charging_anim", nullptr,
                {slider(100, 60, 120, 0.1f * i), text(110, 100, 100, 30, keep(std::to_string(i)))},
                KIVO_BUTTON_BACK);
        });
    for (const char* url : {"https://pay.example.com/1", "https://pay.example.com/1",
             "https://pay.example.com/22", "x"}) {
        run.still([url] {
            LabelRecord qr = label(KIVO_LABEL_QR, 150, 40, 120, 120, url);
            set(0, "payment", nullptr, {qr, text(10, 60, 130, 60, "Scan to pay")},
                KIVO_BUTTON_OK | KIVO_BUTTON_BACK);
        });
        run.repeat(1);
    }
    run.frame([] {
        set(0, "home", "plug", home_labels("20.0 kWh"), home_buttons, 1, 3);
        set(1, "charging_anim", nullptr, {slider(100, 60, 120, 0.5f)}, KIVO_BUTTON_BACK);
        return -1;
    });
    for (int offset : {-1, -1, -97, -159, -159, -160, -161, -319, 319, 250, 1, 1, 0, 0})
        run.repeat(1, offset);
    // Ten slides the same way, then ten back: the pixels travel many rows in each direction.
    for (int way : {-1, 1})
        for (int n = 0; n < 10; ++n)
            for (int offset = way; offset != 0; offset = offset * way < 300 ? offset + 37 * way : 0)
                run.repeat(1, offset);
    // Both screens changing while they slide either way: a text, a QR code and a gauge reaching
    // past their screen's edge into the other, the gauge stepping, the text changing, the buttons
    // switching.
    for (int i = 0; i < 14; ++i)
        run.frame([i] {
            set(0, "home", "plug",
                {text(250, 100, 150, 30, keep(std::to_string(i / 3) + " kWh")),
                    label(KIVO_LABEL_QR, 250, 150, 80, 80, "https://pay.example.com/1")},
                home_buttons, 1, 3);
            set(1, "charging_anim", nullptr, {slider(-40, 60, 120, 0.1f + 0.02f * (i % 5))},
                KIVO_BUTTON_BACK);
            return i < 7 ? -40 - 41 * i : 300 - 43 * (i - 7);
        });
    return run;
}

// No background, then a translucent one: the frame before shows through and translucent drawing
// piles up; then a covering background again and back.
Steps showing_through()
{
    Steps run;
    const auto screen = [](const char* background, std::uint8_t alpha) {
        return [background, alpha] {
            LabelRecord t = text(30, 30, 200, 60, "Half there", KIVO_STYLE_GREY_BUTTON);
            t.a = alpha;
            set(0, background, "car", {t, slider(150, 80, 100, 0.3f)}, KIVO_BUTTON_OK);
        };
    };
    run.still(screen(nullptr, 128));
    run.repeat(3);
    run.still(screen("file://app/share/marvo/images/icon/plug.webp", 128));
    run.repeat(3);
    run.still(screen("home", 128));
    run.repeat(2);
    run.still(screen("home", 60));
    run.still(screen(nullptr, 60));
    run.repeat(2);
    return run;
}

// Animated images stepped by the manual clock, the same one drawn twice in a frame, one whose
// opaque half moves from frame to frame, and cache entries that expire and are loaded again.
Steps animations()
{
    Steps run;
    const char* anim = "file://app/share/marvo/images/background/charging_anim.webp";
    run.still([anim] { set(0, "charging_anim", nullptr, {}, KIVO_BUTTON_BACK); });
    for (int ms : {0, 7, 33, 100, 250, 0, 1000})
        run.repeat(1, 0, ms);
    run.still([anim] {
        set(0, "home", nullptr,
            {label(KIVO_LABEL_ICON, -300, -200, 100, 100, anim),
                label(KIVO_LABEL_ICON, 200, 150, 100, 100, anim),
                label(KIVO_LABEL_ICON, 20, 150, 64, 48, "file://samples/anim_alpha.webp")});
    });
    for (int ms : {0, 40, 40, 90, 0, 600 * 1000, 1000, 601 * 1000, 20})
        run.repeat(1, 0, ms);
    return run;
}

// One label changed at a time: moved, shrunk, retexted, restyled, re-coloured, realigned (and
// an alignment and font out of range carried on), turned into another kind, removed (one of them
// from under the slider), added; the slider's value, band and colour. Each change follows one
// that leaves the slider and what lies under it as they were, or one of the slider's own.
Steps label_changes()
{
    Steps run;
    const auto base = [] {
        std::vector<LabelRecord> l = {text(10, 10, 150, 40, "Alpha beta gamma"),
            text(10, 60, 150, 40, "Right", KIVO_STYLE_WHITE_BUTTON),
            text(170, 60, 140, 40, "carried"), label(KIVO_LABEL_ICON, 200, 120, 96, 96, "card"),
            slider(40, 120, 90, 0.4f)};
        l[1].align = KIVO_ALIGN_RIGHT;
        l[2].align = 3;
        l[2].font = 4;
        return l;
    };
    using L = std::vector<LabelRecord>;
    using Change = void (*)(L&);
    const Change changes[] = {[](L&) {}, [](L& l) { l[0].x += 37; }, [](L& l) { l[0].width = 60; },
        [](L& l) { l[0].text = "Alpha"; }, [](L& l) { l[0].style = KIVO_STYLE_FAULTED_BUTTON; },
        [](L& l) { l[0].g = 0; }, [](L& l) { l[0].a = 90; }, [](L& l) { l[4].r = 0; },
        [](L& l) {
            l[4].band_value = 0.5f;
            l.push_back(text(20, 140, 120, 40, "Over", KIVO_STYLE_GREY_BUTTON));
        },
        [](L& l) { l[4].band_value = 0.5f; }, [](L& l) { l[1].align = KIVO_ALIGN_LEFT; },
        [](L& l) { l[1].font = 1; }, [](L& l) { l[1].style = KIVO_STYLE_MARKUP; },
        [](L& l) { l[0].kind = KIVO_LABEL_QR; }, [](L& l) { l[3].y = 100; },
        [](L& l) { l[4].value = 0.9f; }, [](L& l) { l.erase(l.begin() + 1); },
        [](L& l) { l[4].band_value = -1; }, [](L& l) { l[4].band_value = 0.5f; },
        [](L& l) { l.erase(l.begin()); },
        [](L& l) { l.push_back(text(0, 200, 320, 40, "Last one on top")); },
        [](L& l) { l[1].text = "<b>broken"; }, [](L& l) { l[0].kind = 7; },
        // The same glyphs: lower by a line, or in another colour.
        [](L& l) { l[0].text = "Al\npha", l[0].height = 100; },
        [](L& l) { l[0].text = "Al\n\npha", l[0].height = 100; },
        [](L& l) { l[1].text = "<b>12</b>.5", l[1].style = KIVO_STYLE_MARKUP; },
        [](L& l) {
            l[1].text = "<span color='#0f0'><b>12</b></span>.5", l[1].style = KIVO_STYLE_MARKUP;
        },
        // The first text carries the alignment and font that the frame before left, drawn in
        // full (an icon not yet loaded) with other ones than the frames before it.
        [](L& l) {
            l[0].align = 3, l[0].font = 4, l[1].align = KIVO_ALIGN_LEFT, l[1].font = 2;
            l[3].text = "plug";
        }};
    for (const Change change : changes) {
        for (int held = 0; held < 2; ++held)
            run.still([change, base] {
                std::vector<LabelRecord> l = base();
                change(l);
                set(0, "home", nullptr, l, KIVO_BUTTON_BACK, 1, 4);
            });
    }
    run.still(
        [base] { set(0, "home", nullptr, base(), KIVO_BUTTON_OK | KIVO_BUTTON_FRAME, 2, 4); });
    run.repeat(1);
    return run;
}

// Texts in boxes from too narrow to wide, in every alignment, changed every frame: one line that
// fits (to the pixel, centred on half a pixel, empty, ending in a space), wider ones that wrap or
// are cut, right-to-left lines that swap the alignment, markup, a line break.
Steps texts_in_their_box()
{
    Steps run;
    const char* const texts[] = {"23.4 kWh", "Ab ", "", "two\nlines", "שלום 12", "<b>bold</b> end",
        "A text that wraps at last"};
    for (const char* t : texts)
        for (int width = -1; width < 200; width += width < 100 ? 3 : 50)
            run.still([t, width] {
                std::vector<LabelRecord> l;
                for (std::uint8_t align = 0; align < 3; ++align) {
                    l.push_back(
                        text(5, 10 + 70 * align, width, 60, t, (width & 1) * KIVO_STYLE_MARKUP));
                    l.back().align = align;
                    l.back().font = align;
                }
                set(0, "home", nullptr, l, 0, 0, 0);
            });
    return run;
}

// Nine counters apart from each other change at once: more regions than the damage keeps apart.
Steps nine_counters()
{
    Steps run;
    for (int n = 0; n < 3; ++n)
        run.still([n] {
            std::vector<LabelRecord> l;
            for (int i = 0; i < 9; ++i)
                l.push_back(text(
                    10 + i % 3 * 105, 10 + i / 3 * 80, 90, 30, keep(std::to_string(n * 9 + i))));
            set(0, "home", nullptr, l);
        });
    return run;
}

// Labels drawn at their extremes, each shown alone over the background, held, then taken away:
// a label whose drawing reaches outside the rectangle the frame redraws for it leaves pixels
// behind when it goes. Markup that paints beyond the glyphs (a background, a rise, underlines,
// an italic overhang, a size change), right-to-left text, every alignment and font, images larger
// than their box, positions off the surface, and gauges at their widest.
Steps extremes()
{
    Steps run;
    const auto markup = [](int x, int y, int w, int h, const char* s, int align = 0, int font = 0) {
        LabelRecord l = text(x, y, w, h, s, KIVO_STYLE_MARKUP);
        l.align = std::uint32_t(align);
        l.font = std::uint32_t(font);
        return l;
    };
    std::vector<LabelRecord> labels = {
        markup(20, 20, 200, 60, "<span background=\"#ff00ff\">xx</span>"),
        markup(20, 20, 200, 60, "<span background=\"#ff00ff\" size=\"xx-large\">.</span>", 1, 1),
        markup(40, 60, 200, 40, "<span rise=\"30000\">up</span><span rise=\"-30000\">down</span>"),
        markup(40, 60, 200, 40, "<u>under</u> <s>struck</s> <span underline=\"double\">x</span>"),
        markup(40, 60, 200, 40, "<span overline=\"single\">over</span>", 2, 2),
        markup(10, 10, 60, 30, "<i>ffffffff</i><span size=\"40000\">W</span>", 0, 3),
        markup(100, 100, 120, 40, "<span letter_spacing=\"-20000\">tight</span>", 1),
        markup(100, 100, 120, 40, "<span font_desc=\"DejaVu Serif Italic 48\">fj</span>", 2),
        text(60, 120, 200, 40, "\u0645\u0631\u062d\u0628\u0627 abc"),
        text(-40, -10, 120, 40, "Off the corner"),
        text(260, 220, 120, 40, "Past the edge"),
        label(KIVO_LABEL_ICON, 200, 150, 10, 10, "card"),
        label(KIVO_LABEL_ICON, -60, -60, 100, 100, "car"),
        label(KIVO_LABEL_QR, 280, -20, 80, 80, "https://pay.example.com/extreme"),
        slider(250, 170, 120, 1.0f),
        slider(-50, -50, 100, 0.999f),
    };
    labels[14].band_value = 1.0f;
    labels[14].marker_value = 1.0f;
    for (const LabelRecord& l : labels) {
        run.still([l] { set(0, "home", nullptr, {l}); });
        run.repeat(1);
        run.still([] { set(0, "home", nullptr, {}); });
    }
    return run;
}

// Every frame of run drawn from what changed is the full redraw's, with the library's
// eight-pixel blend (where the processor has it) and with SDL's.
void expect_full_redraw(const Steps& run)
{
    const std::vector<std::size_t> want = frames(run, true);
    for (bool plain : {false, true}) {
        SCOPED_TRACE(plain ? "SDL blends" : "the library blends where it can");
        kivo::AlphaBlend::switched_off = plain;
        const std::vector<std::size_t> got = frames(run, false);
        kivo::AlphaBlend::switched_off = false;
        ASSERT_EQ(got.size(), want.size());
        for (std::size_t i = 0; i < want.size(); ++i)
            ASSERT_EQ(got[i], want[i])
                << "frame " << i / 2 << (i % 2 ? ": framebuffer" : ": surface") << " differs";
    }
}

class DamageTest : public ManualClockDisplay {};

TEST_F(DamageTest, TrackedFramesEqualTheFullRedraw)
{
    const struct {
        const char* name;
        Steps (*make)();
    } cases[] = {{"demo tour", demo_tour}, {"screens and slides", screens_and_slides},
        {"showing through", showing_through}, {"animations", animations},
        {"label changes", label_changes}, {"texts in their box", texts_in_their_box},
        {"nine counters", nine_counters}, {"labels at their extremes", extremes},
        {"demo tour on a 16-bit panel (dithered)",
            [] {
                Steps s = demo_tour();
                s.format = "bgr565";
                return s;
            }},
        {"animations on a 24-bit panel",
            [] {
                Steps s = animations();
                s.format = "rgb888";
                return s;
            }},
        {"label changes, padded framebuffer rows",
            [] {
                Steps s = label_changes();
                s.line_length = (s.w + 8) * 4;
                return s;
            }},
        {"label changes, a frame of 97 x 33 (no whole 16-byte block at its end)", [] {
             Steps s = label_changes();
             s.w = 97;
             s.h = 33;
             return s;
         }}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expect_full_redraw(c.make());
    }
}

// Gauge steps at start angles in every quadrant, sweeps forwards, backwards and
// past a turn: values stepping across boundaries and jumping, negative values that wrap, an arc
// left out and back, the band and marker moving, a text over the gauge; a gauge moving sideways.
TEST_F(DamageTest, GaugeStepsEqualTheFullRedraw)
{
    constexpr float pi = 3.14159265f, nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<float> values;
    for (int i = 0; i <= 16; ++i)
        values.push_back(i / 16.0f);
    values.insert(values.end(), {0.95f, 0.3f, 0.31f, -0.2f, -0.9f, nan, 0.5f, 2.5f, 0.5f, 0.0f});
    for (float start : {0.0f, pi / 8, 2.4f, -1.0f, -3 * pi / 4, 5.5f})
        for (float sweep : {4.7f, -4.7f, 2 * pi, 0.3f, 20.0f}) {
            SCOPED_TRACE(std::to_string(start) + " + " + std::to_string(sweep) + " * v");
            Steps run;
            run.config.slider_start_angle = start;
            run.config.slider_sweep_angle = sweep;
            for (std::size_t i = 0; i < values.size(); ++i)
                run.still([&values, i] {
                    LabelRecord g = slider(60, 40, 150, values[i]);
                    g.marker_value = values[(i + 5) % values.size()];
                    g.band_value = i % 6 == 3 ? values[(i + 2) % values.size()] : 0.8f;
                    set(0, "home", nullptr,
                        {g, text(90, 100, 100, 30, "12.3 kWh", KIVO_STYLE_CHARGING_BUTTON)});
                });
            expect_full_redraw(run);
        }
    // A gauge wider than the surface moving sideways: its rectangle on the surface stays the same.
    Steps wide;
    for (int x : {10, 13, 13, 20})
        wide.still([x] { set(0, "home", nullptr, {slider(x, -50, 300, 0.9f)}); });
    expect_full_redraw(wide);
}

// What a frame redraws stays with what changed: nothing for a frame like the one before, the
// label's own rectangle for a text that changed, and for a gauge step the boxes around the end
// that moved and the old and new marker.
TEST_F(DamageTest, DamageStaysWithWhatChanged)
{
    const ConfigRecord config = with_gauges();
    kivo_create_window(320, 240, &config);
    const auto screen = [](const char* counter, float value, float marker) {
        LabelRecord gauge = slider(180, 70, 100, value);
        gauge.marker_value = marker;
        set(0, "home", nullptr,
            {text(10, 20, 120, 30, counter, KIVO_STYLE_CHARGING_BUTTON), gauge,
                text(20, 205, 280, 30, "Tap Back to stop")});
    };
    const auto draw = [] {
        kivo::state::renderer->draw(kivo::state::screens[0]);
        return kivo::state::renderer->take_damage();
    };
    // The counter's box, with room for a line of its font taller than the box; the gauge's, with
    // room for its arcs, which reach 28 pixels past the inscribed circle, and their round ends.
    const SDL_Rect counter{10 - 10, 20 - 10, 120 + 20, 30 + 20};
    const SDL_Rect gauge{180 - 30, 70 - 30, 100 + 60, 100 + 60};
    const struct {
        const char* name;
        const char* counter;
        float value, marker;
        std::vector<SDL_Rect> within; // empty: no damage at all
        int gauge_pixels;             // at most, in all (a round end 21 pixels across: 22 x 22)
    } cases[] = {
        {"unchanged", "12.0 kWh", 0.5f, 0.25f, {}, 0},
        {"the counter changed", "12.1 kWh", 0.5f, 0.25f, {counter}, 0},
        {"the gauge's value moved", "12.1 kWh", 0.501f, 0.25f, {gauge}, 22 * 22},
        {"the marker moved", "12.1 kWh", 0.501f, 0.3f, {gauge}, 1200},
        {"both changed", "12.2 kWh", 0.6f, 0.3f, {counter, gauge}, 1600},
        {"unchanged again", "12.2 kWh", 0.6f, 0.3f, {}, 0},
    };
    // The first frame loads the images; the second is the first one the tracker draws whole.
    screen("12.0 kWh", 0.5f, 0.25f);
    draw();
    draw();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        screen(c.counter, c.value, c.marker);
        const kivo::Damage damage = draw();
        ASSERT_FALSE(damage.all());
        EXPECT_EQ(damage.empty(), c.within.empty());
        int gauge_pixels = 0;
        for (const SDL_Rect& r : damage) {
            gauge_pixels += r.x >= gauge.x ? r.w * r.h : 0;
            bool inside = false;
            for (const SDL_Rect& w : c.within) {
                SDL_Rect both;
                inside = inside || (SDL_IntersectRect(&r, &w, &both) && SDL_RectEquals(&both, &r));
            }
            EXPECT_TRUE(inside) << r.x << "," << r.y << " " << r.w << "x" << r.h;
        }
        EXPECT_LE(gauge_pixels, c.gauge_pixels);
    }
    kivo_destroy_window();
}

} // namespace
