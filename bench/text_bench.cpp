// What Pango and Cairo alone cost for the label that home/<size>/one_label changes: a kWh
// counter in DejaVu Sans 20, 220 x 56, wrapped by word and character, ellipsized at the end,
// centred. The same layout settings and the same readings, with no library code around them, on
// an 800 x 480 image surface. bench/report.py sets these beside the one-label frame: no frame that
// lays out and draws a changed text through Pango and Cairo can cost less.
#include <benchmark/benchmark.h>

#include <cairo.h>
#include <pango/pangocairo.h>

#include <string>

#include "screens.h"

namespace {

struct Counter {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 800, 480);
    cairo_t* cairo = cairo_create(surface);
    PangoLayout* layout = pango_cairo_create_layout(cairo);
    PangoFontDescription* font = pango_font_description_from_string("DejaVu Sans 20");

    Counter()
    {
        pango_layout_set_font_description(layout, font);
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
        pango_layout_set_width(layout, 220 * PANGO_SCALE);
        pango_layout_set_height(layout, 56 * PANGO_SCALE);
        pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);
    }
    ~Counter()
    {
        pango_font_description_free(font);
        g_object_unref(layout);
        cairo_destroy(cairo);
        cairo_surface_destroy(surface);
    }
    Counter(const Counter&) = delete;
    Counter& operator=(const Counter&) = delete;
};

// New text every iteration, laid out with its ink measured (what a changed label needs before
// anything is drawn), and with draw also shown in white over the surface.
void counter(benchmark::State& state, bool draw)
{
    Counter c;
    std::string text;
    unsigned i = 0;
    for (auto _ : state) {
        text = bench::counter_text(i++);
        pango_layout_set_text(c.layout, text.c_str(), -1);
        PangoRectangle ink;
        pango_layout_get_pixel_extents(c.layout, &ink, nullptr);
        benchmark::DoNotOptimize(ink);
        if (draw) {
            cairo_move_to(c.cairo, 430, 230);
            cairo_set_source_rgba(c.cairo, 1, 1, 1, 1);
            pango_cairo_show_layout(c.cairo, c.layout);
        }
    }
}

BENCHMARK_CAPTURE(counter, laid_out, false)->Name("text/pango_counter_laid_out");
BENCHMARK_CAPTURE(counter, drawn, true)->Name("text/pango_counter_drawn");

} // namespace
