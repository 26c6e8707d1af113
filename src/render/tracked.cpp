// Frames that redraw only what changed since the frame before.
//
// Each frame is listed as items in stacking order (backgrounds, icons, buttons, carousel, labels),
// each with what it shows and the rectangle it may touch. When the frame before covered the whole
// surface with copied backgrounds, and this one does too, every pixel is a function of the items
// alone; an item that shows the same in the same place draws the same pixels. So the regions
// where the lists differ are all that can change: each is redrawn from its background up, clipped
// to it. Anything else is drawn in full.
#include <bit>
#include <cmath>
#include <cstdlib>
#include <utility>

#include <cairo.h>
#include <pango/pangocairo.h>
#include <qrencode.h>

#include "kivo/renderer.h"
#include "render/button_order.h"
#include "render/coords.h"
#include "render/tracker.h"

namespace kivo {

namespace {

// Antialiasing and hinting may put ink a little outside the extents Pango reports.
constexpr int ink_margin = 4;
// Cairo's reach (see the text and slider drawers): beyond it nothing is drawn.
constexpr std::int64_t reach = std::int64_t{1} << 22;

SDL_Rect on_surface(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h, int W, int H)
{
    const std::int64_t x0 = std::max<std::int64_t>(x, 0), y0 = std::max<std::int64_t>(y, 0);
    const std::int64_t x1 = std::min<std::int64_t>(x + w, W), y1 = std::min<std::int64_t>(y + h, H);
    if (x1 <= x0 || y1 <= y0)
        return {};
    return {int(x0), int(y0), int(x1 - x0), int(y1 - y0)};
}

SDL_Rect united(const SDL_Rect& a, const SDL_Rect& b)
{
    if (a.w <= 0 || a.h <= 0)
        return b;
    if (b.w <= 0 || b.h <= 0)
        return a;
    SDL_Rect r;
    SDL_UnionRect(&a, &b, &r);
    return r;
}

bool same_bits(float a, float b)
{
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

bool operator==(const SDL_Rect& a, const SDL_Rect& b)
{
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

bool contains(const SDL_Rect& outer, const SDL_Rect& inner)
{
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
           inner.y + inner.h <= outer.y + outer.h;
}

constexpr int flavoured_buttons = int(ButtonFlag::Ok) | int(ButtonFlag::Back) |
                                  int(ButtonFlag::BackAlt) | int(ButtonFlag::Menu) |
                                  int(ButtonFlag::Left) | int(ButtonFlag::Right);

// The text label's background image (the lowest set bit from BlankButton to EmptyBullet).
int background_bit(std::uint32_t style)
{
    for (int bit = 1; bit <= 13; ++bit)
        if (style & (1u << bit))
            return bit;
    return 0;
}

PangoAlignment alignment(LabelAlign align, PangoAlignment carried)
{
    switch (align) {
    case LabelAlign::Center:
        return PANGO_ALIGN_CENTER;
    case LabelAlign::Left:
        return PANGO_ALIGN_LEFT;
    case LabelAlign::Right:
        return PANGO_ALIGN_RIGHT;
    }
    return carried;
}

void set_text(PangoLayout* layout, const std::string& text, bool markup)
{
    if (markup) {
        pango_layout_set_markup(layout, text.c_str(), -1);
    } else {
        pango_layout_set_attributes(layout, nullptr);
        pango_layout_set_text(layout, text.c_str(), -1);
    }
}

bool parses(const std::string& markup)
{
    GError* error = nullptr;
    if (pango_parse_markup(markup.c_str(), -1, 0, nullptr, nullptr, nullptr, &error))
        return true;
    g_error_free(error);
    return false;
}

} // namespace

Tracker::~Tracker()
{
    for (TextSlot& slot : text_slots)
        if (slot.layout)
            g_object_unref(slot.layout);
}

bool Item::shows_same(const Item& o) const
{
    if (kind != o.kind || !(bounds == o.bounds))
        return false;
    switch (kind) {
    case Kind::Blit:
        return image == o.image && x == o.x && y == o.y;
    case Kind::Text:
        return version == o.version && image == o.image && x == o.x && y == o.y && left == o.left &&
               copy.y == o.copy.y && shown == o.shown && copy.color == o.copy.color;
    case Kind::Qr:
        return left == o.left && copy.y == o.copy.y && copy.width == o.copy.width &&
               copy.height == o.copy.height && copy.color.r == o.copy.color.r &&
               copy.color.g == o.copy.color.g && copy.color.b == o.copy.color.b &&
               copy.text == o.copy.text;
    case Kind::Slider:
        return left == o.left && copy.y == o.copy.y && copy.width == o.copy.width &&
               copy.height == o.copy.height && copy.color == o.copy.color &&
               same_bits(copy.value, o.copy.value) &&
               same_bits(copy.band_value, o.copy.band_value) &&
               same_bits(copy.marker_value, o.copy.marker_value);
    case Kind::Carousel:
        return carousel.current == o.carousel.current && carousel.count == o.carousel.count;
    }
    return false;
}

Damage Renderer::take_damage()
{
    const Damage damage = tracker_->pending;
    tracker_->pending.clear();
    return damage;
}

void Renderer::forget_drawn()
{
    tracker_->valid = false;
    tracker_->shared_version = 0;
    tracker_->pending.add_all();
}

bool Renderer::loaded(const ScreenDef& screen) const
{
    if (screen.background && !cache_.contains(*screen.background))
        return false;
    if (screen.icon && !cache_.contains(*screen.icon))
        return false;
    for (const Label& label : screen.labels)
        if (label.kind == LabelKind::Icon && !cache_.contains(label.text))
            return false;
    return true;
}

// Lays out the text of a slot again when anything it depends on changed; false for markup
// that does not parse (Pango then keeps the text before, which only the full redraw knows).
bool Renderer::layout_text(const Label& label, std::size_t index, int align, int font)
{
    Tracker& t = *tracker_;
    if (index == t.text_slots.size())
        t.text_slots.emplace_back();
    TextSlot& slot = t.text_slots[index];
    const bool markup = label.style & LabelStyle::Markup;
    if (slot.set && slot.text == label.text && slot.markup == markup && slot.width == label.width &&
        slot.height == label.height && slot.align == align && slot.font == font)
        return true;
    if (markup && !parses(label.text))
        return false;
    if (!slot.layout) {
        slot.layout = pango_cairo_create_layout(cairo_);
        pango_layout_set_wrap(slot.layout, PANGO_WRAP_WORD_CHAR);
        pango_layout_set_ellipsize(slot.layout, PANGO_ELLIPSIZE_END);
    }
    pango_layout_set_width(slot.layout, coords::saturate(std::int64_t{label.width} * PANGO_SCALE));
    pango_layout_set_height(
        slot.layout, coords::saturate(std::int64_t{label.height} * PANGO_SCALE));
    pango_layout_set_alignment(slot.layout, PangoAlignment(align));
    pango_layout_set_font_description(slot.layout, font >= 0 ? fonts_[font] : nullptr);
    if (!slot.set || slot.text != label.text || slot.markup != markup) {
        set_text(slot.layout, label.text, markup);
        slot.text = label.text;
        slot.markup = markup;
    }
    slot.width = label.width;
    slot.height = label.height;
    slot.align = align;
    slot.font = font;
    slot.set = true;
    slot.version = ++t.versions;
    PangoRectangle ink;
    pango_layout_get_pixel_extents(slot.layout, &ink, nullptr);
    slot.ink = ink.width > 0 && ink.height > 0
                   ? SDL_Rect{ink.x - ink_margin, ink.y - ink_margin, ink.width + 2 * ink_margin,
                         ink.height + 2 * ink_margin}
                   : SDL_Rect{};
    return true;
}

// Text laid out and QR texts checked before anything is drawn or advanced.
bool Renderer::prepare(const ScreenDef& screen, std::size_t& text, std::size_t& qr, int& align,
    int& font, std::size_t& last_text)
{
    Tracker& t = *tracker_;
    for (const Label& label : screen.labels) {
        if (label.kind == LabelKind::Text) {
            align = alignment(label.align, PangoAlignment(align));
            if (label.font < fonts_.size())
                font = label.font;
            if (!layout_text(label, text, align, font))
                return false;
            last_text = text++;
        } else if (label.kind == LabelKind::Qr) {
            if (qr == t.qr_checks.size())
                t.qr_checks.emplace_back();
            QrCheck& check = t.qr_checks[qr++];
            if (!check.set || check.text != label.text) {
                QRcode* code =
                    QRcode_encodeString(label.text.c_str(), 0, QR_ECLEVEL_L, QR_MODE_8, 1);
                check.encodes = code != nullptr;
                check.text = label.text;
                check.set = true;
                QRcode_free(code);
            }
            if (!check.encodes)
                return false;
        }
    }
    return true;
}

Item& Renderer::add_item()
{
    Tracker& t = *tracker_;
    if (t.next_count == t.next.size())
        t.next.emplace_back();
    Item& item = t.next[t.next_count++];
    item.whole = item.background = false;
    item.image = nullptr;
    item.x = item.y = 0;
    item.label = nullptr;
    return item;
}

// A QR or slider label, drawn by its own drawer: what it shows is copied for the next frame.
Item& Renderer::add_drawn_label(int kind, const Label& label, int offset)
{
    Item& item = add_item();
    item.kind = Item::Kind(kind);
    item.whole = true;
    item.label = &label;
    item.offset = offset;
    item.left = std::int64_t{label.x} + offset;
    item.copy.y = label.y;
    item.copy.width = label.width;
    item.copy.height = label.height;
    item.copy.color = label.color;
    return item;
}

void Renderer::add_blit(const SDL_Surface* image, int x, int y, bool background)
{
    if (!image)
        return;
    Item& item = add_item();
    item.kind = Item::Kind::Blit;
    item.background = background;
    item.image = image;
    item.x = x;
    item.y = y;
    item.bounds = on_surface(x, y, image->w, image->h, target_->w, target_->h);
}

// The background, or the icon, of a screen: looked up and advanced as their drawers do.
void Renderer::add_screen_images(const ScreenDef& screen, int offset, bool icon)
{
    if (!icon) {
        if (!screen.background)
            return;
        Animation& image = get_image("background", *screen.background, target_->w, target_->h);
        if (image.empty())
            return;
        image.advance(delta_ms_);
        add_blit(image.frame(), offset, 0, true);
        return;
    }
    if (!screen.icon)
        return;
    Animation& image = get_image("icon", *screen.icon, 0, 0);
    const SDL_Surface* frame = image.frame();
    if (!frame)
        return;
    const int x = coords::centred(offset, target_->w, frame->w, 0);
    const int y = coords::saturate(std::int64_t{config_.icon_center_y} - frame->h / 2);
    image.advance(delta_ms_);
    add_blit(image.frame(), x, y);
}

void Renderer::add_labels(const ScreenDef& screen, int offset, std::size_t& text)
{
    const int W = target_->w, H = target_->h;
    for (const Label& label : screen.labels) {
        switch (label.kind) {
        case LabelKind::Text: {
            const TextSlot& slot = tracker_->text_slots[text];
            Item& item = add_item();
            item.kind = Item::Kind::Text;
            item.whole = true;
            item.label = &label;
            item.slot = text++;
            item.version = slot.version;
            item.copy.y = label.y;
            item.copy.color = label.color;
            item.left = std::int64_t{label.x} + offset;
            item.shown =
                item.left > -reach && item.left < reach && label.y > -reach && label.y < reach;
            item.bounds = {};
            if (const int bit = background_bit(label.style)) {
                const Surface& image = asset(Asset(int(Asset::LabelBlank) + bit - 1));
                item.image = image.get();
                item.x = coords::centred(label.x, label.width, image->w, offset);
                item.y = coords::centred(label.y, label.height, image->h, config_.label_offset_y);
                item.bounds = on_surface(item.x, item.y, image->w, image->h, W, H);
            }
            if (item.shown)
                item.bounds = united(item.bounds,
                    on_surface(item.left + slot.ink.x, std::int64_t{label.y} + slot.ink.y,
                        slot.ink.w, slot.ink.h, W, H));
            break;
        }
        case LabelKind::Icon: {
            Animation& image = get_image("icon", label.text, 0, 0);
            const SDL_Surface* frame = image.frame();
            if (!frame)
                break;
            const int x = coords::centred(label.x, label.width, frame->w, offset);
            const int y = coords::centred(label.y, label.height, frame->h, 0);
            image.advance(delta_ms_);
            add_blit(image.frame(), x, y);
            break;
        }
        case LabelKind::Qr: {
            Item& item = add_drawn_label(int(Item::Kind::Qr), label, offset);
            item.left = coords::saturate(item.left);
            item.copy.text = label.text;
            item.bounds = label.width > 0 && label.height > 0
                              ? on_surface(item.left, label.y, label.width, label.height, W, H)
                              : SDL_Rect{};
            break;
        }
        case LabelKind::Slider: {
            Item& item = add_drawn_label(int(Item::Kind::Slider), label, offset);
            item.copy.value = label.value;
            item.copy.band_value = label.band_value;
            item.copy.marker_value = label.marker_value;
            // The value arc and marker reach radius R + 28, the track |R - 9| + 1, the band
            // |R| + 4; a pixel more for antialiasing.
            const std::int64_t radius = std::min(label.width, label.height) / 2;
            const std::int64_t extent = std::abs(radius) + 30;
            const std::int64_t cx = item.left + label.width / 2;
            const std::int64_t cy = std::int64_t{label.y} + label.height / 2;
            item.bounds = on_surface(cx - extent, cy - extent, 2 * extent, 2 * extent, W, H);
            break;
        }
        default:
            break; // never drawn
        }
    }
}

// Whether the copied backgrounds at the bottom of the new frame cover the whole surface.
bool Renderer::covered() const
{
    const Tracker& t = *tracker_;
    std::int64_t from = 0; // columns [0, from) are covered
    for (int pass = 0; pass < 2; ++pass)
        for (std::size_t i = 0; i < t.next_count && t.next[i].background; ++i) {
            const Item& item = t.next[i];
            if (!Surface::copies(item.image) || item.y > 0 ||
                std::int64_t{item.y} + item.image->h < target_->h)
                continue;
            if (item.x <= from && std::int64_t{item.x} + item.image->w > from)
                from = std::int64_t{item.x} + item.image->w;
        }
    return from >= target_->w;
}

void Renderer::draw_item(const Item& item)
{
    switch (item.kind) {
    case Item::Kind::Blit:
        blit(const_cast<SDL_Surface*>(item.image), item.x, item.y);
        break;
    case Item::Kind::Text: {
        if (item.image)
            blit(const_cast<SDL_Surface*>(item.image), item.x, item.y);
        const TextSlot& slot = tracker_->text_slots[item.slot];
        cairo_new_path(cairo_);
        if (item.shown) {
            cairo_move_to(cairo_, double(item.left), double(item.copy.y));
            constexpr double k = 1.0 / 255;
            const Color& c = item.copy.color;
            cairo_set_source_rgba(cairo_, c.r * k, c.g * k, c.b * k, c.a * k);
            pango_cairo_show_layout(cairo_, slot.layout);
        }
        cairo_close_path(cairo_);
        break;
    }
    case Item::Kind::Qr:
        draw_qr_label(*item.label, item.offset);
        break;
    case Item::Kind::Slider:
        draw_slider_label(*item.label, item.offset);
        break;
    case Item::Kind::Carousel:
        draw_carousel(item.carousel);
        break;
    }
}

// Leaves the shared layout as the full redraw would have: the alignment and font carried to the
// next text label, and the text of the last one (which a markup text that does not parse keeps).
void Renderer::sync_shared_layout(int align, int font, std::size_t last_text)
{
    Tracker& t = *tracker_;
    pango_layout_set_alignment(layout_, PangoAlignment(align));
    pango_layout_set_font_description(layout_, font >= 0 ? fonts_[font] : nullptr);
    if (last_text == SIZE_MAX)
        return;
    const TextSlot& slot = t.text_slots[last_text];
    if (t.shared_version == slot.version)
        return;
    set_text(layout_, slot.text, slot.markup);
    t.shared_version = slot.version;
}

bool Renderer::draw_tracked(
    const ScreenDef& first, const ScreenDef* second, int offset, int second_offset)
{
    Tracker& t = *tracker_;
    const int buttons = current_screen_.buttons;
    if (full_redraw_ || !loaded(first) || (second && !loaded(*second)) ||
        (config_.flavour > 2 && (buttons & flavoured_buttons)))
        return false;

    // The alignment and font the shared layout carries into this frame.
    int align = pango_layout_get_alignment(layout_);
    int font = -1;
    if (const PangoFontDescription* desc = pango_layout_get_font_description(layout_)) {
        for (std::size_t i = 0; i < fonts_.size() && font < 0; ++i)
            if (pango_font_description_equal(desc, fonts_[i]))
                font = int(i);
        if (font < 0)
            return false;
    }
    std::size_t text = 0, qr = 0, last_text = SIZE_MAX;
    if (!prepare(first, text, qr, align, font, last_text) ||
        (second && !prepare(*second, text, qr, align, font, last_text)))
        return false;

    // From here on this frame is drawn here: the list of what it shows, in stacking order.
    const bool was_valid = t.valid && t.cache_generation == cache_generation_;
    t.next_count = 0;
    add_screen_images(first, offset, false);
    if (second)
        add_screen_images(*second, second_offset, false);
    add_screen_images(first, offset, true);
    if (second)
        add_screen_images(*second, second_offset, true);
    for (auto it = std::rbegin(button_order); it != std::rend(button_order); ++it)
        if (buttons & int(*it)) {
            const auto [image, rect] = image_rect(*it);
            add_blit(image.get(), rect.x, rect.y);
        }
    if (const auto& pos = current_screen_.carousel; pos && pos->count > 0) {
        Item& item = add_item();
        item.kind = Item::Kind::Carousel;
        item.carousel = *pos;
        const Surface& full = asset(Asset::CarouselFullDot);
        const Surface& empty = asset(Asset::CarouselEmptyDot);
        const std::int64_t spacing = config_.carousel_spacing;
        const std::int64_t span = spacing * (pos->count - 1);
        const std::int64_t x0 = (target_->w - span) / 2;
        item.bounds = on_surface(x0 + std::min<std::int64_t>(span, 0), config_.carousel_y,
            std::abs(span) + std::max(full->w, empty->w), std::max(full->h, empty->h), target_->w,
            target_->h);
    }
    text = 0;
    add_labels(first, offset, text);
    if (second)
        add_labels(*second, second_offset, text);

    // Where the two lists differ, both the old and the new rectangle change.
    Damage damage;
    if (!was_valid || !covered()) {
        damage.add_all();
    } else {
        const std::size_t n = std::max(t.drawn_count, t.next_count);
        for (std::size_t i = 0; i < n; ++i) {
            const bool old = i < t.drawn_count, now = i < t.next_count;
            if (old && now && t.drawn[i].shows_same(t.next[i]))
                continue;
            if (old)
                damage.add(t.drawn[i].bounds);
            if (now)
                damage.add(t.next[i].bounds);
        }
        // A region that meets an element drawn only whole grows to cover it.
        for (bool grown = true; grown;) {
            grown = false;
            for (const SDL_Rect& r : damage) {
                for (std::size_t i = 0; i < t.next_count && !grown; ++i) {
                    const Item& item = t.next[i];
                    if (item.whole && SDL_HasIntersection(&r, &item.bounds) &&
                        !contains(r, item.bounds)) {
                        damage.add(item.bounds);
                        grown = true;
                    }
                }
                if (grown)
                    break;
            }
        }
    }

    if (damage.all()) {
        for (std::size_t i = 0; i < t.next_count; ++i)
            draw_item(t.next[i]);
    } else {
        for (const SDL_Rect& r : damage) {
            SDL_SetClipRect(target_, &r);
            cairo_reset_clip(cairo_);
            cairo_new_path(cairo_);
            cairo_rectangle(cairo_, r.x, r.y, r.w, r.h);
            cairo_clip(cairo_);
            for (std::size_t i = 0; i < t.next_count; ++i)
                if (SDL_HasIntersection(&r, &t.next[i].bounds))
                    draw_item(t.next[i]);
        }
        if (!damage.empty()) {
            SDL_SetClipRect(target_, nullptr);
            cairo_reset_clip(cairo_);
        }
    }
    t.pending.add(damage);
    t.valid = damage.all() ? covered() : true;
    std::swap(t.drawn, t.next);
    t.drawn_count = std::exchange(t.next_count, 0);

    sync_shared_layout(align, font, last_text);
    clear_cache();
    t.cache_generation = cache_generation_;
    return true;
}

} // namespace kivo
