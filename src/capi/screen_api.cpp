// The screen family of exported functions.
#include <err.h>
#include <glib.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "capi/state.h"
#include "kivo/kivo.h"

namespace {

// A text label's text is bounded, so that any text lays out in milliseconds: Pango's time grows
// with the square of the runs of a line of mixed directions, and HarfBuzz's with the square of a
// cluster's combining marks. See kivo.h.
constexpr std::size_t text_bytes_bound = 16384, markup_tags_bound = 256;
constexpr int marks_in_a_row = 30;

// Refuses (false, with a warning) a text past the bounds, and drops every mark past the 30th in
// a row. Marks are counted as Unicode's stream-safe format counts non-starters, and so are marks
// of class 0 (a grapheme joiner, a variation selector): they too extend the cluster.
bool bound_text(std::string& text, bool markup, std::uint32_t index)
{
    const auto tags = std::size_t(std::count(text.begin(), text.end(), '<'));
    if (text.size() > text_bytes_bound || (markup && tags > markup_tags_bound)) {
        warnx(text.size() > text_bytes_bound
                  ? "kivo_set_screen: label %u: text of %zu bytes, more than the bound of %zu"
                  : "kivo_set_screen: label %u: markup of %zu tags, more than the bound of %zu",
            index, text.size() > text_bytes_bound ? text.size() : tags,
            text.size() > text_bytes_bound ? text_bytes_bound : markup_tags_bound);
        return false;
    }
    if (std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; }))
        return true; // ASCII has no marks
    std::string kept;
    int run = 0;
    for (const char *p = text.c_str(), *end = p + text.size(); p < end;) {
        const gunichar c = g_utf8_get_char_validated(p, end - p);
        const bool valid = c < 0x110000;
        const char* next = valid ? g_utf8_next_char(p) : p + 1;
        run = valid && (g_unichar_ismark(c) || g_unichar_combining_class(c) != 0) ? run + 1 : 0;
        if (run <= marks_in_a_row)
            kept.append(p, next);
        p = next;
    }
    text = std::move(kept);
    return true;
}

// Throws std::logic_error for a null text, leaving the target label as it was.
void convert_label(const LabelRecord& record, kivo::Label& label, std::uint32_t index)
{
    label = {.x = record.x,
        .y = record.y,
        .width = record.width,
        .height = record.height,
        .color = {record.r, record.g, record.b, record.a},
        .text = std::string(record.text),
        .value = record.value,
        .band_value = record.band_value,
        .marker_value = record.marker_value,
        .kind = static_cast<kivo::LabelKind>(record.kind),
        .align = static_cast<kivo::LabelAlign>(record.align),
        .font = record.font,
        .style = record.style,
        .id = record.id};
    // A refused text label is kept as one that shows nothing: no text, no background image.
    if (label.kind == kivo::LabelKind::Text &&
        !bound_text(label.text, label.style & kivo::LabelStyle::Markup, index)) {
        label.text.clear();
        label.style = 0;
    }
}

} // namespace

extern "C" KIVO_API void kivo_set_screen(uint32_t slot, const char* background, const char* icon,
    const LabelRecord* labels, uint32_t label_count, uint32_t carousel_current,
    uint32_t carousel_count, uint16_t buttons)
{
    // std::array::at gives the out-of-range message: "array::at: __n (which is 2) >= _Nm ..."
    kivo::ScreenDef& screen = kivo::state::screens.at(slot);
    if (!labels && label_count != 0)
        throw std::logic_error("kivo_set_screen: null labels with a non-zero count");

    using Name = std::optional<std::string>;
    screen.background = background ? Name(background) : std::nullopt;
    screen.icon = icon ? Name(icon) : std::nullopt;

    screen.labels.resize(label_count);
    for (uint32_t i = 0; i < label_count; ++i)
        convert_label(labels[i], screen.labels[i], i);

    screen.carousel.reset();
    if (carousel_count > carousel_current)
        screen.carousel = kivo::CarouselPos{int32_t(carousel_current), int32_t(carousel_count)};
    screen.buttons = buttons;
}
