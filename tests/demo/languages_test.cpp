// The demo's help screen in each of its languages, as the tour leaves it (demo.tour writes the
// snapshots): every line of each label is drawn where Pango lays that label out, inside the
// label's box, and starts on the side of its direction, Arabic lines at the right.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <pango/pangocairo.h>
#include <string>
#include <vector>

#include "demo_languages.h"
#include "support.h"

namespace {

using kivo_test::Image;

struct Rect {
    int x, y, w, h;
};

// A text label of the help screen, as the demo sets it.
struct HelpLabel {
    Rect box;
    const char* font;
    PangoAlignment align;
    bool markup;
    const char* text;
};

// One line as Pango lays it out, in pixels from the label's top-left corner; first_* are the
// columns of its first character in logical order.
struct Line {
    PangoRectangle ink, logical;
    PangoDirection direction;
    int first_left, first_right;
};

std::vector<Line> lay_out(const HelpLabel& label)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 800, 480);
    cairo_t* cairo = cairo_create(surface);
    PangoLayout* layout = pango_cairo_create_layout(cairo);
    pango_layout_set_width(layout, label.box.w * PANGO_SCALE);
    pango_layout_set_height(layout, label.box.h * PANGO_SCALE);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    pango_layout_set_alignment(layout, label.align);
    PangoFontDescription* font = pango_font_description_from_string(label.font);
    pango_layout_set_font_description(layout, font);
    if (label.markup)
        pango_layout_set_markup(layout, label.text, -1);
    else
        pango_layout_set_text(layout, label.text, -1);

    std::vector<Line> lines;
    PangoLayoutIter* it = pango_layout_get_iter(layout);
    do {
        Line line{};
        pango_layout_iter_get_line_extents(it, &line.ink, &line.logical);
        pango_extents_to_pixels(&line.ink, nullptr);
        pango_extents_to_pixels(&line.logical, nullptr);
        const PangoLayoutLine* l = pango_layout_iter_get_line_readonly(it);
        line.direction = static_cast<PangoDirection>(l->resolved_dir);
        PangoRectangle first;
        pango_layout_index_to_pos(layout, l->start_index, &first);
        // a right-to-left character has a negative width
        const int a = first.x, b = first.x + first.width;
        line.first_left = PANGO_PIXELS_FLOOR(std::min(a, b));
        line.first_right = PANGO_PIXELS_CEIL(std::max(a, b)) - 1;
        if (line.ink.width > 0)
            lines.push_back(line);
    } while (pango_layout_iter_next_line(it));
    pango_layout_iter_free(it);
    pango_font_description_free(font);
    g_object_unref(layout);
    cairo_destroy(cairo);
    cairo_surface_destroy(surface);
    return lines;
}

// The first and last columns in [x0, x1) of rows [y0, y1) that hold text ink: white text, every
// channel above the lightest ring of the help background. right < left when there is none.
std::pair<int, int> ink_columns(const Image& s, int y0, int y1, int x0 = 0, int x1 = INT_MAX)
{
    int left = INT_MAX, right = -1;
    for (int y = std::max(y0, 0); y < std::min(y1, s.h); ++y)
        for (int x = std::max(x0, 0); x < std::min(x1, s.w); ++x) {
            const std::uint32_t p = s.rgb(x, y);
            if ((p >> 16 & 0xff) >= 0xb0 && (p >> 8 & 0xff) >= 0xb0 && (p & 0xff) >= 0xb0) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    return {left, right};
}

struct Shot {
    const char* snapshot;
    int language;
    PangoDirection direction; // of every line of text
};

const Shot shots[] = {{"06-help", 0, PANGO_DIRECTION_LTR}, {"12-help-de", 1, PANGO_DIRECTION_LTR},
    {"13-help-ar", 2, PANGO_DIRECTION_RTL}, {"14-help-zh", 3, PANGO_DIRECTION_LTR}};

} // namespace

TEST(DemoLanguages, HelpTextLiesWherePangoLaysItOut)
{
    constexpr int slack = 2; // antialiased edges below the ink threshold
    for (const Shot& shot : shots) {
        const demo_language& text = demo_languages[shot.language];
        const Image s = kivo_test::load(std::string("demo-tour/") + shot.snapshot + ".png");
        ASSERT_EQ(std::pair(s.w, s.h), std::pair(800, 480)) << shot.snapshot;
        const HelpLabel labels[] = {
            {{DEMO_HELP_TITLE_BOX}, DEMO_FONT2, PANGO_ALIGN_CENTER, false, text.help_title},
            {{DEMO_HELP_BODY_BOX}, DEMO_FONT1, PANGO_ALIGN_LEFT, true, text.help_body}};
        for (const HelpLabel& label : labels) {
            const std::vector<Line> lines = lay_out(label);
            EXPECT_GE(lines.size(), label.markup ? 5u : 1u) << shot.snapshot;
            for (std::size_t i = 0; i < lines.size(); ++i) {
                const Line& line = lines[i];
                SCOPED_TRACE(std::string(shot.snapshot) + ": line " + std::to_string(i) + " of \"" +
                             label.text + "\"");
                const Rect& box = label.box;
                const int top = box.y + line.logical.y, bottom = top + line.logical.height;
                const int ink_left = box.x + line.ink.x;
                const int ink_right = ink_left + line.ink.width - 1;
                EXPECT_EQ(line.direction, shot.direction);
                EXPECT_GE(top, box.y); // marks may reach above or below their line
                EXPECT_LE(bottom, box.y + box.h);
                EXPECT_GE(ink_left, box.x);
                EXPECT_LT(ink_right, box.x + box.w);

                // across the whole width of the screen: nothing of the line outside its box
                const auto [left, right] = ink_columns(s, top, bottom);
                ASSERT_LE(left, right) << "no ink";
                EXPECT_NEAR(left, ink_left, slack);
                EXPECT_NEAR(right, ink_right, slack);

                // the first character sits at the line's start: left, or right for RTL
                const int first_left = box.x + line.first_left;
                const int first_right = box.x + line.first_right;
                const auto [fl, fr] = ink_columns(s, top, bottom, first_left, first_right + 1);
                EXPECT_LE(fl, fr) << "no ink where the first character goes";
                if (shot.direction == PANGO_DIRECTION_RTL)
                    EXPECT_NEAR(right, std::clamp(right, first_left, first_right), slack);
                else
                    EXPECT_NEAR(left, std::clamp(left, first_left, first_right), slack);
            }
        }
    }
}
